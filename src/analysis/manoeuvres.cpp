#include "analysis/manoeuvres.h"

#include <algorithm>
#include <cmath>

#include "analysis/fleet_work.h"
#include "analysis/manoeuvre_measure.h"
#include "analysis/mark_passing.h"
#include "analysis/wind_used.h"
#include "race/model.h"

namespace kw {

namespace {

constexpr double kSettle = 15;           // degrees off the wind's axis: on one board or the other
constexpr double kRoundBefore = 18;      // a crossing this many s before a passing ...
constexpr double kRoundAfter = 20;       // ... or after it is part of the rounding
constexpr double kPenaltyDegrees = 330;  // turned within kPenaltySeconds: a full turn
constexpr double kPenaltySeconds = 90;
constexpr double kStillTurning = 2;  // degrees a second that carry a full turn on
constexpr double kPause = 6;         // s a full turn may pause

struct Crossing {
  double t = 0;
  ManoeuvreKind kind = ManoeuvreKind::Tack;
};

// The boat's angle to the wind at every fix (course minus wind, -180..180; positive: the wind
// on the port side), and whether the boat was moving and racing there.
struct WindAngles {
  std::vector<double> rel;
  std::vector<char> moving;
};

WindAngles AnglesToWind(const BoatMotion& m, const WindUsed& wind, const RacingSpan& span,
                        double minSpeed) {
  WindAngles a;
  a.rel.assign(static_cast<size_t>(m.size()), 0);
  a.moving.assign(static_cast<size_t>(m.size()), 0);
  size_t hint = 0;
  for (int i = 0; i < m.size(); ++i) {
    if (!m.fitted[i]) continue;
    a.rel[i] = Wrap180(m.course[i] - wind.DirectionAt(m.t[i], hint));
    a.moving[i] = m.speed[i] >= minSpeed && m.t[i] >= span.from && m.t[i] <= span.to;
  }
  return a;
}

// Between settled fixes a and z on opposite boards: the last time the angle to the wind,
// followed fix by fix, passed 0 (a tack) or 180 (a gybe).
bool CrossingBetween(const BoatMotion& m, const WindAngles& w, int a, int z, Crossing& c) {
  double r = w.rel[a], prevRel = w.rel[a];
  int prev = a;
  bool found = false;
  for (int j = a + 1; j <= z; ++j) {
    if (!m.fitted[j]) continue;
    const double next = r + Wrap180(w.rel[j] - prevRel);
    const double k0 = std::floor(r / 180), k1 = std::floor(next / 180);
    if (k0 != k1) {
      const double boundary = 180 * std::max(k0, k1);
      const double f = (boundary - r) / (next - r);
      c.t = m.t[prev] + f * (m.t[j] - m.t[prev]);
      c.kind = std::fmod(std::abs(boundary), 360.0) < 1 ? ManoeuvreKind::Tack : ManoeuvreKind::Gybe;
      found = true;
    }
    r = next, prevRel = w.rel[j], prev = j;
  }
  return found;
}

// Every change from one board to the other while moving and racing; none across a gap.
std::vector<Crossing> Crossings(const BoatMotion& m, const WindAngles& w) {
  std::vector<Crossing> out;
  int last = -1, side = 0;
  for (int i = 0; i < m.size(); ++i) {
    if (!w.moving[i]) continue;
    if (last >= 0 && m.piece[i] != m.piece[last]) last = -1, side = 0;
    const double a = std::abs(w.rel[i]);
    if (a < kSettle || a > 180 - kSettle) continue;
    const int s = w.rel[i] > 0 ? 1 : -1;
    Crossing c;
    if (side != 0 && s != side && CrossingBetween(m, w, last, i, c)) out.push_back(c);
    side = s, last = i;
  }
  return out;
}

struct Spin {
  int first = 0, last = 0;
};

// Full turns: runs of fixes over which the course keeps turning one way (at least kTurning
// degrees a second, pauses of up to kPause s allowed) and adds up to kPenaltyDegrees within
// kPenaltySeconds; a run goes on as long as the boat keeps turning.
std::vector<Spin> FullTurns(const BoatMotion& m, const WindAngles& w) {
  std::vector<Spin> spins;
  int first = -1, last = -1;
  double sense = 0, turned = 0;
  auto close = [&] {
    if (first >= 0 && std::abs(turned) >= kPenaltyDegrees && (w.moving[first] || w.moving[last]))
      spins.push_back({first, last});
    first = -1, sense = 0, turned = 0;
  };
  for (int i = 1; i < m.size(); ++i) {
    if (!m.fitted[i] || !m.fitted[i - 1] || m.piece[i] != m.piece[i - 1]) {
      close();
      continue;
    }
    const double du = Wrap180(m.course[i] - m.course[i - 1]);
    const bool turning = std::abs(du) >= kStillTurning * (m.t[i] - m.t[i - 1]);
    if (turning && (du > 0 ? 1.0 : -1.0) == sense && m.t[i] - m.t[last] <= kPause) {
      turned += du, last = i;
    } else if (turning) {
      close();
      first = i - 1, last = i, sense = du > 0 ? 1 : -1, turned = du;
    } else if (first >= 0 && m.t[i] - m.t[last] > kPause) {
      close();
    } else if (first >= 0) {
      turned += du;  // a pause in the turn: what the course does meanwhile counts
    }
    // Too slow for a full turn: what is left of the run may start one.
    while (first >= 0 && first < last && m.t[last] - m.t[first] > kPenaltySeconds &&
           std::abs(turned) < kPenaltyDegrees) {
      turned -= Wrap180(m.course[first + 1] - m.course[first]);
      ++first;
    }
  }
  close();
  return spins;
}

bool InsideAny(double t, const std::vector<std::pair<double, double>>& spans) {
  for (const auto& [a, z] : spans)
    if (t >= a && t <= z) return true;
  return false;
}

}  // namespace

const char* ManoeuvreKindName(ManoeuvreKind kind) {
  switch (kind) {
    case ManoeuvreKind::Tack:
      return "tack";
    case ManoeuvreKind::Gybe:
      return "gybe";
    case ManoeuvreKind::Rounding:
      return "rounding";
    case ManoeuvreKind::Penalty:
      break;
  }
  return "penalty";
}

int LegKindAgainst(const PassingResults& passing, int leg, double trueWind) {
  if (leg < 1 || static_cast<size_t>(leg) >= passing.LegBearing.size()) return 3;
  const double d = std::abs(Wrap180(passing.LegBearing[leg] - trueWind));
  return d < 45 ? 1 : d > 135 ? 2 : 3;
}

BoatManoeuvres DetectManoeuvres(const RaceData& race, const PassingResults& passing,
                                const BoatMotion& motion, const WindUsed& wind) {
  BoatManoeuvres out;
  out.boat = motion.boat;
  if (motion.size() < 3) return out;
  const RacingSpan span = RacingSpanOf(race, passing, motion.boat);
  const double minSpeed = std::max(1.0, 0.3 * motion.typicalSpeed);
  const WindAngles w = AnglesToWind(motion, wind, span, minSpeed);
  const ManoeuvreMeasure measure(race, passing, motion, wind);

  std::vector<ManoeuvreEvent> events;
  std::vector<std::pair<double, double>> taken;  // spans the crossings in them belong to
  for (const Spin& s : FullTurns(motion, w)) {
    if (motion.t[s.last] < span.from || motion.t[s.first] > span.to) continue;
    ManoeuvreEvent ev{ManoeuvreKind::Penalty, 0.5 * (motion.t[s.first] + motion.t[s.last])};
    ev.from = motion.t[s.first], ev.to = motion.t[s.last];
    events.push_back(ev);
    taken.push_back({ev.from - 5, ev.to + 5});
  }
  for (int e = 2; e < race.CourseCount; ++e) {
    if (!passing.Passed(motion.boat, e)) continue;
    ManoeuvreEvent ev{ManoeuvreKind::Rounding, passing.MarkPassTime[motion.boat][e]};
    ev.entry = e;
    events.push_back(ev);
    taken.push_back({ev.t - kRoundBefore, ev.t + kRoundAfter});
  }
  for (const Crossing& c : Crossings(motion, w))
    if (!InsideAny(c.t, taken)) events.push_back({c.kind, c.t});
  std::sort(events.begin(), events.end(),
            [](const ManoeuvreEvent& a, const ManoeuvreEvent& b) { return a.t < b.t; });
  for (size_t k = 0; k < events.size(); ++k) {
    const double before = k > 0 ? events[k - 1].t : -1.0e9;
    const double after = k + 1 < events.size() ? events[k + 1].t : 1.0e9;
    out.list.push_back(measure.Measure(events[k], before, std::min(after, span.to)));
  }
  out.legs = measure.Legs(out.list);
  return out;
}

std::vector<BoatManoeuvres> DetectFleetManoeuvres(const RaceData& race,
                                                  const PassingResults& passing,
                                                  const std::vector<BoatMotion>& fleet,
                                                  const WindUsed& wind) {
  std::vector<BoatManoeuvres> all(static_cast<size_t>(race.BoatCount) + 1);
  const int boats = std::min(race.BoatCount, static_cast<int>(fleet.size()) - 1);
  ForEachBoat(boats, [&](int b) { all[b] = DetectManoeuvres(race, passing, fleet[b], wind); });
  return all;
}

}  // namespace kw
