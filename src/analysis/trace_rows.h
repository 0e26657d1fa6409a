// How the graph page's traces are gathered row by row: the points a pixel row keeps, and the
// walk through a long track that takes a block of samples on one row as its extremes. Used by
// page_numbers.cpp only.
#pragma once

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/page_numbers.h"
#include "race/model.h"
#include "race/track_outline.h"

namespace kw::trace_rows {

// A long race puts a dozen samples on one pixel row, each a short horizontal stroke. Strokes on
// one row cover exactly the span between the row's extremes, so a row of four points or more
// keeps only its first point, its extremes and its last point: the same pixels for a fraction
// of the work. Points are added in order and the row is settled when the next row begins.
class RowCollapser {
 public:
  explicit RowCollapser(std::vector<QPoint>& out) : out_(out) {}
  ~RowCollapser() { Flush(); }

  void Add(QPoint q) {
    if (count_ > 0 && q.y() == first_.y()) {
      if (q == last_) return;
      lo_ = std::min(lo_, q.x());
      hi_ = std::max(hi_, q.x());
      if (count_ == 2) mid_ = last_;
      last_ = q;
      ++count_;
      return;
    }
    Flush();
    first_ = last_ = q;
    lo_ = hi_ = q.x();
    count_ = 1;
  }

  // Whether a stretch of points on row y with x from lo to hi can be taken as its extremes and
  // its last point: the row is y and already has four points or more, so that nothing else
  // about them counts, or they all are the row's last point, which they would leave as it is.
  // With `rowsOnly`, any stretch on the row: the row then keeps four points whatever they were.
  bool TakesExtremes(int y, int lo, int hi, bool rowsOnly) const {
    return count_ > 0 && first_.y() == y &&
           (rowsOnly || count_ >= 4 || (lo == hi && lo == last_.x() && last_.y() == y));
  }
  void AddExtremes(int lo, int hi, QPoint last) {
    if (!(lo == hi && last == last_ && lo == last_.x())) count_ = std::max(count_, 4);
    lo_ = std::min(lo_, lo);
    hi_ = std::max(hi_, hi);
    last_ = last;
  }

  void Flush() {
    if (count_ == 0) return;
    Emit(first_);
    if (count_ >= 4) {
      Emit(QPoint(lo_, first_.y()));
      Emit(QPoint(hi_, first_.y()));
    } else if (count_ == 3) {
      Emit(mid_);
    }
    Emit(last_);
    count_ = 0;
  }

 private:
  void Emit(QPoint q) {
    if (out_.empty() || out_.back() != q) out_.push_back(q);
  }

  std::vector<QPoint>& out_;
  QPoint first_, mid_, last_;
  int lo_ = 0, hi_ = 0, count_ = 0;
};

// The block summaries of a boat's track when they can stand in for samples 1..n: made from the
// track as it is, with times that never go back, so that rows follow one another.
inline const TrackBlocks* UsableBlocks(const RaceData& race, int boat, int n) {
  if (boat < 0 || static_cast<size_t>(boat) >= race.TrackBlockSummaries.size()) return nullptr;
  const TrackBlocks& t = race.TrackBlockSummaries[boat];
  if (!t.UsableFor(race, boat) || !race.TrackTime[boat].RisesThrough(n)) return nullptr;
  return &t;
}

// Samples ia..ib of 1..n are those inside the replay window, when the times never go back.
inline std::pair<int, int> WindowRange(const TimeColumn& time, int n, double from, double to) {
  auto firstAbove = [&](auto above) {  // the first i with above(time[i]), n + 1 when none
    int lo = 1, hi = n + 1;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (above(time[mid])) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  };
  return {firstAbove([from](double t) { return t >= from; }),
          firstAbove([to](double t) { return t > to; }) - 1};
}

// Whether a block's courses all lie on one side of the plot's edge and turn too little between
// neighbours to cross it: then their points run from the x of its lowest to that of its highest
// course, which are set.
inline bool CourseBlockInside(const TrackBlocks::Block& k, double turn, const GraphGeometry& g,
                              int& lo, int& hi) {
  const int uLo = k.course0 + k.turnLo, uHi = k.course0 + k.turnHi;
  const int cLo = (uLo % 360 + 360) % 360, cHi = (uHi % 360 + 360) % 360;
  auto angle = [turn](int c) {  // as DirectionX brings it into the plot
    double a = c + turn;
    if (a < 0) a += 360;
    if (a > 360) a -= 360;
    return a;
  };
  const double aLo = angle(cLo), aHi = angle(cHi);
  if (!(aLo > 0.5 && aHi < 359.5 && std::fabs((aHi - aLo) - (uHi - uLo)) < 1e-6)) return false;
  // North written 360 must land where 0 does (it does, bar a rounding of the last bit).
  if (k.has360 && g.DirectionX(360 + turn) != g.DirectionX(0 + turn)) return false;
  // A turn of `step` moves at most step x dirScale + 1 pixels: never the half plot of a crossing.
  if ((k.step * g.dirScale + 1) * 2 > g.W1) return false;
  lo = g.DirectionX(cLo + turn);
  hi = g.DirectionX(cHi + turn);
  return true;
}

// The last sample from i (at most ib) on the row y of sample i: times never go back, so the
// rows do not either. Found from a guess (a sample a second up to the row's last second: exact
// for one-second logs), then by doubling steps and halving.
inline int RowEnd(const TimeColumn& time, const GraphGeometry& g, int y, int i, int ib) {
  int lo = i;  // on the row
  const double rowLast = g.clockFirst + (g.y0 + g.H - y + 0.5) / g.yScale;
  const double ahead = std::clamp(rowLast - time[i], 0.0, static_cast<double>(ib - i));
  if (const int guess = i + static_cast<int>(ahead); guess > i && g.TimeY(time[guess]) == y)
    lo = guess;
  int step = 1;
  while (lo + step <= ib && g.TimeY(time[lo + step]) == y) lo += step, step *= 2;
  int hi = std::min(lo + step, ib + 1);  // past the row (or past ib)
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (g.TimeY(time[mid]) == y) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

// Walks samples ia..ib of a track whose block summaries stand in for it, row by row: add(i, y)
// for each sample, but at the first sample of a block (the largest first) that lies on the row,
// take(block, last, y) may take the rest of the block at once; it returns false to decline.
// Where same(block) says every sample of a fine block gives the same x, the samples after i in
// it on this row would only repeat i's point and are passed over. ahead(i) asks for the
// memory of sample i.
template <typename Add, typename Take, typename Same, typename Ahead>
void WalkBlocks(const TrackBlocks& t, const TimeColumn& time, const GraphGeometry& g, int ia,
                int ib, Add add, Take take, Same same, Ahead ahead) {
  size_t asked = SIZE_MAX;  // the fine block same() was last asked about, and its answer
  bool alike = false;
  for (int i = ia; i <= ib;) {
    const int y = g.TimeY(time[i]);
    const int rowEnd = RowEnd(time, g, y, i, ib);
    // The rows two and three ahead asked for now: each row's few samples and blocks lie far
    // from the last row's, so each would otherwise wait for memory.
    for (int r : {2, 3}) {
      const auto at = static_cast<size_t>(rowEnd + (rowEnd - i + 1) * r);
      time.Prefetch(at);
      ahead(at);
      for (const auto* blocks : {&t.fine, &t.middle, &t.coarse}) {
        const size_t k = at / (blocks == &t.fine     ? TrackBlocks::kFine
                               : blocks == &t.middle ? TrackBlocks::kMiddle
                                                     : TrackBlocks::kCoarse);
        if (k < blocks->size()) PrefetchAt(&(*blocks)[k]);
      }
    }
    while (i <= rowEnd) {
      add(i, y);
      int next = i + 1;
      for (int size : {TrackBlocks::kCoarse, TrackBlocks::kMiddle, TrackBlocks::kFine}) {
        const int last = i + size - 1;
        if ((i - 1) % size != 0 || last > rowEnd) continue;
        const auto& blocks = size == TrackBlocks::kCoarse   ? t.coarse
                             : size == TrackBlocks::kMiddle ? t.middle
                                                            : t.fine;
        const size_t k = static_cast<size_t>(i - 1) / static_cast<size_t>(size);
        if (k >= blocks.size() || !blocks[k].plain || !take(blocks[k], last, y)) continue;
        next = last + 1;
        break;
      }
      if (next == i + 1) {
        const size_t k = static_cast<size_t>(i - 1) / TrackBlocks::kFine;
        if (k != asked) {  // once per block: the walk goes on through one that is not
          asked = k;
          alike = k < t.fine.size() && t.fine[k].plain && same(t.fine[k]);
        }
        if (alike) next = std::min(static_cast<int>((k + 1) * TrackBlocks::kFine), rowEnd) + 1;
      }
      i = next;
    }
  }
}

}  // namespace kw::trace_rows
