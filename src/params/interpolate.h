// Bilinear interpolation of the corrections from the grid store.
#pragma once

#include <memory>

#include "params/store.h"

namespace varno::params {

inline constexpr double kNoParameters = -9999.0;

struct Corrections {
  double dx = 0, dy = 0, dh = 0;
};

// The five working values a lookup writes into.
using NodeValues = ParaRecord;

// The literal sequential scan: writes the record it settles on into `io`, or
// leaves `io` as it was. The reference that GridIndex must agree with.
void LookupNodeScan(const ParamStore& store, double nodeX, double nodeY, NodeValues& io);

// LookupNode: through the store's index when it has one, else the scan.
void LookupNode(const ParamStore& store, double nodeX, double nodeY, NodeValues& io);

double BilinearValue(const ParamStore& store, double q1, double q2, double q3, double q4, double fx,
                     double fy);

// -9999 in all three outputs outside the grid or where a corner has no
// parameters. Throws OverflowError for a cell index beyond 16 bits or a
// non-finite intermediate (a spacing of 0 among them).
Corrections InterpolatePara(const ParamStore& store, double x, double y);

// An index over the records that returns, for every node asked, the record the
// scan would settle on, where it can prove that; Build() returns null for an
// empty store.
class GridIndex {
 public:
  virtual ~GridIndex() = default;
  // Returns the 1-based record index the scan would settle on, or 0 when the
  // index cannot tell (the caller then runs the scan). `store` is the store the
  // index was built from.
  virtual int32_t Find(const ParamStore& store, double nodeX, double nodeY) const = 0;
  // The four corners of the cell at (nodeX, nodeY), as InterpolatePara looks
  // them up: Find at the node, then at the first corner's X + stepX and Y,
  // its X and Y + stepY, and both sums. False when the index cannot tell one
  // of them (the caller then looks them up one by one).
  virtual bool FindCell(const ParamStore& /*store*/, double /*nodeX*/, double /*nodeY*/,
                        double /*stepX*/, double /*stepY*/, int32_t (&/*k*/)[4]) const {
    return false;
  }
  // Runs the scan for a node Find cannot tell, faster where the index allows,
  // with the scan's result; false when it cannot (the caller then scans).
  virtual bool Scan(const ParamStore& /*store*/, double /*nodeX*/, double /*nodeY*/,
                    NodeValues& /*io*/) const {
    return false;
  }
  // Starts fetching from memory what the lookups of a cell's four corners
  // will read, so that they overlap instead of waiting one after another.
  // Changes no result.
  virtual void Prefetch(const ParamStore& /*store*/, double /*nodeX*/, double /*nodeY*/,
                        double /*stepX*/, double /*stepY*/) const {}
  static std::shared_ptr<const GridIndex> Build(const ParamStore& store);
};

}  // namespace varno::params
