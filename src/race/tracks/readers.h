// Track file readers. Each takes the whole file in memory and fills one boat row through the
// shared storing rules; none shows dialogs or touches anything but its row.
#pragma once

#include <QString>

#include <string_view>

#include "race/tracks/track_store.h"

namespace kw {

TrackReadResult ReadGpx(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadTextTrack(std::string_view data, const QString& fileName, TrackStore& store);
TrackReadResult ReadNmea(std::string_view data, const QString& fileName, TrackStore& store);

// 1-based line number of a byte offset, for error messages.
long long LineOfOffset(std::string_view data, size_t offset);

}  // namespace kw
