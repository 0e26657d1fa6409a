// What the kept samples of one track show about the logger: gaps, clock faults and position
// jumps no boat can sail. Measured on the times as stored (clock correction applied, before any
// corrected-time scaling), for the data-quality report.
#pragma once

#include <cmath>

namespace kw {

struct RaceData;

constexpr double kGapSeconds = 10;  // a longer step between samples is a gap
constexpr double kJumpKnots = 40;   // a faster step between samples is a jump

struct TrackQuality {
  int gaps = 0;
  double longestGap = 0;    // seconds
  double longestGapAt = 0;  // race time of the sample before it
  int backwardSteps = 0;    // a sample earlier than the one before it
  int repeatedTimes = 0;    // a sample at the same time as the one before it
  int jumps = 0;
  double fastestJumpKnots = 0;
  double fastestJumpAt = 0;            // race time of the sample before it
  double firstKept = 0, lastKept = 0;  // race times of the first and last sample kept
};

// Over samples 1..n of any three indexable columns (the race's rows, or plain vectors).
template <class Times, class Positions>
TrackQuality AssessTrack(const Times& t, const Positions& lat, const Positions& lon, int n) {
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
