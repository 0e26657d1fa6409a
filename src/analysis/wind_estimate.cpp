#include "analysis/wind_estimate.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "analysis/fleet_work.h"
#include "race/model.h"
#include "race/numbers.h"

namespace kw {

namespace {

constexpr double kStep = 60;     // one value a minute
constexpr double kNear = 150;    // s either side: the turns a value is made of
constexpr double kFar = 300;     // ... when there are too few nearer
constexpr double kWide = 900;    // s either side for telling the wind's end of the axis
constexpr double kAgree = 15;    // degrees of axis within which turns agree
constexpr double kContext = 30;  // ... and within which they follow the quarter hour's axis
constexpr int kMinTurns = 4;     // fewer agreeing turns give no estimate
constexpr int kMinPerValue = 2;  // turns a minute's value needs
constexpr double kRad = 3.14159265358979323846 / 180.0;

// The axis of the turns near one minute: directions mod 180, averaged as doubled angles.
struct LocalAxis {
  bool ok = false;
  double axis = 0;  // degrees, 0..180
  double spread = 0;
  int count = 0;
  std::vector<int> members;  // indices of the turns that agree with it
};

double Doubled(double bisector) {
  return Wrap360(2 * bisector);
}

// The axis most of the turns `near` (with weights `w`) share: the peak of their doubled angles'
// weights in 5° bins, each spread over its neighbours, then the weighted mean of the turns
// within kAgree of it.
LocalAxis AxisOf(const std::vector<AxisTurn>& turns, const std::vector<int>& near,
                 const std::vector<double>& w) {
  LocalAxis out;
  constexpr int kBins = 72;
  double bins[kBins] = {};
  for (size_t k = 0; k < near.size(); ++k) {
    const int bin = static_cast<int>(Doubled(turns[near[k]].bisector) / 5) % kBins;
    for (int d = -3; d <= 3; ++d) bins[(bin + d + kBins) % kBins] += w[k] * (4 - std::abs(d));
  }
  const int peak = static_cast<int>(std::max_element(bins, bins + kBins) - bins);
  const double best = peak * 5 + 2.5;
  std::vector<double> angles, weights;
  for (size_t k = 0; k < near.size(); ++k) {
    const double a = Doubled(turns[near[k]].bisector);
    if (std::abs(Wrap180(a - best)) > 2 * kAgree) continue;
    angles.push_back(a);
    weights.push_back(w[k]);
    out.members.push_back(near[k]);
  }
  double mean = best;
  if (angles.empty() || !CircularMean(angles, weights, mean)) return out;
  double sum = 0, sw = 0;
  for (size_t k = 0; k < angles.size(); ++k) {
    const double d = Wrap180(angles[k] - mean) / 2;
    sum += weights[k] * d * d;
    sw += weights[k];
  }
  out.ok = true;
  out.axis = mean / 2;
  out.spread = sw > 0 ? std::sqrt(sum / sw) : 0;
  out.count = static_cast<int>(angles.size());
  return out;
}

// The turns within `half` seconds of t, weighted by their nearness.
void TurnsNear(const std::vector<AxisTurn>& turns, double t, double half, std::vector<int>& near,
               std::vector<double>& w) {
  near.clear();
  w.clear();
  const double sigma = half / 2;
  for (size_t k = 0; k < turns.size(); ++k) {
    const double d = turns[k].t - t;
    if (std::abs(d) > half) continue;
    near.push_back(static_cast<int>(k));
    w.push_back(std::exp(-0.5 * (d / sigma) * (d / sigma)));
  }
}

// Which end of `axis` the wind comes from by the turns around t: a tack says the end its
// bisector points to, a gybe the other one. Positive: the wind comes from `axis` itself.
double EndVote(const std::vector<AxisTurn>& turns, double axis, double t, double half) {
  double vote = 0;
  for (const AxisTurn& turn : turns) {
    if (std::abs(turn.t - t) > half) continue;
    const double off = Wrap180(turn.bisector - axis);
    if (std::abs(std::abs(off) - 90) < 90 - kAgree) continue;  // not on this axis
    vote += std::abs(off) < 90 ? turn.tackScore : -turn.tackScore;
  }
  return vote;
}

// The wind's true direction from the axis at t: the nearby turns decide, then the race's
// turns, and only when they cannot tell, the race file's wind direction.
double WindEnd(const RaceData& race, const std::vector<AxisTurn>& turns, double axis, double t) {
  for (double half : {kWide, 1.0e9}) {
    const double vote = EndVote(turns, axis, t, half);
    if (std::abs(vote) >= 1) return vote > 0 ? axis : axis + 180;
  }
  const double typed = ToTrueDirection(race, race.WindDirection);
  return std::abs(Wrap180(typed - axis)) <= 90 ? axis : axis + 180;
}

// Keeps the turns whose axis lies within kContext of `axis`.
void KeepNear(const std::vector<AxisTurn>& turns, double axis, std::vector<int>& near,
              std::vector<double>& w) {
  size_t kept = 0;
  for (size_t k = 0; k < near.size(); ++k) {
    const double d = Wrap180(Doubled(turns[near[k]].bisector) - 2 * axis) / 2;
    if (std::abs(d) > kContext) continue;
    near[kept] = near[k], w[kept] = w[k], ++kept;
  }
  near.resize(kept), w.resize(kept);
}

bool ValueAt(const RaceData& race, const std::vector<AxisTurn>& turns, double t,
             WindEstimatePoint& p, std::set<int>& used) {
  std::vector<int> near;
  std::vector<double> w;
  // The axis of the quarter hour around first: a bear-away or a luff that is no tack nor gybe
  // (without a course they are not known as roundings) cannot outvote it for a minute.
  TurnsNear(turns, t, kWide, near, w);
  const LocalAxis context = AxisOf(turns, near, w);
  if (!context.ok) return false;
  bool far = false;
  TurnsNear(turns, t, kNear, near, w);
  KeepNear(turns, context.axis, near, w);
  if (near.size() < static_cast<size_t>(kMinPerValue)) {
    TurnsNear(turns, t, kFar, near, w);
    KeepNear(turns, context.axis, near, w);
    far = true;
  }
  if (near.size() < static_cast<size_t>(kMinPerValue)) return false;
  const LocalAxis a = AxisOf(turns, near, w);
  if (!a.ok || a.count < kMinPerValue) return false;
  used.insert(a.members.begin(), a.members.end());
  p.t = t;
  p.direction = Wrap360(WindEnd(race, turns, a.axis, t));  // true for now
  const double c = (1 - std::exp(-a.count / 3.0)) * std::max(0.0, 1 - a.spread / kAgree);
  p.confidence = RoundHalfEven((far ? 0.6 : 1.0) * c * 100) / 100;
  return true;
}

void CompareWithFile(const RaceData& race, WindEstimate& e) {
  if (race.WindCount < 1) return;
  double sum = 0, squares = 0;
  int n = 0;
  for (const WindEstimatePoint& p : e.series) {
    if (p.t < race.WindTime[1] || p.t > race.WindTime[race.WindCount]) continue;
    double file = 0;
    if (!WindFileDirectionAt(race, p.t, file)) continue;
    const double d = Wrap180(p.direction - file);
    sum += d, squares += d * d, ++n;
  }
  if (n == 0) return;
  e.compared = true;
  e.meanDifference = sum / n;
  e.rmsDifference = std::sqrt(squares / n);
}

void Summarise(const RaceData& race, const std::vector<AxisTurn>& turns, const std::set<int>& used,
               WindEstimate& e) {
  std::set<int> boats;
  for (int k : used) boats.insert(turns[k].boat);
  e.turnsUsed = static_cast<int>(used.size());
  e.boatsUsed = static_cast<int>(boats.size());
  std::vector<double> angles, weights;
  for (const WindEstimatePoint& p : e.series) {
    angles.push_back(p.direction);
    weights.push_back(std::max(p.confidence, 0.01));
  }
  double mean = 0;
  if (!CircularMean(angles, weights, mean)) mean = angles.empty() ? 0 : angles.front();
  e.meanDirection = ToRaceFileDirection(race, mean);
  for (WindEstimatePoint& p : e.series) p.direction = ToRaceFileDirection(race, p.direction);
}

}  // namespace

double ToRaceFileDirection(const RaceData& race, double trueDirection) {
  return Wrap360(trueDirection - RoundInt(race.MagneticVariation));
}

double ToTrueDirection(const RaceData& race, double raceFileDirection) {
  return Wrap360(raceFileDirection + RoundInt(race.MagneticVariation));
}

bool WindFileDirectionAt(const RaceData& race, double t, double& direction) {
  const int n = race.WindCount;
  if (n < 1) return false;
  if (t <= race.WindTime[1] || n == 1) {
    direction = race.WindDir[1];
    return true;
  }
  if (t >= race.WindTime[n]) {
    direction = race.WindDir[n];
    return true;
  }
  const auto begin = race.WindTime.begin() + 1, end = race.WindTime.begin() + n + 1;
  const int i = static_cast<int>(std::upper_bound(begin, end, t) - race.WindTime.begin()) - 1;
  const int k = std::clamp(i, 1, n - 1);
  const double span = race.WindTime[k + 1] - race.WindTime[k];
  const double f = span > 0 ? std::clamp((t - race.WindTime[k]) / span, 0.0, 1.0) : 0;
  direction = Wrap360(race.WindDir[k] + f * Wrap180(race.WindDir[k + 1] - race.WindDir[k]));
  return true;
}

WindEstimate EstimateWind(const RaceData& race, const PassingResults& passing,
                          const std::vector<BoatMotion>& fleet) {
  WindEstimate e;
  const int boats = std::min(race.BoatCount, static_cast<int>(fleet.size()) - 1);
  std::vector<std::vector<AxisTurn>> byBoat(static_cast<size_t>(std::max(boats, 0)) + 1);
  ForEachBoat(boats, [&](int b) { byBoat[b] = AxisTurns(race, passing, fleet[b]); });
  for (const auto& turns : byBoat) e.turns.insert(e.turns.end(), turns.begin(), turns.end());
  std::sort(e.turns.begin(), e.turns.end(),
            [](const AxisTurn& a, const AxisTurn& b) { return a.t < b.t; });
  if (e.turns.size() < static_cast<size_t>(kMinTurns)) {
    e.why = "too few tacks or gybes to find the wind from (" + std::to_string(e.turns.size()) +
            " found; reaches, boats standing still and the time before a boat's start tell "
            "nothing)";
    return e;
  }
  std::set<int> used;
  const double first = std::floor(e.turns.front().t / kStep) * kStep;
  const double last = std::ceil(e.turns.back().t / kStep) * kStep;
  for (double t = first; t <= last; t += kStep) {
    WindEstimatePoint p;
    if (ValueAt(race, e.turns, t, p, used)) e.series.push_back(p);
  }
  if (used.size() < static_cast<size_t>(kMinTurns) || e.series.empty()) {
    e.series.clear();
    e.why = "the tacks and gybes found do not agree on a wind";
    return e;
  }
  e.enough = true;
  Summarise(race, e.turns, used, e);
  CompareWithFile(race, e);
  return e;
}

}  // namespace kw
