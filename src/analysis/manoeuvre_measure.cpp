#include "analysis/manoeuvre_measure.h"

#include <algorithm>
#include <cmath>

#include "analysis/mark_passing.h"
#include "analysis/wind_used.h"
#include "race/geodesy.h"
#include "race/model.h"

namespace kw {

namespace {

constexpr double kHeld = 10;         // degrees: still (or again) on a steady course
constexpr double kRecovered = 0.95;  // share of the speed going in that ends a manoeuvre
constexpr double kLongest = 60;      // s after the crossing at most
constexpr double kVmgBefore = 20;    // s before the start that give the speed made good
constexpr double kApart = 5;         // s kept between neighbouring manoeuvres
constexpr double kKnot = 1852.0 / 3600.0;
constexpr double kRad = 3.14159265358979323846 / 180.0;

// Where the steady courses before and after are taken, seconds either side of the event.
double Reach(ManoeuvreKind kind) {
  return kind == ManoeuvreKind::Rounding ? 45 : 30;
}

// Walking from fix `from` by `step` (-1 back, +1 on): the time of the first fitted fix on
// `course` (within kHeld), or `limit` when none comes before it.
double FirstOnCourse(const BoatMotion& m, int from, int step, double course, double limit) {
  for (int i = from; i >= 0 && i < m.size(); i += step) {
    if (step < 0 ? m.t[i] < limit : m.t[i] > limit) break;
    if (m.fitted[i] && std::abs(Wrap180(m.course[i] - course)) <= kHeld) return m.t[i];
  }
  return limit;
}

}  // namespace

int ManoeuvreMeasure::LegAt(double t) const {
  const int b = m_.boat;
  for (int k = 1; k < race_.CourseCount; ++k) {
    if (!passing_.Passed(b, k) || !passing_.Passed(b, k + 1)) continue;
    if (t >= passing_.MarkPassTime[b][k] && t < passing_.MarkPassTime[b][k + 1]) return k;
  }
  return 0;
}

double ManoeuvreMeasure::ProgressDirection(double t, ManoeuvreKind kind) const {
  const double w = wind_.DirectionAt(t);
  if (const int leg = LegAt(t); leg > 0) {
    const int legKind = LegKindAgainst(passing_, leg, w);
    if (legKind == 3) return passing_.LegBearing[leg];
    return legKind == 1 ? w : Wrap360(w + 180);
  }
  if (kind == ManoeuvreKind::Tack) return w;
  if (kind == ManoeuvreKind::Gybe) return Wrap360(w + 180);
  double course = 0;
  if (!MeanCourseBetween(m_, t - 30, t - 10, course)) return w;
  return std::abs(Wrap180(course - w)) < 90 ? w : Wrap360(w + 180);
}

Manoeuvre ManoeuvreMeasure::Measure(const ManoeuvreEvent& ev, double before, double after) const {
  Manoeuvre x;
  x.kind = ev.kind;
  x.t = ev.t;
  x.entry = ev.entry;
  const double reach = Reach(ev.kind);
  const bool spin = ev.kind == ManoeuvreKind::Penalty;
  const double turnFrom = spin ? ev.from : ev.t, turnTo = spin ? ev.to : ev.t;
  const double lo = std::max(turnFrom - reach, before + kApart);
  const double hi = std::max(turnTo, std::min(turnTo + kLongest, after - kApart));
  const int at = std::min(m_.FirstAtOrAfter(ev.t), m_.size() - 1);

  double courseIn = 0, courseOut = 0;
  x.start = MeanCourseBetween(m_, turnFrom - reach, turnFrom - reach / 2, courseIn)
                ? FirstOnCourse(m_, m_.FirstAtOrAfter(turnFrom) - 1, -1, courseIn, lo)
                : std::max(lo, turnFrom - 10);
  const double turnEnd =
      MeanCourseBetween(m_, turnTo + reach / 2, turnTo + reach, courseOut)
          ? FirstOnCourse(m_, m_.FirstAtOrAfter(turnTo), 1, courseOut, std::min(turnTo + reach, hi))
          : std::min(hi, turnTo + 10);
  x.speedIn = MeanSpeedBetween(m_, x.start - 10, x.start);
  const double settled = ev.kind == ManoeuvreKind::Rounding
                             ? MeanSpeedBetween(m_, ev.t + reach / 2, ev.t + reach)
                             : x.speedIn;
  x.end = hi;
  for (int i = m_.FirstAtOrAfter(turnEnd); i < m_.size() && m_.t[i] <= hi; ++i) {
    if (m_.fitted[i] && m_.speed[i] >= kRecovered * settled) {
      x.end = m_.t[i];
      break;
    }
  }
  x.speedMin = LowestSpeedBetween(m_, x.start, x.end);
  x.speedOut = MeanSpeedBetween(m_, x.end - 0.5, x.end + 0.5);

  double px = 0, py = 0;
  m_.PositionAt(ev.t, at, px, py);
  x.lat = py / 1852.0;
  x.lon = m_.cosLat > 0 ? px / (1852.0 * m_.cosLat) : 0;

  const double dirIn = ProgressDirection(x.start - 1, ev.kind);
  const double vmgIn = MadeGoodBetween(m_, x.start - kVmgBefore, x.start, dirIn) / kVmgBefore;
  if (ev.kind == ManoeuvreKind::Rounding) {
    const double dirOut = ProgressDirection(ev.t + 1, ev.kind);
    const double vmgOut = MadeGoodBetween(m_, x.end, x.end + kVmgBefore, dirOut) / kVmgBefore;
    x.lossMetres = vmgIn * (ev.t - x.start) - MadeGoodBetween(m_, x.start, ev.t, dirIn) +
                   vmgOut * (x.end - ev.t) - MadeGoodBetween(m_, ev.t, x.end, dirOut);
  } else {
    x.lossMetres = vmgIn * (x.end - x.start) - MadeGoodBetween(m_, x.start, x.end, dirIn);
  }
  return x;
}

LegFigures ManoeuvreMeasure::Leg(int leg, double from, double to) const {
  LegFigures f;
  f.leg = leg;
  f.seconds = to - from;
  f.lengthMetres =
      static_cast<size_t>(leg) < passing_.LegLength.size() ? passing_.LegLength[leg] : 0;
  f.kind = LegKindAgainst(passing_, leg, wind_.DirectionAt(0.5 * (from + to)));
  // The track from the first passing to the second, its ends placed at the passing times.
  std::vector<double> t{from}, x(1), y(1);
  const int first = m_.FirstAtOrAfter(from);
  m_.PositionAt(from, std::min(first, m_.size() - 1), x[0], y[0]);
  for (int i = first; i < m_.size() && m_.t[i] < to; ++i)
    t.push_back(m_.t[i]), x.push_back(m_.x[i]), y.push_back(m_.y[i]);
  double ex = 0, ey = 0;
  m_.PositionAt(to, std::max(0, std::min(m_.FirstAtOrAfter(to), m_.size() - 1)), ex, ey);
  t.push_back(to), x.push_back(ex), y.push_back(ey);
  // Made good along the wind (towards it upwind, away from it downwind) or the leg's bearing.
  const double legEast = std::sin(passing_.LegBearing[leg] * kRad);
  const double legNorth = std::cos(passing_.LegBearing[leg] * kRad);
  double made = 0, sinW = 0, cosW = 1;
  size_t hint = 0;
  for (size_t i = 1; i < t.size(); ++i) {
    const double dx = x[i] - x[i - 1], dy = y[i] - y[i - 1], dt = t[i] - t[i - 1];
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d <= 0) continue;
    wind_.UnitAt(t[i], hint, sinW, cosW);
    made += f.kind == 1   ? dx * sinW + dy * cosW
            : f.kind == 2 ? -(dx * sinW + dy * cosW)
                          : dx * legEast + dy * legNorth;
    f.sailedMetres += d;
    // The course lies clockwise of the wind (the wind over the port side) when the wind's
    // direction crossed with the step is negative.
    const bool port = sinW * dy - cosW * dx < 0;
    (port ? f.portSeconds : f.starboardSeconds) += dt;
    (port ? f.portMetres : f.starboardMetres) += d;
  }
  f.madeGoodKnots = f.seconds > 0 ? made / f.seconds / kKnot : 0;
  return f;
}

std::vector<LegFigures> ManoeuvreMeasure::Legs(const std::vector<Manoeuvre>& list) const {
  std::vector<LegFigures> legs;
  const int b = m_.boat;
  if (m_.size() == 0) return legs;
  for (int k = 1; k < race_.CourseCount; ++k) {
    if (!passing_.Passed(b, k) || !passing_.Passed(b, k + 1)) continue;
    const double from = passing_.MarkPassTime[b][k], to = passing_.MarkPassTime[b][k + 1];
    if (!(to > from)) continue;
    LegFigures f = Leg(k, from, to);
    double loss = 0;
    for (const Manoeuvre& x : list) {
      if (x.t < from || x.t >= to) continue;
      if (x.kind == ManoeuvreKind::Tack) ++f.tacks;
      if (x.kind == ManoeuvreKind::Gybe) ++f.gybes;
      if (x.kind == ManoeuvreKind::Tack || x.kind == ManoeuvreKind::Gybe) loss += x.lossMetres;
    }
    if (f.tacks + f.gybes > 0) f.meanLossMetres = loss / (f.tacks + f.gybes);
    legs.push_back(f);
  }
  return legs;
}

}  // namespace kw
