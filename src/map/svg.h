// The parameter-range picture as an SVG document: the same picture as the
// window, for a run without windows (varno-batch --map) and for export.
#pragma once

#include <string>
#include <string_view>

#include "map/model.h"
#include "map/view.h"

namespace varno::map {

struct SvgOptions {
  int width = 1200, height = 900;  // the whole document, pixels
  // The part of the world shown; empty: the grid and all points fitted.
  bool useView = false;
  Viewport view;  // the plot area's view when useView (its width/height are replaced)
};

// UTF-8 text made safe for XML character data and attribute values: markup
// characters become references, control characters and bytes that are not
// UTF-8 are escaped visibly ("\x01"), U+FFFE and U+FFFF become U+FFFD.
std::string XmlEscape(std::string_view utf8);

// The whole document. Every data line of the run is one element, in input
// order, whose class holds "point" and its outcome ("grid", "rep", "none",
// "range") and whose <title> gives its line number, name and values.
std::string MapSvg(const GridModel& g, const RunPoints* run, const SinglePoint* single,
                   const SvgOptions& options = {});

// The plot area of a document of the given size (the legend and the axes lie
// outside it): left, top, width, height.
struct PlotArea {
  int left, top, width, height;
};
PlotArea PlotAreaOf(int width, int height);

}  // namespace varno::map
