// varno-makegrid: writes a parameter file (CP932, CR LF). Without options it
// writes the bundled demo grid; --side N writes an N x N benchmark grid.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/gridgen.h"

namespace {

void Usage() {
  std::puts(
      "usage: varno-makegrid [--side N] [--step METRES] [--no-hole] OUTPUT.par\n"
      "  without --side: the demo grid of zone 9 (X 150000..230000, Y 0..70000, 1000 m)\n"
      "  --side N      an N x N grid for benchmarks (100 m spacing unless --step)\n"
      "  --step M      node spacing in metres\n"
      "  --no-hole     every node carries parameters");
}

}  // namespace

int main(int argc, char** argv) {
  long side = 0;
  double step = 0;
  bool hole = true;
  std::string output;
  for (int a = 1; a < argc; ++a) {
    const char* arg = argv[a];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      Usage();
      return 0;
    } else if (std::strcmp(arg, "--side") == 0 && a + 1 < argc) {
      side = std::strtol(argv[++a], nullptr, 10);
      if (side < 2 || side > 32000) {
        std::fprintf(stderr, "varno-makegrid: --side must be 2..32000\n");
        return 2;
      }
    } else if (std::strcmp(arg, "--step") == 0 && a + 1 < argc) {
      step = std::strtod(argv[++a], nullptr);
      if (!(step > 0.02 && step < 1e6)) {
        std::fprintf(stderr, "varno-makegrid: --step must be above 0.02 m\n");
        return 2;
      }
    } else if (std::strcmp(arg, "--no-hole") == 0) {
      hole = false;
    } else if (arg[0] == '-' || !output.empty()) {
      Usage();
      return 2;
    } else {
      output = arg;
    }
  }
  if (output.empty()) {
    Usage();
    return 2;
  }
  varno::params::GridShape shape = side > 0
                                       ? varno::params::LargeGridShape(static_cast<int32_t>(side))
                                       : varno::params::DemoGridShape();
  if (step > 0) shape.step = step;
  shape.withHole = hole;
  if (!varno::params::WriteGridFile(shape, output)) {
    std::fprintf(stderr, "varno-makegrid: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("%s: %d x %d nodes\n", output.c_str(), shape.rows, shape.cols);
  return 0;
}
