// MPS (MapSource file): the container is not parsed; track points are found by the bytes around
// them. Anchor byte i is the altitude flag (0 or 1) of a 24-byte point: lat i-8, lon i-4 (int32
// semicircles), [i+9]=1 then time i+10 (int32 seconds since 1970 UTC), bytes i+14 .. i+22 all
// zero, and two zero bytes at i-10, i-9. Anchors run from 30 to size-30, so every byte tested
// lies inside the buffer; after a match the next 20 anchors are not tested. A match with time 0
// gives no point; other stray matches are mostly dropped by the time window.

#include "race/tracks/readers.h"

namespace kw {

TrackReadResult ReadMps(std::string_view data, const QString&, TrackStore& store) {
  store.SetRules(LoggerFileRules());
  TrackReadResult result;
  result.beep = true;
  if (data.size() < 60) return result;
  const auto* b = reinterpret_cast<const unsigned char*>(data.data());
  const size_t last = data.size() - 30;
  for (size_t i = 30; i <= last; ++i) {
    if (b[i] > 1 || b[i - 10] != 0 || b[i - 9] != 0 || b[i + 9] != 1) continue;
    bool zeros = true;
    for (size_t k = i + 14; k <= i + 22; ++k) zeros = zeros && b[k] == 0;
    if (!zeros) continue;
    AddSemicirclePoint(data, i - 8, i + 10, store, result);
    i += 20;
  }
  return result;
}

}  // namespace kw
