#include "race/track_columns.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>

namespace kw {

namespace {

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// A whole number of seconds that an int32 holds and that reads back bit for bit (not -0).
bool WholeSeconds(double v, int64_t& q) {
  if (!(v >= -2147483647.0 && v <= 2147483647.0)) return false;
  q = static_cast<int64_t>(v);
  return SameBits(static_cast<double>(q), v);
}

auto LowerBound(const std::vector<std::pair<uint32_t, double>>& items, size_t i) {
  return std::lower_bound(
      items.begin(), items.end(), i,
      [](const std::pair<uint32_t, double>& a, size_t k) { return a.first < k; });
}

}  // namespace

uint64_t NextColumnId() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

// ---- AsideValues ---------------------------------------------------------------------------

double AsideValues::Get(size_t i) const {
  const auto it = LowerBound(items_, i);
  return it != items_.end() && it->first == i ? it->second : 0.0;
}

void AsideValues::Put(size_t i, double v) {
  const auto index = static_cast<uint32_t>(i);
  if (items_.empty() || items_.back().first < index) {
    items_.emplace_back(index, v);
    return;
  }
  auto it = items_.begin() + (LowerBound(items_, i) - items_.cbegin());
  if (it->first == index) {
    it->second = v;
  } else {
    items_.insert(it, {index, v});
  }
}

void AsideValues::Erase(size_t i) {
  const auto it = LowerBound(items_, i);
  if (it != items_.end() && it->first == i) items_.erase(it);
}

void AsideValues::Truncate(size_t n) {
  items_.erase(LowerBound(items_, n), items_.end());
}

// ---- TimeColumn ----------------------------------------------------------------------------

namespace {

// The base that lets most of a block's whole values be steps from it: the lowest when they all
// fit, else the start of the fullest window of kAside values.
int64_t BestBase(const int64_t* whole, size_t n) {
  if (n == 0) return 0;
  const auto [lo, hi] = std::minmax_element(whole, whole + n);
  if (*hi - *lo < TimeColumn::kAside) return *lo;
  std::vector<int64_t> v(whole, whole + n);
  std::sort(v.begin(), v.end());
  size_t best = 0, bestCount = 0;
  for (size_t a = 0, z = 0; a < v.size(); ++a) {
    while (z < v.size() && v[z] - v[a] < TimeColumn::kAside) ++z;
    if (z - a > bestCount) bestCount = z - a, best = a;
  }
  return v[best];
}

}  // namespace

// Encodes the m values of one block (m < 64 only for the last block), putting aside what does
// not fit the block's base.
void TimeColumn::EncodeBlock(size_t block, const double* values, size_t m) {
  int64_t whole[size_t{1} << kBlockBits];
  bool isWhole[size_t{1} << kBlockBits];
  size_t nWhole = 0;
  for (size_t k = 0; k < m; ++k) {
    int64_t q = 0;
    isWhole[k] = WholeSeconds(values[k], q);
    if (isWhole[k]) whole[nWhole++] = q;
  }
  const int64_t base = std::clamp<int64_t>(BestBase(whole, nWhole), INT32_MIN, INT32_MAX);
  base_[block] = static_cast<int32_t>(base);
  const size_t first = block << kBlockBits;
  for (size_t k = 0, w = 0; k < m; ++k) {
    const size_t i = first + k;
    const int64_t d = isWhole[k] ? whole[w++] - base : -1;
    if (d >= 0 && d < kAside) {
      if (step_[i] == kAside) aside_.Erase(i);
      step_[i] = static_cast<uint16_t>(d);
    } else {
      step_[i] = kAside;
      aside_.Put(i, values[k]);
    }
  }
}

void TimeColumn::Set(size_t i, double v) {
  Edited();
  const size_t block = i >> kBlockBits;
  int64_t q = 0;
  if (!WholeSeconds(v, q)) {
    step_[i] = kAside;
    aside_.Put(i, v);
  } else if (const int64_t d = q - base_[block]; d >= 0 && d < kAside) {
    if (step_[i] == kAside) aside_.Erase(i);
    step_[i] = static_cast<uint16_t>(d);
  } else {
    // Outside the block's reach: the block is encoded again round a base that suits it now.
    const size_t first = block << kBlockBits;
    const size_t m = std::min(size() - first, size_t{1} << kBlockBits);
    double values[size_t{1} << kBlockBits];
    for (size_t k = 0; k < m; ++k) values[k] = At(first + k);
    values[i - first] = v;
    EncodeBlock(block, values, m);
  }
  Recheck(i);
}

void TimeColumn::resize(size_t n) {
  Renewed();
  const size_t old = size();
  const size_t blocks = (n + (size_t{1} << kBlockBits) - 1) >> kBlockBits;
  if (n <= old) {
    step_.resize(n);
    base_.resize(blocks);
    aside_.Truncate(n);
  } else {
    step_.resize(n, 0);
    base_.resize(blocks, 0);
    // New slots in the old last block read that block's base; they must read 0.
    const size_t block = old >> kBlockBits;
    if (old % (size_t{1} << kBlockBits) != 0 && base_[block] != 0) {
      const size_t first = block << kBlockBits;
      const size_t m = std::min(n - first, size_t{1} << kBlockBits);
      double values[size_t{1} << kBlockBits] = {};
      for (size_t k = 0; first + k < old; ++k) values[k] = At(first + k);
      EncodeBlock(block, values, m);
    }
  }
  FindFirstFall(std::min(firstFall_, old > 0 ? old - 1 : 0));
}

void TimeColumn::Assign(const double* values, size_t count, size_t n) {
  Renewed();
  step_.assign(n, 0);
  base_.assign((n + (size_t{1} << kBlockBits) - 1) >> kBlockBits, 0);
  aside_.clear();
  double block[size_t{1} << kBlockBits];
  for (size_t b = 0; b < base_.size(); ++b) {
    const size_t first = b << kBlockBits;
    const size_t m = std::min(n - first, size_t{1} << kBlockBits);
    for (size_t k = 0; k < m; ++k) block[k] = first + k < count ? values[first + k] : 0.0;
    EncodeBlock(b, block, m);
  }
  firstFall_ = n;
  for (size_t j = 1; j + 1 < n; ++j) {
    const double a = j < count ? values[j] : 0.0, z = j + 1 < count ? values[j + 1] : 0.0;
    if (!(z >= a)) {
      firstFall_ = j;
      break;
    }
  }
}

void TimeColumn::FindFirstFall(size_t from) {
  firstFall_ = size();
  for (size_t j = std::max<size_t>(from, 1); j + 1 < size(); ++j) {
    if (Falls(j)) {
      firstFall_ = j;
      return;
    }
  }
}

// Value i changed: the pairs (i - 1, i) and (i, i + 1) may have begun or stopped falling.
void TimeColumn::Recheck(size_t i) {
  const size_t n = size();
  for (size_t j = i > 0 ? i - 1 : 0; j <= i; ++j) {
    if (j >= 1 && j + 1 < n && j < firstFall_ && Falls(j)) firstFall_ = j;
  }
  if (firstFall_ + 1 < n && (firstFall_ + 1 == i || firstFall_ == i) && !Falls(firstFall_))
    FindFirstFall(firstFall_);
}

size_t TimeColumn::MemoryBytes() const {
  return base_.capacity() * sizeof(int32_t) + step_.capacity() * sizeof(uint16_t) +
         aside_.size() * 16;
}

// ---- PositionColumn ------------------------------------------------------------------------

bool PositionColumn::Encode(Grid grid, double v, bool nearest, int32_t& q) {
  double x;
  switch (grid) {
    case Grid::Degrees7:
      x = v / 60.0 * 1e7;
      break;
    case Grid::Semicircles:
      x = v / 10800.0 * 2147483648.0;
      break;
    case Grid::DegreesMinutes5:
      x = v * 1e5;
      break;
    case Grid::FloatDegrees: {
      if (!(std::fabs(v) < 1e30)) return false;
      q = std::bit_cast<int32_t>(static_cast<float>(v / 60.0));
      return q != kAside && SameBits(Decode(grid, q), v);
    }
    default:
      return false;
  }
  if (!(std::fabs(x) < 2147483000.0)) return false;  // beyond the grid, or not a number
  q = static_cast<int32_t>(std::nearbyint(x));
  return nearest || SameBits(Decode(grid, q), v);
}

void PositionColumn::Set(size_t i, double v) {
  Edited();
  int32_t q = 0;
  if (Encode(grid_, v, rounded_, q)) {
    if (raw_[i] == kAside) aside_.Erase(i);
    raw_[i] = q;
  } else {
    raw_[i] = kAside;
    aside_.Put(i, v);
  }
}

// Writes values 0..count - 1 on grid g into raw_, noting in `aside` the indices the grid cannot
// hold. A value far off the earth (a damaged file) is always kept aside and does not count
// against the grid; the others are its misfits. Stops once there are more than `limit`; true
// when it went through, with the misfits counted.
bool PositionColumn::TryGrid(Grid g, const double* values, size_t count, size_t limit,
                             std::vector<size_t>& aside, size_t& misfits) {
  aside.clear();
  misfits = 0;
  for (size_t k = 0; k < count; ++k) {
    int32_t q = 0;
    if (Encode(g, values[k], false, q)) {
      raw_[k] = q;
      continue;
    }
    raw_[k] = kAside;
    aside.push_back(k);
    if (std::fabs(values[k]) <= 10800 && ++misfits > limit) return false;
  }
  return true;
}

void PositionColumn::Assign(const double* values, size_t count, size_t n) {
  Renewed();
  raw_.assign(n, 0);
  aside_.clear();
  count = std::min(count, n);
  rounded_ = false;
  // The grid that holds the most values; a few others (lines written another way) are kept
  // aside, many make the whole track rounded to the finest grid.
  const size_t allowance = std::max<size_t>(count / 8, 64);
  std::vector<size_t> aside;
  size_t fewest = allowance + 1, misfits = 0;
  Grid best = Grid::Degrees7;
  bool bestWritten = false;
  for (Grid g : {Grid::Degrees7, Grid::Semicircles, Grid::DegreesMinutes5, Grid::FloatDegrees}) {
    bestWritten = TryGrid(g, values, count, fewest - 1, aside, misfits);
    if (bestWritten) {
      best = g, fewest = misfits;
      if (fewest == 0) break;
    }
  }
  if (fewest <= allowance) {
    if (!bestWritten) TryGrid(best, values, count, count, aside, misfits);
    grid_ = best;
    for (size_t k : aside) aside_.Put(k, values[k]);
    return;
  }
  grid_ = Grid::Semicircles;
  rounded_ = true;
  for (size_t k = 0; k < count; ++k) {
    int32_t q = 0;
    if (Encode(grid_, values[k], true, q)) {
      raw_[k] = q;
    } else {
      raw_[k] = kAside;
      aside_.Put(k, values[k]);
    }
  }
}

void PositionColumn::AssignOnGrid(Grid grid, const std::vector<int32_t>& q, size_t size) {
  Renewed();
  raw_.assign(size, 0);
  std::copy(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(std::min(q.size(), size)),
            raw_.begin());
  aside_.clear();
  grid_ = grid;
  rounded_ = false;
}

size_t PositionColumn::MemoryBytes() const {
  return raw_.capacity() * sizeof(int32_t) + aside_.size() * 16;
}

// ---- SpeedColumn and CourseColumn ----------------------------------------------------------

void SpeedColumn::Set(size_t i, double v) {
  const double q = std::nearbyint(v * 100);
  const bool held = q >= 0 && q < kAside;
  Store(i, held, held ? static_cast<uint16_t>(q) : kAside, v);
}

void CourseColumn::Set(size_t i, int v) {
  const bool held = v > INT16_MIN && v <= INT16_MAX;
  Store(i, held, held ? static_cast<int16_t>(v) : kAside, v);
}

namespace {

// The last k in from..last with time[k] <= t, or 0: on times that never go back, the only pair
// that can hold t.
int LastAtOrBefore(const TimeColumn& time, int from, int last, double t) {
  if (from > last || !(time[from] <= t)) return 0;
  int lo = from, hi = last;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (time[mid] <= t) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return lo;
}

bool Holds(const TimeColumn& time, int k, double t) {
  return time[k] <= t && t < time[k + 1];
}

}  // namespace

int FindSamplePair(const TimeColumn& time, int n, int start, double t) {
  const int last = n - 1;  // the last k that has a k + 1
  if (last < 1) return 0;
  int k = start >= 1 && start <= last ? start : 1;
  if (Holds(time, k, t)) return k;
  if (time.RisesThrough(n)) {
    k = LastAtOrBefore(time, 1, last, t);
    return k > 0 && t < time[k + 1] ? k : 0;
  }
  for (int tries = 1; tries < last; ++tries) {
    k = k < last ? k + 1 : 1;
    if (Holds(time, k, t)) return k;
  }
  return 0;
}

int FirstSamplePair(const TimeColumn& time, int from, int n, double t) {
  from = std::max(from, 1);
  if (time.RisesThrough(n)) {
    const int k = LastAtOrBefore(time, from, n - 1, t);
    return k > 0 && t < time[k + 1] ? k : 0;
  }
  for (int k = from; k <= n - 1; ++k)
    if (Holds(time, k, t)) return k;
  return 0;
}

}  // namespace kw
