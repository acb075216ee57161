// Path helpers used for every file name the program shows or prints. Both "\"
// and "/" count as folder separators, since paths on this platform use "/".
#pragma once

#include <string>
#include <string_view>

namespace varno {

// The text after the last separator; the whole text when there is none. A
// trailing blank stays at the end of the result.
std::string FileNameOf(std::string_view path);

// The text before the last "."; the text unchanged when it has no ".".
std::string StripExtension(std::string_view text);

// The path up to and including its last separator; empty when there is none.
std::string FolderOf(std::string_view path);

}  // namespace varno
