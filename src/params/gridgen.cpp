#include "params/gridgen.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/cp932.h"

namespace varno::params {

namespace {

constexpr double kPi = 3.14159265358979323846;

void AppendFixed(std::string& out, double v, int decimals) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  out.append(buf, r.ptr);
}

}  // namespace

GridSpec DemoGridSpec() {
  return GridSpec{};
}

GridSpec LargeGridSpec(int32_t side) {
  GridSpec s;
  s.rangeText = "ベンチマーク用大規模格子";
  s.methodText = "生成プログラムによる人工データ";
  s.minX = 100000.0;
  s.minY = -50000.0;
  s.step = 100.0;
  s.rows = side;
  s.cols = side;
  return s;
}

FieldValue CorrectionAt(const GridSpec& spec, double x, double y) {
  const double spanX = spec.rows > 1 ? (spec.rows - 1) * spec.step : 1.0;
  const double spanY = spec.cols > 1 ? (spec.cols - 1) * spec.step : 1.0;
  const double u = (x - spec.minX) / spanX;  // 0 at the south edge, 1 at the north
  const double v = (y - spec.minY) / spanY;  // 0 at the west edge, 1 at the east
  FieldValue f;
  f.dx = -0.35 - 0.55 * v + 0.12 * std::sin(kPi * u);
  f.dy = 1.20 + 1.60 * v + 0.20 * std::cos(0.8 * kPi * u);
  f.dh = -0.08 - 0.42 * v * v - 0.05 * u;
  return f;
}

bool InHole(const GridSpec& spec, int32_t row, int32_t col) {
  return spec.withHole && row < spec.rows * 3 / 10 && col > spec.cols * 7 / 10;
}

std::string MakeGridFile(const GridSpec& spec) {
  std::string out;
  out.reserve(static_cast<std::size_t>(spec.rows) * static_cast<std::size_t>(spec.cols) * 48 + 512);
  out += "\"" + Utf8ToCp932(spec.rangeText) + "\",\"" + Utf8ToCp932(spec.methodText) + "\",\"" +
         Utf8ToCp932(spec.version) + "\"," + std::to_string(spec.zone) + "\r\n";
  const double maxX = spec.minX + (spec.rows - 1) * spec.step;
  const double maxY = spec.minY + (spec.cols - 1) * spec.step;
  auto limits = [&](double lo, double hi) {
    AppendFixed(out, lo, 3);
    out += ',';
    AppendFixed(out, hi, 3);
    out += ',';
    AppendFixed(out, spec.step, 3);
    out += "\r\n";
  };
  limits(spec.minX, maxX);
  limits(spec.minY, maxY);
  out += Utf8ToCp932("X座標(m),Y座標(m),dX(m),dY(m),dH(m)") + "\r\n";
  for (int32_t row = 0; row < spec.rows; ++row) {
    const double x = spec.minX + row * spec.step;
    for (int32_t col = 0; col < spec.cols; ++col) {
      const double y = spec.minY + col * spec.step;
      FieldValue f{0, 0, 0};
      if (!InHole(spec, row, col)) f = CorrectionAt(spec, x, y);
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

bool WriteGridFile(const GridSpec& spec, const std::string& path) {
  const std::string data = MakeGridFile(spec);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace varno::params
