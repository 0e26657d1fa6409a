#include "race/track_outline.h"

#include <algorithm>
#include <cmath>

#include "race/boat_threads.h"
#include "race/model.h"

namespace kw {

namespace {

float Down(double v) {
  float f = static_cast<float>(v);
  return f > v ? std::nextafter(f, -INFINITY) : f;
}

float Up(double v) {
  float f = static_cast<float>(v);
  return f < v ? std::nextafter(f, INFINITY) : f;
}

// Boxes over runs of kChunk points (and the next run's first), the points given by `at`.
template <typename At>
std::vector<GeoBox> Boxes(size_t points, const std::vector<double>& lat,
                          const std::vector<double>& lon, At at) {
  std::vector<GeoBox> boxes;
  for (size_t first = 0; first + 1 < points || (first == 0 && points == 1);
       first += TrackOutline::kChunk) {
    const size_t last = std::min(first + TrackOutline::kChunk, points - 1);
    double la0 = lat[at(first)], la1 = la0, lo0 = lon[at(first)], lo1 = lo0;
    for (size_t k = first + 1; k <= last; ++k) {
      la0 = std::min(la0, lat[at(k)]), la1 = std::max(la1, lat[at(k)]);
      lo0 = std::min(lo0, lon[at(k)]), lo1 = std::max(lo1, lon[at(k)]);
    }
    boxes.push_back({Down(la0), Up(la1), Down(lo0), Up(lo1)});
  }
  return boxes;
}

// Keeps from `from` (sample indices) those at least `spacing` from the last one kept, and the
// last: every point left out lies within `spacing` of the one kept before it.
std::vector<uint32_t> Thin(const std::vector<uint32_t>& from, const std::vector<double>& lat,
                           const std::vector<double>& lon, double cosLat, double spacing) {
  std::vector<uint32_t> kept;
  if (from.empty()) return kept;
  kept.push_back(from.front());
  const double limit = spacing * spacing;
  double la = lat[from.front()], lo = lon[from.front()];
  for (size_t k = 1; k + 1 < from.size(); ++k) {
    const uint32_t i = from[k];
    const double dy = lat[i] - la, dx = (lon[i] - lo) * cosLat;
    if (dx * dx + dy * dy >= limit) {
      kept.push_back(i);
      la = lat[i], lo = lon[i];
    }
  }
  if (from.size() > 1) kept.push_back(from.back());
  return kept;
}

// The turns of the polyline through `from`: a point is left out when the segment from the last
// one kept to a later one passes within `tolerance` of it, so that only where the track bends
// are points kept. Each point left out lies within `tolerance` of the line from the last kept
// to the next, in front of the first and (by the farthest distance rule) at most `tolerance`
// beyond the second: within 1.42 x `tolerance` of the segment. One pass: the directions that
// keep every point so far within the tolerance narrow to a cone, and a point outside it, or
// one that comes back, ends the segment at the point before.
std::vector<uint32_t> Straighten(const std::vector<uint32_t>& from, const std::vector<double>& lat,
                                 const std::vector<double>& lon, double cosLat, double tolerance) {
  std::vector<uint32_t> kept;
  if (from.size() < 3) return from;
  kept.push_back(from.front());
  size_t anchor = 0;
  struct V {
    double x, y;
  };
  auto rel = [&](size_t k) {
    return V{(lon[from[k]] - lon[from[anchor]]) * cosLat, lat[from[k]] - lat[from[anchor]]};
  };
  auto cross = [](V a, V b) { return a.x * b.y - a.y * b.x; };
  bool cone = false;
  V left{0, 0}, right{0, 0};  // the cone's edges, as directions
  double farthest = 0;
  // The last point too: the last segment must pass near the points before it as well.
  for (size_t k = 1; k < from.size(); ++k) {
    const V p = rel(k);
    const double d = std::sqrt(p.x * p.x + p.y * p.y);
    const bool outside = cone && (cross(right, p) < 0 || cross(p, left) < 0);
    if (outside || d < farthest - tolerance) {
      // The segment ends at the point before; the next starts there.
      anchor = k - 1;
      kept.push_back(from[anchor]);
      cone = false;
      farthest = 0;
      --k;
      continue;
    }
    farthest = std::max(farthest, d);
    if (d <= tolerance) continue;  // near the anchor: any direction passes within reach
    const double s = tolerance / d, c = std::sqrt(1 - s * s);
    const V u{p.x / d, p.y / d};
    const V l{u.x * c - u.y * s, u.x * s + u.y * c}, r{u.x * c + u.y * s, -u.x * s + u.y * c};
    if (!cone) {
      left = l, right = r, cone = true;
    } else {
      if (cross(l, left) > 0) left = l;    // l lies to the right of the left edge
      if (cross(right, r) > 0) right = r;  // r lies to the left of the right edge
    }
  }
  kept.push_back(from.back());
  return kept;
}

}  // namespace

double TrackOutline::SpacedError(int level) {
  // A point left out lies within the spacing of level k plus that of every finer level
  // (4/3 of it) of a point kept; where the polyline is cut between two kept points, twice that.
  return 2 * 4.0 / 3.0 * kFinest * std::pow(4.0, level);
}

double TrackOutline::StraightError(int level) {
  // Each level made from the one before: its tolerance and all the finer ones', 4/3 of it.
  return 1.42 * 4.0 / 3.0 * kStraightest * std::pow(4.0, level);
}

bool TrackOutline::UsableFor(const RaceData& race, int b) const {
  return count == race.BoatSampleCount[b] && count >= 1 && lat == race.TrackLat[b].stamp() &&
         lon == race.TrackLon[b].stamp();
}

bool TrackBlocks::UsableFor(const RaceData& race, int b) const {
  return count == race.BoatSampleCount[b] && time == race.TrackTime[b].stamp() &&
         speed == race.TrackSpeed[b].stamp() && course == race.TrackCourse[b].stamp();
}

TrackOutline MakeTrackOutline(const RaceData& race, int b, double cosLat) {
  TrackOutline o;
  const int n = std::min<int>(
      race.BoatSampleCount[b],
      static_cast<int>(std::min(race.TrackLat[b].size(), race.TrackLon[b].size())) - 1);
  o.cosLat = cosLat;
  o.lat = race.TrackLat[b].stamp();
  o.lon = race.TrackLon[b].stamp();
  if (n < 1) return o;
  o.count = n;
  std::vector<double> lat(static_cast<size_t>(n) + 1), lon(lat.size());
  for (int i = 1; i <= n; ++i) lat[i] = race.TrackLat[b][i], lon[i] = race.TrackLon[b][i];
  std::vector<uint32_t> all(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) all[static_cast<size_t>(i) - 1] = static_cast<uint32_t>(i);
  o.sampleBoxes = Boxes(all.size(), lat, lon, [](size_t k) { return k + 1; });
  auto boxesOf = [&](const std::vector<uint32_t>& kept) {
    return Boxes(kept.size(), lat, lon, [&kept](size_t j) { return kept[j]; });
  };
  // Each level is made from the one before it while the list grows: room for all first.
  o.spaced.reserve(TrackOutline::kSpaced);
  o.straight.reserve(TrackOutline::kStraight);
  const std::vector<uint32_t>* finer = &all;
  for (int k = 0; k < TrackOutline::kSpaced; ++k) {
    o.spaced.push_back(Thin(*finer, lat, lon, cosLat, TrackOutline::kFinest * std::pow(4.0, k)));
    finer = &o.spaced.back();
    o.spacedBoxes.push_back(boxesOf(*finer));
  }
  finer = &all;
  for (int k = 0; k < TrackOutline::kStraight; ++k) {
    o.straight.push_back(
        Straighten(*finer, lat, lon, cosLat, TrackOutline::kStraightest * std::pow(4.0, k)));
    finer = &o.straight.back();
    o.straightBoxes.push_back(boxesOf(*finer));
  }
  return o;
}

namespace {

// The blocks of `size` samples of samples 1..n.
std::vector<TrackBlocks::Block> Blocks(const SpeedColumn& speed, const CourseColumn& course, int n,
                                       int size) {
  std::vector<TrackBlocks::Block> blocks;
  for (int first = 1; first + size - 1 <= n; first += size) {
    TrackBlocks::Block k;
    k.plain = true;
    int lo = 65535, hi = 0, turn = 0, turnLo = 0, turnHi = 0, step = 0;
    const int c0 = course[first];
    for (int i = first; i < first + size; ++i) {
      const double v = speed[i];
      const double q = std::nearbyint(v * 100);
      const int c = course[i];
      // A value kept aside (beyond the encodings) makes the block one to walk.
      if (!(q >= 0 && q < 65535 && q / 100.0 == v) || c < 0 || c > 360) k.plain = false;
      k.has360 = k.has360 || c == 360;
      if (!k.plain) continue;
      lo = std::min(lo, static_cast<int>(q)), hi = std::max(hi, static_cast<int>(q));
      if (i > first) {
        int d = (c - course[i - 1]) % 360;
        if (d > 180) d -= 360;
        if (d <= -180) d += 360;
        turn += d;
        turnLo = std::min(turnLo, turn), turnHi = std::max(turnHi, turn);
        step = std::max(step, std::abs(d));
      }
    }
    if (k.plain && turnLo >= -30000 && turnHi <= 30000) {
      k.speedLo = static_cast<uint16_t>(lo), k.speedHi = static_cast<uint16_t>(hi);
      k.course0 = static_cast<int16_t>(c0);
      k.turnLo = static_cast<int16_t>(turnLo), k.turnHi = static_cast<int16_t>(turnHi);
      k.step = static_cast<uint16_t>(step);
    } else {
      k.plain = false;
    }
    blocks.push_back(k);
  }
  return blocks;
}

}  // namespace

TrackBlocks MakeTrackBlocks(const RaceData& race, int b) {
  TrackBlocks t;
  const auto& speed = race.TrackSpeed[b];
  const auto& course = race.TrackCourse[b];
  const int n = std::min<int>({race.BoatSampleCount[b], static_cast<int>(speed.size()) - 1,
                               static_cast<int>(course.size()) - 1});
  t.time = race.TrackTime[b].stamp();
  t.speed = speed.stamp();
  t.course = course.stamp();
  t.count = race.BoatSampleCount[b];
  t.fine = Blocks(speed, course, n, TrackBlocks::kFine);
  for (const TrackBlocks::Block& k : t.fine)
    if (k.plain) t.fastest = std::max(t.fastest, k.speedHi);
  t.middle = Blocks(speed, course, n, TrackBlocks::kMiddle);
  t.coarse = Blocks(speed, course, n, TrackBlocks::kCoarse);
  return t;
}

void BuildTrackOutlines(RaceData& race, double cosCentreLat) {
  race.TrackOutlines.assign(static_cast<size_t>(race.BoatCount) + 1, {});
  race.TrackBlockSummaries.assign(static_cast<size_t>(race.BoatCount) + 1, {});
  const RaceData& r = race;
  ForEachBoat(r, [&race, &r, cosCentreLat](int b) {
    race.TrackOutlines[b] = MakeTrackOutline(r, b, cosCentreLat);
    race.TrackBlockSummaries[b] = MakeTrackBlocks(r, b);
  });
}

}  // namespace kw
