// The wind at a clock time, from the wind records or, without records, the race file's wind
// direction; and its exponential smoothing, which the frames keep from one to the next (and
// across races).
#pragma once

namespace kw {

struct RaceData;

struct WindState {
  int WindSearchIndex = 1;     // record where the last search succeeded
  int WindDirNow = 0;          // magnetic, 0..360, as the records give it
  double WindSpeedNow = 0;     // knots, to 0.1
  int TrueWindNow = 0;         // round(MagneticVariation) + WindDirNow, 0..360
  int WindTrend = 0;           // +1 veering, -1 backing, between the records around t
  double SmoothWindDir = 0;    // smoothed WindDirNow, degrees
  double SmoothWindSpeed = 0;  // smoothed WindSpeedNow, knots
};

// Fills the wind at t (seconds from the gun) and moves the smoothed values one frame on.
void WindAt(const RaceData& race, double t, WindState& w);

}  // namespace kw
