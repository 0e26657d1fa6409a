// Chooses a track reader by the file's extension (or, for an extension that reads nothing, by
// the content) and applies the rules every format shares. The formats, their extensions, their
// content sniffers and their readers are one table, kTrackReaders in dispatch.cpp: a new format
// is a value of TrackFormat and a row there.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "race/text.h"
#include "race/tracks/track_quality.h"
#include "race/tracks/track_store.h"

namespace kw {

struct RaceData;

enum class TrackFormat { None, Gpx, TextTrack, Nmea, Trb, Gdb, Mps, Trl };

// By the last three characters of the name, lower-cased.
TrackFormat FormatOfName(const QString& fileName);
// For files whose extension reads nothing: "<gpx" makes GPX, else a "$??RMC" sentence NMEA.
TrackFormat FormatOfContent(std::string_view data);
// By the format's name in the table ("gpx", "nmea", "text_track" ...), as the fuzz harnesses
// and tests/fuzz_regressions/ name the readers; None for any other name.
TrackFormat FormatNamed(std::string_view name);

TrackReadResult ReadTrackData(TrackFormat format, std::string_view data, const QString& fileName,
                              TrackStore& store);

struct LoadTrackResult : TrackReadResult {
  bool fileFound = false;
  bool formatKnown = false;
  // A short track (under 100 samples) from a format whose rule resets the trace zoom-out.
  bool resetsZoom = false;
  // Records the reader found: kept, or not kept for one of the reasons in `why`.
  int recordsRead = 0;
  // First and last record offered to the storing rules, in file order (seconds from the gun).
  bool anyFix = false;
  long long firstFix = 0, lastFix = 0;
  // Filled when asked for: the kept samples before any corrected-time scaling.
  std::optional<TrackQuality> quality;
};

// Reads the track of boat `boatNumber` (1-based in race-file order) into row
// boatNumber - DroppedBoatCount, moving the boat's row down first when boats were dropped.
// `processEvents`, when given, lets pending window messages run during long binary files.
// `assess` fills the result's quality.
LoadTrackResult ReadBoatTrack(RaceData& race, int boatNumber,
                              const std::function<void()>& processEvents = {}, bool assess = false);

// The same read in two halves, so that tracks can be read on several threads and stored in boat
// order: a job holds everything the read needs (made before any boat is loaded, from the boat's
// race-file position); ReadTrackJob touches nothing shared; CommitTrack then stores the result
// into the boat's row exactly as ReadBoatTrack would have left it.
struct TrackJob {
  QString folder;  // gpsdat/
  std::string file;
  TrackSettings settings;
  double factor = 0;
  int correctedTimeMode = 0;
  bool assess = false;
};
struct PreparedTrack {
  LoadTrackResult result;
  bool stored = false;  // the storing rules ran (the file was found and read)
  TrackBuffer buffer;
};
TrackJob JobOf(const RaceData& race, int boatNumber, bool assess);
// `bytes` holds the file while it is read; a thread passes the same one for every job it takes.
PreparedTrack ReadTrackJob(const TrackJob& job, FileBytes& bytes);
LoadTrackResult CommitTrack(RaceData& race, int boatNumber, PreparedTrack&& track);

}  // namespace kw
