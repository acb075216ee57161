#include "support/gridgen.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "codec/cp932.h"

namespace varno::params {

namespace {

constexpr double kPi = 3.14159265358979323846;

void AppendFixed(std::string& out, double v, int decimals) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  out.append(buf, r.ptr);
}

}  // namespace

GridShape DemoGridShape() {
  return GridShape{};
}

GridShape LargeGridShape(int32_t side) {
  GridShape s;
  s.rangeText = "ベンチマーク用大規模格子";
  s.methodText = "生成プログラムによる人工データ";
  s.minX = 100000.0;
  s.minY = -50000.0;
  s.step = 100.0;
  s.rows = side;
  s.cols = side;
  return s;
}

FieldValue CorrectionAt(const GridShape& shape, double x, double y) {
  const double spanX = shape.rows > 1 ? (shape.rows - 1) * shape.step : 1.0;
  const double spanY = shape.cols > 1 ? (shape.cols - 1) * shape.step : 1.0;
  const double u = (x - shape.minX) / spanX;  // 0 at the south edge, 1 at the north
  const double v = (y - shape.minY) / spanY;  // 0 at the west edge, 1 at the east
  FieldValue f;
  f.dx = -0.35 - 0.55 * v + 0.12 * std::sin(kPi * u);
  f.dy = 1.20 + 1.60 * v + 0.20 * std::cos(0.8 * kPi * u);
  f.dh = -0.08 - 0.42 * v * v - 0.05 * u;
  return f;
}

bool InHole(const GridShape& shape, int32_t row, int32_t col) {
  return shape.withHole && row < shape.rows * 3 / 10 && col > shape.cols * 7 / 10;
}

std::string MakeGridFile(const GridShape& shape) {
  std::string out;
  out.reserve(static_cast<std::size_t>(shape.rows) * static_cast<std::size_t>(shape.cols) * 48 +
              512);
  out += "\"" + Utf8ToCp932(shape.rangeText) + "\",\"" + Utf8ToCp932(shape.methodText) + "\",\"" +
         Utf8ToCp932(shape.version) + "\"," + std::to_string(shape.zone) + "\r\n";
  const double maxX = shape.minX + (shape.rows - 1) * shape.step;
  const double maxY = shape.minY + (shape.cols - 1) * shape.step;
  auto limits = [&](double lo, double hi) {
    AppendFixed(out, lo, 3);
    out += ',';
    AppendFixed(out, hi, 3);
    out += ',';
    AppendFixed(out, shape.step, 3);
    out += "\r\n";
  };
  limits(shape.minX, maxX);
  limits(shape.minY, maxY);
  out += Utf8ToCp932("X座標(m),Y座標(m),dX(m),dY(m),dH(m)") + "\r\n";
  for (int32_t row = 0; row < shape.rows; ++row) {
    const double x = shape.minX + row * shape.step;
    for (int32_t col = 0; col < shape.cols; ++col) {
      const double y = shape.minY + col * shape.step;
      FieldValue f{0, 0, 0};
      if (!InHole(shape, row, col)) f = CorrectionAt(shape, x, y);
      AppendFixed(out, x, 3);
      out += ',';
      AppendFixed(out, y, 3);
      out += ',';
      AppendFixed(out, f.dx, 5);
      out += ',';
      AppendFixed(out, f.dy, 5);
      out += ',';
      AppendFixed(out, f.dh, 5);
      out += "\r\n";
    }
  }
  return out;
}

bool WriteGridFile(const GridShape& shape, const std::string& path) {
  const std::string data = MakeGridFile(shape);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace varno::params
