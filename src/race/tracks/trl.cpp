// TRL: 16- or 20-byte records back to back, starting like TRB records (int32 time since 1970
// UTC, float32 latitude and longitude in degrees, little-endian); the rest of each record is not
// used. The file carries no size field: the record size is the one that puts the second
// record's time closer to the first record's time.

#include <cstdlib>

#include "race/tracks/readers.h"

namespace kw {

namespace {

size_t TrlRecordSize(std::string_view data) {
  // With fewer than 24 bytes there is at most one record, and it reads the same either way.
  if (data.size() < 24) return 16;
  const long long a = LeInt32(data, 0);
  const long long b = LeInt32(data, 16);
  const long long c = LeInt32(data, 20);
  return std::llabs(a - b) < std::llabs(a - c) ? 16 : 20;
}

}  // namespace

TrackReadResult ReadTrl(std::string_view data, const QString&, TrackStore& store) {
  store.SetRules(LoggerFileRules());
  TrackReadResult result;
  result.beep = true;
  const size_t size = TrlRecordSize(data);
  const size_t count = data.size() / size;
  if (data.size() % size != 0) {  // a cut-off last record, as in TRB
    ++result.skipped;
    ++result.why.truncated;
  }
  for (size_t k = 0; k < count; ++k) {
    const size_t at = k * size;
    AddEpochRecord(store, LeInt32(data, at), static_cast<double>(LeFloat32(data, at + 4)) * 60.0,
                   static_cast<double>(LeFloat32(data, at + 8)) * 60.0, result);
  }
  return result;
}

}  // namespace kw
