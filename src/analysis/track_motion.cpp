#include "analysis/track_motion.h"

#include <algorithm>
#include <cmath>

#include "analysis/fleet_work.h"
#include "analysis/mark_passing.h"
#include "race/model.h"

namespace kw {

namespace {

constexpr double kKnot = 1852.0 / 3600.0;  // metres a second

// The usual pause between fixes, to a tenth of a second: the median step, counted in bins of
// 0.1 s (longer pauses all in the last bin).
double UsualInterval(const BoatMotion& m) {
  constexpr int kBins = 601;
  std::vector<int> count(kBins, 0);
  const int n = m.size();
  for (int i = 1; i < n; ++i)
    ++count[std::min(kBins - 1, static_cast<int>((m.t[i] - m.t[i - 1]) * 10 + 0.5))];
  for (int b = 0, seen = 0; b < kBins; ++b)
    if ((seen += count[b]) > (n - 1) / 2) return std::max(b, 1) / 10.0;
  return 1;
}

// Keeps the fixes whose time moves on; a fix at or before the last one kept (a logger clock
// stepping back, a repeated time) cannot be placed on the track and is left out.
void KeepFixes(const RaceData& race, int b, double cosLat, BoatMotion& m) {
  const int n = race.BoatSampleCount[b];
  const auto& t = race.TrackTime[b];
  const auto& la = race.TrackLat[b];
  const auto& lo = race.TrackLon[b];
  m.t.reserve(static_cast<size_t>(n));
  m.x.reserve(static_cast<size_t>(n));
  m.y.reserve(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    if (!m.t.empty() && !(t[i] > m.t.back())) continue;
    if (!std::isfinite(t[i]) || !std::isfinite(la[i]) || !std::isfinite(lo[i])) continue;
    m.t.push_back(t[i]);
    m.x.push_back(lo[i] * 1852.0 * cosLat);
    m.y.push_back(la[i] * 1852.0);
  }
}

// Pieces: a pause longer than three of the logger's usual intervals (and at least 10 s) cuts
// the track.
void CutIntoPieces(BoatMotion& m, double& interval) {
  const int n = m.size();
  interval = n > 1 ? UsualInterval(m) : 1;
  m.gapSeconds = std::max(10.0, 3 * interval);
  m.piece.assign(static_cast<size_t>(n), 0);
  for (int i = 1; i < n; ++i)
    m.piece[i] = m.piece[i - 1] + (m.t[i] - m.t[i - 1] > m.gapSeconds ? 1 : 0);
}

// Degrees clockwise from north of the vector (east, north), to a thousandth of a degree: a
// polynomial arctangent (largest error 1e-5 rad), several times quicker than the library's,
// for the million fixes of a big fleet.
double QuickBearing(double east, double north) {
  const double ax = std::abs(east), ay = std::abs(north);
  if (ax == 0 && ay == 0) return 0;
  const double r = std::min(ax, ay) / std::max(ax, ay), r2 = r * r;
  double a =
      r * (0.99997726 +
           r2 * (-0.33262347 +
                 r2 * (0.19354346 + r2 * (-0.11643287 + r2 * (0.05265332 - r2 * 0.0117212)))));
  if (ax > ay) a = 1.5707963267948966 - a;  // angle from north within the quadrant
  double deg = a * 57.29577951308232;
  if (north < 0) deg = 180 - deg;
  if (east < 0) deg = 360 - deg;
  return deg >= 360 ? deg - 360 : deg;
}

// Course and speed at every fix: the straight line that best fits (least squares) the fixes of
// its piece within the half window either side, when there is a fix on each side. The window's
// sums slide along with it, taken from an origin near the window (moved on every 1024 fixes and
// the sums taken afresh there), so that they stay small and exact enough.
class SlidingFit {
 public:
  explicit SlidingFit(const BoatMotion& m) : m_(m) {}
  void Restart(int from) {
    t0_ = m_.t[from], x0_ = m_.x[from], y0_ = m_.y[from];
    k_ = st_ = stt_ = sx_ = stx_ = sy_ = sty_ = 0;
  }
  void Add(int j, double sign) {
    const double dt = m_.t[j] - t0_, dx = m_.x[j] - x0_, dy = m_.y[j] - y0_;
    k_ += sign, st_ += sign * dt, stt_ += sign * dt * dt, sx_ += sign * dx;
    stx_ += sign * dt * dx, sy_ += sign * dy, sty_ += sign * dt * dy;
  }
  // False when the fixes give no line.
  bool Velocity(double& vx, double& vy) const {
    const double den = k_ * stt_ - st_ * st_;
    if (!(den > 1e-9)) return false;
    vx = (k_ * stx_ - st_ * sx_) / den, vy = (k_ * sty_ - st_ * sy_) / den;
    return true;
  }

 private:
  const BoatMotion& m_;
  double t0_ = 0, x0_ = 0, y0_ = 0;
  double k_ = 0, st_ = 0, stt_ = 0, sx_ = 0, stx_ = 0, sy_ = 0, sty_ = 0;
};

void FitAll(BoatMotion& m, double half) {
  const int n = m.size();
  SlidingFit fit(m);
  int a = 0, z = -1, fresh = 0;
  for (int i = 0; i < n; ++i) {
    if (i == 0 || m.piece[i] != m.piece[i - 1]) {
      a = i, z = i - 1, fresh = 0;
      fit.Restart(i);
    }
    while (z + 1 < n && m.piece[z + 1] == m.piece[i] && m.t[z + 1] - m.t[i] <= half)
      fit.Add(++z, 1);
    while (m.t[i] - m.t[a] > half) fit.Add(a++, -1);
    if (++fresh >= 1024) {
      fit.Restart(a);
      for (int j = a; j <= z; ++j) fit.Add(j, 1);
      fresh = 0;
    }
    double vx = 0, vy = 0;
    if (a == i || z == i || !fit.Velocity(vx, vy)) continue;
    m.speed[i] = std::sqrt(vx * vx + vy * vy) / kKnot;
    m.course[i] = QuickBearing(vx, vy);
    m.fitted[i] = 1;
  }
}

// Median of the fitted speeds after the gun, to a hundredth of a knot: counted in bins rather
// than sorted.
double TypicalSpeed(const BoatMotion& m) {
  constexpr int kBins = 6000;  // 0.01 knot each, up to 60 knots
  std::vector<int> count(kBins, 0);
  int n = 0;
  for (int i = 0; i < m.size(); ++i) {
    if (!m.fitted[i] || m.t[i] < 0) continue;
    ++count[std::min(kBins - 1, static_cast<int>(m.speed[i] * 100))];
    ++n;
  }
  for (int b = 0, seen = 0; b < kBins; ++b)
    if ((seen += count[b]) > n / 2) return (b + 0.5) / 100;
  return 0;
}

}  // namespace

int BoatMotion::FirstAtOrAfter(double at) const {
  return static_cast<int>(std::lower_bound(t.begin(), t.end(), at) - t.begin());
}

void BoatMotion::PositionAt(double at, int near, double& px, double& py) const {
  const int n = size();
  if (n == 0) {
    px = py = 0;
    return;
  }
  int i = std::clamp(near, 0, n - 1);
  while (i > 0 && piece[i - 1] == piece[i] && t[i] > at) --i;
  while (i + 1 < n && piece[i + 1] == piece[i] && t[i + 1] <= at) ++i;
  if (at <= t[i] || i + 1 >= n || piece[i + 1] != piece[i]) {
    px = x[i], py = y[i];
    return;
  }
  const double f = (at - t[i]) / (t[i + 1] - t[i]);
  px = x[i] + f * (x[i + 1] - x[i]);
  py = y[i] + f * (y[i + 1] - y[i]);
}

BoatMotion MeasureMotion(const RaceData& race, int boat, double cosCentreLat) {
  BoatMotion m;
  m.boat = boat;
  m.cosLat = cosCentreLat;
  if (boat < 1 || boat > race.BoatCount) return m;
  KeepFixes(race, boat, cosCentreLat, m);
  double interval = 1;
  CutIntoPieces(m, interval);
  const size_t n = m.t.size();
  m.course.assign(n, 0);
  m.speed.assign(n, 0);
  m.fitted.assign(n, 0);
  FitAll(m, std::max(kMotionHalfWindow, 1.01 * interval));
  m.typicalSpeed = TypicalSpeed(m);
  return m;
}

std::vector<BoatMotion> MeasureFleet(const RaceData& race, double cosCentreLat) {
  std::vector<BoatMotion> fleet(static_cast<size_t>(race.BoatCount) + 1);
  ForEachBoat(race.BoatCount, [&](int b) { fleet[b] = MeasureMotion(race, b, cosCentreLat); });
  return fleet;
}

bool MeanCourseBetween(const BoatMotion& m, double t0, double t1, double& course) {
  // Steady courses lie close together: their mean is taken as offsets from the first one.
  double first = 0, sum = 0;
  int n = 0;
  for (int i = m.FirstAtOrAfter(t0); i < m.size() && m.t[i] <= t1; ++i) {
    if (!m.fitted[i]) continue;
    if (n == 0) first = m.course[i];
    sum += Wrap180(m.course[i] - first);
    ++n;
  }
  if (n == 0) return false;
  course = Wrap360(first + sum / n);
  return true;
}

double MeanSpeedBetween(const BoatMotion& m, double t0, double t1) {
  double sum = 0;
  int n = 0;
  for (int i = m.FirstAtOrAfter(t0); i < m.size() && m.t[i] <= t1; ++i)
    if (m.fitted[i]) sum += m.speed[i], ++n;
  return n > 0 ? sum / n : 0;
}

double LowestSpeedBetween(const BoatMotion& m, double t0, double t1) {
  double lowest = -1;
  for (int i = m.FirstAtOrAfter(t0); i < m.size() && m.t[i] <= t1; ++i)
    if (m.fitted[i] && (lowest < 0 || m.speed[i] < lowest)) lowest = m.speed[i];
  return std::max(lowest, 0.0);
}

double MadeGoodBetween(const BoatMotion& m, double t0, double t1, double direction) {
  if (m.size() == 0) return 0;
  const int near = std::min(m.FirstAtOrAfter(t0), m.size() - 1);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  m.PositionAt(t0, near, x0, y0);
  m.PositionAt(t1, near, x1, y1);
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  return (x1 - x0) * std::sin(direction * kRad) + (y1 - y0) * std::cos(direction * kRad);
}

RacingSpan RacingSpanOf(const RaceData& race, const PassingResults& passing, int boat) {
  RacingSpan s{0, 1.0e9};
  const int n = race.CourseCount;
  const bool tables = boat >= 1 && static_cast<size_t>(boat) < passing.MarkPassTime.size() &&
                      n >= 1 && static_cast<size_t>(n) < passing.MarkPassTime[boat].size();
  if (!tables) return s;
  if (passing.Passed(boat, 1)) s.from = passing.MarkPassTime[boat][1];
  if (n >= 2 && passing.Passed(boat, n) && passing.MarkPassTime[boat][n] > s.from)
    s.to = passing.MarkPassTime[boat][n];
  return s;
}

double WrapFar360(double a) {
  if (!std::isfinite(a)) return 0;
  a = std::fmod(a, 360.0);
  if (a < 0) a += 360.0;
  return a < 360.0 ? a : 0;
}

bool CircularMean(const std::vector<double>& angles, const std::vector<double>& weights,
                  double& mean) {
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  double s = 0, c = 0;
  for (size_t i = 0; i < angles.size(); ++i) {
    const double w = weights.empty() ? 1.0 : weights[i];
    s += w * std::sin(angles[i] * kRad);
    c += w * std::cos(angles[i] * kRad);
  }
  if (std::hypot(s, c) < 1e-9) return false;
  mean = Wrap360(std::atan2(s, c) / kRad);
  return true;
}

}  // namespace kw
