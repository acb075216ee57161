// Whole-file reading for the viewers and the file tests of the batch dialog,
// with the classic error numbers the messages show.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace varno::ui {

struct FileFailure {
  int number = 0;           // classic error number (53 file not found, ...)
  std::string description;  // readable text (UTF-8)
};

// The file as bytes, at most `limit` of them; nullopt and `failure` set when
// it cannot be read or is not a regular file. Throws std::bad_alloc when it does not fit in memory.
std::optional<std::string> ReadFileBytes(const std::string& path, FileFailure& failure,
                                         std::size_t limit = std::string::npos);

// Tests that the file is a regular file that can be opened for reading.
bool CanOpenForReading(const std::string& path, FileFailure& failure);

// File text (CR LF, lone CR or LF line ends) to the text a Qt text box holds
// (LF), and back to CR LF.
QString ToEditorText(const QString& fileText);
QString ToFileText(const QString& editorText);

}  // namespace varno::ui
