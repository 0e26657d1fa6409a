#include <gtest/gtest.h>

#include "race/datetime.h"
#include "race/model.h"
#include "race/tracks/dispatch.h"
#include "race/tracks/readers.h"
#include "session/loader.h"
#include "support/test_support.h"
#include "view/view_state.h"

using namespace kw;

namespace {

// One boat row, race start 2007/05/12 10:00:00 local with TD 9.
struct Row {
  RaceData race;
  Row(int offset = 0) {
    race.StartTime = *ParseDateTime("2007/05/12 10:00:00");
    race.TimeZoneHours = 9;
    race.StartTimeUtc = race.StartTime - 9 / 24.0;
    race.RaceDate = *ParseDateTime("2007/05/12");
    race.BoatCount = 1;
    race.BoatTimeOffset[1] = offset;
    SetBoatTableCapacity(race);
  }
  TrackReadResult Read(TrackFormat fmt, std::string_view data) {
    TrackStore store(race, 1);
    auto r = ReadTrackData(fmt, data, "f", store);
    store.Finish();
    return r;
  }
  int n() const { return race.BoatSampleCount[1]; }
  double t(int i) const { return race.TrackTime[1][i]; }
  double lat(int i) const { return race.TrackLat[1][i]; }
  double lon(int i) const { return race.TrackLon[1][i]; }
};

std::string Point(const char* attrs, const char* time) {
  return std::string("<trkpt ") + attrs + "><ele>3</ele><time>" + time + "</time></trkpt>";
}

std::string Nmea(std::string body) {
  unsigned char x = 0;
  for (char c : body) x ^= static_cast<unsigned char>(c);
  char buf[8];
  std::snprintf(buf, sizeof buf, "*%02X", x);
  return "$" + body + buf + "\r\n";
}

}  // namespace

TEST(Gpx, TimeRelativeToStartWithOffset) {
  const std::string gpx =
      "<gpx>" + Point(R"(lat="35.5" lon="-139.25")", "2007-05-12T01:00:05Z") + "</gpx>";
  Row a;
  ASSERT_TRUE(a.Read(TrackFormat::Gpx, gpx).ok);
  ASSERT_EQ(a.n(), 1);
  EXPECT_EQ(a.t(1), 5);
  EXPECT_DOUBLE_EQ(a.lat(1), 2130);
  EXPECT_DOUBLE_EQ(a.lon(1), -8355);
  Row b(-3);
  b.Read(TrackFormat::Gpx, gpx);
  EXPECT_EQ(b.t(1), 2);
}

TEST(Gpx, ToleratesTheShapesRealFilesTake) {
  std::string gpx =
      "\xEF\xBB\xBF<?xml version='1.0'?><GPX><!-- <trkpt lat=\"1\" lon=\"1\"><time>x</time> -->"
      "<wpt lat=\"9\" lon=\"9\"><time>2007-05-12T01:00:00Z</time></wpt>"
      "<TRKPT LON='139.5' LAT='35.25'><TIME>2007-05-12T01:00:06.250+09:00</TIME></TRKPT>"
      "<trkpt lat=\"35.1\" lon=\"139.1\"/>"  // self-closing, no time: skipped, not merged
      "<trkpt lat=\"35.2\" lon=\"139.2\"><ele>1</ele></trkpt>"  // no time: skipped
      "<trkpt lat=\"35.3\" lon=\"139.3\">\r\n <time>\r\n2007-05-12T01:00:07Z</time></trkpt>"
      "</gpx><trkpt lat=\"1\" lon=\"1\"><time>2007-05-12T01:00:08Z</time></trkpt>";
  Row r;
  auto res = r.Read(TrackFormat::Gpx, gpx);
  ASSERT_TRUE(res.ok) << res.error.Text().toStdString();
  ASSERT_EQ(r.n(), 2);
  EXPECT_EQ(r.t(1), 6);
  EXPECT_DOUBLE_EQ(r.lat(1), 35.25 * 60);
  EXPECT_DOUBLE_EQ(r.lon(1), 139.5 * 60);
  EXPECT_EQ(r.t(2), 7);
}

TEST(Gpx, BadValueStopsWithFileLineAndText) {
  std::string gpx = "<gpx>\n" + Point(R"(lat="35" lon="139")", "2007-05-12T01:00:01Z") + "\n" +
                    Point(R"(lat="3x5" lon="139")", "2007-05-12T01:00:02Z") + "\n" +
                    Point(R"(lat="35" lon="139")", "2007-05-12T01:00:03Z") + "\n</gpx>";
  Row r;
  auto res = r.Read(TrackFormat::Gpx, gpx);
  ASSERT_FALSE(res.ok);
  EXPECT_EQ(res.error.line, 3);
  EXPECT_EQ(res.error.Text(), "f: latitude '3x5' does not convert (line 3)");
  EXPECT_EQ(r.n(), 1);  // what was read stays

  Row d;
  res = d.Read(TrackFormat::Gpx, "<gpx>" + Point(R"(lat="35" lon="139")", "2007-13-12T01:00:01Z"));
  ASSERT_FALSE(res.ok);
  EXPECT_EQ(res.error.message, "date-time '2007-13-12 01:00:01' does not convert");
}

TEST(Gpx, FileCutOffInsideItsLastPointKeepsTheRest) {
  const std::string whole = "<gpx>" + Point(R"(lat="35" lon="139")", "2007-05-12T01:00:01Z") +
                            Point(R"(lat="35" lon="139")", "2007-05-12T01:00:02Z");
  for (size_t cut : {whole.size() - 5, whole.size() - 20, whole.size() - 40}) {
    Row r;
    auto res = r.Read(TrackFormat::Gpx, whole.substr(0, cut));
    ASSERT_TRUE(res.ok) << cut;
    EXPECT_EQ(r.n(), 1) << cut;
    EXPECT_EQ(res.skipped, 1) << cut;
  }
}

TEST(Gpx, PointsBeforeThePreStartWindowAreDropped) {
  Row r;  // kept only when s > -180 - 60
  std::string gpx = "<gpx>" + Point(R"(lat="1" lon="1")", "2007-05-12T00:56:00Z") +
                    Point(R"(lat="1" lon="1")", "2007-05-12T00:56:01Z") + "</gpx>";
  r.Read(TrackFormat::Gpx, gpx);
  ASSERT_EQ(r.n(), 1);
  EXPECT_EQ(r.t(1), -239);
}

// The common time form is read on a short path; every text near it must give what the general
// date-time rules give: the same value, or the same refusal.
TEST(Gpx, CommonTimeFormAgreesWithTheGeneralRules) {
  struct Case {
    const char* time;
    const char* general;  // the text the general rules read; null: refused
  };
  const Case cases[] = {
      {"2007-05-12T01:00:05Z", "2007-05-12 01:00:05"},
      {"2007-05-12t01:00:05", "2007-05-12 01:00:05"},
      {"2007-05-12T01:00:05.75+09:00", "2007-05-12 01:00:05"},
      {" 2007-05-12T01:00:05Z ", "2007-05-12 01:00:05"},
      {"2007-05-12T1:00:05Z", nullptr},
      {"2007-5-12T01:00:05Z", "2007-5-12 01:00:05"},
      {"2007-05-12T23:59:59Z", "2007-05-12 23:59:59"},
      {"2007-05-12T24:00:00Z", nullptr},
      {"2007-05-12T01:60:00Z", nullptr},
      {"2007-02-29T01:00:00Z", nullptr},
      {"2008-02-29T01:00:00Z", "2008-02-29 01:00:00"},
      {"2007-13-12T01:00:00Z", nullptr},
      {"2007/05/12T01:00:05Z", "2007/05/12 01:00:05"},
      {"2007-05-12", "2007-05-12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    Row a;
    const auto r = a.Read(TrackFormat::Gpx, "<gpx>" + Point(R"(lat="35" lon="139")", c.time));
    if (!c.general) {
      EXPECT_FALSE(r.ok);
      continue;
    }
    ASSERT_TRUE(r.ok) << r.error.Text().toStdString();
    const long long want = SecondsBetween(a.race.StartTimeUtc, *ParseDateTime(c.general));
    if (want <= -a.race.PreStartSeconds - 60) {
      EXPECT_EQ(a.n(), 0);
      continue;
    }
    ASSERT_EQ(a.n(), 1);
    EXPECT_EQ(a.t(1), static_cast<double>(want));
  }
}

TEST(TextTrack, CoordinateModes) {
  EXPECT_DOUBLE_EQ(*ParseCoordinate("N3539.7234", kCoordDegMin), 2139.7234);
  EXPECT_DOUBLE_EQ(*ParseCoordinate("W13946.9876", kCoordDegMin), -8386.9876);
  EXPECT_NEAR(*ParseCoordinate("N353943.4", kCoordDms), 2139.7233, 1e-4);
  EXPECT_DOUBLE_EQ(*ParseCoordinate("N35.5", kCoordDeg), 2130);
  EXPECT_DOUBLE_EQ(*ParseCoordinate("S0030.5", kCoordDegMin), -30.5);
  EXPECT_FALSE(ParseCoordinate("N5", kCoordDegMin));
  EXPECT_FALSE(ParseCoordinate("Nab12.5", kCoordDegMin));
  EXPECT_FALSE(ParseCoordinate("", kCoordDeg));
}

TEST(TextTrack, RecordsModesAndDates) {
  const std::string text =
      "H  logger 1\n"
      "T  N3539.7234  E13946.9876  12-05-2007  01:00:05  0\n"
      "T  N3539.7234  E13946.9876  12-05-2007  01:00:06\n"       // 5 fields
      "T  N3539.7234  E13946.9876  12-05-2007  01:00:07  0 0\n"  // 7 fields
      "T  N3539.7234  E13946.9876  12-05-2007  25:00:07  0\n"    // bad time: dropped
      "DEG\r\n"
      "T  N35.5  E139.25  2007/05/12  01:00:10  0\r\n"
      "DMS\n"
      "T  N353943.4  E1394659.26  12-05-2007  01:00:11  0\n";
  Row r;
  auto res = r.Read(TrackFormat::TextTrack, text);
  ASSERT_TRUE(res.ok);
  ASSERT_EQ(r.n(), 3);
  EXPECT_EQ(r.t(1), 5);
  EXPECT_DOUBLE_EQ(r.lat(1), 2139.7234);
  EXPECT_EQ(r.t(2), 10);
  EXPECT_DOUBLE_EQ(r.lat(2), 2130);
  EXPECT_DOUBLE_EQ(r.lon(2), 8355);
  EXPECT_NEAR(r.lon(3), 139 * 60 + 46 + 59.26 / 60, 1e-9);
  EXPECT_EQ(res.skipped, 1);
}

TEST(TextTrack, DateFarFromTheRaceDayFallsBeforeTheStart) {
  Row r;
  r.race.RaceDate = *ParseDateTime("2008/06/01");
  r.race.StartTimeUtc = *ParseDateTime("2008/06/01 01:00:00");
  r.Read(TrackFormat::TextTrack, "T N3539.7234 E13946.9876 12-05-2007 01:00:05 0\n");
  EXPECT_EQ(r.n(), 0);
}

TEST(TextTrack, BadCoordinateStopsTheLoad) {
  Row r;
  auto res =
      r.Read(TrackFormat::TextTrack,
             "T N3539.7234 E13946.9876 12-05-2007 01:00:05 0\nT Nxx E1 12-05-2007 01:00:06 0\n");
  ASSERT_FALSE(res.ok);
  EXPECT_EQ(res.error.line, 2);
  EXPECT_EQ(r.n(), 1);
}

TEST(Nmea, ReadsRmcOfAnyTalkerAndYearsOfThisCentury) {
  std::string log = Nmea("GPGGA,010005,3539.7234,N,13946.9876,E,1,8,1.0,5,M,,M,,") +
                    Nmea("GPRMC,010005.00,A,3539.7234,N,13946.9876,W,5.1,210,120507,,,A") +
                    Nmea("IIRMC,010006,A,3539.7300,S,13946.9900,E,5.1,210,120507,,") +
                    Nmea("GNRMC,010007,A,3539.7400,N,13946.9950,E,5.1,210,120508,,");
  Row r;
  r.race.StartTimeUtc = *ParseDateTime("2007/05/12 01:00:00");
  auto res = r.Read(TrackFormat::Nmea, log);
  ASSERT_TRUE(res.ok);
  ASSERT_EQ(r.n(), 3);
  EXPECT_EQ(r.t(1), 5);
  EXPECT_DOUBLE_EQ(r.lat(1), 2139.7234);
  EXPECT_DOUBLE_EQ(r.lon(1), -8386.9876);
  EXPECT_DOUBLE_EQ(r.lat(2), -2139.73);
  // 2008: "20" before the two-digit year, a year later.
  EXPECT_EQ(r.t(3), 366 * 86400 + 7);
}

TEST(Nmea, CorruptSentencesAreSkippedAndCounted) {
  std::string good = Nmea("GPRMC,010005,A,3539.7234,N,13946.9876,E,5.1,210,120507,,");
  std::string log =
      good + Nmea("GPRMC,010006,V,3539.7234,N,13946.9876,E,5.1,210,120507,,") +  // no fix
      Nmea("GPRMC,010007,A,,,,,5.1,210,120507,,") +                              // empty position
      Nmea("GPRMC,010008,A,3539.7234,N,13946.9876,E,5.1,210,000000,,") +         // date of zeros
      "$GPRMC,010009,A,3539.7234,N,13946.9876,E,5.1,210,120507,,*00\r\n" +       // bad checksum
      "$GPRMC,010010,A,3539.72\r\n" +                                            // truncated
      "\x01\xff\xfe" + Nmea("GPRMC,010011,A,3539.7234,N,13946.9876,E,5.1,210,120507,,") +
      "$GPGGA,0100" + Nmea("GPRMC,010012,A,3539.7234,N,13946.9876,E,5.1,210,120507,,") +
      Nmea("GPRMC,01xx13,A,3539.7234,N,13946.9876,E,5.1,210,120507,,") +  // bad time
      Nmea("GPRMC,010014,A,35x9.7234,N,13946.9876,E,5.1,210,120507,,");   // bad number
  Row r;
  r.race.StartTimeUtc = *ParseDateTime("2007/05/12 01:00:00");
  auto res = r.Read(TrackFormat::Nmea, log);
  ASSERT_TRUE(res.ok);
  ASSERT_EQ(r.n(), 3);
  EXPECT_EQ(r.t(2), 11);  // binary bytes before '$'
  EXPECT_EQ(r.t(3), 12);  // glued after a truncated sentence
  EXPECT_EQ(res.skipped, 7);
}

TEST(Nmea, YearTwoThousandIsAYear) {
  Row r;
  r.race.StartTimeUtc = *ParseDateTime("2000/08/07 01:00:00");
  auto res =
      r.Read(TrackFormat::Nmea, Nmea("GPRMC,010005,A,3539.7234,N,13946.9876,E,5,2,070800,,"));
  ASSERT_TRUE(res.ok);
  ASSERT_EQ(r.n(), 1);
  EXPECT_EQ(r.t(1), 5);
}

TEST(Nmea, FilesWithoutChecksumsStillLoad) {
  Row r;
  r.race.StartTimeUtc = *ParseDateTime("2007/05/12 01:00:00");
  auto res = r.Read(TrackFormat::Nmea,
                    "$GPRMC,010005,A,3539.7234,N,13946.9876,E,5.1,210,120507,,\n"
                    "$GPRMC,010006,A,3539.7234,N,13946.9876,E,5.1,210,120507,,*FF\n");
  ASSERT_TRUE(res.ok);
  EXPECT_EQ(r.n(), 2);
}

TEST(TrackStore, IntervalGrowthAndCorrectedTime) {
  for (int count : {100, 101}) {
    Row r;
    TrackStore store(r.race, 1);
    for (int i = 0; i < count; ++i) store.AddSeconds(i * 2, 1, 1);
    store.Finish();
    EXPECT_EQ(r.race.BoatSampleInterval[1], count == 100 ? 30 : 2);
    EXPECT_GE(static_cast<int>(r.race.TrackTime[1].size()), count + 1);
    EXPECT_EQ(
        r.race
            .TrackTime[1][count + 1 < static_cast<int>(r.race.TrackTime[1].size()) ? count + 1 : 0],
        0);
  }
  Row r;
  r.race.CorrectedTimeMode = 1;
  r.race.BoatFactor[1] = 1.05;
  TrackStore store(r.race, 1);
  for (int i = 0; i < 101; ++i) store.AddSeconds(i == 0 ? -30 : 1000 + i - 1, 1, 1);
  store.Finish();
  ApplyCorrectedTime(r.race, 1);
  EXPECT_EQ(r.t(1), -30);
  EXPECT_EQ(r.t(2), 1050);
  EXPECT_EQ(r.t(3), 1051);  // round(1051.05)
}

TEST(Dispatch, ByExtensionThenByContent) {
  EXPECT_EQ(FormatOfName("a.GPX"), TrackFormat::Gpx);
  EXPECT_EQ(FormatOfName("a.dtr"), TrackFormat::TextTrack);
  EXPECT_EQ(FormatOfName("a.TRK"), TrackFormat::TextTrack);
  EXPECT_EQ(FormatOfName("a.log"), TrackFormat::Nmea);
  EXPECT_EQ(FormatOfName("a.trl"), TrackFormat::Trl);
  EXPECT_EQ(FormatOfName("a.txt"), TrackFormat::None);
  EXPECT_EQ(FormatOfContent("junk\n$GNRMC,1,2"), TrackFormat::Nmea);
  EXPECT_EQ(FormatOfContent("<?xml?><GPX version"), TrackFormat::Gpx);
  EXPECT_EQ(FormatOfContent("hello"), TrackFormat::None);
}

TEST(Dispatch, LoadTrackMovesRowsDownAndFindsNmeaNamedTxt) {
  kwtest::DataFolder dir;
  RaceData race;
  ViewState view;
  race.ProgramFolder = dir.path();
  race.StartTimeUtc = *ParseDateTime("2007/05/12 01:00:00");
  race.BoatCount = 2;
  race.BoatTrackFile[2] = "NMEA0001.TXT";
  race.BoatName[2] = "Second";
  race.BoatClass[2] = 2;
  race.BoatFactor[2] = 1.1;
  race.BoatLength[2] = 9;
  race.DroppedBoatCount = 1;
  SetBoatTableCapacity(race);
  std::string log;
  for (int i = 0; i < 20; ++i) {
    char body[120];
    std::snprintf(body, sizeof body, "GPRMC,0100%02d,A,3539.7234,N,13946.9876,E,5.1,210,120507,,",
                  i);
    log += Nmea(body);
  }
  dir.Write("gpsdat/nmea0001.txt", log);
  view.TraceZoomOut = 3;
  auto res = LoadTrack(race, view, 2);
  ASSERT_TRUE(res.ok);
  EXPECT_TRUE(res.fileFound);
  EXPECT_EQ(race.BoatSampleCount[1], 20);
  EXPECT_EQ(race.BoatName[1], "Second");
  EXPECT_EQ(race.BoatClass[1], 2);
  EXPECT_DOUBLE_EQ(race.BoatFactor[1], 1.1);
  EXPECT_FLOAT_EQ(race.BoatLength[1], 9);
  EXPECT_EQ(view.TraceZoomOut, 1.0);  // a short track resets the trace zoom-out
}
