#include "batch/layout.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "codec/cp932.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/short_copy.h"
#include "text/version.h"

namespace varno::batch {

namespace {

// Header block pieces (UTF-8; encoded once per header).
constexpr std::string_view kBanner1 = "     ==========  座標変換プログラム Ver.";
constexpr std::string_view kBanner2 = "     （バイリニア補間法）";
constexpr std::string_view kBanner3 = "  ==========";
constexpr std::string_view kParaFileLabel = "      変換パラメータファイルの名称 : ";
constexpr std::string_view kXyVersionGap = "   ";
constexpr std::string_view kMethodLabel = "     変換パラメータ作成法 : ";
constexpr std::string_view kBlRangeLabel = "      変換パラメータの範囲        : ";
constexpr std::string_view kXyRangeLabel = "      変換パラメータの範囲         : ";
constexpr std::string_view kZoneLabel = "      変換パラメータの適用座標系   : ";
constexpr std::string_view kInFileLabel = " 系      計算入力ファイル名 : ";

// Column titles (U+3000 is the full-width space).
constexpr std::string_view kBlWithInput[] = {
    "   \u3000\u3000\u3000     震災前成果（入力値）                            震災後成果       "
    "（計算値）",
    "      緯度            経度            H             緯度            経度            X         "
    "   Y            H",
    " ddmmss.sssss   dddmmss.sssss         m        ddmmss.sssss   dddmmss.sssss         m         "
    "   m            m",
};
constexpr std::string_view kBlNoInput[] = {
    "                震災後成果      （計算値）",
    "     緯度            経度               X            Y            H ",
    " ddmmss.sssss   dddmmss.sssss           m            m            m ",
};
constexpr std::string_view kXyBlWithInput[] = {
    "   \u3000   \u3000震災前成果（入力値）                             震災後成果\u3000\u3000  "
    "（計算値）",
    "       X            Y            H            緯度            経度             X            Y "
    "           H ",
    "       m            m            m        ddmmss.sssss   dddmmss.sssss         m            m "
    "           m",
};
constexpr std::string_view kXyWithInput[] = {
    "            震災前成果(入力値)                      震災後成果   (計算値)",
    "     X(m)         Y(m)         H(m)           X(m)         Y(m)         H(m)",
};
constexpr std::string_view kXyBlNoInput[] = {
    "          \u3000\u3000\u3000     震災後成果  （計算値）",
    "     緯度            経度             X            Y            H",
    " ddmmss.sssss   dddmmss.sssss         m            m            m",
};
constexpr std::string_view kXyNoInput[] = {
    "          震災後成果(計算値)",
    "     X(m)         Y(m)        H(m)",
};

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kNotCorrected = "-9999. ";
constexpr std::size_t kLatWidth = 14;
constexpr std::size_t kLonWidth = 15;
constexpr std::size_t kValueWidth = 12;

enum PatternId { kInLat, kInLon, kXy, kH, kSec, kPatternCount };

// The column number patterns, parsed once, indexed by PatternId.
const NumberPattern* Patterns() {
  static const NumberPattern patterns[kPatternCount] = {
      NumberPattern("000000.00000"), NumberPattern("0000000.00000"), NumberPattern("######0.0000"),
      NumberPattern("####0.0000"),   NumberPattern("00.00000"),
  };
  return patterns;
}

char* Blanks(char* c, std::size_t n) {
  return BlanksShort(n, c);
}

// `text` in a cell of `width`: a longer text keeps its first `width` bytes, a
// shorter one is padded with blanks on the left (right-aligned) or the right.
char* PutCell(std::string_view text, std::size_t width, bool right, char* c) {
  if (text.size() >= width) return CopyShort(text.data(), width, c);
  if (right) c = Blanks(c, width - text.size());
  c = CopyShort(text.data(), text.size(), c);
  return right ? c : Blanks(c, width - text.size());
}

// A whole number as the patterns "#0" (minDigits 1) and "00" (minDigits 2)
// print it, without the general formatter: the degrees and minutes of every
// angle cell. At most 11 bytes.
char* PutWhole(int v, int minDigits, char* c) {
  if (v >= 0 && v < 100 && minDigits <= 2) {  // nearly every angle
    if (v >= 10 || minDigits == 2) *c++ = static_cast<char>('0' + v / 10);
    *c++ = static_cast<char>('0' + v % 10);
    return c;
  }
  char buf[16];
  const unsigned magnitude = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
  const char* end = std::to_chars(buf, buf + sizeof buf, magnitude).ptr;
  if (v < 0) *c++ = '-';
  const int digits = static_cast<int>(end - buf);
  if (digits < minDigits) c = std::fill_n(c, minDigits - digits, '0');
  return std::copy(static_cast<const char*>(buf), end, c);
}

void AppendLine(std::string_view utf8, std::string& out) {
  out.append(Utf8ToCp932(utf8));
  out.append(kCrLf);
}

// Length of the UTF-8 sequence starting with `lead`, 0 for a byte that cannot
// start one.
std::size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

std::vector<std::string_view> TitleLines(Converter c, bool withInput, bool angles) {
  auto lines = [](const auto& block) {
    return std::vector<std::string_view>(std::begin(block), std::end(block));
  };
  if (c == Converter::kBl) return withInput ? lines(kBlWithInput) : lines(kBlNoInput);
  if (angles) return withInput ? lines(kXyBlWithInput) : lines(kXyBlNoInput);
  return withInput ? lines(kXyWithInput) : lines(kXyNoInput);
}

std::string ToCp932Lenient(std::string_view utf8) {
  try {
    return Utf8ToCp932(utf8);
  } catch (const VarnoError&) {
  }
  std::string out;
  std::size_t p = 0;
  while (p < utf8.size()) {
    std::size_t len = Utf8Length(static_cast<unsigned char>(utf8[p]));
    if (len == 0 || p + len > utf8.size()) {
      out.push_back('?');
      ++p;
      continue;
    }
    try {
      out.append(Utf8ToCp932(utf8.substr(p, len)));
    } catch (const VarnoError&) {
      out.push_back('?');
    }
    p += len;
  }
  return out;
}

void AppendHeader(Converter c, bool withInput, bool angles, const HeaderFields& h,
                  std::string& out) {
  const bool bl = c == Converter::kBl;
  // 1: the result file's name alone at its column.
  out.append(kResultNameColumn - 1, ' ');
  out.append(h.outFileName);
  out.append(kCrLf);
  // 2: the banner with the program version.
  std::string banner(kBanner1);
  banner += std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
            std::to_string(kVersionRevision);
  banner += kBanner2;
  banner += kBanner3;
  AppendLine(banner, out);
  out.append(kCrLf);
  // 4: parameter file name and version.
  out.append(Utf8ToCp932(kParaFileLabel));
  out.append(h.paraFileName);
  if (!bl) out.append(kXyVersionGap);
  out.append(h.paraVersion);
  out.append(kCrLf);
  // 5: range and method texts.
  out.append(Utf8ToCp932(bl ? kBlRangeLabel : kXyRangeLabel));
  out.append(h.rangeText);
  out.append(Utf8ToCp932(kMethodLabel));
  out.append(h.methodText);
  out.append(kCrLf);
  // 6: zone and input file name.
  out.append(Utf8ToCp932(kZoneLabel));
  out.append(SpacedNumber(h.paraZoneNo));
  out.append(Utf8ToCp932(kInFileLabel));
  out.append(h.inFileName);
  out.append(kCrLf);
  out.append(kCrLf);
  for (std::string_view title : TitleLines(c, withInput, angles)) AppendLine(title, out);
  out.append(kCrLf);
}

LineBuilder::LineBuilder() : patterns_(Patterns()) {
  cell_.reserve(64);
}

char* LineBuilder::PutNumber(double v, int pattern, std::size_t width, bool right, char* c) {
  char buf[NumberPattern::kPlainBuffer];
  char* const end = buf + sizeof buf;
  if (const char* text = patterns_[pattern].PlainBefore(v, end)) {
    return PutCell(std::string_view(text, static_cast<std::size_t>(end - text)), width, right, c);
  }
  cell_.clear();
  patterns_[pattern].AppendTo(v, cell_);
  return PutCell(cell_, width, right, c);
}

// An input number: nearly every field is already written as its pattern
// prints it, and copying it costs a fraction of formatting the number. The
// input cells lie at the start of the line, well inside cells_, so the blanks
// go in as fixed 16-byte stores that may run past the cell; what runs past is
// written over by the cells after it.
char* LineBuilder::PutInput(double v, std::string_view text, int pattern, std::size_t width,
                            bool right, char* c) {
  static constexpr char kBlanks16[] = "                ";
  static_assert(kLatWidth <= 16 && kLonWidth <= 16 && kValueWidth <= 16 &&
                kLatWidth + kLonWidth + kValueWidth + 2 + 16 <= sizeof cells_);
  const std::optional<std::string_view> tail = patterns_[pattern].AsReadTail(text);
  const std::size_t size = text.size() + (tail ? tail->size() : 0);
  if (!tail || size > width) return PutNumber(v, pattern, width, right, c);
  char* t = c;
  if (right) {
    std::memcpy(c, kBlanks16, 16);
    t += width - size;
  }
  t = CopyShort(text.data(), text.size(), t);
  t = CopyShort(tail->data(), tail->size(), t);
  if (!right) std::memcpy(t, kBlanks16, 16);
  return c + width;
}

char* LineBuilder::PutAngle(const geo::DmsFormatted& a, std::size_t width, char* c) {
  char buf[NumberPattern::kPlainBuffer];
  char* const end = buf + sizeof buf;
  std::string_view secText;
  if (const char* sec = patterns_[kSec].PlainBefore(a.sec, end)) {
    secText = std::string_view(sec, static_cast<std::size_t>(end - sec));
  } else {
    cell_.clear();
    patterns_[kSec].AppendTo(a.sec, cell_);
    secText = cell_;
  }
  // The sign, "#0" degrees and "00" minutes before the seconds.
  char head[24];
  char* h = head;
  *h++ = a.sign;
  h = PutWhole(a.deg, 1, h);
  h = PutWhole(a.min, 2, h);
  const auto headSize = static_cast<std::size_t>(h - head);
  if (headSize >= width) return std::copy_n(head, width, c);
  c = std::copy(head, h, c);
  return PutCell(secText, width - headSize, false, c);
}

char* LineBuilder::PutInputLatLon(const PointColumns& p, char* c) {
  c = PutInput(p.in1, p.in1Text, kInLat, kLatWidth, false, c);
  *c++ = ' ';
  c = PutInput(p.in2, p.in2Text, kInLon, kLonWidth, false, c);
  *c++ = ' ';
  c = PutInput(p.inH, p.inHText, kH, kValueWidth, true, c);
  return Blanks(c, 3);
}

char* LineBuilder::PutInputXyh(const PointColumns& p, char* c) {
  c = PutInput(p.in1, p.in1Text, kXy, kValueWidth, true, c);
  *c++ = ' ';
  c = PutInput(p.in2, p.in2Text, kXy, kValueWidth, true, c);
  *c++ = ' ';
  c = PutInput(p.inH, p.inHText, kH, kValueWidth, true, c);
  return Blanks(c, 3);
}

// Both result angle columns, separated by one blank (nothing after them).
char* LineBuilder::PutAngles(const PointColumns& p, char* c) {
  if (p.corrected) {
    c = PutAngle(p.lat, kLatWidth, c);
    *c++ = ' ';
    return PutAngle(p.lon, kLonWidth, c);
  }
  c = PutCell(kNotCorrected, kLatWidth, true, c);
  *c++ = ' ';
  return PutCell(kNotCorrected, kLonWidth, true, c);
}

// Result X, Y, H and the blanks before the name.
char* LineBuilder::PutResultXyh(const PointColumns& p, char* c) {
  if (p.corrected) {
    c = PutNumber(p.x2, kXy, kValueWidth, true, c);
    *c++ = ' ';
    c = PutNumber(p.y2, kXy, kValueWidth, true, c);
    *c++ = ' ';
    c = PutNumber(p.h2, kH, kValueWidth, true, c);
  } else {
    c = Blanks(c, 3 * kValueWidth + 2);
  }
  return Blanks(c, 5);
}

void LineBuilder::Finish(const char* c, const PointColumns& p, std::string& out) {
  // The usual short name and status join the cells, and the line is appended
  // at once.
  const std::size_t used = static_cast<std::size_t>(c - cells_);
  if (p.name.size() + p.status.size() + 4 <= sizeof cells_ - used) {
    char* e = cells_ + used;
    e = CopyShort(p.name.data(), p.name.size(), e);
    e = BlanksShort(2, e);
    e = CopyShort(p.status.data(), p.status.size(), e);
    *e++ = '\r';
    *e++ = '\n';
    out.append(cells_, static_cast<std::size_t>(e - cells_));
    return;
  }
  out.append(cells_, used);
  out.append(p.name);
  if (p.status.empty()) {
    out.append("  \r\n");
    return;
  }
  out.append(2, ' ');
  out.append(p.status);
  out.append(kCrLf);
}

void LineBuilder::AppendBl(bool withInput, const PointColumns& p, std::string& out) {
  char* c = cells_;
  if (withInput) c = PutInputLatLon(p, c);
  c = PutAngles(p, c);
  // Without the input columns this layout has three blanks before X.
  c = Blanks(c, withInput ? 1 : 3);
  Finish(PutResultXyh(p, c), p, out);
}

void LineBuilder::AppendXy(bool withInput, bool angles, const PointColumns& p, std::string& out) {
  char* c = cells_;
  if (withInput) c = PutInputXyh(p, c);
  if (angles) {
    c = PutAngles(p, c);
    *c++ = ' ';
  }
  Finish(PutResultXyh(p, c), p, out);
}

}  // namespace varno::batch
