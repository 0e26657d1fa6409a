#include "analysis/wind_used.h"

#include <algorithm>
#include <cmath>

#include "analysis/track_motion.h"
#include "analysis/wind_estimate.h"
#include "race/model.h"

namespace kw {

namespace {

// Index of the last time at or before `at`, clamped to the series.
size_t Before(const std::vector<double>& t, double at) {
  const size_t i = static_cast<size_t>(std::upper_bound(t.begin(), t.end(), at) - t.begin());
  return i == 0 ? 0 : i - 1;
}

}  // namespace

double WindUsed::DirectionAt(double at) const {
  if (t.empty()) return 0;
  const size_t i = Before(t, at);
  if (at <= t.front() || i + 1 >= t.size()) return direction[at <= t.front() ? 0 : i];
  const double f = (at - t[i]) / (t[i + 1] - t[i]);
  return Wrap360(direction[i] + f * Wrap180(direction[i + 1] - direction[i]));
}

double WindUsed::DirectionAt(double at, size_t& hint) const {
  if (t.empty()) return 0;
  if (hint >= t.size()) hint = 0;
  if (t[hint] > at) return DirectionAt(at);
  while (hint + 1 < t.size() && t[hint + 1] <= at) ++hint;
  if (hint + 1 >= t.size()) return direction[hint];
  const double f = (at - t[hint]) / (t[hint + 1] - t[hint]);
  return Wrap360(direction[hint] + f * Wrap180(direction[hint + 1] - direction[hint]));
}

double WindUsed::SpeedAt(double at) const {
  if (speed.empty() || t.empty()) return -1;
  const size_t i = Before(t, at);
  if (at <= t.front() || i + 1 >= t.size()) return speed[at <= t.front() ? 0 : i];
  const double f = (at - t[i]) / (t[i + 1] - t[i]);
  return speed[i] + f * (speed[i + 1] - speed[i]);
}

void WindUsed::Prepare() {
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  east_.resize(direction.size());
  north_.resize(direction.size());
  for (size_t i = 0; i < direction.size(); ++i) {
    east_[i] = std::sin(direction[i] * kRad);
    north_[i] = std::cos(direction[i] * kRad);
  }
}

void WindUsed::UnitAt(double at, size_t& hint, double& east, double& north) const {
  if (east_.size() != t.size() || t.empty()) {
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double d = DirectionAt(at, hint);
    east = std::sin(d * kRad), north = std::cos(d * kRad);
    return;
  }
  if (hint >= t.size() || t[hint] > at) hint = Before(t, at);
  while (hint + 1 < t.size() && t[hint + 1] <= at) ++hint;
  if (at <= t[hint] || hint + 1 >= t.size()) {
    east = east_[hint], north = north_[hint];
    return;
  }
  const double f = (at - t[hint]) / (t[hint + 1] - t[hint]);
  const double e = east_[hint] + f * (east_[hint + 1] - east_[hint]);
  const double n = north_[hint] + f * (north_[hint + 1] - north_[hint]);
  const double length = std::sqrt(e * e + n * n);
  if (length < 1e-9) {
    east = east_[hint], north = north_[hint];
    return;
  }
  east = e / length, north = n / length;
}

WindUsed ChooseWind(const RaceData& race, const WindEstimate& estimate) {
  WindUsed w;
  if (race.WindCount >= 1) {
    w.source = WindUsed::WindFile;
    // Records in time order; a record at the same time as the one before adds nothing.
    for (int i = 1; i <= race.WindCount; ++i) {
      if (!w.t.empty() && !(race.WindTime[i] > w.t.back())) continue;
      w.t.push_back(race.WindTime[i]);
      w.direction.push_back(ToTrueDirection(race, race.WindDir[i]));
      w.speed.push_back(race.WindSpeed[i]);
    }
    if (race.WindSpeedMax <= 0) w.speed.clear();
    w.Prepare();
    return w;
  }
  if (estimate.enough) {
    w.source = WindUsed::Estimate;
    for (const WindEstimatePoint& p : estimate.series) {
      w.t.push_back(p.t);
      w.direction.push_back(ToTrueDirection(race, p.direction));
    }
    w.Prepare();
    return w;
  }
  w.t.push_back(0);
  w.direction.push_back(ToTrueDirection(race, race.WindDirection));
  w.Prepare();
  return w;
}

std::string WindSourceText(const RaceData& race, const WindUsed& wind) {
  switch (wind.source) {
    case WindUsed::WindFile:
      return "wind file " + race.WindFileName;
    case WindUsed::Estimate:
      return "estimated from the fleet's tacks and gybes";
    case WindUsed::RaceFileDirection:
      break;
  }
  return "the race file's wind direction (WD " + std::to_string(race.WindDirection) + ")";
}

const char* WindSourceKey(const WindUsed& wind) {
  switch (wind.source) {
    case WindUsed::WindFile:
      return "windFile";
    case WindUsed::Estimate:
      return "estimate";
    case WindUsed::RaceFileDirection:
      break;
  }
  return "raceFile";
}

}  // namespace kw
