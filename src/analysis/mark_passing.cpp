#include "analysis/mark_passing.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "race/boat_threads.h"
#include "race/geodesy.h"
#include "race/model.h"
#include "race/numbers.h"

namespace kw {

void PassingResults::Resize(int boats, int entries) {
  EntryCount = entries;
  const size_t nb = static_cast<size_t>(boats) + 2;
  const size_t ne = static_cast<size_t>(entries) + 2;
  MarkPassTime.assign(nb, std::vector<double>(ne, NotPassed));
  LegSailedDistance.assign(nb, std::vector<double>(ne, 0.0));
  EntryLeadTime.assign(ne, NotPassed);
  EntryLeader.assign(ne, 0);
  FinishRank.assign(nb, 0);
  LegBearing.assign(ne, 0);
  LegLength.assign(ne, 0);
  LegKind.assign(ne, 0);
  EntryLat.assign(ne, 0);
  EntryLon.assign(ne, 0);
  UpTime.assign(nb, 0);
  DownTime.assign(nb, 0);
  UpDistance.assign(nb, 0);
  DownDistance.assign(nb, 0);
  FinishLine = {};
  StartLine = {};
}

EntryRef ParseEntry(const std::string& entry) {
  EntryRef r;
  r.isLine = entry.find_first_of("Ll") != std::string::npos;
  const size_t skip = r.isLine ? 1 : 2;
  int n = 0;
  if (entry.size() > skip && ParseInt(std::string_view(entry).substr(skip), n)) r.number = n;
  return r;
}

namespace {

// The usable mark or line an entry names; nullopt-like: number 0 when it names none.
EntryRef Resolve(const RaceData& race, const std::string& entry) {
  EntryRef r = ParseEntry(entry);
  const int count = r.isLine ? race.LineCount : race.MarkCount;
  if (r.number < 1 || r.number > count) r.number = 0;
  return r;
}

LatLon PointOf(const RaceData& race, const EntryRef& r, bool midpoint) {
  if (r.number == 0) return {};
  if (!r.isLine) return {race.MarkLat[r.number], race.MarkLon[r.number]};
  const int l = r.number;
  if (!midpoint) return {race.LineLatA[l], race.LineLonA[l]};
  return {(race.LineLatA[l] + race.LineLatB[l]) / 2, (race.LineLonA[l] + race.LineLonB[l]) / 2};
}

LineEnds EndsOf(const RaceData& race, const EntryRef& r) {
  if (!r.isLine || r.number == 0) return {};
  const int l = r.number;
  return {race.LineLatA[l], race.LineLonA[l], race.LineLatB[l], race.LineLonB[l]};
}

// Which side of an entry line a position lies on: the sign changes where a track crosses the
// line through the two ends (a line along a meridian compares longitudes, one along a parallel
// latitudes).
struct LineSide {
  explicit LineSide(const LineEnds& ends) : ln(ends) {
    if (dLon != 0) {
      k = dLat / dLon;
      c = ln.LatA - k * ln.LonA;
    }
  }
  double operator()(double lat, double lon) const {
    if (k == 0 && c == 0) return dLon == 0 ? lon - ln.LonA : lat - ln.LatA;
    return k * lon + c - lat;
  }
  LineEnds ln;
  double dLat = ln.LatB - ln.LatA, dLon = ln.LonB - ln.LonA;
  double k = 0, c = 0;
};

// Course entry e is the line `ln`: when boat b crossed it between its ends. The start (e 1) is
// searched in the first half of the track until a fifth of the replay has passed, a later line
// from the sample after the previous passing (s), which moves past a crossing found.
void FindLineCrossing(const RaceData& race, const LineEnds& ln, int e, int b, int& s,
                      PassingResults& p) {
  const LineSide side(ln);
  const double L = std::sqrt(side.dLat * side.dLat + side.dLon * side.dLon);
  const int N = race.BoatSampleCount[b];
  const auto& t = race.TrackTime[b];
  const auto& la = race.TrackLat[b];
  const auto& lo = race.TrackLon[b];
  int from, to;
  if (e == 1) {
    s = 1;
    from = 1;
    to = RoundInt(N / 2.0) - 1;
  } else {
    from = s + 1;
    to = N - 1;
  }
  double q1 = from <= to ? side(la[from], lo[from]) : 0;
  for (int i = from; i <= to; ++i) {
    const double q2 = side(la[i + 1], lo[i + 1]);
    if (q1 * q2 <= 0) {
      double f = q1 == q2 ? 0 : std::fabs(q1 / (q2 - q1));
      if (f > 1) f = 0;
      const double tc = t[i] + (t[i + 1] - t[i]) * f;
      if (tc >= 0) p.MarkPassTime[b][e] = tc;
      s = i + 1;
      const double xLat = la[i] + f * (la[i + 1] - la[i]);
      const double xLon = lo[i] + f * (lo[i + 1] - lo[i]);
      const double da = std::hypot(xLat - ln.LatA, xLon - ln.LonA);
      const double db = std::hypot(xLat - ln.LatB, xLon - ln.LonB);
      if (da < L && db < L) break;  // on the line: found (or crossed before the gun)
      p.MarkPassTime[b][e] = NotPassed;
    }
    if (e == 1 && t[i] > 0.2 * race.ClockLast) break;
    q1 = q2;
  }
}

// Course entry e at point P (a mark, or a line's first end) for boat b when it has not passed it
// yet: the sample closest to P within 0.2', searched as the crossings are and given up 0.1' past
// the closest.
void FindClosestApproach(const RaceData& race, const LatLon& P, int e, int b, int& s,
                         PassingResults& p) {
  if (p.MarkPassTime[b][e] <= 999999) return;
  const int N = race.BoatSampleCount[b];
  const auto& t = race.TrackTime[b];
  const auto& la = race.TrackLat[b];
  const auto& lo = race.TrackLon[b];
  int from, to;
  if (e == 1) {
    from = 1;
    to = RoundInt(N / 2.0);
  } else {
    if (p.MarkPassTime[b][e - 1] > 999999) s = 1;
    from = s;
    to = N - 1;
  }
  double best = 0.2;
  for (int v = std::max(from, 1); v <= to; ++v) {
    const double d = std::hypot(P.lat - la[v], P.lon - lo[v]);
    if (d < best) {
      best = d;
      p.MarkPassTime[b][e] = RoundHalfEven(t[v]);
      s = v + 1;
    }
    if (best < 0.2 && d > best + 0.1) break;
  }
}

// The leader at every entry (ties go to the lower boat number) and the finish ranks (equal
// times share a rank) over the n entries.
void RankBoats(const RaceData& race, int n, PassingResults& p) {
  for (int e = 1; e <= n; ++e) {
    double lead = NotPassed;
    for (int b = 1; b <= race.BoatCount; ++b) {
      if (p.MarkPassTime[b][e] < lead) {
        lead = p.MarkPassTime[b][e];
        p.EntryLeadTime[e] = lead;
        p.EntryLeader[e] = b;
      }
    }
  }
  for (int b = 1; b <= race.BoatCount; ++b) {
    int rank = 1;
    for (int c = 1; c <= race.BoatCount; ++c)
      if (p.MarkPassTime[c][n] < p.MarkPassTime[b][n]) ++rank;
    p.FinishRank[b] = rank;
  }
}

// The replay ends a minute after the last finisher.
void EndReplayAfterLastFinisher(RaceData& race, int n, const PassingResults& p) {
  double last = 0;
  for (int b = 1; b <= race.BoatCount; ++b) {
    const double f = p.MarkPassTime[b][n];
    if (f < 604800 && f > last) last = f;
  }
  if (last > 100) race.ClockLast = last + 60;
  UpdateClockSpan(race);
}

}  // namespace

void DetectMarkPassing(RaceData& race, PassingResults& p) {
  const int n = race.CourseCount;
  if (n < 1) return;
  p.Resize(race.BoatCount, n);
  p.FinishLine = EndsOf(race, Resolve(race, race.CourseEntry[n - 1]));
  p.StartLine = EndsOf(race, Resolve(race, race.CourseEntry[0]));
  std::vector<EntryRef> refs(static_cast<size_t>(n) + 1);
  for (int e = 1; e <= n; ++e) refs[e] = Resolve(race, race.CourseEntry[e - 1]);
  // Each boat on its own, its course entries in order: no boat's passing depends on another's.
  const RaceData& r = race;
  ForEachBoat(r, [&r, &refs, &p, n](int b) {
    int s = 1;  // the sample after the last passing found
    for (int e = 1; e <= n; ++e) {
      const EntryRef& ref = refs[e];
      if (ref.number == 0) continue;  // names no mark or line of this race: never passed
      if (ref.isLine) FindLineCrossing(r, EndsOf(r, ref), e, b, s, p);
      // Closest approach: marks, and lines not crossed, except the finish.
      if (e < n) FindClosestApproach(r, PointOf(r, ref, false), e, b, s, p);
    }
  });
  RankBoats(race, n, p);
  EndReplayAfterLastFinisher(race, n, p);
}

void TrimTracksAtFinish(RaceData& race, const PassingResults& p) {
  const int n = race.CourseCount;
  if (n < 1 || p.EntryCount < n) return;
  ForEachBoat(race, [&race, &p, n](int b) {
    const double finish = p.MarkPassTime[b][n];
    if (finish >= 999999) return;
    const auto& t = std::as_const(race).TrackTime[b];
    for (int j = race.BoatSampleCount[b]; j >= 1; --j) {
      if (t[j] < finish + 60) {
        race.BoatSampleCount[b] = j;
        break;
      }
    }
  });
}

void ComputeLegDistances(const RaceData& race, double cosCentreLat, PassingResults& p) {
  const int n = race.CourseCount;
  if (n < 1 || p.EntryCount < n) return;
  const double east = 1852.0 * cosCentreLat;
  ForEachBoat(race, [&race, &p, n, east](int b) {
    auto& legs = p.LegSailedDistance[b];
    std::fill(legs.begin(), legs.end(), 0.0);
    const auto& pass = p.MarkPassTime[b];
    if (pass[n] >= 999999) return;
    const int N = race.BoatSampleCount[b];
    const auto& t = race.TrackTime[b];
    const auto& la = race.TrackLat[b];
    const auto& lo = race.TrackLon[b];
    auto dist = [&](double lat1, double lon1, double lat2, double lon2) {
      const double dy = (lat2 - lat1) * 1852.0, dx = (lon2 - lon1) * east;
      return std::sqrt(dx * dx + dy * dy);
    };
    auto at = [&](int i, double when, double& lat, double& lon) {
      const double dt = t[i + 1] - t[i];
      const double f = dt > 0 ? (when - t[i]) / dt : 0;
      lat = la[i] + f * (la[i + 1] - la[i]);
      lon = lo[i] + f * (lo[i + 1] - lo[i]);
    };
    for (int k = 1; k <= n; ++k) {
      const double u = k == 1 || k == n ? 0 : pass[k];
      const double v = k == n ? pass[n] : pass[k + 1];
      double sum = 0;
      int a = 1;
      if (const int i = FirstSamplePair(t, 1, N, u); i > 0) {
        double lat, lon;
        at(i, u, lat, lon);
        sum += dist(lat, lon, la[i + 1], lo[i + 1]);
        a = i + 1;
      }
      int j = N;
      if (const int i = FirstSamplePair(t, a, N, v); i > 0) {
        double lat, lon;
        at(i, v, lat, lon);
        sum += dist(la[i], lo[i], lat, lon);
        j = i;
      }
      // Each sample unpacked once, the segments added in order.
      double lat0 = a < j ? la[a] : 0, lon0 = a < j ? lo[a] : 0;
      for (int i = a; i < j; ++i) {
        const double lat1 = la[i + 1], lon1 = lo[i + 1];
        sum += dist(lat0, lon0, lat1, lon1);
        lat0 = lat1, lon0 = lon1;
      }
      const bool unpassed = pass[k] > 900000 || (k < n && pass[k + 1] > 900000);
      legs[k] = unpassed ? 0 : sum;
    }
  });
}

void BuildLegs(const RaceData& race, double cosCentreLat, PassingResults& p) {
  const int n = race.CourseCount;
  if (n < 1 || p.EntryCount < n) return;
  double total = 0;
  for (int k = 1; k <= n - 1; ++k) {
    const LatLon from = PointOf(race, Resolve(race, race.CourseEntry[k - 1]), false);
    const LatLon to = PointOf(race, Resolve(race, race.CourseEntry[k]), true);
    const double north = (to.lat - from.lat) * 1852.0;
    const double east = (to.lon - from.lon) * 1852.0 * cosCentreLat;
    p.LegBearing[k] = BearingOf(east, north);
    p.LegLength[k] = std::sqrt(east * east + north * north);
    total += p.LegLength[k];
    double a = p.LegBearing[k] - race.MagneticVariation;
    if (a < 0) a += 360;
    if (a > 360) a -= 360;
    double d = a - race.WindwardBearing;
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    d = std::fabs(d);
    p.LegKind[k] = d < 45 ? 1 : (d > 135 ? 2 : 3);
  }
  p.LegLength[n] = total;
  for (int e = 1; e <= n; ++e) {
    const LatLon pt = PointOf(race, Resolve(race, race.CourseEntry[e - 1]), true);
    p.EntryLat[e] = pt.lat;
    p.EntryLon[e] = pt.lon;
  }
  for (int b = 1; b <= race.BoatCount; ++b) {
    p.UpTime[b] = p.DownTime[b] = p.UpDistance[b] = p.DownDistance[b] = 0;
    const auto& pass = p.MarkPassTime[b];
    for (int j = 1; j <= n - 1; ++j) {
      const double time = j == 1 ? pass[2] : pass[j + 1] - pass[j];
      const double dist = p.LegSailedDistance[b][j] / 1852.0;
      if (p.LegKind[j] == 1) {
        p.UpTime[b] += time;
        p.UpDistance[b] += dist;
      } else if (p.LegKind[j] == 2) {
        p.DownTime[b] += time;
        p.DownDistance[b] += dist;
      }
    }
  }
}

}  // namespace kw
