// Number helpers shared by every reader and writer: locale-independent parsing and the shortest
// decimal text of a real.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

namespace kw {

// Round half to even, as the program's "round" everywhere.
inline double RoundHalfEven(double x) {
  return std::nearbyint(x);
}
// Values beyond int saturate and NaN gives 0: a time or count read from a damaged file must not
// make the conversion undefined.
inline int RoundInt(double x) {
  const double r = std::nearbyint(x);
  if (!(r == r)) return 0;
  if (r >= 2147483647.0) return 2147483647;
  if (r <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(r);
}

// A pixel coordinate rounded half to even like RoundInt, without its library call: adding and
// taking away 1.5 x 2^52 leaves the nearest integer in the default rounding mode. The projected
// tracks of a long race make millions of these per picture. Far outside any picture (and NaN)
// the coordinate is held at +-2^30.
inline int PixelRound(double x) {
  constexpr double kMagic = 6755399441055744.0, kFar = 1073741824.0;
  if (!(x > -kFar && x < kFar)) return x > 0 ? static_cast<int>(kFar) : -static_cast<int>(kFar);
  return static_cast<int>((x + kMagic) - kMagic);
}

// Whole text (already trimmed) as a decimal integer with an optional sign.
bool ParseInt(std::string_view text, int& out);
// Whole text as a decimal real ("1.035", "-12", "+0.5", "1e3") with an optional sign.
bool ParseReal(std::string_view text, double& out);

// Shortest general decimal form with up to 15 significant digits ("2118.5", "0.3", "-12").
std::string ShortestReal(double v);

// The texts of a failed conversion, worded as users of race files know them.
std::string NotAnInteger(std::string_view text);
std::string NotAReal(std::string_view text);
std::string NotADateTime(std::string_view text);

}  // namespace kw
