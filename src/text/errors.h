// Error classes of the computations. An overflow (a floating-point result that
// is infinite or not a number, or an integer outside its 16/32-bit range) is
// told apart from every other error, because the windows report the two
// differently.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace varno {

enum class ErrorKind { kOverflow, kOther };

// Error numbers follow the classic runtime numbering that surveyors see in
// messages such as "ファイルが開けません。 Error # 53  ...".
enum ErrorNumber : int {
  kErrOverflow = 6,
  kErrSubscript = 9,
  kErrDivisionByZero = 11,
  kErrTypeMismatch = 13,
  kErrFileNotFound = 53,
  kErrFileAlreadyOpen = 55,
  kErrDeviceIo = 57,
  kErrDiskFull = 61,
  kErrInputPastEnd = 62,
  kErrPermissionDenied = 70,
  kErrPathAccess = 75,
  kErrOutOfMemory = 7,
  kErrBadFileMode = 54,
  kErrBadFileName = 52,
  kErrTooManyFiles = 67,
  kErrPathNotFound = 76,
};

class VarnoError : public std::runtime_error {
 public:
  VarnoError(ErrorKind kind, int number, const std::string& description)
      : std::runtime_error(description), kind_(kind), number_(number) {}
  ErrorKind kind() const { return kind_; }
  int number() const { return number_; }
  bool IsOverflow() const { return kind_ == ErrorKind::kOverflow; }
  // The readable description shown in front of the fixed message texts.
  std::string description() const { return what(); }

 private:
  ErrorKind kind_;
  int number_;
};

class OverflowError : public VarnoError {
 public:
  explicit OverflowError(const std::string& step = {})
      : VarnoError(ErrorKind::kOverflow, kErrOverflow,
                   step.empty() ? std::string("オーバーフローしました。")
                                : "オーバーフローしました（" + step + "）。") {}
};

// A text that is not a number (the classic "type mismatch").
class ConversionError : public VarnoError {
 public:
  explicit ConversionError(const std::string& text)
      : VarnoError(ErrorKind::kOther, kErrTypeMismatch,
                   "型が一致しません（数値に変換できない文字列: \"" + text + "\"）。") {}
};

class SubscriptError : public VarnoError {
 public:
  explicit SubscriptError(const std::string& what)
      : VarnoError(ErrorKind::kOther, kErrSubscript,
                   "インデックスが有効範囲にありません（" + what + "）。") {}
};

// A file that cannot be opened, read or written.
class FileError : public VarnoError {
 public:
  FileError(int number, const std::string& description)
      : VarnoError(ErrorKind::kOther, number, description) {}
};

// Turns a non-finite intermediate result into the overflow error at the step
// where it appears. `step` names the operation for the description.
inline double Checked(double v, const char* step = "") {
  if (!std::isfinite(v)) throw OverflowError(step);
  return v;
}

// Conversion to the 16-bit Integer of the classic runtime: rounds half to even
// like CInt does; outside -32768..32767 it is an overflow.
inline int16_t ToInt16(double v) {
  if (!std::isfinite(v)) throw OverflowError("Integer");
  double r = std::nearbyint(v);
  if (r < -32768.0 || r > 32767.0) throw OverflowError("Integer");
  return static_cast<int16_t>(r);
}

// The integer part (toward minus infinity, like Int/Fix of non-negative values)
// as a 16-bit Integer.
inline int16_t FloorToInt16(double v) {
  if (!std::isfinite(v)) throw OverflowError("Integer");
  double r = std::floor(v);
  if (r < -32768.0 || r > 32767.0) throw OverflowError("Integer");
  return static_cast<int16_t>(r);
}

inline int16_t AddInt16(int16_t a, int b) {
  int r = static_cast<int>(a) + b;
  if (r < INT16_MIN || r > INT16_MAX) throw OverflowError("Integer");
  return static_cast<int16_t>(r);
}

inline int32_t AddInt32(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_add_overflow(a, b, &r)) throw OverflowError("Long");
  return r;
}

}  // namespace varno
