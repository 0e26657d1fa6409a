// The storing rules every track reader shares: which records are kept, how their times become
// seconds from the gun, how the arrays grow, and what is derived after the file.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "race/datetime.h"
#include "race/errors.h"
#include "race/track_columns.h"

namespace kw {

struct RaceData;

// Why records were not kept, for the data-quality report. Counted beside `skipped`, whose
// meaning the loader relies on (a track of skipped records only is unreadable).
struct SkipReasons {
  int badChecksum = 0;    // NMEA sentence whose checksum is wrong
  int statusVoid = 0;     // NMEA status V: the receiver had no fix
  int emptyPosition = 0;  // position fields left empty
  int notConverted = 0;   // a time, date or coordinate that does not convert
  int truncated = 0;      // glued or cut-off sentences, a file cut off inside its last record
  int noTime = 0;         // GPX points without a time
  int outsideWindow = 0;  // before the storing window opens or after it closes
  int Total() const {
    return badChecksum + statusVoid + emptyPosition + notConverted + truncated + noTime +
           outsideWindow;
  }
};

struct TrackReadResult {
  bool ok = true;
  ReadError error;    // when !ok: the load stops with this message
  int skipped = 0;    // records skipped as unusable (corrupt sentences, fixes without position)
  bool beep = false;  // the loader acknowledges the finished file with a beep
  SkipReasons why;    // the records not kept, by reason (outsideWindow filled by the store)
};

// How the storing rules differ between formats. The defaults are those of the text formats.
struct TrackRules {
  int growMargin = 50;  // grow when the count passes capacity - growMargin ...
  int growStep = 100;   // ... to count + growStep
  // BoatSampleInterval is 30 when fewer samples than this were kept.
  int intervalMinCount = 101;
  // Keep only records earlier than ClockLast + 120 s.
  bool upperLimit = false;
  // The trace zoom is reset when fewer than 100 samples were kept.
  bool resetsZoom = true;
  // The event pump (when set) runs while records are offered.
  bool pumpsEvents = false;
};

// The rules the TRL, GDB and MPS loggers share.
inline TrackRules LoggerFileRules() {
  TrackRules rules;
  rules.intervalMinCount = 51;
  rules.resetsZoom = false;
  rules.pumpsEvents = true;
  return rules;
}

// Coordinate text modes of the text formats: 1 decimal degrees, 2 DDMM.mmmm, 3 DDMMSS.s.
enum CoordMode { kCoordDeg = 1, kCoordDegMin = 2, kCoordDms = 3 };

// Hemisphere letter then the number: "N3539.7234" in mode 2 is 2139.7234 minutes; "S" and "W"
// make it negative. nullopt when the number does not convert.
std::optional<double> ParseCoordinate(std::string_view text, int mode);

// What the storing rules read from the race and the boat, copied so that a track can be read
// on another thread while the race tables are left alone.
struct TrackSettings {
  double startUtc = 0;
  long long offset = 0;  // the boat's clock correction
  int preStartSeconds = 180;
  double clockLast = 30;
  double raceDate = 0;
};
TrackSettings SettingsOf(const RaceData& race, int row);

// One track read apart from the race tables: time, latitude and longitude sized and packed
// exactly as they would have been in the boat's row, the sample count and the mean interval.
struct TrackBuffer {
  TimeColumn time;
  PositionColumn lat, lon;
  int count = 0, interval = 0;
};

class TrackStore {
 public:
  // Stores into the boat's row of the race tables.
  TrackStore(RaceData& race, int row);
  // Stores into a buffer; Finish() fills the buffer's count and interval.
  TrackStore(const TrackSettings& settings, TrackBuffer& buffer);
  static constexpr int kFirstCapacity = 100;

  // Set by a reader before its first record.
  void SetRules(const TrackRules& rules);
  const TrackRules& rules() const { return rules_; }
  // Lets pending window messages run during long binary files; called every few thousand
  // records, never per record, as running the event loop per record would dominate the read.
  void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }
  static constexpr int kPumpEvery = 4096;

  // A record at a UTC day-count date-time; kept when later than PreStartSeconds + 60 before
  // the gun (after the boat's clock correction).
  void AddAt(double utcDayCount, double lat, double lon) {
    AddSeconds(SecondsBetween(settings_.startUtc, utcDayCount), lat, lon);
  }
  void AddSeconds(long long seconds, double lat, double lon);
  // A record whose position the reader holds exactly as points of one of the columns' grids
  // (decimal degrees of at most seven decimals as Degrees7, degrees and minutes of at most five
  // as DegreesMinutes5; never INT32_MIN): the same sample as AddAt with the positions the grid
  // decodes them to, but packed without a search for its grid.
  void AddAtOnGrid(double utcDayCount, PositionColumn::Grid grid, int32_t lat, int32_t lon);
  // Packs the samples into the row (or the buffer), sets the sample count and the mean
  // interval; returns the sample count.
  int Finish();

  int count() const { return n_; }
  double raceDate() const;
  // The kept samples as offered, before Finish packs them (slot 0 unused).
  const std::vector<double>& times() const { return time_; }
  std::vector<double> lats() const { return Minutes(lat_, latQ_); }
  std::vector<double> lons() const { return Minutes(lon_, lonQ_); }
  // Every record offered, kept or not; those outside the storing window; the first and last
  // offered, in file order, as seconds from the gun after the clock correction.
  int offered() const { return offeredAll_; }
  int outsideWindow() const { return outside_; }
  long long firstOffered() const { return firstOffered_; }
  long long lastOffered() const { return lastOffered_; }

 private:
  RaceData* race_ = nullptr;  // row mode
  int row_ = 0;
  TrackBuffer* buffer_ = nullptr;  // buffer mode
  // Whether the record at `seconds` (from the gun, before the clock correction) is kept; counts
  // it either way.
  bool Keep(long long seconds, long long& kept);
  // Positions in minutes from whichever of the two lists holds them.
  std::vector<double> Minutes(const std::vector<double>& minutes,
                              const std::vector<int32_t>& points) const;
  void SwitchToMinutes();

  // The samples as read, packed by Finish. The row's size follows the growth rules (capacity_);
  // these grow as vectors do. Positions stay grid points (latQ_, lonQ_ on grid_) while every
  // record came so on one grid, else they are minutes (lat_, lon_).
  std::vector<double> time_{0.0}, lat_, lon_;
  std::vector<int32_t> latQ_{0}, lonQ_{0};
  bool onGrid_ = true;
  bool gridChosen_ = false;
  PositionColumn::Grid grid_ = PositionColumn::Grid::Degrees7;
  TrackSettings settings_;
  int n_ = 0;
  int capacity_ = kFirstCapacity;
  long long firstKept_;
  double lastKept_ = 0;  // exclusive; used with rules_.upperLimit
  TrackRules rules_;
  std::function<void()> pump_;
  int offered_ = 0;
  int offeredAll_ = 0;
  int outside_ = 0;
  long long firstOffered_ = 0, lastOffered_ = 0;
};

}  // namespace kw
