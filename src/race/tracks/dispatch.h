// Chooses a track reader by the file's extension (or, for an extension that reads nothing, by
// the content) and applies the rules every format shares.
#pragma once

#include <QString>

#include <functional>
#include <string_view>

#include "race/tracks/track_store.h"

namespace kw {

struct RaceData;

enum class TrackFormat { None, Gpx, TextTrack, Nmea, Trb, Gdb, Mps, Trl };

// By the last three characters of the name, lower-cased.
TrackFormat FormatOfName(const QString& fileName);
// For files whose extension reads nothing: "<gpx" makes GPX, a "$??RMC" sentence NMEA.
TrackFormat FormatOfContent(std::string_view data);

TrackReadResult ReadTrackData(TrackFormat format, std::string_view data, const QString& fileName,
                              TrackStore& store);

struct LoadTrackResult : TrackReadResult {
  bool fileFound = false;
  bool formatKnown = false;
  // A short track (under 100 samples) from a format whose rule resets the trace zoom-out.
  bool resetsZoom = false;
};

// Reads the track of boat `boatNumber` (1-based in race-file order) into row
// boatNumber - DroppedBoatCount, moving the boat's row down first when boats were dropped.
// `processEvents`, when given, lets pending window messages run during long binary files.
LoadTrackResult ReadBoatTrack(RaceData& race, int boatNumber,
                              const std::function<void()>& processEvents = {});

}  // namespace kw
