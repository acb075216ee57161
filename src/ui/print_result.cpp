#include "ui/print_result.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "codec/cp932.h"
#include "geodesy/angles.h"
#include "state/module_state.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"
#include "text/paths.h"
#include "text/version.h"
#include "ui/dialog_texts.h"
#include "ui/frm_main.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

constexpr int kAngleWidth = 21;
constexpr int kMetricWidth = 19;
constexpr int kConvergenceWidth = 17;
// The widest line: 90 hyphens from column 10.
constexpr int kPageColumns = 99;

// Code points of a UTF-8 text.
std::vector<std::string> Chars(std::string_view utf8) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t n = c < 0x80           ? 1
                    : (c >> 5) == 0x6  ? 2
                    : (c >> 4) == 0xE  ? 3
                    : (c >> 3) == 0x1E ? 4
                                       : 1;
    n = std::min(n, utf8.size() - i);
    out.emplace_back(utf8.substr(i, n));
    i += n;
  }
  return out;
}

int CharColumns(const std::string& ch) {
  if (ch.size() == 1) return 1;
  try {
    return Utf8ToCp932(ch).size() >= 2 ? 2 : 1;
  } catch (const VarnoError&) {
    // Outside CP932: wide for the CJK and full-width ranges.
    const QString q = Q(ch);
    const uint u = q.isEmpty() ? 0 : q.toUcs4().value(0);
    return u >= 0x1100 ? 2 : 1;
  }
}

// Right-aligned in a cell of `width` characters: blanks on the left, or the
// leftmost characters of a longer text.
std::string Cell(std::string_view text, int width) {
  const std::vector<std::string> chars = Chars(text);
  const int n = static_cast<int>(chars.size());
  std::string out;
  if (n < width) out.assign(static_cast<std::size_t>(width - n), ' ');
  for (int i = 0; i < std::min(n, width); ++i) out += chars[static_cast<std::size_t>(i)];
  return out;
}

std::string AngleCell(const std::string& field) {
  const geo::DmsParts p = geo::DmsToDeg(ParseNumber(Cell(field, kAngleWidth)));
  return Cell(FormatNumber(p.deg, "##0") + "°" + FormatNumber(p.min, "#0") + "' " +
                  FormatNumber(p.sec, "#0.00000"),
              kAngleWidth);
}

std::string MetricCell(const std::string& field, std::string_view pattern) {
  return Cell(FormatNumber(ParseNumber(Cell(field, kMetricWidth)), pattern), kMetricWidth);
}

std::string ConvergenceCell(const std::string& field) {
  const geo::DmsParts p = geo::DmsToDeg(ParseNumber(Cell(field, kConvergenceWidth)));
  return Cell(std::string(p.sign < 0 ? "-" : " ") + FormatNumber(p.deg, "#0") + "°" +
                  FormatNumber(p.min, "#0") + "' " + FormatNumber(p.sec, "#0.000"),
              kConvergenceWidth);
}

PageLine Line(std::vector<PageItem> items, double size = 11.0) {
  return PageLine{size, std::move(items)};
}

}  // namespace

int ColumnsOf(std::string_view utf8) {
  int columns = 0;
  for (const std::string& ch : Chars(utf8)) columns += CharColumns(ch);
  return columns;
}

std::vector<std::string> LayoutRows(const PageLine& line) {
  std::vector<std::string> rows(1);
  int next = 1;  // the column the next character takes
  for (const PageItem& item : line.items) {
    if (next > item.column) {
      rows.emplace_back();
      next = 1;
    }
    rows.back().append(static_cast<std::size_t>(item.column - next), ' ');
    rows.back() += item.text;
    next = item.column + ColumnsOf(item.text);
  }
  return rows;
}

ResultPage BuildResultPage(const PrintFields& f) {
  // Every value is read and formatted first; a field that is not a number
  // throws before anything reaches the printer.
  const std::string a1 = AngleCell(f.txtTB), a2 = AngleCell(f.txtJB);
  const std::string a3 = AngleCell(f.txtTL), a4 = AngleCell(f.txtJL);
  std::string m[9];
  std::string c1, c2;
  if (f.latLonMode) {
    for (int i = 1; i <= 8; ++i) m[i] = std::string(kMetricWidth, ' ');
    c1 = c2 = std::string(kConvergenceWidth, ' ');
  } else {
    constexpr std::string_view kXyh = "#,###,##0.0000";
    constexpr std::string_view kScale = " ##0.00000000";
    m[1] = MetricCell(f.txtTkyx, kXyh);
    m[2] = MetricCell(f.txtJgdx, kXyh);
    m[3] = MetricCell(f.txtTkyy, kXyh);
    m[4] = MetricCell(f.txtJgdy, kXyh);
    m[7] = MetricCell(f.txtTkyh, kXyh);
    m[8] = MetricCell(f.txtJgdh, kXyh);
    m[5] = MetricCell(f.lblTkys, kScale);
    m[6] = MetricCell(f.lblJgds, kScale);
    c1 = ConvergenceCell(f.lblTkyn);
    c2 = ConvergenceCell(f.lblJgdn);
  }

  const std::string rule(90, '-');
  ResultPage page;
  auto& L = page.lines;
  for (int i = 0; i < 4; ++i) L.push_back(Line({}));     // 1-4
  L.push_back(Line({{10, rule}}));                       // 5
  L.push_back(Line({}));                                 // 6
  L.push_back(Line({{21, "座 標 変 換 計 算"}}, 18.0));  // 7
  L.push_back(Line({}));                                 // 8
  L.push_back(Line({}));                                 // 9
  L.push_back(Line({{20, "変換パラメータファイル名 : " + FileNameOf(f.paraFilePath) + " "},
                    {73, f.paraVersion}}));                                              // 10
  L.push_back(Line({{20, "変換パラメータの範囲 : " + f.paraRangeText}}));                // 11
  L.push_back(Line({{20, "座標変換方法 : "}, {40, "（バイリニア補間法）"}}));            // 12
  L.push_back(Line({{70, "座標系番号 : " + SpacedNumber(f.zoneNo)}}));                   // 13
  L.push_back(Line({}));                                                                 // 14
  L.push_back(Line({{10, rule}}));                                                       // 15
  L.push_back(Line({}));                                                                 // 16
  L.push_back(Line({{25, "変換する座標の名称 :"}, {46, "[   " + f.txtName + "   ]"}}));  // 17
  L.push_back(Line({}));                                                                 // 18
  L.push_back(Line({{10, rule}}));                                                       // 19
  L.push_back(Line({}));                                                                 // 20
  L.push_back(Line({{41, "震災前成果(2000)"}, {71, "震災後成果(2011)"}}));               // 21
  L.push_back(Line({{15, "緯　度　Ｂ"}, {35, a1}, {65, a2}}));                           // 22
  L.push_back(Line({{15, "経　度　Ｌ"}, {35, a3}, {65, a4}}));                           // 23
  L.push_back(Line({}));                                                                 // 24
  L.push_back(Line({{15, "座標Ｘ"}, {37, m[1]}, {67, m[2]}, {87, "m"}}));                // 25
  L.push_back(Line({{15, "座標Ｙ"}, {37, m[3]}, {67, m[4]}, {87, "m"}}));                // 26
  L.push_back(Line({{15, "標高Ｈ"}, {37, m[7]}, {67, m[8]}, {87, "m"}}));                // 27
  L.push_back(Line({}));                                                                 // 28
  L.push_back(Line({{15, "真北方向角"}, {39, c1}, {69, c2}}));                           // 29
  L.push_back(Line({{15, "縮尺係数"}, {38, m[5]}, {68, m[6]}}));                         // 30
  L.push_back(Line({}));                                                                 // 31
  L.push_back(Line({{10, rule}}));                                                       // 32
  return page;
}

namespace {

QFont PageFont(double pointSize) {
  QFont font(QString::fromUtf8(kFontMincho));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(pointSize);
  return font;
}

// Draws one row: each run of characters from its column. A run is drawn in
// one piece when the font's advances already match the columns, else
// character by character, so the columns line up whatever the glyphs.
void DrawRow(QPainter& painter, const QFontMetricsF& fm, double columnWidth, double baseline,
             const std::string& row) {
  const std::vector<std::string> chars = Chars(row);
  int column = 1;
  std::size_t i = 0;
  while (i < chars.size()) {
    if (chars[i] == " ") {
      ++column;
      ++i;
      continue;
    }
    const int start = column;
    QString run;
    int runColumns = 0;
    std::size_t j = i;
    while (j < chars.size() && chars[j] != " ") {
      run += Q(chars[j]);
      runColumns += CharColumns(chars[j]);
      ++j;
    }
    const double x = (start - 1) * columnWidth;
    if (std::abs(fm.horizontalAdvance(run) - runColumns * columnWidth) < 0.5) {
      painter.drawText(QPointF(x, baseline), run);
    } else {
      int c = start;
      for (std::size_t k = i; k < j; ++k) {
        painter.drawText(QPointF((c - 1) * columnWidth, baseline), Q(chars[k]));
        c += CharColumns(chars[k]);
      }
    }
    column = start + runColumns;
    i = j;
  }
}

bool PrinterAvailable(QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
  return printer.isValid() && !printer.printerName().isEmpty();
}

}  // namespace

bool RenderResultPage(const ResultPage& page, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QFont base = PageFont(11.0);
  const double baseColumn = QFontMetricsF(base, &printer).horizontalAdvance(QLatin1Char('0'));
  // A printer with wide margins gets the page slightly smaller, never cut.
  const double needed = baseColumn * kPageColumns;
  const double available = printer.width();
  if (needed > available && needed > 0) painter.scale(available / needed, available / needed);
  double y = 0;
  for (const PageLine& line : page.lines) {
    const QFont font = PageFont(line.pointSize);
    painter.setFont(font);
    const QFontMetricsF fm(font, &printer);
    const double columnWidth = fm.horizontalAdvance(QLatin1Char('0'));
    for (const std::string& row : LayoutRows(line)) {
      DrawRow(painter, fm, columnWidth, y + fm.ascent(), row);
      y += fm.lineSpacing();
    }
  }
  const bool ended = painter.end();
  return ended && printer.printerState() != QPrinter::Error;
}

bool PrintResult(const PrintFields& fields, MessageService& messages, QPrinter& printer) {
  ResultPage page;
  try {
    page = BuildResultPage(fields);
  } catch (const std::exception&) {
    messages.Show(dtext::kPrintFailed, kProgramTitle, MessageIcon::kCritical);
    return false;
  }
  if (!PrinterAvailable(printer) || !RenderResultPage(page, printer)) {
    messages.Show(dtext::kPrintFailed, kProgramTitle, MessageIcon::kCritical);
    return false;
  }
  return true;
}

PrintFields ReadPrintFields(const FrmMain& w, const ModuleState& state) {
  PrintFields f;
  f.txtTB = U8(w.field(FrmMain::Field::kTB));
  f.txtJB = U8(w.field(FrmMain::Field::kJB));
  f.txtTL = U8(w.field(FrmMain::Field::kTL));
  f.txtJL = U8(w.field(FrmMain::Field::kJL));
  f.txtTkyx = U8(w.field(FrmMain::Field::kTkyx));
  f.txtJgdx = U8(w.field(FrmMain::Field::kJgdx));
  f.txtTkyy = U8(w.field(FrmMain::Field::kTkyy));
  f.txtJgdy = U8(w.field(FrmMain::Field::kJgdy));
  f.lblTkys = U8(w.field(FrmMain::Field::kTkys));
  f.lblJgds = U8(w.field(FrmMain::Field::kJgds));
  f.txtTkyh = U8(w.field(FrmMain::Field::kTkyh));
  f.txtJgdh = U8(w.field(FrmMain::Field::kJgdh));
  f.lblTkyn = U8(w.field(FrmMain::Field::kTkyn));
  f.lblJgdn = U8(w.field(FrmMain::Field::kJgdn));
  f.txtName = U8(w.field(FrmMain::Field::kName));
  f.latLonMode = w.latLonInput();
  f.paraFilePath = state.store.paraFilePath;
  f.paraVersion = state.store.VersionUtf8();
  f.paraRangeText = state.store.RangeTextUtf8();
  f.zoneNo = state.geo.zone.zoneNo;
  return f;
}

void PrintResult(FrmMain& main, const ModuleState& state, MessageService& messages,
                 QPrinter& printer) {
  PrintResult(ReadPrintFields(main, state), messages, printer);
  main.SetPrintEnabled(false);
}

}  // namespace varno::ui
