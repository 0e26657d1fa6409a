#include "view/geometry.h"

#include <cmath>
#include <numbers>

#include "race/model.h"
#include "view/view_state.h"

namespace kw {

double BearingOf(double east, double north) {
  double b;
  if (north == 0) {
    b = east == 0 ? 0 : (east > 0 ? 90 : 270);
  } else {
    b = std::atan(east / north) * 180.0 / std::numbers::pi;
    if (north < 0) b += 180;
  }
  if (b < 0) b += 360;
  if (b >= 360) b -= 360;
  return b;
}

void ComputeRaceExtent(const RaceData& race, ViewState& view) {
  double latMax = -200000, latMin = 200000, lonMax = -200000, lonMin = 200000;
  for (int b = 1; b <= race.BoatCount; ++b) {
    const auto& t = race.TrackTime[b];
    const auto& la = race.TrackLat[b];
    const auto& lo = race.TrackLon[b];
    for (int i = 1; i <= race.BoatSampleCount[b]; ++i) {
      if (t[i] < race.ClockFirst || t[i] >= race.ClockLast) continue;
      if (la[i] > latMax) latMax = la[i];
      if (la[i] < latMin) latMin = la[i];
      if (lo[i] > lonMax) lonMax = lo[i];
      if (lo[i] < lonMin) lonMin = lo[i];
    }
  }
  if (latMax < latMin) {
    // No sample inside the window: centre on the course, else on nothing at all.
    latMax = latMin = race.MarkCount > 0 ? race.MarkLat[1] : 0;
    lonMax = lonMin = race.MarkCount > 0 ? race.MarkLon[1] : 0;
  }
  view.RaceLatMax = latMax;
  view.RaceLatMin = latMin;
  view.RaceLonMax = lonMax;
  view.RaceLonMin = lonMin;
  view.RaceCentreLat = (latMax + latMin) / 2;
  view.RaceCentreLon = (lonMax + lonMin) / 2;
  view.CosCentreLat = std::cos(view.RaceCentreLat / 60.0 * std::numbers::pi / 180.0);
}

}  // namespace kw
