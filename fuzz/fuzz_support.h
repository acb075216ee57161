// Helpers shared by the fuzz targets: a temporary file per process and a
// check that aborts with a message, so that libFuzzer keeps the input.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace varno::fuzz {

inline void Require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

inline std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/varno_fuzz_" + std::to_string(::getpid()) + "_" + name;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// True when `text` holds "inf" or "nan" in any letter case.
inline bool HasNonFiniteText(std::string_view text) {
  for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
    char a = static_cast<char>(text[i] | 0x20), b = static_cast<char>(text[i + 1] | 0x20),
         c = static_cast<char>(text[i + 2] | 0x20);
    if ((a == 'i' && b == 'n' && c == 'f') || (a == 'n' && b == 'a' && c == 'n')) return true;
  }
  return false;
}

}  // namespace varno::fuzz
