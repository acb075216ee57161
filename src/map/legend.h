// The picture's colours and legend, shared by the window and the SVG writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map/model.h"
#include "text/report.h"

namespace varno::map {

Rgb CellColour(CellClass c);
Rgb OutcomeColour(Outcome o);
inline constexpr Rgb kExtentColour{31, 58, 147};
inline constexpr Rgb kArrowColour{0, 70, 160};
inline constexpr Rgb kMissingNodeColour{90, 90, 90};
inline constexpr Rgb kOriginColour{200, 0, 120};
inline constexpr Rgb kSingleColour{0, 0, 0};

enum class LegendSymbol {
  kCell,
  kExtent,
  kMissingNode,
  kArrow,
  kPoint,
  kSingleBefore,
  kSingleAfter,
  kOrigin,
  kText
};

struct LegendEntry {
  LegendSymbol symbol;
  Rgb colour;
  std::string text;  // UTF-8
};

// The entries in drawing order; point entries only for outcomes that occur.
std::vector<LegendEntry> Legend(const GridModel& g, const RunPoints* run,
                                const SinglePoint* single);

// Data lines of the run by outcome (grid, rep, none, range).
struct OutcomeCounts {
  int64_t n[4] = {0, 0, 0, 0};
};
OutcomeCounts CountOutcomes(const RunPoints& run);

// The scale bar's caption for `metres` of correction.
std::string BarText(double metres);

// The window's and the document's title.
inline constexpr const char* kMapTitle = "変換パラメータ範囲図";

}  // namespace varno::map
