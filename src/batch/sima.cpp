#include "batch/sima.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "batch/corrector.h"
#include "batch/layout.h"
#include "codec/cp932.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"
#include "text/quote.h"
#include "text/short_copy.h"

namespace varno::batch::sima {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kPointType = "A01";
constexpr int kNeededFields = 5;  // up to Y

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

inline std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The number of a field (blanks around it allowed); false when it is not a
// plain decimal number or is too large for a Double.
bool FieldNumber(std::string_view field, double& value) {
  return ReadNumber(field, value) == NumberRead::kOk;
}

// The first comma at or after `q`, or the record's end, eight bytes at a
// time: fields are short, and a library search costs more than it saves.
std::size_t NextComma(std::string_view r, std::size_t q) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    for (; q + 8 <= r.size(); q += 8) {
      uint64_t w = 0;
      std::memcpy(&w, r.data() + q, 8);
      const uint64_t x = w ^ (kOnes * ',');  // zero bytes where the commas are
      // The lowest flag marks the first zero byte exactly: borrows run upwards.
      const uint64_t found = (x - kOnes) & ~x & kHigh;
      if (found != 0) return q + static_cast<std::size_t>(std::countr_zero(found) / 8);
    }
  }
  while (q < r.size() && r[q] != ',') ++q;
  return q;
}

// The byte after the closing quote of the quoted text that opens at `q`
// ("" inside stands for one quote); false when the quote is not closed.
bool SkipQuoted(std::string_view r, std::size_t& q) {
  std::size_t c = q + 1;
  for (;;) {
    c = r.find('"', c);
    if (c == std::string_view::npos) return false;
    if (c + 1 < r.size() && r[c + 1] == '"') {
      c += 2;
      continue;
    }
    break;
  }
  q = c + 1;
  return true;
}

// The end of the field that starts at `p`: the next comma outside quotes, or
// the end of the record. A field whose first non-blank byte is a quote runs to
// its closing quote first. CP932 trail bytes are never a comma or a quote, so
// the record can be scanned as bytes.
bool FieldEnd(std::string_view r, std::size_t p, std::size_t& end) {
  std::size_t q = p;
  while (q < r.size() && IsBlank(r[q])) ++q;
  if (q < r.size() && r[q] == '"' && !SkipQuoted(r, q)) return false;
  end = NextComma(r, q);
  return true;
}

std::size_t OffsetIn(std::string_view whole, std::string_view part) {
  return static_cast<std::size_t>(part.data() - whole.data());
}

// NumberPattern "0.000…" for the given decimals; the usual ones are made once.
const NumberPattern& DecimalsPattern(int decimals, std::unique_ptr<NumberPattern>& local) {
  constexpr int kCommon = 10;
  static const std::array<NumberPattern, kCommon> common = [] {
    auto make = [](int d) {
      return NumberPattern("0." + std::string(static_cast<std::size_t>(d), '0'));
    };
    return std::array<NumberPattern, kCommon>{make(3), make(4), make(5),  make(6),  make(7),
                                              make(8), make(9), make(10), make(11), make(12)};
  }();
  if (decimals - 3 < kCommon) return common[static_cast<std::size_t>(decimals - 3)];
  local =
      std::make_unique<NumberPattern>("0." + std::string(static_cast<std::size_t>(decimals), '0'));
  return *local;
}

// The digits after the decimal point of a number without blanks, at least 3.
int DecimalsOf(std::string_view number) {
  const std::size_t point = number.find('.');
  int decimals = 0;
  if (point != std::string_view::npos) decimals = static_cast<int>(number.size() - point - 1);
  return decimals < 3 ? 3 : decimals;
}

// `value` with the decimals of `number` (a field's text without blanks).
void FormatForField(std::string_view number, double value, NumberText& text) {
  std::unique_ptr<NumberPattern> local;
  text.Write(DecimalsPattern(DecimalsOf(number), local), value);
}

// A number field and what replaces its number: `text` goes right-aligned into
// the width of the field's leading blanks and number (`number` is the field's
// text without blanks, a view into it), the field's trailing blanks stay.
struct Placement {
  std::string_view field, number, text;

  std::size_t Width() const { return OffsetIn(field, number) + number.size(); }
  std::size_t Trail() const { return field.size() - Width(); }
  // The bytes the field takes once the text is placed.
  std::size_t Size() const { return std::max(text.size(), Width()) + Trail(); }
  // Writes the field with the text placed at `o`; returns the end.
  char* Put(char* o) const {
    const std::size_t width = Width();
    if (text.size() < width) o = std::fill_n(o, width - text.size(), ' ');
    o = std::copy(text.begin(), text.end(), o);
    return std::copy(field.begin() + static_cast<std::ptrdiff_t>(width), field.end(), o);
  }
};

}  // namespace

void NumberText::Write(const NumberPattern& pattern, double value) {
  char* const end = room_.data() + room_.size();
  if (const char* begin = pattern.PlainBefore(value, end)) {
    begin_ = static_cast<std::size_t>(begin - room_.data());
    general_ = false;
    return;
  }
  text_.clear();
  pattern.AppendTo(value, text_);
  general_ = true;
}

std::string_view ProblemText(Problem p) {
  switch (p) {
    case Problem::kNone:
      return {};
    case Problem::kTooFewFields:
      return "項目が足りません";
    case Problem::kUnterminatedQuote:
      return "引用符 \" が閉じていません";
    case Problem::kInvalidText:
      return "点番号または点名に不正な文字コードがあります";
    case Problem::kXNotNumber:
      return "X が数値ではありません";
    case Problem::kYNotNumber:
      return "Y が数値ではありません";
    case Problem::kHNotNumber:
      return "H が数値ではありません";
  }
  return {};
}

namespace {

// A record has six fields in this order: type, point number, name, X, Y, H.
constexpr int kFieldCount = 6;

// Splits `record` into the fields of `f` as far as it reaches (fields beyond
// its end are left as they are); returns how many fields, the type included,
// were found, or 0 when the type is not A01. `terminated` is cleared when an
// unterminated quote takes the rest.
int SplitFields(std::string_view record, PointFields& f, bool& terminated) {
  std::string_view type;
  std::string_view* const fields[kFieldCount] = {&type, &f.number, &f.name, &f.x, &f.y, &f.h};
  int count = 0;
  terminated = true;
  for (std::size_t p = 0; count < kFieldCount;) {
    std::string_view& field = *fields[count++];
    std::size_t end = 0;
    if (!FieldEnd(record, p, end)) {  // an unterminated quote takes the rest
      terminated = false;
      field = record.substr(p);
    } else {
      field = record.substr(p, end - p);
    }
    if (count == 1 && Trim(type) != kPointType) return 0;
    if (!terminated || end >= record.size()) break;
    p = end + 1;
  }
  return count;
}

// What the first 64 bytes of a record hold: bit i of `commas` is set when
// byte i is a comma; `quotes` and `blanks` are not 0 when one of those bytes
// is a quote or a blank (space or tab).
struct Marks {
  uint64_t commas = 0;
  uint32_t quotes = 0, blanks = 0;
};

// Marks for the 16 bytes at `p`, one bit per byte.
inline void Mark16(const char* p, uint32_t& commas, uint32_t& quotes, uint32_t& blanks) {
#if defined(__SSE2__)
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  auto equal = [&](char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
  commas = static_cast<uint32_t>(_mm_movemask_epi8(equal(',')));
  quotes = static_cast<uint32_t>(_mm_movemask_epi8(equal('"')));
  blanks = static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(equal(' '), equal('\t'))));
#else
  commas = quotes = blanks = 0;
  for (unsigned i = 0; i < 16; ++i) {
    commas |= uint32_t{p[i] == ','} << i;
    quotes |= uint32_t{p[i] == '"'} << i;
    blanks |= uint32_t{IsBlank(p[i])} << i;
  }
#endif
}

// A record of at least 16 bytes, 16 at a time; where fewer than 16 remain,
// the record's last 16 are read (all within the 64) and the commas already
// seen dropped.
Marks MarkFirst64(std::string_view record) {
  const std::size_t n = record.size(), span = std::min<std::size_t>(n, 64);
  Marks m;
  for (std::size_t i = 0; i < span; i += 16) {
    const std::size_t at = std::min(i, n - 16);
    uint32_t commas = 0, quotes = 0, blanks = 0;
    Mark16(record.data() + at, commas, quotes, blanks);
    m.commas |= uint64_t{commas >> (i - at)} << i;
    m.quotes |= quotes;
    m.blanks |= blanks;
  }
  return m;
}

// The usual record: "A01," first, at least 16 bytes, no quote among its first
// 64 and, if longer, six commas among them. Its fields are then exactly the
// runs between commas, as SplitFields finds them: its blank skipping and
// quote handling only matter at a quote, and the type is "A01". Returns what
// SplitFields returns (terminated is true), or -1, having set no field, for
// any other record. `blankFree` tells that no field holds a blank.
int SplitPlainFields(std::string_view record, PointFields& f, bool& blankFree) {
  const std::size_t n = record.size();
  if (n < 16 || record.substr(0, 4) != "A01,") return -1;
  const Marks m = MarkFirst64(record);
  if (m.quotes != 0 || (n > 64 && std::popcount(m.commas) < kFieldCount)) return -1;
  blankFree = m.blanks == 0;
  uint64_t commas = m.commas & (m.commas - 1);  // those after the type's, at 3
  std::size_t p = 4;
  int count = 1;
  // Sets the next field; false when it is the last: the field after the last
  // comma runs to the record's end.
  auto next = [&](std::string_view& field) {
    ++count;
    if (commas == 0) {
      field = record.substr(p);
      return false;
    }
    const auto comma = static_cast<std::size_t>(std::countr_zero(commas));
    field = std::string_view(record.data() + p, comma - p);
    p = comma + 1;
    commas &= commas - 1;
    return true;
  };
  next(f.number) && next(f.name) && next(f.x) && next(f.y) && next(f.h);
  return count;
}

// The checks and numbers of an A01 record whose fields are split. Without a
// blank in any field, each field is its own text.
void ReadPoint(int count, bool terminated, bool blankFree, ParsedRecord& r) {
  PointFields& f = r.fields;
  r.isPoint = true;
  auto text = [blankFree](std::string_view field) { return blankFree ? field : Trim(field); };
  f.numberText = text(f.number);
  f.nameText = text(f.name);
  f.xText = text(f.x);
  f.yText = text(f.y);
  f.hText = text(f.h);
  f.hasH = !f.hText.empty();
  if (!terminated) {
    r.problem = Problem::kUnterminatedQuote;
  } else if (count < kNeededFields) {
    r.problem = Problem::kTooFewFields;
  } else if (!IsValidCp932(f.numberText) || !IsValidCp932(f.nameText)) {
    r.problem = Problem::kInvalidText;
  } else if (!FieldNumber(f.xText, r.x)) {
    r.problem = Problem::kXNotNumber;
  } else if (!FieldNumber(f.yText, r.y)) {
    r.problem = Problem::kYNotNumber;
  } else if (f.hasH && !FieldNumber(f.hText, r.h)) {
    r.problem = Problem::kHNotNumber;
  }
}

}  // namespace

namespace detail {

ParsedRecord ParseRecordGeneral(std::string_view record) {
  ParsedRecord r;
  bool terminated = true;
  const int count = SplitFields(record, r.fields, terminated);
  if (count == 0) return r;
  ReadPoint(count, terminated, false, r);
  return r;
}

}  // namespace detail

ParsedRecord ParseRecord(std::string_view record) {
  ParsedRecord r;
  bool terminated = true, blankFree = false;
  int count = SplitPlainFields(record, r.fields, blankFree);
  if (count < 0) count = SplitFields(record, r.fields, terminated);
  if (count == 0) return r;
  ReadPoint(count, terminated, blankFree, r);
  return r;
}

int FieldDecimals(std::string_view field) {
  return DecimalsOf(Trim(field));
}

void AppendNumberInField(std::string_view field, double value, std::string& out) {
  const std::string_view number = Trim(field);
  NumberText text;
  FormatForField(number, value, text);
  const Placement placed{field, number, text};
  const std::size_t at = out.size();
  out.resize(at + placed.Size());
  placed.Put(out.data() + at);
}

RecordResult ConvertRecord(std::string_view record, const PointCorrector& corrector,
                           std::string& out) {
  return ConvertRecord(record, ParseRecord(record), corrector, out);
}

RecordResult ConvertRecord(std::string_view record, const ParsedRecord& p,
                           const PointCorrector& corrector, std::string& out) {
  RecordResult r;
  r.isPoint = p.isPoint;
  r.problem = p.problem;
  r.fields = p.fields;
  if (!p.isPoint || p.problem != Problem::kNone) {
    if (p.isPoint) r.reason = ProblemText(p.problem);
    out.append(record);
    out.append(kCrLf);
    return r;
  }
  r.hasPlane = true;
  r.x = p.x;
  r.y = p.y;
  const CorrectedPoint c = corrector.Correct(p.x, p.y, p.fields.hasH ? p.h : 0.0);
  r.outcome = c.outcome;
  if (c.outcome == PointOutcome::kNotConverted) {
    r.reason = c.reason;
    out.append(record);
    out.append(kCrLf);
    return r;
  }
  r.corrected = true;
  r.x2Value = c.x;
  r.y2Value = c.y;
  r.h2Value = c.h;
  const PointFields& f = p.fields;
  FormatForField(f.xText, c.x, r.x2);
  FormatForField(f.yText, c.y, r.y2);
  if (f.hasH) FormatForField(f.hText, c.h, r.h2);
  // The record is sized first and written in place: the bytes between the
  // numbers as read, each number in its field.
  const Placement placed[] = {{f.x, f.xText, r.x2}, {f.y, f.yText, r.y2}, {f.h, f.hText, r.h2}};
  const std::span<const Placement> numbers(placed, f.hasH ? 3 : 2);
  std::size_t size = record.size() + kCrLf.size();
  for (const Placement& n : numbers) size += n.Size() - n.field.size();
  const std::size_t at = out.size();
  out.resize(at + size);
  char* o = out.data() + at;
  auto copy = [&](std::size_t from, std::size_t to) {
    o = std::copy(record.begin() + static_cast<std::ptrdiff_t>(from),
                  record.begin() + static_cast<std::ptrdiff_t>(to), o);
  };
  std::size_t rest = 0;
  for (const Placement& n : numbers) {
    const std::size_t fieldAt = OffsetIn(record, n.field);
    copy(rest, fieldAt);
    o = n.Put(o);
    rest = fieldAt + n.field.size();
  }
  copy(rest, record.size());
  std::copy(kCrLf.begin(), kCrLf.end(), o);
  return r;
}

namespace {

// Report columns: record number, point number, name, X/Y/H before, X/Y/H after.
constexpr std::size_t kRecordWidth = 8;
constexpr std::size_t kNumberWidth = 8;
constexpr std::size_t kNameWidth = 16;
constexpr std::size_t kValueWidth = 14;

// `text` with the bytes that are not CP932 shown as "?", held in `scratch`.
std::string_view Replaced(std::string_view text, std::string& scratch) {
  scratch = ToCp932Lenient(Cp932ToUtf8(text));
  return scratch;
}

// The outcome texts of the report (those of a converted point with the line's
// CR LF), and the reasons the program gives, in CP932, made once: a report
// line converts no text.
struct OutcomeTexts {
  std::string grid = ToCp932Lenient("変換ﾊﾟﾗﾒｰﾀ\r\n");
  std::string rep = ToCp932Lenient("代表点\r\n");
  std::string notConverted = ToCp932Lenient("未変換 (");
  std::vector<std::pair<std::string_view, std::string>> reasons;
  OutcomeTexts() {
    for (Problem p : {Problem::kTooFewFields, Problem::kUnterminatedQuote, Problem::kInvalidText,
                      Problem::kXNotNumber, Problem::kYNotNumber, Problem::kHNotNumber})
      reasons.emplace_back(ProblemText(p), ToCp932Lenient(ProblemText(p)));
    reasons.emplace_back(kNoParametersReason, ToCp932Lenient(kNoParametersReason));
  }
};

const OutcomeTexts& Outcomes() {
  static const OutcomeTexts texts;
  return texts;
}

// A report line: its columns and the text that ends it (the outcome and CR
// LF), written straight into `out`: the line is made of blanks at once, then
// each text is copied to its place.
void PutColumns(std::string_view record, std::string_view number, std::string_view name,
                const std::string_view (&values)[6], std::string_view tail, std::string& out) {
  auto cell = [](std::string_view text, std::size_t width) { return std::max(text.size(), width); };
  std::size_t size =
      cell(record, kRecordWidth) + 1 + cell(number, kNumberWidth) + 1 + cell(name, kNameWidth) + 2;
  for (std::string_view v : values) size += 1 + cell(v, kValueWidth);
  size += tail.size();
  const std::size_t at = out.size();
  out.resize(at + size, ' ');
  char* p = out.data() + at;
  auto left = [&](std::string_view text, std::size_t width) {
    CopyShort(text.data(), text.size(), p);
    p += cell(text, width) + 1;
  };
  auto right = [&](std::string_view text, std::size_t width) {
    const std::size_t w = cell(text, width);
    CopyShort(text.data(), text.size(), p + (w - text.size()));
    p += w + 1;
  };
  right(record, kRecordWidth);
  left(number, kNumberWidth);
  left(name, kNameWidth);
  for (std::string_view v : values) right(v, kValueWidth);
  ++p;  // the second blank before the outcome
  CopyShort(tail.data(), tail.size(), p);
}

std::string_view ModeText(int mode) {
  switch (mode) {
    case 1:
      return "1 (任意ﾊﾟﾗﾒｰﾀ。ないところは代表点)";
    case 3:
      return "3 (すべて代表点)";
    default:
      return "2 (任意ﾊﾟﾗﾒｰﾀ。ないところは変換しない)";
  }
}

void AppendUtf8(std::string_view utf8, std::string& out) {
  out.append(ToCp932Lenient(utf8));
}

// The report line of an A01 record, given its point number, name and X/Y/H
// as shown (CP932).
void PutReportLine(long long recordNo, const std::string_view (&texts)[5], const RecordResult& r,
                   std::string& out) {
  const bool converted = r.outcome != PointOutcome::kNotConverted;
  const std::string_view none;
  const std::string_view values[6] = {texts[2],
                                      texts[3],
                                      texts[4],
                                      converted ? std::string_view(r.x2) : none,
                                      converted ? std::string_view(r.y2) : none,
                                      converted ? std::string_view(r.h2) : none};
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, recordNo);
  const std::string_view number(digits, static_cast<std::size_t>(end - digits));
  const OutcomeTexts& outcomes = Outcomes();
  switch (r.outcome) {
    case PointOutcome::kGrid:
      PutColumns(number, texts[0], texts[1], values, outcomes.grid, out);
      return;
    case PointOutcome::kRep:
      PutColumns(number, texts[0], texts[1], values, outcomes.rep, out);
      return;
    case PointOutcome::kNotConverted:
      break;
  }
  const auto known = std::find_if(outcomes.reasons.begin(), outcomes.reasons.end(),
                                  [&](const auto& t) { return t.first == r.reason; });
  const std::string tail =
      outcomes.notConverted +
      (known != outcomes.reasons.end() ? known->second : ToCp932Lenient(r.reason)) + ")\r\n";
  PutColumns(number, texts[0], texts[1], values, tail, out);
}

}  // namespace

std::string ReportPathFor(std::string_view resultPath) {
  const std::size_t slash = resultPath.find_last_of("/\\");
  const std::size_t nameAt = slash == std::string_view::npos ? 0 : slash + 1;
  std::size_t dot = resultPath.rfind('.');
  if (dot == std::string_view::npos || dot <= nameAt) dot = resultPath.size();
  return std::string(resultPath.substr(0, dot)) + "_report.txt";
}

void AppendReportHeader(const ReportHeader& h, std::string& out) {
  AppendUtf8(
      "     ==========  SIMA座標ﾃﾞｰﾀ 変換報告  震災前成果(2000) → 震災後成果(2011)  ==========",
      out);
  out.append(kCrLf);
  out.append(kCrLf);
  AppendUtf8("      入力ファイル           : ", out);
  out.append(h.inFileName);
  out.append(kCrLf);
  AppendUtf8("      結果ファイル           : ", out);
  out.append(h.outFileName);
  out.append(kCrLf);
  AppendUtf8("      変換パラメータファイル : ", out);
  out.append(h.paraFileName);
  out.append("   ");
  out.append(h.paraVersion);
  out.append(kCrLf);
  AppendUtf8("      座標系                 : " + SpacedNumber(h.zoneNo) + " 系", out);
  out.append(kCrLf);
  AppendUtf8("      変換方法               : ", out);
  AppendUtf8(ModeText(h.mode), out);
  out.append(kCrLf);
  out.append(kCrLf);
  const std::string titles[] = {ToCp932Lenient("X(変換前)"), ToCp932Lenient("Y(変換前)"),
                                ToCp932Lenient("H(変換前)"), ToCp932Lenient("X(変換後)"),
                                ToCp932Lenient("Y(変換後)"), ToCp932Lenient("H(変換後)")};
  const std::string_view values[6] = {titles[0], titles[1], titles[2],
                                      titles[3], titles[4], titles[5]};
  PutColumns(ToCp932Lenient("ﾚｺｰﾄﾞ"), ToCp932Lenient("点番号"), ToCp932Lenient("点名"), values,
             ToCp932Lenient("結果\r\n"), out);
  out.append(kCrLf);
}

void AppendReportLine(long long recordNo, const RecordResult& r, std::string& out) {
  if (!r.isPoint) return;
  const PointFields& f = r.fields;
  std::string_view texts[5] = {f.numberText, f.nameText, f.xText, f.yText, f.hText};
  if (r.problem == Problem::kNone) {
    PutReportLine(recordNo, texts, r, out);
    return;
  }
  // Only a record with a problem may hold bytes that are not CP932: the
  // report shows them as "?", so that a CP932 file stays one.
  std::string scratch[std::size(texts)];
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    if (!IsValidCp932(texts[i])) texts[i] = Replaced(texts[i], scratch[i]);
  }
  PutReportLine(recordNo, texts, r, out);
}

void AppendReportSummary(const ReportCounts& c, std::string& out) {
  out.append(kCrLf);
  AppendUtf8("      A01 点数 :" + SpacedNumber(c.points) +
                 "    変換ﾊﾟﾗﾒｰﾀ :" + SpacedNumber(c.grid) + "    代表点 :" + SpacedNumber(c.rep) +
                 "    未変換 :" + SpacedNumber(c.notConverted),
             out);
  out.append(kCrLf);
}

std::string NotConvertedLine(long long recordNo, const RecordResult& r) {
  auto shown = [](std::string_view field) {
    const std::string_view t = Trim(field);
    // Printable ASCII reads the same in CP932: no decoder needed.
    if (std::all_of(t.begin(), t.end(), [](char c) { return c >= 0x20 && c < 0x7f; }))
      return std::string(t);
    std::string u = Cp932ToUtf8(t);
    ControlsAsQuestionMarks(u);
    return u;
  };
  return "ﾚｺｰﾄﾞ " + std::to_string(recordNo) + ": 点番号 " + shown(r.fields.number) + "  点名 " +
         shown(r.fields.name) + "  (" + r.reason + ")";
}

void CountRecord(const RecordResult& r, ReportCounts& c) {
  if (!r.isPoint) return;
  ++c.points;
  switch (r.outcome) {
    case PointOutcome::kGrid:
      ++c.grid;
      break;
    case PointOutcome::kRep:
      ++c.rep;
      break;
    case PointOutcome::kNotConverted:
      ++c.notConverted;
      break;
  }
}

}  // namespace varno::batch::sima
