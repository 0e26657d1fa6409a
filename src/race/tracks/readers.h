// Track file readers. Each takes the whole file in memory and fills one boat row through the
// shared storing rules; none shows dialogs or touches anything but its row.
#pragma once

#include <QString>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "race/tracks/track_store.h"

namespace kw {

TrackReadResult ReadGpx(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadTextTrack(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadNmea(std::string_view data, const QString& fileName, TrackStore& store);

// Binary logger formats: fixed records (TRB, TRL) and byte patterns inside containers (GDB,
// MPS). They never fail: bytes that hold no usable point give no sample.
TrackReadResult ReadTrb(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadTrl(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadGdb(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadMps(std::string_view data, const QString& fileName, TrackStore& store);

// Little-endian fields of the binary formats; the caller keeps offset + 4 <= data.size().
inline int32_t LeInt32(std::string_view data, size_t offset) {
  unsigned char b[4];
  std::memcpy(b, data.data() + offset, 4);
  const uint32_t u =
      uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
  int32_t v;
  std::memcpy(&v, &u, 4);
  return v;
}
inline float LeFloat32(std::string_view data, size_t offset) {
  const int32_t bits = LeInt32(data, offset);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}
// Garmin semicircles (2^31 = 180 degrees) to minutes of arc.
double SemicirclesToMinutes(int32_t value);
// One binary record: its time as seconds since 1970-01-01 UTC and its position in minutes of
// arc. A position that is not a finite number is counted as skipped instead of stored.
void AddEpochRecord(TrackStore& store, int32_t epochSeconds, double latMinutes, double lonMinutes,
                    TrackReadResult& result);
// A point matched in a GDB or MPS file: semicircle latitude at `latAt`, longitude right after
// it, epoch time at `timeAt`; a time of 0 or less is no point.
void AddSemicirclePoint(std::string_view data, size_t latAt, size_t timeAt, TrackStore& store,
                        TrackReadResult& result);

// 1-based line number of a byte offset, for error messages.
long long LineOfOffset(std::string_view data, size_t offset);

}  // namespace kw
