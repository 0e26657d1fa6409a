// Numbers and clock times as loggers write them, read without the general conversions
// and their library calls: the readers' shortcuts for the common way a record is written. Each
// gives exactly what the general conversion gives for the same text, or declines and leaves the
// text to it.
#pragma once

#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "race/datetime.h"

namespace kw {

inline bool Digit(char c) {
  return c >= '0' && c <= '9';
}

// Reads the decimal digits at s (before e) onto m; returns where they end. Eight characters at
// a time: which of them are digits, and their value, worked out in a word. Stops once there
// are more than 19 digits (too many for m; the caller refuses them).
inline const char* ReadDigits(const char* s, const char* e, uint64_t& m, int& digits) {
  static constexpr uint64_t kPow10[] = {1,      10,      100,      1000,     10000,
                                        100000, 1000000, 10000000, 100000000};
  while (digits <= 19) {
    if constexpr (std::endian::native == std::endian::little) {
      if (e - s >= 8) {
        uint64_t x;
        std::memcpy(&x, s, 8);
        const uint64_t v = x ^ 0x3030303030303030ULL;  // a digit's byte now holds its value
        // A byte that is not a digit gets a flag in its high nibble; a carry out of such a byte
        // can only flag the bytes after it, which the run has already stopped before.
        const uint64_t flags =
            (v & 0xF0F0F0F0F0F0F0F0ULL) | ((v + 0x0606060606060606ULL) & 0x1010101010101010ULL);
        const int run = flags ? std::countr_zero(flags) / 8 : 8;
        if (run > 0) {
          // The run's digits moved to the top, zeros before them, then summed in pairs.
          uint64_t w = v << (8 * (8 - run));
          w = ((w & 0x0F0F0F0F0F0F0F0FULL) * 2561) >> 8;
          w = ((w & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
          w = ((w & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32;
          m = m * kPow10[run] + w;
          digits += run;
          s += run;
        }
        if (run < 8) return s;
        continue;
      }
    }
    if (s == e || !Digit(*s)) return s;
    m = m * 10 + static_cast<uint64_t>(*s - '0');
    ++digits;
    ++s;
  }
  return s;
}

// A decimal number as written: its digits as an integer, how many of them follow the point, its
// sign.
struct PlainNumber {
  uint64_t digits = 0;
  int fraction = 0;
  bool negative = false;

  // The double ParseReal gives: the digits divided by a power of ten up to 10^22, exact, is one
  // correctly rounded division, the same double a full conversion gives.
  double Value() const {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double v = static_cast<double>(digits) / kPow10[fraction];
    return negative ? -v : v;
  }
  // The number in units of 1e-7 when it is exactly that: at most seven decimals, within an int32
  // (INT32_MIN excluded), not -0.
  bool InTenMillionths(int32_t& q) const {
    static constexpr uint64_t kScale[] = {10000000, 1000000, 100000, 10000, 1000, 100, 10, 1};
    if (fraction > 7 || (negative && digits == 0)) return false;
    if (digits > uint64_t{2147483647} / kScale[fraction]) return false;
    const auto v = static_cast<int32_t>(digits * kScale[fraction]);
    q = negative ? -v : v;
    return true;
  }
};

// Plain decimal text ("14.9000", "35", "5."): digits with at most one point, nothing else; false
// for anything else.
inline bool ReadPlainDecimal(std::string_view text, PlainNumber& out) {
  const char* s = text.data();
  const char* e = s + text.size();
  out = {};
  int digits = 0;
  s = ReadDigits(s, e, out.digits, digits);
  const int whole = digits;
  if (s < e && *s == '.') s = ReadDigits(s + 1, e, out.digits, digits);
  out.fraction = digits - whole;
  return s == e && digits > 0 && digits <= 19 && out.digits < (uint64_t{1} << 53);
}

// A coordinate as ParseCoordinate reads it in mode DDMM.mmmm (hemisphere letter, whole degrees,
// minutes), when the degrees are plain digits and the minutes plain decimal text. Read in parts
// first: a reader that stores the grid point never needs the double, whose division is a good
// part of the reading.
struct PlainDegreesMinutesText {
  int deg;  // all three set by ReadPlainDegreesMinutes
  PlainNumber minutes;
  bool negative;  // S or W (in either case)

  // The double ParseCoordinate gives.
  double Value() const {
    const double v = static_cast<double>(deg) * 60 + minutes.Value();
    return negative ? -v : v;
  }
  // Its point on the grid of degrees and minutes to 1e-5 when it is one (minutes below 60 with
  // at most five decimals, not -0), else INT32_MIN.
  int32_t GridPoint() const {
    static constexpr uint64_t kScale[] = {100000, 10000, 1000, 100, 10, 1};
    if (minutes.fraction > 5 || (negative && deg == 0 && minutes.digits == 0)) return INT32_MIN;
    const uint64_t r = minutes.digits * kScale[minutes.fraction];
    const uint64_t a = static_cast<uint64_t>(deg) * 6000000 + r;
    if (r >= 6000000 || a >= 2147483647) return INT32_MIN;
    return negative ? -static_cast<int32_t>(a) : static_cast<int32_t>(a);
  }
};

// False leaves the text to ParseCoordinate, which then gives the same value or the same failure.
inline bool ReadPlainDegreesMinutes(std::string_view text, PlainDegreesMinutesText& out) {
  if (text.size() < 2) return false;
  const char h = text[0];
  const std::string_view body = text.substr(1);
  size_t point = 0;
  while (point < body.size() && body[point] != '.') ++point;
  if (point < 2 || point - 2 > 9) return false;
  const size_t degLen = point - 2;
  out.deg = 0;
  for (size_t i = 0; i < degLen; ++i) {
    if (!Digit(body[i])) return false;
    out.deg = out.deg * 10 + (body[i] - '0');
  }
  if (!ReadPlainDecimal(body.substr(degLen), out.minutes)) return false;
  out.negative = h == 'S' || h == 'W' || h == 's' || h == 'w';
  return true;
}

// Both at once: the value and the grid point (INT32_MIN when none).
inline bool PlainDegreesMinutes(std::string_view text, double& out, int32_t& gridPoint) {
  PlainDegreesMinutesText t;
  gridPoint = INT32_MIN;
  if (!ReadPlainDegreesMinutes(text, t)) return false;
  out = t.Value();
  gridPoint = t.GridPoint();
  return true;
}

// "hh:mm:ss" at p (8 characters): the seconds of the day; false unless six digits and two colons
// give a valid time.
inline bool PlainClock(const char* p, int& h, int& mi, int& sec) {
  for (int i : {0, 1, 3, 4, 6, 7})
    if (!Digit(p[i])) return false;
  if (p[2] != ':' || p[5] != ':') return false;
  h = (p[0] - '0') * 10 + (p[1] - '0');
  mi = (p[3] - '0') * 10 + (p[4] - '0');
  sec = (p[6] - '0') * 10 + (p[7] - '0');
  return h <= 23 && mi <= 59 && sec <= 59;
}

// The day count EncodeDateTime gives for a day count `day` (EncodeDate's) and a clock time.
inline double DayAndClock(double day, int h, int mi, int sec) {
  const double t = (h * 3600.0 + mi * 60.0 + sec) / 86400.0;
  return day >= 0 ? day + t : day - t;
}

}  // namespace kw
