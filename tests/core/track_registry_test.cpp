// The track reader registry (kTrackReaders in dispatch.cpp): every extension and every sniffer
// lands where the dispatch always sent it, and every fuzz harness of a track format finds its
// reader by name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "fuzz/reader_input.h"
#include "race/tracks/dispatch.h"

using kw::TrackFormat;

TEST(TrackRegistry, EveryExtensionInEitherCase) {
  const std::pair<const char*, TrackFormat> names[] = {
      {"a.gpx", TrackFormat::Gpx},       {"a.trb", TrackFormat::Trb},
      {"a.gdb", TrackFormat::Gdb},       {"a.mps", TrackFormat::Mps},
      {"a.trl", TrackFormat::Trl},       {"a.dtr", TrackFormat::TextTrack},
      {"a.trk", TrackFormat::TextTrack}, {"a.log", TrackFormat::Nmea},
      {"a.nmea", TrackFormat::None},     {"a.txt", TrackFormat::None},
      {"gpx", TrackFormat::Gpx},         {"px", TrackFormat::None},
      {"", TrackFormat::None},           {"a.gpx.bak", TrackFormat::None}};
  for (const auto& [name, format] : names) {
    const QString n = QString::fromLatin1(name);
    EXPECT_EQ(kw::FormatOfName(n), format) << name;
    EXPECT_EQ(kw::FormatOfName(n.toUpper()), format) << name;
  }
}

TEST(TrackRegistry, ContentIsSniffedGpxFirstInTheFirstMegabyte) {
  // Both shapes present: GPX wins wherever it stands in the head.
  EXPECT_EQ(kw::FormatOfContent("$GPRMC,1\n<gpx>"), TrackFormat::Gpx);
  EXPECT_EQ(kw::FormatOfContent("<GpX"), TrackFormat::Gpx);
  EXPECT_EQ(kw::FormatOfContent("<gp"), TrackFormat::None);
  EXPECT_EQ(kw::FormatOfContent("$GPRMC"), TrackFormat::Nmea);
  EXPECT_EQ(kw::FormatOfContent("$GPRM"), TrackFormat::None);
  EXPECT_EQ(kw::FormatOfContent("$gprmc"), TrackFormat::None);  // the sentence is upper-case
  // Binary formats never come by content.
  EXPECT_EQ(kw::FormatOfContent(std::string(64, '\0')), TrackFormat::None);
  std::string late(1 << 20, ' ');
  EXPECT_EQ(kw::FormatOfContent(late + "<gpx"), TrackFormat::None);
  late.replace(late.size() - 4, 4, "<gpx");
  EXPECT_EQ(kw::FormatOfContent(late), TrackFormat::Gpx);
}

TEST(TrackRegistry, FuzzHarnessNamesFindTheirReaders) {
  std::set<TrackFormat> seen;
  for (const char* name : {"gpx", "nmea", "text_track", "trb", "trl", "gdb", "mps"}) {
    const TrackFormat f = kw::FormatNamed(name);
    EXPECT_NE(f, TrackFormat::None) << name;
    seen.insert(f);
  }
  EXPECT_EQ(seen.size(), 7u);
  for (const char* other : {"race_file", "wind", "lights", "", "GPX"})
    EXPECT_EQ(kw::FormatNamed(other), TrackFormat::None) << other;
  // Every reader the harnesses know by name is either a track format or one of the side files.
  int tracks = 0;
  for (const char* reader : kwfuzz::kReaders)
    tracks += kw::FormatNamed(reader) != TrackFormat::None;
  EXPECT_EQ(tracks, 7);
}

TEST(TrackRegistry, AFormatWithoutARowReadsNothing) {
  kw::RaceData race;
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  kw::TrackStore store(race, 1);
  const kw::TrackReadResult r = kw::ReadTrackData(TrackFormat::None, "<gpx>", "f", store);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.skipped, 0);
  EXPECT_EQ(store.Finish(), 0);
}
