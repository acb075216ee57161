// The program's title and version, the single source of both.
#pragma once

#include <string_view>

namespace varno {

inline constexpr std::string_view kProgramTitle = "座標変換プログラム";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;
inline constexpr std::string_view kVersionText = "1.0.0";

}  // namespace varno
