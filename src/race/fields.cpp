#include "race/fields.h"

namespace kw {

void SplitFields(std::string_view line, char sep, Fields& out) {
  static constexpr std::string_view kZero = "0";
  // Slots beyond FieldCount are never read (operator[] answers empty for them), so they are not
  // cleared: this runs once per line of every text file.
  out.FieldCount = 0;
  out.Overflow = false;
  const bool blank = sep == ' ';
  std::string_view rest = Trim(line);
  while (true) {
    size_t pos = blank ? FindEither(rest, ' ', '\t') : rest.find(sep);
    std::string_view f = Trim(rest.substr(0, pos));
    if (out.FieldCount < kMaxFields) {
      out.Field[out.FieldCount++] = f.empty() ? kZero : f;
    } else {
      out.Overflow = true;
    }
    if (pos == std::string_view::npos) break;
    rest = Trim(rest.substr(pos + 1));
  }
}

std::string_view UpperKeyword(std::string_view s, char (&buf)[16]) {
  size_t n = s.size() < sizeof buf ? s.size() : sizeof buf;
  for (size_t i = 0; i < n; ++i) {
    char c = s[i];
    buf[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  // A keyword longer than the buffer matches nothing: make sure of it.
  if (s.size() > sizeof buf) return std::string_view(buf, 0);
  return std::string_view(buf, n);
}

}  // namespace kw
