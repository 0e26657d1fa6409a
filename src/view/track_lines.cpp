#include "view/track_lines.h"

#include <algorithm>
#include <cstdint>

#include "race/model.h"
#include "view/geometry.h"
#include "view/paint.h"

namespace kw {

namespace {

// The points a picture draws: samples first..last of one level of the outline (all samples
// when `level` is null), with `first` and `last` at the ends wherever the level keeps them or
// not. Runs of TrackOutline::kChunk points that cannot reach the clip are left out.
class OutlineWalk {
 public:
  // `kept` null: every sample, under o.sampleBoxes.
  OutlineWalk(const RaceData& race, int b, const std::vector<uint32_t>* kept,
              const std::vector<GeoBox>& boxes)
      : lat_(race.TrackLat[b]), lon_(race.TrackLon[b]), kept_(kept), boxes_(boxes) {}

  void Draw(int first, int last, const ScreenProjector& project, QRect clip,
            std::vector<QPolygon>& out) {
    // Positions in the level: a, the first point after `first`; z, the last before `last`.
    const size_t a = Position(first, true), z = Position(last, false);
    QPolygon line;
    int chunk = -1;
    Reach reach = Reach::None;
    // Point a - 1 is at or before `first` and point z + 1 at or after `last`: a - 1 <= z always.
    for (size_t p = a - 1; p <= z; ++p) {
      const int c = static_cast<int>(p / TrackOutline::kChunk);
      if (c != chunk) {
        chunk = c;
        reach = Reaches(boxes_[static_cast<size_t>(c)], project, clip);
      }
      if (reach == Reach::None) {
        if (line.size() > 1) out.push_back(line);
        line.clear();
        continue;
      }
      // The segment from point p to point p + 1, `first` and `last` standing for the ends; a
      // whole run within half a pixel (a boat lying still) as one segment to its last point.
      size_t q = p + 1;
      const size_t runEnd = (static_cast<size_t>(c) + 1) * TrackOutline::kChunk;
      if (reach == Reach::Dot && p % TrackOutline::kChunk == 0 && runEnd <= z) q = runEnd;
      const int from = p + 1 == a ? first : Sample(p);
      const int to = q - 1 == z ? last : Sample(q);
      if (line.isEmpty()) AppendPoint(line, Rounded(project(lat_[from], lon_[from])));
      AppendPoint(line, Rounded(project(lat_[to], lon_[to])));
      p = q - 1;
    }
    if (!line.isEmpty()) out.push_back(line);
  }

 private:
  int Sample(size_t p) const {
    return kept_ ? static_cast<int>((*kept_)[p]) : static_cast<int>(p) + 1;
  }

  // The first position whose sample is after i (after = true), or the last one before it.
  size_t Position(int i, bool after) const {
    if (!kept_) return after ? static_cast<size_t>(i) : static_cast<size_t>(i) - 2;
    const auto u = static_cast<uint32_t>(i);
    if (after)
      return static_cast<size_t>(std::upper_bound(kept_->begin(), kept_->end(), u) -
                                 kept_->begin());
    return static_cast<size_t>(std::lower_bound(kept_->begin(), kept_->end(), u) - kept_->begin()) -
           1;
  }

  // Whether a run of points can reach the clip, and whether all of it lies within half a pixel.
  enum class Reach { None, Some, Dot };
  static Reach Reaches(const GeoBox& g, const ScreenProjector& project, QRect clip) {
    const Point2 c[4] = {project(g.latMin, g.lonMin), project(g.latMin, g.lonMax),
                         project(g.latMax, g.lonMin), project(g.latMax, g.lonMax)};
    double x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
    for (const Point2& q : c) {
      x0 = std::min(x0, q.x), x1 = std::max(x1, q.x), y0 = std::min(y0, q.y),
      y1 = std::max(y1, q.y);
    }
    if (!(x1 >= clip.left() && x0 <= clip.right() && y1 >= clip.top() && y0 <= clip.bottom()))
      return Reach::None;
    return x1 - x0 < 0.5 && y1 - y0 < 0.5 ? Reach::Dot : Reach::Some;
  }

  const PositionColumn& lat_;
  const PositionColumn& lon_;
  const std::vector<uint32_t>* kept_;
  const std::vector<GeoBox>& boxes_;
};

}  // namespace

std::vector<QPolygon> TrackPolylines(const RaceData& race, int b, int first, int last,
                                     const ScreenProjector& project, QRect clip) {
  std::vector<QPolygon> out;
  const bool outlined = static_cast<size_t>(b) < race.TrackOutlines.size() &&
                        race.TrackOutlines[static_cast<size_t>(b)].UsableFor(race, b);
  if (!outlined || first < 1 || last > race.TrackOutlines[static_cast<size_t>(b)].count ||
      first >= last) {
    QPolygon line;
    for (int i = first; i <= last; ++i)
      AppendPoint(line, Rounded(project(race.TrackLat[b][i], race.TrackLon[b][i])));
    out.push_back(line);
    return out;
  }
  const TrackOutline& o = race.TrackOutlines[static_cast<size_t>(b)];
  const double perMinute = project.PixelsPerMinute(o.cosLat);
  // The coarsest level within half a pixel of the track: a straightened one for the whole
  // track, a spaced one for a part of it; every sample when none is fine enough.
  const std::vector<uint32_t>* kept = nullptr;
  const std::vector<GeoBox>* boxes = &o.sampleBoxes;
  const bool whole = first == 1 && last == o.count;
  for (int k = (whole ? TrackOutline::kStraight : TrackOutline::kSpaced) - 1; k >= 0; --k) {
    const double error = whole ? TrackOutline::StraightError(k) : TrackOutline::SpacedError(k);
    if (error * perMinute <= 0.5) {
      kept = whole ? &o.straight[static_cast<size_t>(k)] : &o.spaced[static_cast<size_t>(k)];
      boxes =
          whole ? &o.straightBoxes[static_cast<size_t>(k)] : &o.spacedBoxes[static_cast<size_t>(k)];
      break;
    }
  }
  // Half a pixel of the outline's error and the widest pen the pictures use.
  const int margin = 5;
  OutlineWalk(race, b, kept, *boxes)
      .Draw(first, last, project, clip.adjusted(-margin, -margin, margin, margin), out);
  return out;
}

}  // namespace kw
