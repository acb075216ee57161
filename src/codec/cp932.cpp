#include "codec/cp932.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <bitset>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "text/errors.h"
#include "text/quote.h"

namespace varno {

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// "windows-932" maps 0x5C to "\" and 0x7E to "~" and holds the NEC and IBM
// extensions, as Windows does.
Converter OpenCp932() {
  UErrorCode err = U_ZERO_ERROR;
  Converter c(ucnv_open("windows-932", &err));
  if (U_FAILURE(err)) throw FileError(kErrFileNotFound, "CP932 の変換表が見つかりません。");
  return c;
}

// Every byte sequence that is not CP932 becomes one U+FFFD.
void ReplaceInvalid(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                    UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone
  const UChar replacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

std::u16string ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0;
    int len = 0;
    if (b < 0x80) {
      cp = b, len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F, len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F, len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07, len = 4;
    } else {
      throw ConversionError("不正な UTF-8");
    }
    if (i + len > utf8.size()) throw ConversionError("不正な UTF-8");
    for (int k = 1; k < len; ++k) {
      const auto t = static_cast<unsigned char>(utf8[i + k]);
      if ((t & 0xC0) != 0x80) throw ConversionError("不正な UTF-8");
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
  std::string out;
  if (bytes.empty()) return out;
  UErrorCode err = U_ZERO_ERROR;
  Converter c(ucnv_open("windows-932", &err));
  if (U_FAILURE(err)) {  // no table: keep ASCII, mark the rest
    for (char ch : bytes) out += static_cast<unsigned char>(ch) < 0x80 ? ch : '?';
    return out;
  }
  ucnv_setToUCallBack(c.get(), ReplaceInvalid, nullptr, nullptr, nullptr, &err);
  std::vector<UChar> buf(bytes.size() + 1);
  err = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(c.get(), buf.data(), static_cast<int32_t>(buf.size()),
                                  bytes.data(), static_cast<int32_t>(bytes.size()), &err);
  out.reserve(bytes.size() * 3 / 2);
  for (int32_t i = 0; i < n && i < static_cast<int32_t>(buf.size()); ++i) {
    char32_t cp = buf[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && buf[i + 1] >= 0xDC00 && buf[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (buf[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(cp, out);
  }
  return out;
}

namespace {

// The first character of `u16` that CP932 cannot hold, with its 1-based line
// (lines end at LF) and column (characters); the converter stops at errors.
NotCp932Error FirstUnencodable(UConverter* c, const std::u16string& u16) {
  long line = 1, column = 0;
  char buf[8];
  for (std::size_t i = 0; i < u16.size();) {
    const std::size_t len = (u16[i] >= 0xD800 && u16[i] <= 0xDBFF && i + 1 < u16.size()) ? 2 : 1;
    ++column;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_resetFromUnicode(c);
    ucnv_fromUChars(c, buf, sizeof buf, reinterpret_cast<const UChar*>(u16.data() + i),
                    static_cast<int32_t>(len), &err);
    if (U_FAILURE(err)) {
      char32_t cp = u16[i];
      if (len == 2) cp = 0x10000 + ((cp - 0xD800) << 10) + (u16[i + 1] - 0xDC00);
      std::string ch;
      AppendUtf8(cp, ch);
      return NotCp932Error(ch, cp, line, column);
    }
    if (u16[i] == u'\n') ++line, column = 0;
    i += len;
  }
  return NotCp932Error("?", 0xFFFD, line, column);
}

std::string HexCode(char32_t cp) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (int shift = cp > 0xFFFF ? 16 : 12; shift >= 0; shift -= 4) s += kHex[(cp >> shift) & 0xF];
  return "U+" + s;
}

}  // namespace

NotCp932Error::NotCp932Error(const std::string& character, char32_t codePoint, long line,
                             long column)
    : VarnoError(ErrorKind::kOther, kErrTypeMismatch,
                 "「" + QuoteField(character) + "」(" + HexCode(codePoint) +
                     ") は CP932 で表せません（" + std::to_string(line) + "行 " +
                     std::to_string(column) + "列）。"),
      line_(line),
      column_(column) {}

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  const std::u16string u16 = ToUtf16(utf8);
  Converter c = OpenCp932();
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  std::string out(u16.size() * 2 + 2, '\0');
  err = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(c.get(), out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(u16.data()),
                                    static_cast<int32_t>(u16.size()), &err);
  // Named by the character and where it stands, never by the whole text.
  if (U_FAILURE(err)) throw FirstUnencodable(c.get(), u16);
  out.resize(n);
  return out;
}

std::string QuoteCp932Field(std::string_view bytes) {
  // Two bytes at most per character: enough to hold one character more than
  // is shown, so that a cut is noticed; a long field is not decoded whole.
  constexpr std::size_t kBytes = 2 * kQuotedFieldChars + 2;
  return QuoteField(Cp932ToUtf8(bytes.substr(0, kBytes)));
}

namespace {

// Which single bytes windows-932 maps, asked of ICU once: the converter is
// stateless, so a text is valid exactly when it is a run of such bytes and of
// the two-byte characters below. `ascii` records that every byte below 0x80
// is one of them, as the table says, not as assumed.
struct Cp932Singles {
  std::bitset<256> single;
  bool ascii = false;
  Cp932Singles();
};

// Which two-byte sequences windows-932 maps, for lead bytes that are not
// valid alone; made at the first text that needs one, as it takes some
// sixteen thousand conversions.
struct Cp932Pairs {
  std::bitset<65536> pair;
  explicit Cp932Pairs(const Cp932Singles& singles);
};

// Whether the converter takes `bytes` whole (false without the converter).
class Cp932Probe {
 public:
  Cp932Probe() {
    UErrorCode err = U_ZERO_ERROR;
    c_.reset(ucnv_open("windows-932", &err));
    if (U_FAILURE(err)) c_.reset();  // nothing is valid without the table
    if (c_) ucnv_setToUCallBack(c_.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  }
  bool Converts(const char* bytes, int32_t n) {
    if (!c_) return false;
    UChar buf[4];
    UErrorCode err = U_ZERO_ERROR;
    ucnv_reset(c_.get());
    ucnv_toUChars(c_.get(), buf, 4, bytes, n, &err);
    return U_SUCCESS(err);
  }

 private:
  Converter c_;
};

Cp932Singles::Cp932Singles() {
  Cp932Probe probe;
  for (int b = 0; b < 256; ++b) {
    const char one = static_cast<char>(b);
    single[static_cast<std::size_t>(b)] = probe.Converts(&one, 1);
  }
  ascii = true;
  for (std::size_t b = 0; b < 0x80; ++b) ascii = ascii && single[b];
}

Cp932Pairs::Cp932Pairs(const Cp932Singles& singles) {
  Cp932Probe probe;
  for (int b = 0; b < 256; ++b) {
    if (singles.single[static_cast<std::size_t>(b)]) continue;
    for (int t = 0; t < 256; ++t) {
      const char two[2] = {static_cast<char>(b), static_cast<char>(t)};
      pair[static_cast<std::size_t>(b * 256 + t)] = probe.Converts(two, 2);
    }
  }
}

const Cp932Singles& Singles() {
  static const Cp932Singles singles;
  return singles;
}

const Cp932Pairs& Pairs() {
  static const Cp932Pairs pairs(Singles());
  return pairs;
}

// True when no byte of the n bytes at `p` is 0x80 or above: all bytes are
// OR-ed together, a word at a time where there are eight (the last word may
// overlap the one before).
bool AllBelow0x80(const unsigned char* p, std::size_t n) {
  uint64_t all = 0;
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 < n; i += 8) {
      uint64_t w;
      std::memcpy(&w, p + i, 8);
      all |= w;
    }
    uint64_t last;
    std::memcpy(&last, p + n - 8, 8);
    all |= last;
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, p + n - 4, 4);
    all = a | b;
  } else {
    for (std::size_t i = 0; i < n; ++i) all |= p[i];
  }
  return (all & 0x8080808080808080ULL) == 0;
}

}  // namespace

namespace detail {

bool IsValidCp932ByTable(std::string_view bytes) {
  const Cp932Singles& singles = Singles();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    if (singles.single[p[i]]) {
      ++i;
    } else if (i + 1 < n && Pairs().pair[p[i] * 256u + p[i + 1]]) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

bool AsciiIsSingleCp932() {
  return Singles().ascii;
}

}  // namespace detail

bool IsValidCp932(std::string_view bytes) {
  // Where every byte below 0x80 is a character alone, a text of such bytes is
  // read one byte at a time by the table walk, which then finds it valid.
  if (AllBelow0x80(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) &&
      Singles().ascii)
    return true;
  return detail::IsValidCp932ByTable(bytes);
}

}  // namespace varno
