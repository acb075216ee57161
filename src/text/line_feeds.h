// Counting the line feeds (LF, 0x0A) of a block of bytes, as the batch files
// and the parameter file are counted and written. A CP932 trail byte is never
// 0x0A, so the bytes can be counted as they are.
#pragma once

#include <string_view>

namespace varno {

// The LF bytes in `bytes`, sixteen bytes at a time (eight without SSE2).
long long CountLineFeeds(std::string_view bytes);

}  // namespace varno
