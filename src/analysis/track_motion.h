// A boat's motion over ground as the manoeuvre and wind analyses see it: the fixes in metres,
// and course and speed fitted over a few seconds, so that a metre or two of GPS noise between
// one-second fixes does not throw the course about. A track is cut into pieces wherever its
// fixes stop for longer than a gap or its time does not move on, and nothing is fitted across
// such a cut.
#pragma once

#include <vector>

namespace kw {

struct RaceData;
struct PassingResults;

struct BoatMotion {
  int boat = 0;
  // Fixes kept (0-based): seconds from the gun, metres east and north of 0°, 0°.
  std::vector<double> t, x, y;
  std::vector<double> course;  // degrees true, 0..360; meaningful only where `fitted`
  std::vector<double> speed;   // knots; 0 where not fitted
  std::vector<char> fitted;    // course and speed were fitted from fixes either side
  std::vector<int> piece;      // pieces count from 0; a new one after every gap
  double cosLat = 1;           // metres east per minute of longitude over 1852
  double gapSeconds = 10;      // a longer pause between fixes cuts the track
  double typicalSpeed = 0;     // knots: median fitted speed between the gun and the last fix

  int size() const { return static_cast<int>(t.size()); }
  // The first fix at or after time `at` (size() when none).
  int FirstAtOrAfter(double at) const;
  // Position at time `at` inside fix i's piece, interpolated (clamped to the piece's ends).
  void PositionAt(double at, int near, double& px, double& py) const;
};

// Seconds either side of a fix that its course and speed are fitted over (at least one fix
// either side for sparse tracks).
constexpr double kMotionHalfWindow = 4.0;

// What a boat did between t0 and t1 (seconds from the gun), from the fitted fixes inside:
// their mean course (false when none), mean and lowest speed (0 when none), and the metres it
// made good towards `direction` (degrees true) from where it was at t0 to where it was at t1.
bool MeanCourseBetween(const BoatMotion& m, double t0, double t1, double& course);
double MeanSpeedBetween(const BoatMotion& m, double t0, double t1);
double LowestSpeedBetween(const BoatMotion& m, double t0, double t1);
double MadeGoodBetween(const BoatMotion& m, double t0, double t1, double direction);

// The motion of boat `boat` (1-based row of the race tables).
BoatMotion MeasureMotion(const RaceData& race, int boat, double cosCentreLat);

// Every boat's, in boat order (index 0 unused, left empty).
std::vector<BoatMotion> MeasureFleet(const RaceData& race, double cosCentreLat);

// When boat `boat` raced: from its start (the gun when its start was not found) to its finish
// (the end of its track when it did not finish or the race has no finish), seconds.
struct RacingSpan {
  double from = 0, to = 0;
};
RacingSpan RacingSpanOf(const RaceData& race, const PassingResults& passing, int boat);

// Angle helpers shared by the analyses (degrees). Inline and without a division for the
// angles within a turn or two that nearly all are: millions of fixes go through them.
double WrapFar360(double a);
inline double Wrap360(double a) {
  if (a >= 0 && a < 360) return a;
  if (a >= 360 && a < 720) return a - 360;
  if (a < 0 && a >= -360) return a + 360 < 360 ? a + 360 : 0;
  return WrapFar360(a);
}
inline double Wrap180(double a) {
  return Wrap360(a + 180.0) - 180.0;
}
// Circular mean of `angles` with `weights` (equal when empty); false when they cancel out.
bool CircularMean(const std::vector<double>& angles, const std::vector<double>& weights,
                  double& mean);

}  // namespace kw
