// The storing rules every track reader shares: which records are kept, how their times become
// seconds from the gun, how the arrays grow, and what is derived after the file.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "race/errors.h"

namespace kw {

struct RaceData;

struct TrackReadResult {
  bool ok = true;
  ReadError error;    // when !ok: the load stops with this message
  int skipped = 0;    // records skipped as unusable (corrupt sentences, fixes without position)
  bool beep = false;  // the loader acknowledges the finished file with a beep
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

class TrackStore {
 public:
  TrackStore(RaceData& race, int row);

  // Set by a reader before its first record.
  void SetRules(const TrackRules& rules);
  const TrackRules& rules() const { return rules_; }
  // Lets pending window messages run during long binary files; called every few thousand
  // records, never per record, as running the event loop per record would dominate the read.
  void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }
  static constexpr int kPumpEvery = 4096;

  // A record at a UTC day-count date-time; kept when later than PreStartSeconds + 60 before
  // the gun (after the boat's clock correction).
  void AddAt(double utcDayCount, double lat, double lon);
  void AddSeconds(long long seconds, double lat, double lon);
  // Sets the sample count and the mean interval; returns the sample count.
  int Finish();

  int count() const { return n_; }
  double raceDate() const;

 private:
  RaceData& race_;
  int row_;
  int n_ = 0;
  int capacity_;
  double startUtc_;
  long long offset_;
  long long firstKept_;
  double lastKept_ = 0;  // exclusive; used with rules_.upperLimit
  TrackRules rules_;
  std::function<void()> pump_;
  int offered_ = 0;
};

}  // namespace kw
