#include "race/tracks/track_quality.h"

#include <cmath>

namespace kw {

TrackQuality AssessTrack(const std::vector<double>& t, const std::vector<double>& lat,
                         const std::vector<double>& lon, int n) {
  TrackQuality q;
  if (n < 1) return q;
  q.firstKept = t[1];
  q.lastKept = t[n];
  constexpr double kRadPerMinute = 3.14159265358979323846 / (180 * 60);
  for (int i = 2; i <= n; ++i) {
    const double dt = t[i] - t[i - 1];
    if (dt < 0) {
      ++q.backwardSteps;
      continue;
    }
    if (dt == 0) {
      ++q.repeatedTimes;
      continue;
    }
    if (dt > kGapSeconds) {
      ++q.gaps;
      if (dt > q.longestGap) {
        q.longestGap = dt;
        q.longestGapAt = t[i - 1];
      }
    }
    // Positions are minutes of arc, so the distance comes out in nautical miles.
    const double dLat = lat[i] - lat[i - 1];
    const double dLon = (lon[i] - lon[i - 1]) * std::cos((lat[i] + lat[i - 1]) / 2 * kRadPerMinute);
    const double knots = std::sqrt(dLat * dLat + dLon * dLon) / dt * 3600;
    if (knots > kJumpKnots) {
      ++q.jumps;
      if (knots > q.fastestJumpKnots) {
        q.fastestJumpKnots = knots;
        q.fastestJumpAt = t[i - 1];
      }
    }
  }
  return q;
}

}  // namespace kw
