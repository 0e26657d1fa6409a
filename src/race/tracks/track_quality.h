// What the kept samples of one track show about the logger: gaps, clock faults and position
// jumps no boat can sail. Measured on the times as stored (clock correction applied, before any
// corrected-time scaling), for the data-quality report.
#pragma once

#include <vector>

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

// Over samples 1..n.
TrackQuality AssessTrack(const std::vector<double>& time, const std::vector<double>& lat,
                         const std::vector<double>& lon, int n);

}  // namespace kw
