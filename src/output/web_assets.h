// The replay page's own files (web/: the page, its styles and its script), carried inside the
// program. The build writes their bytes into a generated source (cmake/EmbedFiles.cmake), so a
// written page never depends on files beside the program.
#pragma once

#include <string_view>
#include <vector>

namespace kw {

struct EmbeddedFile {
  std::string_view name;   // the file's name without its folder ("replay.css")
  std::string_view bytes;  // as the file holds them
};

// Every embedded file, in the order the build lists them (the scripts in the order they run).
const std::vector<EmbeddedFile>& EmbeddedFiles();

}  // namespace kw
