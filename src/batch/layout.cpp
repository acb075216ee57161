#include "batch/layout.h"

#include <charconv>

#include "codec/cp932.h"
#include "text/errors.h"
#include "text/format.h"
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

void PutLeft(std::string_view text, std::size_t width, std::string& out) {
  if (text.size() >= width) {
    out.append(text.substr(0, width));
  } else {
    out.append(text);
    out.append(width - text.size(), ' ');
  }
}

void PutRight(std::string_view text, std::size_t width, std::string& out) {
  if (text.size() >= width) {
    out.append(text.substr(0, width));
  } else {
    out.append(width - text.size(), ' ');
    out.append(text);
  }
}

// A whole number as the patterns "#0" (minDigits 1) and "00" (minDigits 2)
// print it, without the general formatter: the degrees and minutes of every
// angle cell.
void PutWhole(int v, int minDigits, std::string& out) {
  if (v >= 0 && v < 100 && minDigits <= 2) {  // nearly every angle
    if (v >= 10 || minDigits == 2) out.push_back(static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
    return;
  }
  char buf[16];
  const unsigned magnitude = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
  const char* end = std::to_chars(buf, buf + sizeof buf, magnitude).ptr;
  if (v < 0) out.push_back('-');
  const int digits = static_cast<int>(end - buf);
  if (digits < minDigits) out.append(static_cast<std::size_t>(minDigits - digits), '0');
  out.append(buf, static_cast<std::size_t>(end - buf));
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

void LineBuilder::PutNumber(double v, int pattern, std::size_t width, bool right,
                            std::string& out) {
  // Formatted in place, then cut or padded to the cell as PutRight / PutLeft do.
  const std::size_t start = out.size();
  patterns_[pattern].AppendTo(v, out);
  const std::size_t length = out.size() - start;
  if (length >= width) {
    out.resize(start + width);
  } else if (right) {
    out.insert(start, width - length, ' ');
  } else {
    out.append(width - length, ' ');
  }
}

void LineBuilder::PutAngle(const geo::DmsFormatted& a, std::size_t width, std::string& out) {
  cell_.clear();
  cell_.push_back(a.sign);
  PutWhole(a.deg, 1, cell_);  // "#0"
  PutWhole(a.min, 2, cell_);  // "00"
  patterns_[kSec].AppendTo(a.sec, cell_);
  PutLeft(cell_, width, out);
}

void LineBuilder::PutInputLatLon(const PointColumns& p, std::string& out) {
  PutNumber(p.in1, kInLat, kLatWidth, false, out);
  out.push_back(' ');
  PutNumber(p.in2, kInLon, kLonWidth, false, out);
  out.push_back(' ');
  PutNumber(p.inH, kH, kValueWidth, true, out);
  out.append(3, ' ');
}

void LineBuilder::PutInputXyh(const PointColumns& p, std::string& out) {
  PutNumber(p.in1, kXy, kValueWidth, true, out);
  out.push_back(' ');
  PutNumber(p.in2, kXy, kValueWidth, true, out);
  out.push_back(' ');
  PutNumber(p.inH, kH, kValueWidth, true, out);
  out.append(3, ' ');
}

// Both result angle columns, separated by one blank (nothing after them).
void LineBuilder::PutAngles(const PointColumns& p, std::string& out) {
  if (p.corrected) {
    PutAngle(p.lat, kLatWidth, out);
    out.push_back(' ');
    PutAngle(p.lon, kLonWidth, out);
  } else {
    PutRight(kNotCorrected, kLatWidth, out);
    out.push_back(' ');
    PutRight(kNotCorrected, kLonWidth, out);
  }
}

// Result X, Y, H, then the name and the status.
void LineBuilder::PutResultXyh(const PointColumns& p, std::string& out) {
  if (p.corrected) {
    PutNumber(p.x2, kXy, kValueWidth, true, out);
    out.push_back(' ');
    PutNumber(p.y2, kXy, kValueWidth, true, out);
    out.push_back(' ');
    PutNumber(p.h2, kH, kValueWidth, true, out);
  } else {
    out.append(3 * kValueWidth + 2, ' ');
  }
  out.append(5, ' ');
  out.append(p.name);
  out.append(2, ' ');
  out.append(p.status);
  out.append(kCrLf);
}

void LineBuilder::AppendBl(bool withInput, const PointColumns& p, std::string& out) {
  if (withInput) PutInputLatLon(p, out);
  PutAngles(p, out);
  // Without the input columns this layout has three blanks before X.
  out.append(withInput ? 1 : 3, ' ');
  PutResultXyh(p, out);
}

void LineBuilder::AppendXy(bool withInput, bool angles, const PointColumns& p, std::string& out) {
  if (withInput) PutInputXyh(p, out);
  if (angles) {
    PutAngles(p, out);
    out.push_back(' ');
  }
  PutResultXyh(p, out);
}

}  // namespace varno::batch
