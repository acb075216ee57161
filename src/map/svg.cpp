#include "map/svg.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "map/legend.h"
#include "text/format.h"
#include "text/quote.h"

namespace varno::map {

namespace {

constexpr int kLegendWidth = 300;
constexpr int kLeftMargin = 90;
constexpr int kTopMargin = 44;
constexpr int kBottomMargin = 56;
constexpr int kRightGap = 16;
constexpr double kPointRadius = 3.5;
// Cells smaller than this are drawn as blocks of this many pixels.
constexpr double kMinCellPx = 2.0;

// A coordinate with two decimals, independent of the C locale.
void Num(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;
  if (std::fabs(v) < 0.005) v = 0;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
  if (r.ec != std::errc()) {  // beyond 60 digits: no picture is that large
    out += '0';
    return;
  }
  std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
  // "12.50" -> "12.5", "12.00" -> "12".
  while (s.size() > 1 && s.back() == '0' && s.find('.') != std::string_view::npos)
    s.remove_suffix(1);
  if (!s.empty() && s.back() == '.') s.remove_suffix(1);
  out.append(s);
}

std::string Hex(Rgb c) {
  static const char* const kDigits = "0123456789abcdef";
  std::string s = "#";
  for (uint8_t v : {c.r, c.g, c.b}) {
    s += kDigits[v >> 4];
    s += kDigits[v & 15];
  }
  return s;
}

}  // namespace

std::string XmlEscape(std::string_view s) {
  // Control characters and bytes that are not UTF-8 are shown as the rest of
  // the program shows them ("\x1B"); line breaks stay.
  const std::string shown = EscapeControls(s, true);
  std::string out;
  out.reserve(shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const char c = shown[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        // U+FFFE and U+FFFF are UTF-8 but not XML characters.
        if (c == '\xEF' && shown.compare(i + 1, 1, "\xBF") == 0 && i + 2 < shown.size() &&
            (shown[i + 2] == '\xBE' || shown[i + 2] == '\xBF')) {
          out += "\xEF\xBF\xBD";
          i += 2;
        } else {
          out += c;
        }
    }
  }
  return out;
}

PlotArea PlotAreaOf(int width, int height) {
  PlotArea a;
  a.left = kLeftMargin;
  a.top = kTopMargin;
  a.width = std::max(width - kLeftMargin - kLegendWidth - kRightGap, 50);
  a.height = std::max(height - kTopMargin - kBottomMargin, 50);
  return a;
}

namespace {

class Writer {
 public:
  Writer(const GridModel& g, const RunPoints* run, const SinglePoint* single, const SvgOptions& o)
      : g_(g), run_(run), single_(single), o_(o), area_(PlotAreaOf(o.width, o.height)) {
    if (o.useView) {
      v_ = o.view;
    } else {
      Bounds b = GridBounds(g);
      b.Add(PointBounds(run, single));
      v_ = Fit(b, area_.width, area_.height, 12);
    }
    v_.width = area_.width;
    v_.height = area_.height;
  }

  std::string Write();

 private:
  void Attr(const char* name, double v) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    Num(out_, v);
    out_ += '"';
  }
  void Pt(const PixelPoint& p) {
    Num(out_, p.px);
    out_ += ',';
    Num(out_, p.py);
  }
  void Text(double x, double y, const std::string& text, const char* anchor = "start",
            const char* cls = "label") {
    out_ += "<text class=\"";
    out_ += cls;
    out_ += '"';
    Attr("x", x);
    Attr("y", y);
    out_ += " text-anchor=\"";
    out_ += anchor;
    out_ += "\">" + XmlEscape(text) + "</text>\n";
  }
  void Cells();
  void CellsExact();
  void CellsBlocks();
  void Run(double x, double w, double y, double h, CellClass c);
  void MissingNodes();
  void Arrows();
  void Axes();
  void Origin();
  void Points();
  void Single();
  void LegendPanel();

  const GridModel& g_;
  const RunPoints* run_;
  const SinglePoint* single_;
  const SvgOptions& o_;
  PlotArea area_;
  Viewport v_;
  ArrowPlan plan_;
  std::string out_;
};

void Writer::Run(double x, double w, double y, double h, CellClass c) {
  out_ += "<rect class=\"";
  out_ += c == CellClass::kParams ? "params" : c == CellClass::kNoParams ? "noparams" : "missing";
  out_ += '"';
  Attr("x", x);
  Attr("y", y);
  Attr("width", w);
  Attr("height", h);
  out_ += "/>\n";
}

// One rectangle per run of cells of one class along a row of the grid.
void Writer::CellsExact() {
  const Bounds vis = v_.Visible();
  const double fr0 = std::max(0.0, std::floor((vis.minX - g_.minX()) / g_.stepX()));
  const double fr1 =
      std::min<double>(g_.rows() - 2, std::floor((vis.maxX - g_.minX()) / g_.stepX()));
  const double fc0 = std::max(0.0, std::floor((vis.minY - g_.minY()) / g_.stepY()));
  const double fc1 =
      std::min<double>(g_.cols() - 2, std::floor((vis.maxY - g_.minY()) / g_.stepY()));
  if (!(fr0 <= fr1) || !(fc0 <= fc1)) return;
  const int32_t c0 = static_cast<int32_t>(fc0), c1 = static_cast<int32_t>(fc1);
  for (int32_t r = static_cast<int32_t>(fr0); r <= static_cast<int32_t>(fr1); ++r) {
    const double top = v_.ToPixel(g_.NodeX(r + 1), 0).py;
    const double bottom = v_.ToPixel(g_.NodeX(r), 0).py;
    int32_t start = c0;
    for (int32_t c = c0 + 1; c <= c1 + 1; ++c) {
      if (c <= c1 && g_.CellAt(r, c) == g_.CellAt(r, start)) continue;
      const double left = v_.ToPixel(0, g_.NodeY(start)).px;
      const double right = v_.ToPixel(0, g_.NodeY(c)).px;
      Run(left, right - left, top, bottom - top, g_.CellAt(r, start));
      start = c;
    }
  }
}

// Cells smaller than a couple of pixels: the raster of the view at blocks of
// kMinCellPx, one rectangle per run along a raster row.
void Writer::CellsBlocks() {
  Viewport coarse = v_;
  coarse.scale = v_.scale / kMinCellPx;
  coarse.width = static_cast<int>(std::ceil(v_.width / kMinCellPx));
  coarse.height = static_cast<int>(std::ceil(v_.height / kMinCellPx));
  std::vector<CellClass> raster;
  RasterCells(g_, coarse, raster);
  const std::size_t w = static_cast<std::size_t>(coarse.width);
  for (int y = 0; y < coarse.height; ++y) {
    const CellClass* line = &raster[static_cast<std::size_t>(y) * w];
    std::size_t start = 0;
    for (std::size_t x = 1; x <= w; ++x) {
      if (x < w && line[x] == line[start]) continue;
      if (line[start] != CellClass::kOutside) {
        Run(start * kMinCellPx, (x - start) * kMinCellPx, y * kMinCellPx, kMinCellPx, line[start]);
      }
      start = x;
    }
  }
}

void Writer::Cells() {
  if (!g_.hasNodes() || g_.rows() < 2 || g_.cols() < 2) return;
  out_ += "<g id=\"cells\" shape-rendering=\"crispEdges\">\n";
  if (std::min(g_.stepX(), g_.stepY()) * v_.scale >= kMinCellPx) {
    CellsExact();
  } else {
    CellsBlocks();
  }
  out_ += "</g>\n";
}

void Writer::MissingNodes() {
  std::vector<PixelPoint> nodes;
  VisibleMissingNodes(g_, v_, 8, nodes);
  if (nodes.empty()) return;
  out_ += "<path id=\"missing-nodes\" d=\"";
  for (const PixelPoint& p : nodes) {
    out_ += 'M';
    Pt({p.px - 3, p.py - 3});
    out_ += 'L';
    Pt({p.px + 3, p.py + 3});
    out_ += 'M';
    Pt({p.px - 3, p.py + 3});
    out_ += 'L';
    Pt({p.px + 3, p.py - 3});
  }
  out_ += "\"/>\n";
}

void Writer::Arrows() {
  std::vector<Arrow> arrows;
  VisibleArrows(g_, v_, plan_, arrows);
  if (arrows.empty()) return;
  out_ += "<path id=\"arrows\" d=\"";
  for (const Arrow& a : arrows) {
    PixelPoint l, r;
    ArrowHead(a.from, a.to, l, r);
    out_ += 'M';
    Pt(a.from);
    out_ += 'L';
    Pt(a.to);
    out_ += 'M';
    Pt(l);
    out_ += 'L';
    Pt(a.to);
    out_ += 'L';
    Pt(r);
  }
  out_ += "\"/>\n";
}

void Writer::Origin() {
  const Bounds vis = v_.Visible();
  if (!Contains(vis, 0, 0)) return;
  const PixelPoint o = v_.ToPixel(0, 0);
  out_ += "<g id=\"origin\"><circle";
  Attr("cx", o.px);
  Attr("cy", o.py);
  out_ += " r=\"6\"/><path d=\"M";
  Pt({o.px - 10, o.py});
  out_ += 'L';
  Pt({o.px + 10, o.py});
  out_ += 'M';
  Pt({o.px, o.py - 10});
  out_ += 'L';
  Pt({o.px, o.py + 10});
  out_ += "\"/></g>\n";
  Text(o.px + 9, o.py - 8, "原点", "start", "origin-label");
}

void Writer::Axes() {
  const Bounds vis = v_.Visible();
  const std::vector<double> xs = Ticks(vis.minX, vis.maxX, area_.height);
  const std::vector<double> ys = Ticks(vis.minY, vis.maxY, area_.width);
  out_ += "<g id=\"axes\">\n";
  out_ += "<path class=\"gridline\" d=\"";
  for (double x : xs) {
    const double py = area_.top + v_.ToPixel(x, 0).py;
    out_ += 'M';
    Pt({static_cast<double>(area_.left), py});
    out_ += 'H';
    Num(out_, area_.left + area_.width);
  }
  for (double y : ys) {
    const double px = area_.left + v_.ToPixel(0, y).px;
    out_ += 'M';
    Pt({px, static_cast<double>(area_.top)});
    out_ += 'V';
    Num(out_, area_.top + area_.height);
  }
  out_ += "\"/>\n";
  for (double x : xs) {
    Text(area_.left - 6, area_.top + v_.ToPixel(x, 0).py + 4, FormatNumber(x, "0"), "end");
  }
  for (double y : ys) {
    Text(area_.left + v_.ToPixel(0, y).px, area_.top + area_.height + 16, FormatNumber(y, "0"),
         "middle");
  }
  Text(area_.left - 6, area_.top - 10, "X (m) 北↑", "end");
  Text(area_.left + area_.width, area_.top + area_.height + 36, "Y (m) 東→", "end");
  out_ += "</g>\n";
}

void Writer::Points() {
  if (!run_) return;
  out_ += "<g id=\"points\">\n";
  for (const MapPoint& p : run_->points) {
    const bool placed = p.placed && std::isfinite(p.x) && std::isfinite(p.y);
    out_ += placed ? "<circle" : "<g";
    out_ += " class=\"point ";
    out_ += OutcomeClass(p.outcome);
    if (!placed) out_ += " unplaced";
    out_ += "\" data-line=\"" + std::to_string(p.line) + '"';
    if (placed) {
      const PixelPoint q = v_.ToPixel(p.x, p.y);
      Attr("cx", q.px);
      Attr("cy", q.py);
      Attr("r", kPointRadius);
    }
    out_ += "><title>" + XmlEscape(PointDescription(p)) + "</title>";
    out_ += placed ? "</circle>\n" : "</g>\n";
  }
  out_ += "</g>\n";
}

void Writer::Single() {
  if (!single_ || !single_->valid || !single_->point.placed) return;
  const MapPoint& p = single_->point;
  const std::string title = "<title>" + XmlEscape(PointDescription(p, true)) + "</title>";
  const PixelPoint a = v_.ToPixel(p.x, p.y);
  out_ += "<g id=\"single\">\n";
  if (p.corrected) {
    const PixelPoint b = v_.ToPixel(p.x2, p.y2);
    out_ += "<path class=\"single-move\" d=\"M";
    Pt(a);
    out_ += 'L';
    Pt(b);
    out_ += "\"/>\n<circle class=\"single-after\"";
    Attr("cx", b.px);
    Attr("cy", b.py);
    out_ += " r=\"5\">" + title + "</circle>\n";
  }
  out_ += "<circle class=\"single-before\"";
  Attr("cx", a.px);
  Attr("cy", a.py);
  out_ += " r=\"7\">" + title + "</circle>\n</g>\n";
}

void Writer::LegendPanel() {
  const double x0 = o_.width - kLegendWidth;
  double y = kTopMargin + 14;
  out_ += "<g id=\"legend\">\n";
  for (const LegendEntry& e : Legend(g_, run_, single_)) {
    const std::string c = Hex(e.colour);
    const double sx = x0 + 4, cy = y - 4;
    switch (e.symbol) {
      case LegendSymbol::kCell:
        out_ += "<rect fill=\"" + c + "\" stroke=\"#808080\" stroke-width=\"0.5\"";
        Attr("x", sx);
        Attr("y", cy - 6);
        out_ += " width=\"16\" height=\"12\"/>\n";
        break;
      case LegendSymbol::kExtent:
        out_ += "<rect fill=\"none\" stroke=\"" + c + "\" stroke-width=\"2\"";
        Attr("x", sx);
        Attr("y", cy - 6);
        out_ += " width=\"16\" height=\"12\"/>\n";
        break;
      case LegendSymbol::kMissingNode:
        out_ += "<path stroke=\"" + c + "\" d=\"M";
        Pt({sx + 5, cy - 3});
        out_ += 'l';
        out_ += "6,6m-6,0l6,-6\"/>\n";
        break;
      case LegendSymbol::kArrow: {
        PixelPoint l, r;
        const PixelPoint a{sx, cy}, b{sx + 18, cy};
        ArrowHead(a, b, l, r);
        out_ += "<path stroke=\"" + c + "\" fill=\"none\" d=\"M";
        Pt(a);
        out_ += 'L';
        Pt(b);
        out_ += 'M';
        Pt(l);
        out_ += 'L';
        Pt(b);
        out_ += 'L';
        Pt(r);
        out_ += "\"/>\n";
        break;
      }
      case LegendSymbol::kPoint:
        out_ += "<circle fill=\"" + c + "\" stroke=\"#000000\" stroke-width=\"0.5\"";
        Attr("cx", sx + 8);
        Attr("cy", cy);
        out_ += " r=\"3.5\"/>\n";
        break;
      case LegendSymbol::kSingleBefore:
        out_ += "<circle fill=\"none\" stroke=\"" + c + "\" stroke-width=\"2\"";
        Attr("cx", sx + 8);
        Attr("cy", cy);
        out_ += " r=\"6\"/>\n";
        break;
      case LegendSymbol::kSingleAfter:
        out_ += "<circle fill=\"" + c + "\"";
        Attr("cx", sx + 8);
        Attr("cy", cy);
        out_ += " r=\"4\"/>\n";
        break;
      case LegendSymbol::kOrigin:
        out_ += "<path stroke=\"" + c + "\" d=\"M";
        Pt({sx, cy});
        out_ += "h16M";
        Pt({sx + 8, cy - 7});
        out_ += "v14\"/>\n";
        break;
      case LegendSymbol::kText:
        break;
    }
    Text(e.symbol == LegendSymbol::kText ? sx : sx + 24, y, e.text);
    y += 20;
  }
  if (plan_.stride > 0 && plan_.barPx > 0) {
    y += 4;
    out_ += "<path stroke=\"" + Hex(kArrowColour) + "\" stroke-width=\"2\" d=\"M";
    Pt({x0 + 4, y - 4});
    out_ += 'h';
    Num(out_, plan_.barPx);
    out_ += "M";
    Pt({x0 + 4, y - 8});
    out_ += "v8M";
    Pt({x0 + 4 + plan_.barPx, y - 8});
    out_ += "v8\"/>\n";
    Text(x0 + 4, y + 14, BarText(plan_.barMetres));
  }
  out_ += "</g>\n";
}

std::string Writer::Write() {
  plan_ = PlanArrows(g_, v_);
  out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
  Attr("width", o_.width);
  Attr("height", o_.height);
  out_ += " viewBox=\"0 0 " + std::to_string(o_.width) + ' ' + std::to_string(o_.height) +
          "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  out_ += "<title>" + XmlEscape(kMapTitle) + "</title>\n";
  out_ += "<style>\n";
  for (CellClass c : {CellClass::kParams, CellClass::kNoParams, CellClass::kMissing}) {
    out_ += std::string(c == CellClass::kParams     ? ".params"
                        : c == CellClass::kNoParams ? ".noparams"
                                                    : ".missing") +
            "{fill:" + Hex(CellColour(c)) + "}\n";
  }
  for (Outcome o : {Outcome::kGrid, Outcome::kRep, Outcome::kNone, Outcome::kRange}) {
    out_ += std::string(".point.") + OutcomeClass(o) + "{fill:" + Hex(OutcomeColour(o)) + "}\n";
  }
  out_ +=
      ".point{stroke:#000000;stroke-width:0.5}\n"
      "#extent{fill:none;stroke:" +
      Hex(kExtentColour) +
      ";stroke-width:2}\n"
      "#arrows{fill:none;stroke:" +
      Hex(kArrowColour) +
      ";stroke-width:1.2}\n"
      "#missing-nodes{fill:none;stroke:" +
      Hex(kMissingNodeColour) +
      ";stroke-width:1}\n"
      "#origin{fill:none;stroke:" +
      Hex(kOriginColour) +
      ";stroke-width:1.5}\n"
      ".origin-label{fill:" +
      Hex(kOriginColour) +
      "}\n"
      ".gridline{fill:none;stroke:#d8d8d8;stroke-width:0.5}\n"
      ".single-before{fill:none;stroke:#000000;stroke-width:2}\n"
      ".single-after{fill:#000000}\n"
      ".single-move{stroke:#000000;stroke-width:1.5}\n"
      "</style>\n";
  out_ += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  Text(kLeftMargin, 24, std::string(kMapTitle), "start", "title");
  out_ += "<clipPath id=\"plot\"><rect width=\"" + std::to_string(area_.width) + "\" height=\"" +
          std::to_string(area_.height) + "\"/></clipPath>\n";
  Axes();
  out_ += "<g transform=\"translate(" + std::to_string(area_.left) + ',' +
          std::to_string(area_.top) + ")\">\n<g clip-path=\"url(#plot)\">\n";
  Cells();
  MissingNodes();
  if (g_.hasExtent()) {
    const PixelPoint a = v_.ToPixel(g_.maxX(), g_.minY());
    const PixelPoint b = v_.ToPixel(g_.minX(), g_.maxY());
    out_ += "<rect id=\"extent\"";
    Attr("x", a.px);
    Attr("y", a.py);
    Attr("width", b.px - a.px);
    Attr("height", b.py - a.py);
    out_ += "/>\n";
  }
  Arrows();
  Origin();
  out_ += "</g>\n";
  // Points are not clipped: every one stays in the document.
  Points();
  Single();
  out_ += "<rect fill=\"none\" stroke=\"#606060\" width=\"" + std::to_string(area_.width) +
          "\" height=\"" + std::to_string(area_.height) + "\"/>\n</g>\n";
  LegendPanel();
  out_ += "</svg>\n";
  return std::move(out_);
}

}  // namespace

std::string MapSvg(const GridModel& g, const RunPoints* run, const SinglePoint* single,
                   const SvgOptions& options) {
  return Writer(g, run, single, options).Write();
}

}  // namespace varno::map
