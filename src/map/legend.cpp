#include "map/legend.h"

#include "text/format.h"

namespace varno::map {

Rgb CellColour(CellClass c) {
  switch (c) {
    case CellClass::kParams:
      return {200, 232, 192};
    case CellClass::kNoParams:
      return {246, 196, 184};
    case CellClass::kMissing:
      return {196, 196, 196};
    case CellClass::kOutside:
      break;
  }
  return {255, 255, 255};
}

Rgb OutcomeColour(Outcome o) {
  switch (o) {
    case Outcome::kGrid:
      return {0, 110, 230};
    case Outcome::kRep:
      return {235, 140, 0};
    case Outcome::kNone:
      return {210, 0, 0};
    case Outcome::kRange:
      return {130, 0, 180};
  }
  return {0, 0, 0};
}

std::string BarText(double metres) {
  std::string t = FormatNumber(metres, "0.###");
  if (!t.empty() && t.back() == '.') t.pop_back();
  return "補正量 " + t + " m";
}

OutcomeCounts CountOutcomes(const RunPoints& run) {
  OutcomeCounts c;
  for (const MapPoint& p : run.points) ++c.n[static_cast<int>(p.outcome)];
  for (int k = 0; k < 4; ++k) c.n[k] += run.droppedBy[k];
  return c;
}

namespace {

std::string Count(int64_t n) {
  return FormatNumber(static_cast<double>(n), "#,###,###,##0");
}

}  // namespace

std::vector<LegendEntry> Legend(const GridModel& g, const RunPoints* run,
                                const SinglePoint* single) {
  std::vector<LegendEntry> e;
  e.push_back({LegendSymbol::kText,
               {0, 0, 0},
               "座標系 " + SpacedNumber(g.zoneNo()) + " 系  (X 北, Y 東, m)"});
  e.push_back({LegendSymbol::kExtent, kExtentColour, "格子の範囲"});
  e.push_back({LegendSymbol::kCell, CellColour(CellClass::kParams),
               "ﾊﾟﾗﾒｰﾀのあるｾﾙ (" + Count(g.cellCount(CellClass::kParams)) + ")"});
  e.push_back({LegendSymbol::kCell, CellColour(CellClass::kNoParams),
               "ﾊﾟﾗﾒｰﾀのないｾﾙ dX=dY=0 (" + Count(g.cellCount(CellClass::kNoParams)) + ")"});
  e.push_back({LegendSymbol::kCell, CellColour(CellClass::kMissing),
               "格子点の欠けたｾﾙ (" + Count(g.cellCount(CellClass::kMissing)) + ")"});
  if (g.missingNodes() > 0) {
    e.push_back({LegendSymbol::kMissingNode, kMissingNodeColour,
                 "ﾌｧｲﾙにない格子点 (" + Count(g.missingNodes()) + ")"});
  }
  if (g.hasExtent() && !g.hasNodes()) {
    e.push_back(
        {LegendSymbol::kText, {160, 0, 0}, "格子点が多すぎるか間隔が不正なため範囲のみ表示"});
  }
  e.push_back({LegendSymbol::kArrow, kArrowColour, "補正量 (dY 東, dX 北)"});
  e.push_back({LegendSymbol::kOrigin, kOriginColour, "座標系の原点"});
  if (single && single->valid) {
    e.push_back({LegendSymbol::kSingleBefore, kSingleColour, "単点変換 震災前"});
    if (single->point.corrected) {
      e.push_back({LegendSymbol::kSingleAfter, kSingleColour, "単点変換 震災後"});
    }
  }
  if (run && (!run->points.empty() || run->finished)) {
    const OutcomeCounts c = CountOutcomes(*run);
    static const char* const kText[4] = {"地域毎のﾊﾟﾗﾒｰﾀで変換", "代表点で変換", "変換せず",
                                         "座標系の範囲外"};
    e.push_back({LegendSymbol::kText, {0, 0, 0}, "一括変換 " + run->inputName});
    for (int k = 0; k < 4; ++k) {
      if (c.n[k] == 0) continue;
      const Outcome o = static_cast<Outcome>(k);
      e.push_back({LegendSymbol::kPoint, OutcomeColour(o),
                   std::string(kText[k]) + " (" + Count(c.n[k]) + ")"});
    }
    if (const int64_t dropped = run->Dropped(); dropped > 0) {
      e.push_back({LegendSymbol::kText,
                   {160, 0, 0},
                   "うち " + Count(dropped) + " 点は表示の上限のため非表示"});
    }
  }
  return e;
}

}  // namespace varno::map
