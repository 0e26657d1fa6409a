// Where every boat is at a clock time: the sample pair around t, the interpolated position, the
// heading (turning smoothly through the first second after a sample), the speed and the wind
// angle. The renderer calls this at the start of every frame; the KML snapshot, the overview
// map and the timers read what it wrote.
#pragma once

namespace kw {

struct RaceData;
struct FrameBoats;

// Fills `boats` for every boat of `race` at t (seconds from the gun). `trueWindDirection` is the
// true wind direction at t in degrees. BoatSampleIndex is read as the start of the search and
// rewritten with the sample found, so consecutive frames cost one or two comparisons per boat.
// `boats` is resized first when it does not hold BoatCount boats.
void ComputeBoatState(const RaceData& race, double t, double trueWindDirection, FrameBoats& boats);

// Longest interval between two samples that is still interpolated; a longer one is a gap in the
// recording and the boat is hidden for its whole length.
constexpr double kMaxSampleGap = 3610;

}  // namespace kw
