#include "params/store.h"

#include "codec/cp932.h"

namespace varno::params {

std::string ParamStore::RangeTextUtf8() const {
  return Cp932ToUtf8(rangeText);
}
std::string ParamStore::MethodTextUtf8() const {
  return Cp932ToUtf8(methodText);
}
std::string ParamStore::VersionUtf8() const {
  return Cp932ToUtf8(version);
}

}  // namespace varno::params
