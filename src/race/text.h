// Text as read from race data: bytes are kept as read so that names go back into files byte for
// byte; they are decoded only for display (UTF-8 when valid, else Shift_JIS).
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "race/errors.h"

namespace kw {

QString DisplayText(std::string_view bytes);

// Whole file into memory; false (with a reason) when it cannot be read.
bool ReadWholeFile(const QString& path, std::string& out, QString* error = nullptr);

// A file's bytes in memory that is kept for the next file. A thread that reads many large track
// files in turn would otherwise take fresh memory for each: a page fault every 4 KB and a pass
// clearing it, about a third of the time the bytes take to parse.
class FileBytes {
 public:
  // False (with a reason) when the file cannot be read.
  bool Read(const QString& path, QString* error = nullptr);
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  void Reserve(size_t n);
  std::unique_ptr<char[]> data_;
  size_t capacity_ = 0, size_ = 0;
};

// Replaces the file at `path` whole: written to a temporary file in the same folder and renamed
// over it, so a failure leaves the old file as it was. The message names the path and the reason.
WriteResult WriteWholeFile(const QString& path, std::string_view bytes);

// Splits text into lines at LF; a CR before the LF is dropped. No empty last line for a final LF.
std::vector<std::string_view> SplitLines(std::string_view text);

// The path of `name` inside `folder` (ending in '/'): the exact name when such a file exists,
// else a file whose name matches ignoring case (race data often comes from Windows machines).
// Backslashes in the name are taken as folder separators. Empty when nothing matches.
QString ResolveFile(const QString& folder, std::string_view name);

}  // namespace kw
