#include "analysis/boat_state.h"

#include <algorithm>
#include <cmath>

#include "analysis/frame_state.h"
#include "race/geodesy.h"
#include "race/model.h"
#include "race/numbers.h"

namespace kw {

namespace {

double ToFullTurn(double a) {
  a = std::fmod(a, 360.0);
  if (a < 0) a += 360;
  return a;
}

}  // namespace

void ComputeBoatState(const RaceData& race, double t, double trueWindDirection, FrameBoats& boats) {
  if (boats.BoatPresent.size() < static_cast<size_t>(race.BoatCount) + 2 ||
      boats.BoatWindAngleNow.size() < boats.BoatPresent.size())
    boats.Resize(race.BoatCount);
  boats.BoatsWithPosition = t <= 0 ? 1 : 0;
  boats.FocusedBoats = {};
  boats.FocusedBoatCount = 0;

  for (int b = 1; b <= race.BoatCount; ++b) {
    boats.BoatPresent[b] = 0;
    const int n =
        std::min<int>(race.BoatSampleCount[b], static_cast<int>(race.TrackTime[b].size()) - 1);
    if (n < 2) continue;
    const auto& time = race.TrackTime[b];
    const int k = FindSamplePair(time, n, boats.BoatSampleIndex[b], t);
    if (k == 0) continue;
    boats.BoatSampleIndex[b] = k;
    const double span = time[k + 1] - time[k];
    if (span > kMaxSampleGap) continue;

    boats.BoatPresent[b] = 1;
    const double since = t - time[k];
    const double f = span > 0 ? since / span : 0;
    const auto& lat = race.TrackLat[b];
    const auto& lon = race.TrackLon[b];
    boats.BoatLatNow[b] = lat[k] + (lat[k + 1] - lat[k]) * f;
    boats.BoatLonNow[b] = lon[k] + (lon[k + 1] - lon[k]) * f;

    const auto& course = race.TrackCourse[b];
    double heading = course[k];
    // Within the first second after a sample the hull turns from the previous course to this
    // one the short way round, in whole degrees (a turn that rounds up to 360 is written 0). The
    // first sample has no previous course to turn from, so it keeps its own.
    if (since < 1 && k > 1) {
      const double d = ToHalfTurn(course[k] - course[k - 1]);
      heading = ToFullTurn(RoundHalfEven(ToFullTurn(since * d + course[k - 1])));
    }
    boats.BoatHeadingNow[b] = heading;
    boats.BoatSpeedNow[b] = race.TrackSpeed[b][k];
    boats.BoatWindAngleNow[b] = ToHalfTurn(trueWindDirection - heading);

    ++boats.BoatsWithPosition;
    if (race.BoatShown[b] == 1) {
      if (boats.FocusedBoatCount < 4) boats.FocusedBoats[boats.FocusedBoatCount] = b;
      ++boats.FocusedBoatCount;
    }
  }
}

}  // namespace kw
