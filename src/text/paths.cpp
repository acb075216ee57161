#include "text/paths.h"

namespace varno {

namespace {

std::size_t LastSeparator(std::string_view path) {
  return path.find_last_of("\\/");
}

}  // namespace

std::string FileNameOf(std::string_view path) {
  const std::size_t sep = LastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string StripExtension(std::string_view text) {
  const std::size_t dot = text.rfind('.');
  return std::string(dot == std::string_view::npos ? text : text.substr(0, dot));
}

std::string FolderOf(std::string_view path) {
  const std::size_t sep = LastSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

}  // namespace varno
