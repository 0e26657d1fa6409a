// Tracks sailed in memory for the analyses' edge cases: a boat follows a list of courses (each
// an angle to a steady wind, held for so many seconds), turning 10 degrees a second and slowing
// through its turns, logged every second with half a metre of noise. The schedule is the truth:
// every change of side through the wind is a tack, through the downwind direction a gybe.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "analysis/mark_passing.h"
#include "race/model.h"

namespace kwtest {

constexpr double kSynthCosLat = 0.8;

struct Stretch {
  double seconds = 0;
  double windAngle = 0;  // course minus wind direction, degrees; +: the wind on the port side
  double knots = 5;      // 0: standing still (a moored logger)
};

struct SailedTrack {
  std::vector<double> t, lat, lon;  // seconds from the gun, minutes of arc
};

inline SailedTrack Sail(double windTrue, const std::vector<Stretch>& plan, double from = -300,
                        unsigned seed = 1, double east = 0) {
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0, 0.5);
  SailedTrack out;
  double x = east, y = 0, t = from, speed = plan.empty() ? 0 : plan.front().knots;
  double heading = plan.empty() ? 0 : windTrue + plan.front().windAngle;
  for (const Stretch& s : plan) {
    for (int k = 0; k < static_cast<int>(s.seconds); ++k, t += 1) {
      const double want = windTrue + s.windAngle;
      const double turn = std::remainder(want - heading, 360.0);
      heading += std::clamp(turn, -10.0, 10.0);
      const double target = std::abs(turn) > 20 ? 0.55 * s.knots : s.knots;
      speed += (target - speed) / (target > speed ? 6 : 3);
      x += speed * 0.5144 * std::sin(heading * kRad);
      y += speed * 0.5144 * std::cos(heading * kRad);
      out.t.push_back(t);
      out.lat.push_back(2100 + (y + noise(rng)) / 1852);
      out.lon.push_back(8400 + (x + noise(rng)) / (1852 * kSynthCosLat));
    }
  }
  return out;
}

// A race of the given tracks, no course, wind direction `windTrue` typed on its WD line and no
// magnetic variation; `passing` sized for it.
inline void MakeRace(const std::vector<SailedTrack>& boats, double windTrue, kw::RaceData& race,
                     kw::PassingResults& passing) {
  race.BoatCount = static_cast<int>(boats.size());
  race.WindDirection = static_cast<int>(windTrue);
  race.MagneticVariation = 0;
  race.CourseCount = 0;
  kw::SetBoatTableCapacity(race);
  for (int b = 1; b <= race.BoatCount; ++b) {
    const SailedTrack& s = boats[b - 1];
    const int n = static_cast<int>(s.t.size());
    kw::SetTrackCapacity(race, b, n + 1);
    race.BoatSampleCount[b] = n;
    race.BoatSampleInterval[b] = 1;
    race.BoatName[b] = "boat " + std::to_string(b);
    race.BoatTrackFile[b] = "b" + std::to_string(b) + ".gpx";
    for (int i = 1; i <= n; ++i) {
      race.TrackTime[b][i] = s.t[i - 1];
      race.TrackLat[b][i] = s.lat[i - 1];
      race.TrackLon[b][i] = s.lon[i - 1];
    }
  }
  passing.Resize(race.BoatCount, 0);
}

// A beat: `boards` boards of `seconds` each, starting on port (the wind over the port bow).
inline std::vector<Stretch> Beat(int boards, double seconds, double angle = 43) {
  std::vector<Stretch> plan;
  for (int k = 0; k < boards; ++k) plan.push_back({seconds, k % 2 == 0 ? angle : -angle});
  return plan;
}

}  // namespace kwtest
