// How one boat's samples are held: compact columns that read like arrays of numbers. Loggers
// record every second for days, so a sample takes 14 bytes instead of 40:
//   time      whole seconds, 16-bit steps from a base that 64 samples share
//   lat, lon  32-bit integers on the grid the logger wrote: decimal degrees to 1e-7, Garmin
//             semicircles, degrees and decimal minutes to 1e-5, single-precision degrees; a
//             track that fits none of them is rounded to the semicircle grid (4.7 mm at most)
//   speed     16-bit hundredths of a knot (what the KML documents print)
//   course    16-bit whole degrees
// Reading gives the value the readers computed (a double; an int for the course), bit for bit
// where the grid holds it. A value no encoding holds (a fraction of a second, a time far from its
// neighbours, a position off the track's grid, a speed beyond 655 knots, a NaN) is kept aside
// exactly, so nothing is lost. On a race that may be written, `column[i]` is a reference that
// also takes an assignment; `Set` is the same.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

namespace kw {

// Values a column keeps aside, exact, by sample index.
class AsideValues {
 public:
  double Get(size_t i) const;
  void Put(size_t i, double v);
  void Erase(size_t i);
  // Drops every index at or beyond n.
  void Truncate(size_t n);
  void clear() { items_.clear(); }
  bool empty() const { return items_.empty(); }
  size_t size() const { return items_.size(); }

 private:
  std::vector<std::pair<uint32_t, double>> items_;  // ascending index
};

// What `column[i]` is on a column that may be written: reads as the value, takes a new one.
template <class Column>
class SampleRef {
 public:
  using value_type = typename Column::value_type;
  SampleRef(Column& column, size_t i) : c_(&column), i_(i) {}
  SampleRef(const SampleRef&) = default;
  operator value_type() const { return static_cast<const Column&>(*c_)[i_]; }
  SampleRef& operator=(value_type v) {
    c_->Set(i_, v);
    return *this;
  }
  SampleRef& operator=(const SampleRef& other) { return *this = static_cast<value_type>(other); }
  SampleRef& operator+=(value_type v) { return *this = static_cast<value_type>(*this) + v; }
  SampleRef& operator-=(value_type v) { return *this = static_cast<value_type>(*this) - v; }

 private:
  Column* c_;
  size_t i_;
};

// Walks a column's values in order (for the standard algorithms).
template <class Column>
class SampleIterator {
 public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = typename Column::value_type;
  using difference_type = std::ptrdiff_t;
  using reference = value_type;
  using pointer = void;

  SampleIterator() = default;
  SampleIterator(const Column* c, size_t i) : c_(c), i_(i) {}
  value_type operator*() const { return (*c_)[i_]; }
  value_type operator[](difference_type k) const { return (*c_)[Index(k)]; }
  SampleIterator& operator++() { return ++i_, *this; }
  SampleIterator& operator--() { return --i_, *this; }
  SampleIterator operator++(int) { return {c_, i_++}; }
  SampleIterator operator--(int) { return {c_, i_--}; }
  SampleIterator& operator+=(difference_type k) { return i_ = Index(k), *this; }
  SampleIterator& operator-=(difference_type k) { return i_ = Index(-k), *this; }
  friend SampleIterator operator+(SampleIterator a, difference_type k) { return a += k; }
  friend SampleIterator operator+(difference_type k, SampleIterator a) { return a += k; }
  friend SampleIterator operator-(SampleIterator a, difference_type k) { return a -= k; }
  friend difference_type operator-(const SampleIterator& a, const SampleIterator& b) {
    return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
  }
  friend bool operator==(const SampleIterator& a, const SampleIterator& b) { return a.i_ == b.i_; }
  friend auto operator<=>(const SampleIterator& a, const SampleIterator& b) {
    return a.i_ <=> b.i_;
  }

 private:
  size_t Index(difference_type k) const {
    return static_cast<size_t>(static_cast<difference_type>(i_) + k);
  }
  const Column* c_ = nullptr;
  size_t i_ = 0;
};

// Which contents a column holds: a number of its own whenever it is filled anew (unique across
// all columns), then a count of single writes. A picture's coarser copy of a track is used only
// while the stamps it was made from still hold.
struct ColumnStamp {
  uint64_t id = 0, edits = 0;
  friend bool operator==(const ColumnStamp&, const ColumnStamp&) = default;
};
uint64_t NextColumnId();

// Asks for the memory at p ahead of its use (a walk that skips through a long track).
inline void PrefetchAt(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// The members every column has: size, iteration, equality of the values held, the stamp.
template <class Column>
struct ColumnBase {
  ColumnStamp stamp() const { return stamp_; }
  auto begin() const { return SampleIterator<Column>(Self(), 0); }
  auto end() const { return SampleIterator<Column>(Self(), Self()->size()); }
  bool empty() const { return Self()->size() == 0; }
  friend bool operator==(const Column& a, const Column& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (!(a[i] == b[i])) return false;
    return true;
  }

 protected:
  void Renewed() { stamp_ = {NextColumnId(), 0}; }
  void Edited() { ++stamp_.edits; }

 private:
  const Column* Self() const { return static_cast<const Column*>(this); }
  ColumnStamp stamp_{NextColumnId(), 0};
};

// Seconds from the gun.
class TimeColumn : public ColumnBase<TimeColumn> {
 public:
  using value_type = double;
  static constexpr int kBlockBits = 6;  // 64 samples share a base
  static constexpr uint16_t kAside = 0xFFFF;

  double operator[](size_t i) const {
    const uint16_t step = step_[i];
    if (step == kAside) [[unlikely]]
      return aside_.Get(i);
    return static_cast<double>(static_cast<int64_t>(base_[i >> kBlockBits]) + step);
  }
  SampleRef<TimeColumn> operator[](size_t i) { return {*this, i}; }
  void Prefetch(size_t i) const {
    if (i < step_.size()) PrefetchAt(&step_[i]), PrefetchAt(&base_[i >> kBlockBits]);
  }
  void Set(size_t i, double v);

  size_t size() const { return step_.size(); }
  // New slots hold 0.
  void resize(size_t n);
  void clear() { resize(0); }
  // Values 0 .. count - 1 from `values`, later slots 0, `size` slots in all.
  void Assign(const double* values, size_t count, size_t size);
  // Whether samples 1..n never go back in time: a lookup by time may then halve its way in.
  bool RisesThrough(int n) const { return n < 2 || firstFall_ >= static_cast<size_t>(n); }
  size_t MemoryBytes() const;

 private:
  double At(size_t i) const { return (*this)[i]; }
  void EncodeBlock(size_t block, const double* values, size_t m);
  // Not at or above: a NaN counts as going back, so that no lookup halves across it.
  bool Falls(size_t j) const { return !(At(j + 1) >= At(j)); }
  void Recheck(size_t i);
  void FindFirstFall(size_t from);

  std::vector<int32_t> base_;
  std::vector<uint16_t> step_;
  AsideValues aside_;
  // The first j >= 1 with value j + 1 below value j; size() when there is none.
  size_t firstFall_ = 0;
};

// Latitude or longitude in minutes of arc.
class PositionColumn : public ColumnBase<PositionColumn> {
 public:
  using value_type = double;
  // The grids a logger's numbers lie on, tried in this order.
  enum class Grid : uint8_t { Degrees7, Semicircles, DegreesMinutes5, FloatDegrees };
  static constexpr int32_t kAside = INT32_MIN;

  double operator[](size_t i) const {
    const int32_t q = raw_[i];
    if (q == kAside) [[unlikely]]
      return aside_.Get(i);
    return Decode(grid_, q);
  }
  SampleRef<PositionColumn> operator[](size_t i) { return {*this, i}; }
  void Set(size_t i, double v);

  size_t size() const { return raw_.size(); }
  void resize(size_t n) {
    raw_.resize(n, 0);
    aside_.Truncate(n);
    Renewed();
  }
  void clear() { resize(0); }
  // As TimeColumn::Assign; the grid is the one that holds the most values exactly (the rest,
  // when few, kept aside), else the semicircle grid, rounded to.
  void Assign(const double* values, size_t count, size_t size);
  // Values 0..q.size() - 1 given as points of `grid` (none INT32_MIN), later slots 0.
  void AssignOnGrid(Grid grid, const std::vector<int32_t>& q, size_t size);
  Grid grid() const { return grid_; }
  // No grid held the values exactly: they were rounded to the semicircle grid.
  bool rounded() const { return rounded_; }
  size_t MemoryBytes() const;

  static double Decode(Grid grid, int32_t q) {
    switch (grid) {
      case Grid::Degrees7:
        // What the readers compute from decimal degrees: the text's value times 60.
        return q / 1e7 * 60.0;
      case Grid::Semicircles:
        return q * 0x1p-31 * 10800.0;
      case Grid::DegreesMinutes5: {
        // Whole degrees times 60 plus the minutes, as the readers of ddmm.mmmm add them.
        const int64_t a = q < 0 ? -static_cast<int64_t>(q) : q;
        const double v =
            static_cast<double>(a / 6000000) * 60 + static_cast<double>(a % 6000000) / 1e5;
        return q < 0 ? -v : v;
      }
      case Grid::FloatDegrees:
        return static_cast<double>(std::bit_cast<float>(q)) * 60.0;
    }
    return 0;
  }
  // The grid point of v when it decodes to v bit for bit (or, `nearest`, the closest one).
  static bool Encode(Grid grid, double v, bool nearest, int32_t& q);

 private:
  bool TryGrid(Grid g, const double* values, size_t count, size_t limit, std::vector<size_t>& aside,
               size_t& misfits);

  std::vector<int32_t> raw_;
  AsideValues aside_;
  Grid grid_ = Grid::Degrees7;
  bool rounded_ = false;
};

// What speed and course share: one 16-bit word a sample (Column::kAside for a value kept
// aside), the values no word holds kept aside.
template <class Column, typename Raw>
class WordColumn : public ColumnBase<Column> {
 public:
  void Prefetch(size_t i) const {
    if (i < raw_.size()) PrefetchAt(&raw_[i]);
  }
  size_t size() const { return raw_.size(); }
  void resize(size_t n) {
    raw_.resize(n, 0);
    aside_.Truncate(n);
    this->Renewed();
  }
  void clear() { resize(0); }
  // Every slot 0.
  void Zero() {
    this->Renewed();
    raw_.assign(raw_.size(), Raw{0});
    aside_.clear();
  }
  size_t MemoryBytes() const { return raw_.capacity() * sizeof(Raw) + aside_.size() * 16; }

 protected:
  // Sample i as the word q when `held`, else v kept aside.
  void Store(size_t i, bool held, Raw q, double v) {
    this->Edited();
    if (held) {
      if (raw_[i] == Column::kAside) aside_.Erase(i);
      raw_[i] = q;
    } else {
      raw_[i] = Column::kAside;
      aside_.Put(i, v);
    }
  }

  std::vector<Raw> raw_;
  AsideValues aside_;
};

// Speed over ground in knots, to the hundredth.
class SpeedColumn : public WordColumn<SpeedColumn, uint16_t> {
 public:
  using value_type = double;
  static constexpr uint16_t kAside = 0xFFFF;

  double operator[](size_t i) const {
    const uint16_t q = raw_[i];
    if (q == kAside) [[unlikely]]
      return aside_.Get(i);
    return q / 100.0;
  }
  SampleRef<SpeedColumn> operator[](size_t i) { return {*this, i}; }
  // The hundredths of a knot held for sample i; kAside when the value is kept aside.
  uint16_t Hundredths(size_t i) const { return raw_[i]; }
  void Set(size_t i, double v);
};

// Course over ground in whole degrees.
class CourseColumn : public WordColumn<CourseColumn, int16_t> {
 public:
  using value_type = int;
  static constexpr int16_t kAside = INT16_MIN;

  int operator[](size_t i) const {
    const int16_t q = raw_[i];
    if (q == kAside) [[unlikely]]
      return static_cast<int>(aside_.Get(i));
    return q;
  }
  SampleRef<CourseColumn> operator[](size_t i) { return {*this, i}; }
  void Set(size_t i, int v);
};

// The pair k (1 <= k < n) with time[k] <= t < time[k + 1], tried from `start` onwards and
// wrapping round to 1, so that a clock that moves on by a little finds its pair at once; 0 when
// there is none. Times that never go back have at most one such pair, found by halving.
int FindSamplePair(const TimeColumn& time, int n, int start, double t);
// The first such pair k with from <= k < n, without wrapping; 0 when there is none.
int FirstSamplePair(const TimeColumn& time, int from, int n, double t);

}  // namespace kw
