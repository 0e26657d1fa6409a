// What the fuzz harnesses do with one input, shared with the regression test that replays the
// inputs they found (tests/fuzz_regressions/<reader>/). Readers that take a file get the input
// written into a temporary data folder first; the track readers take it from memory.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string_view>

#include "race/coastline.h"
#include "race/datetime.h"
#include "race/extent.h"
#include "race/model.h"
#include "race/racefile.h"
#include "race/tracks/dispatch.h"
#include "race/wind.h"

namespace kwfuzz {

// The readers, by the names the harnesses and the regression folders use.
inline constexpr const char* kReaders[] = {
    "race_file", "gpx",  "nmea",        "text_track",  "trb",         "trl",   "gdb",
    "mps",       "wind", "grid_square", "plain_coast", "whole_coast", "lights"};

struct Folder {
  QTemporaryDir dir;
  QString root = dir.path() + '/';
  Folder() {
    for (const char* sub : {"raceadmin", "gpsdat", "winddat", "coastline", "attachment"})
      QDir(root).mkpath(sub);
    Put("gpsdat/a.gpx", "x");  // a track file for BN lines to find
  }
  void Put(const QString& relative, std::string_view bytes) const {
    QFile f(root + relative);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
};

// A race at 2007/05/12 10:00 JST with a wide clock range, as the loader leaves it before tracks.
inline void RaceBeforeTracks(kw::RaceData& r, const QString& root) {
  r.ProgramFolder = root;
  r.StartTime = *kw::ParseDateTime("2007/05/12 10:00:00");
  r.FinishTime = *kw::ParseDateTime("2007/05/12 14:00:00");
  r.TimeZoneHours = 9;
  r.StartTimeUtc = r.StartTime - 9 / 24.0;
  r.RaceDate = *kw::ParseDateTime("2007/05/12");
  r.ClockLast = 4 * 3600 + 30;
  r.BoatCount = 1;
  r.BoatTimeOffset[1] = 0;
  r.BoatFactor[1] = 1.02;
  r.CorrectedTimeMode = 1;
  kw::SetBoatTableCapacity(r);
}

// Runs `reader` on `data`. False when a track read into the race row and one read apart (the
// loader's parallel path) disagree.
inline bool ReadInput(std::string_view reader, std::string_view data, const Folder& folder) {
  kw::RaceData race;
  RaceBeforeTracks(race, folder.root);
  if (const kw::TrackFormat format = kw::FormatNamed(reader); format != kw::TrackFormat::None) {
    kw::TrackStore store(race, 1);
    kw::ReadTrackData(format, data, "fuzz", store);
    const int n = store.Finish();
    kw::ApplyCorrectedTime(race, 1);
    kw::AssessTrack(race.TrackTime[1], race.TrackLat[1], race.TrackLon[1], n);
    kw::TrackBuffer buffer;
    kw::TrackStore apart(kw::SettingsOf(race, 1), buffer);
    kw::ReadTrackData(format, data, "fuzz", apart);
    return apart.Finish() == n && buffer.interval == race.BoatSampleInterval[1];
  }
  kw::RaceExtent wide;
  wide.RaceLatMin = -6000, wide.RaceLatMax = 6000, wide.RaceLonMin = -11000;
  wide.RaceLonMax = 11000;
  if (reader == "race_file") {
    folder.Put("raceadmin/race.txt", data);
    race.RaceFilePath = folder.root + "raceadmin/race.txt";
    kw::ReadRaceFile(race, race.RaceFilePath);
  } else if (reader == "wind") {
    folder.Put("winddat/w.csv", data);
    race.WindFileName = "w.csv";
    kw::ReadWindFile(race);
  } else if (reader == "grid_square") {
    folder.Put("coastline/5339.cst", data);
    const kw::CoastBox box{-6000, 6000, -11000, 11000};
    kw::ReadGridSquareFile(race, "5339", box, kw::DatumShift(2130, 8370));
  } else if (reader == "plain_coast") {
    folder.Put("coastline/plain.cst", data);
    kw::ReadPlainCoastFile(race, "plain");
  } else if (reader == "whole_coast") {
    folder.Put("coastline/jcoast.cst", data);
    kw::ReadWholeCoast(race, wide);
  } else if (reader == "lights") {
    folder.Put("coastline/jlh.lh", data);
    kw::LoadLights(race, wide);
  }
  return true;
}

}  // namespace kwfuzz
