// GDB (Garmin database): the container is not parsed; track points are found by the bytes
// around them. Anchor byte i is the altitude flag of a point:
//   A (24-byte point): lat i-8, lon i-4 (int32 semicircles), [i]=1, altitude double, [i+9]=1,
//     time i+10 (int32 seconds since 1970 UTC), depth and temperature flags [i+14]=[i+15]=0,
//     and two zero bytes at i-10, i-9;
//   B (16-byte point, tested only where A fails): lat i-9, lon i-5, [i-1]=0, [i]=1, time i+1,
//     [i+5]=[i+6]=0, zero bytes at i-11, i-10.
// Anchors run from 30 to size-30, so every byte tested lies inside the buffer. After a match
// the next 20 (A) or 12 (B) anchors are not tested, which keeps one point from matching twice.
// A match with time 0 gives no point. Stray matches in waypoints or headers are possible; the
// time window drops most of them.

#include "race/tracks/readers.h"

namespace kw {

TrackReadResult ReadGdb(std::string_view data, const QString&, TrackStore& store) {
  store.SetRules(LoggerFileRules());
  TrackReadResult result;
  result.beep = true;
  if (data.size() < 60) return result;
  const auto* b = reinterpret_cast<const unsigned char*>(data.data());
  const size_t last = data.size() - 30;
  for (size_t i = 30; i <= last; ++i) {
    if (b[i] != 1) continue;
    if (b[i - 10] == 0 && b[i - 9] == 0 && b[i + 9] == 1 && b[i + 14] == 0 && b[i + 15] == 0) {
      AddSemicirclePoint(data, i - 8, i + 10, store, result);
      i += 20;
    } else if (b[i - 1] == 0 && b[i - 11] == 0 && b[i - 10] == 0 && b[i + 5] == 0 &&
               b[i + 6] == 0) {
      AddSemicirclePoint(data, i - 9, i + 1, store, result);
      i += 12;
    }
  }
  return result;
}

}  // namespace kw
