// TRB: 12-byte records back to back from the first byte, each int32 time (seconds since 1970,
// UTC), float32 latitude and float32 longitude in degrees, all little-endian. A trailing
// partial record is not read (it counts as one skipped record). Unlike the other formats, records
// later than two minutes after the end of the replay are dropped: these loggers keep recording on
// the way home.

#include <cmath>

#include "race/tracks/readers.h"

namespace kw {

namespace {
constexpr double kUnixEpochDayCount = 25569.0;  // 1970-01-01 as a day count
constexpr size_t kTrbRecord = 12;
}  // namespace

double SemicirclesToMinutes(int32_t value) {
  const double magnitude = std::fabs(static_cast<double>(value)) / 2147483648.0 * 180.0 * 60.0;
  return value < 0 ? -magnitude : magnitude;
}

void AddEpochRecord(TrackStore& store, int32_t epochSeconds, double latMinutes, double lonMinutes,
                    TrackReadResult& result) {
  // A NaN or infinite float would poison every later range and extent computation.
  if (!std::isfinite(latMinutes) || !std::isfinite(lonMinutes)) {
    ++result.skipped;
    ++result.why.notConverted;
    return;
  }
  store.AddAt(kUnixEpochDayCount + epochSeconds / 86400.0, latMinutes, lonMinutes);
}

void AddSemicirclePoint(std::string_view data, size_t latAt, size_t timeAt, TrackStore& store,
                        TrackReadResult& result) {
  const int32_t time = LeInt32(data, timeAt);
  if (time <= 0) return;
  AddEpochRecord(store, time, SemicirclesToMinutes(LeInt32(data, latAt)),
                 SemicirclesToMinutes(LeInt32(data, latAt + 4)), result);
}

TrackReadResult ReadTrb(std::string_view data, const QString&, TrackStore& store) {
  TrackRules rules;
  rules.growMargin = 10;
  rules.growStep = 50;
  rules.intervalMinCount = 101;
  rules.upperLimit = true;
  rules.resetsZoom = true;
  rules.pumpsEvents = true;
  store.SetRules(rules);
  TrackReadResult result;
  const size_t count = data.size() / kTrbRecord;
  // A cut-off last record counts as skipped, so that a file too short for any record is
  // reported as unreadable rather than as a short track.
  if (data.size() % kTrbRecord != 0) {
    ++result.skipped;
    ++result.why.truncated;
  }
  for (size_t k = 0; k < count; ++k) {
    const size_t at = k * kTrbRecord;
    AddEpochRecord(store, LeInt32(data, at), static_cast<double>(LeFloat32(data, at + 4)) * 60.0,
                   static_cast<double>(LeFloat32(data, at + 8)) * 60.0, result);
  }
  return result;
}

}  // namespace kw
