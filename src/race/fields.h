// The one field splitter for comma- or blank-separated lines (race file, wind file, text tracks,
// NMEA, light list).
#pragma once

#include <array>
#include <bit>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kw {

// Keyword plus 20 values, so that a CRS line can carry a full course of 20 entries.
constexpr int kMaxFields = 21;

struct Fields {
  std::array<std::string_view, kMaxFields> Field{};
  int FieldCount = 0;
  bool Overflow = false;  // the line had more fields than kMaxFields; the rest were dropped
  // A value slot beyond FieldCount reads as absent (empty).
  std::string_view operator[](int i) const {
    return i < FieldCount ? Field[i] : std::string_view();
  }
};

// Position of the first `a` or `b` at or after `from`, or npos. string_view::find_first_of runs
// a search of its set for every byte, which dominated the readers' time; sixteen bytes are
// compared at once where the machine can.
inline size_t FindEither(std::string_view s, char a, char b, size_t from = 0) {
  const char* d = s.data();
  size_t i = from;
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
  for (; i + 16 <= s.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const auto m = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
    if (m) return i + static_cast<size_t>(std::countr_zero(m));
  }
#endif
  for (; i < s.size(); ++i) {
    if (d[i] == a || d[i] == b) return i;
  }
  return std::string_view::npos;
}

inline bool IsBlank(unsigned char c) {
  return c <= 0x20 || c == 0x7f;
}

// Trims leading and trailing blanks and control characters. Inline: every reader calls it per
// field.
inline std::string_view Trim(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && IsBlank(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

// Cuts `line` at each `sep`; every field is trimmed and an empty field reads "0". The remainder
// after each separator is trimmed too, so a run of blanks is one blank separator. With a blank
// separator a tab separates as well. The views point into `line`.
void SplitFields(std::string_view line, char sep, Fields& out);

// ASCII upper-case copy of a short keyword into `buf`; returns the view.
std::string_view UpperKeyword(std::string_view s, char (&buf)[16]);

}  // namespace kw
