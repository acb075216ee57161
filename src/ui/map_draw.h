// Draws the parameter-range picture with QPainter: the same geometry as the
// SVG document, for the window, its PNG export and its printed page.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "map/model.h"
#include "map/view.h"

class QPainter;

namespace varno::ui {

struct MapScene {
  const map::GridModel* grid = nullptr;
  const map::RunPoints* run = nullptr;
  const map::SinglePoint* single = nullptr;
};

// Scratch buffers kept between frames so that a frame allocates nothing.
struct MapDrawCache {
  std::vector<map::CellClass> raster;
  QImage image;
  std::vector<map::Arrow> arrows;
  std::vector<map::PixelPoint> nodes;
};

// Draws the scene into the painter's current device, whose pixel (0, 0) is
// the view's top-left corner; `legend` adds the legend panel and scale bar.
void DrawMap(QPainter& p, const MapScene& scene, const map::Viewport& v, MapDrawCache& cache,
             bool legend = true);

// The point of the scene nearest to pixel (px, py) within `radiusPx`: the
// single point (before or after) first, then the run's points. Null when none.
const map::MapPoint* PointNear(const MapScene& scene, const map::Viewport& v, double px, double py,
                               double radiusPx, bool& isSingle);

// UTF-8 text from the logic (names from files included) as tooltip rich text:
// markup escaped, control characters shown as "\x01", line breaks kept.
QString TooltipHtml(const std::string& utf8);

}  // namespace varno::ui
