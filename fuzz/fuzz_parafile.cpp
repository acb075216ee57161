// The parameter file reader on any bytes: the count matches the records,
// element 0 stays zero, nothing non-finite is stored, and interpolation on
// what was read gives finite corrections or an error.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "params/interpolate.h"
#include "params/reader.h"
#include "support/silent_views.h"
#include "text/errors.h"

namespace {

bool Finite(const varno::params::ParaRecord& r) {
  return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.dx) && std::isfinite(r.dy) &&
         std::isfinite(r.dh);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varno;
  using namespace varno::params;
  const std::string path = fuzz::TempPath("in.par");
  fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  ParamStore store;
  store.paraFilePath = path;
  bool cancel = false;
  SilentLoadView view;
  ReadParaFile(store, cancel, view);

  fuzz::Require(store.count >= 0, "count is not negative");
  fuzz::Require(store.records.size() == static_cast<std::size_t>(store.count) + 1,
                "one record per counted node, plus element 0");
  const ParaRecord& zero = store.records[0];
  fuzz::Require(zero.x == 0 && zero.y == 0 && zero.dx == 0 && zero.dy == 0 && zero.dh == 0,
                "element 0 stays zero");
  for (const ParaRecord& r : store.records) fuzz::Require(Finite(r), "records are finite");
  fuzz::Require(
      std::isfinite(store.repDx) && std::isfinite(store.repDy) && std::isfinite(store.repDh),
      "representative point is finite");

  // Interpolate at a few places: each record's position and cell centres.
  const std::size_t probes = store.records.size() < 8 ? store.records.size() : 8;
  for (std::size_t i = 1; i < probes; ++i) {
    const ParaRecord& r = store.records[i];
    for (double off : {0.0, 0.5}) {
      const double x = r.x + off * store.gridStepX, y = r.y + off * store.gridStepY;
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      try {
        const Corrections c = InterpolatePara(store, x, y);
        fuzz::Require(std::isfinite(c.dx) && std::isfinite(c.dy) && std::isfinite(c.dh),
                      "interpolation gives finite corrections");
      } catch (const VarnoError&) {
      }
    }
  }
  return 0;
}
