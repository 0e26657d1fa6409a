#include "race/geodesy.h"

#include <cmath>
#include <numbers>

namespace kw {

double BearingOf(double east, double north) {
  double b;
  if (north == 0) {
    b = east == 0 ? 0 : (east > 0 ? 90 : 270);
  } else {
    b = std::atan(east / north) / (std::numbers::pi / 180.0);
    if (north < 0) b += 180;
  }
  if (b < 0) b += 360;
  if (b >= 360) b -= 360;
  return b;
}

double ToHalfTurn(double a) {
  a = std::fmod(a, 360.0);
  if (a > 180) a -= 360;
  if (a < -180) a += 360;
  return a;
}

RangeBearing RangeAndBearing(double fromLat, double fromLon, double toLat, double toLon,
                             double cosCentreLat, double magneticVariation) {
  const double north = (toLat - fromLat) * 1852.0;
  const double east = (toLon - fromLon) * 1852.0 * cosCentreLat;
  double mag = BearingOf(east, north) - magneticVariation;
  if (mag > 360) mag -= 360;
  if (mag < 0) mag += 360;
  return {std::sqrt(east * east + north * north), mag};
}

}  // namespace kw
