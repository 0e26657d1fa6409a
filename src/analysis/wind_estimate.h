// The true wind direction over a race, estimated from the fleet's own tracks. A boat that tacks
// turns from one close-hauled board to the other through the wind, and one that gybes from one
// broad reach to the other through the direction the wind blows to: either way the line halfway
// between its steady course before and after the turn is the wind's axis. Every such turn of
// every boat between its start and its finish (away from the marks, where boats turn for the
// course and not for the wind) is a measurement of the axis at that moment; how far a boat
// turned and how much speed it lost tell a tack from a gybe, and so which end of the axis the
// wind comes from. The series is a value a minute from the turns of a few minutes around it.
// Reaches, boats standing still and the minutes before a boat's start give nothing; when too
// few turns agree the estimate says so instead of giving a number.
#pragma once

#include <string>
#include <vector>

#include "analysis/track_motion.h"

namespace kw {

struct RaceData;
struct PassingResults;

// One turn from a steady board to another that may be a tack or a gybe.
struct AxisTurn {
  int boat = 0;
  double t = 0;          // seconds from the gun, halfway through the turn
  double bisector = 0;   // degrees true: halfway between the courses before and after
  double halfAngle = 0;  // degrees: half the angle turned
  double speedDip = 1;   // lowest speed in the turn over the boards' speed
  double tackScore = 0;  // above 0 a tack (wind from the bisector), below 0 a gybe
};

struct WindEstimatePoint {
  double t = 0;           // seconds from the gun
  double direction = 0;   // degrees, the race file's convention (as its WD line)
  double confidence = 0;  // 0..1: how many turns agreed, and how closely
};

struct WindEstimate {
  bool enough = false;  // false: too little to go on, and `why` says what was missing
  std::string why;
  double meanDirection = 0;               // degrees, the race file's convention
  std::vector<WindEstimatePoint> series;  // a value a minute where turns were found near it
  int turnsUsed = 0, boatsUsed = 0;
  // Against the race's wind file, where it has one and the two overlap: the mean of estimate
  // minus file (degrees, signed) and its root mean square over the series' minutes.
  bool compared = false;
  double meanDifference = 0, rmsDifference = 0;
  std::vector<AxisTurn> turns;  // the measurements the series was made of
};

// The turns of one boat that measure the wind's axis, between its start and its finish.
std::vector<AxisTurn> AxisTurns(const RaceData& race, const PassingResults& passing,
                                const BoatMotion& motion);

// The estimate from every boat's turns; `fleet` as MeasureFleet gives it.
WindEstimate EstimateWind(const RaceData& race, const PassingResults& passing,
                          const std::vector<BoatMotion>& fleet);

// A direction true <-> in the race file's convention (true minus round(MagneticVariation), half
// to even, as keelway reads the WD line and wind files).
double ToRaceFileDirection(const RaceData& race, double trueDirection);
double ToTrueDirection(const RaceData& race, double raceFileDirection);

// The direction of the race's wind file at t (degrees, the race file's convention), interpolated
// between its records and held beyond them; false without records.
bool WindFileDirectionAt(const RaceData& race, double t, double& direction);

}  // namespace kw
