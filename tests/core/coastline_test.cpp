// Coastline maps and lights: which files a race reads, the three coastline formats, the band
// around the tracks that selects whole-coast polylines, the light list, and the bundled demo.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "race/coastline.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

// A view whose race extent is the given box; spans and diagonal as the extent step makes them.
ViewState Extent(double latMin, double latMax, double lonMin, double lonMax) {
  ViewState v;
  v.RaceLatMin = latMin;
  v.RaceLatMax = latMax;
  v.RaceLonMin = lonMin;
  v.RaceLonMax = lonMax;
  v.RaceCentreLat = (latMin + latMax) / 2;
  v.RaceCentreLon = (lonMin + lonMax) / 2;
  v.CosCentreLat = std::cos(v.RaceCentreLat / 60 * M_PI / 180);
  v.RaceLatSpan = (latMax - latMin) * 1.2;
  v.RaceLonSpan = (lonMax - lonMin) * 1.2;
  v.RaceDiagonal = static_cast<float>(
      std::sqrt(v.RaceLatSpan * v.RaceLatSpan + 0.64 * v.RaceLonSpan * v.RaceLonSpan));
  if (v.RaceLonSpan * v.CosCentreLat >= v.RaceLatSpan) {
    v.RaceLatSpan = v.RaceLonSpan * v.CosCentreLat;
  } else {
    v.RaceLonSpan = v.RaceLatSpan / v.CosCentreLat;
  }
  return v;
}

struct Coast {
  kwtest::DataFolder dir;
  RaceData r;
  Coast() { r.ProgramFolder = dir.path(); }
  void Write(const QString& name, std::string_view bytes) { dir.Write("coastline/" + name, bytes); }
  bool Marked(int i) const { return r.CoastLat[i] > 6000; }
  double Lat(int i) const { return Marked(i) ? r.CoastLat[i] - 20000 : r.CoastLat[i]; }
};

// One fixed-column data line of up to seven points.
std::string GridPoints(const std::vector<std::pair<int, int>>& xy) {
  std::string line;
  char cell[16];
  for (auto [x, y] : xy) {
    std::snprintf(cell, sizeof cell, "%5d%5d", x, y);
    line += cell;
  }
  return line + "\n";
}

std::string LLine(const std::string& count) {
  return "L 1" + std::string(46, ' ') + count + "\n";
}

void AddFloatPair(std::string& out, float lat, float lon) {
  char b[8];
  std::memcpy(b, &lat, 4);  // test machines are little-endian, as the file is
  std::memcpy(b + 4, &lon, 4);
  out.append(b, 8);
}

}  // namespace

TEST(CoastChoose, LargeRaceTakesWholeCoastElseFirstLevelSquaresOfTheWidenedBox) {
  RaceData r;
  // 34d40'..35d10' widened by 5 minutes: p = trunc(2075/40) = 51 .. trunc(2115/40) = 52.
  ViewState v = Extent(2080, 2110, 8370, 8380);
  ChooseMapFiles(r, v);
  ASSERT_EQ(r.MapFileCount, 2);
  EXPECT_EQ(r.MapFileName[1], "5139");
  EXPECT_EQ(r.MapFileName[2], "5239");
  // Longitude widened by 1.4 x 5 = 7 minutes: 8347 -> u = 139, 8407 -> u = 140.
  v = Extent(2090, 2100, 8354, 8400);
  ChooseMapFiles(r, v);
  ASSERT_EQ(r.MapFileCount, 2);
  EXPECT_EQ(r.MapFileName[1], "5239");
  EXPECT_EQ(r.MapFileName[2], "5240");
  v.RaceDiagonal = 60.5f;
  ChooseMapFiles(r, v);
  ASSERT_EQ(r.MapFileCount, 1);
  EXPECT_EQ(r.MapFileName[1], "jcoast.cst");
}

TEST(CoastGrid, DatumShiftAtTheGeodeticOriginMatchesItsPublishedCoordinates) {
  // The origin is 35d39'17.5148" 139d44'40.5020" on the Tokyo datum and 35d39'29.1572"
  // 139d44'28.8759" on the world datum: +11.64" of latitude, -11.63" of longitude.
  const DatumOffset d = DatumShift(35 * 60 + 39 + 17.5148 / 60, 139 * 60 + 44 + 40.5020 / 60);
  EXPECT_NEAR(d.Lat * 60, 11.64, 0.1);
  EXPECT_NEAR(d.Lon * 60, -11.63, 0.1);
}

TEST(CoastGrid, InAreaSquaresGivePointsFromTheirCornerAndDeclaredCounts) {
  Coast c;
  // 533946: corner 53 x 40 + 4 x 5 = 2140, 39 x 60 + 6000 + 6 x 7.5 = 8385.
  // An out-of-area square's lines are skipped unread, even a malformed one.
  c.Write("5339.cst", "M 531000\n" + LLine("     2") + "xxxxxyyyyy\n" + "M 533946\n" +
                          LLine("     3") +
                          GridPoints({{0, 0}, {10000, 10000}, {5000, 2000}, {1, 1}}) +
                          LLine("   two") + GridPoints({{4000, 6000}, {4100, 6100}}));
  c.r.MapFileName[1] = "5339";
  c.r.MapFileCount = 1;
  const ViewState v = Extent(2141, 2142, 8386, 8388);
  ASSERT_FALSE(LoadCoastline(c.r, v));
  const DatumOffset d = DatumShift(v.RaceCentreLat, v.RaceCentreLon);
  ASSERT_EQ(c.r.CoastCount, 4);  // 3 declared (the fourth ignored), then a bad count as 1
  EXPECT_TRUE(c.Marked(1));
  EXPECT_DOUBLE_EQ(c.Lat(1), 2140 + d.Lat);
  EXPECT_DOUBLE_EQ(c.r.CoastLon[1], 8385 + d.Lon);
  EXPECT_FALSE(c.Marked(2));
  EXPECT_DOUBLE_EQ(c.Lat(2), 2145 + d.Lat);
  EXPECT_DOUBLE_EQ(c.r.CoastLon[2], 8392.5 + d.Lon);
  EXPECT_DOUBLE_EQ(c.Lat(3), 2141 + d.Lat);
  EXPECT_DOUBLE_EQ(c.r.CoastLon[3], 8388.75 + d.Lon);
  EXPECT_TRUE(c.Marked(4));
  EXPECT_DOUBLE_EQ(c.Lat(4), 2143 + d.Lat);
}

TEST(CoastGrid, ClippingRemovesOutsidePointsAndRestartsThePolylineAfterTheGap) {
  Coast c;
  std::vector<std::pair<int, int>> pts;
  for (int i = 1; i <= 12; ++i) pts.push_back({1000 + 100 * i, (i == 5 || i == 6) ? 8000 : 500});
  c.Write("5339.cst", "M 533946\n" + LLine("    12") + GridPoints({pts.begin(), pts.begin() + 7}) +
                          GridPoints({pts.begin() + 7, pts.end()}));
  c.r.MapFileName[1] = "5339";
  c.r.MapFileCount = 1;
  c.r.AddArea = 0;
  // Box 2140..2142: latitude 2144 (y = 8000) lies north of it.
  ASSERT_FALSE(LoadCoastline(c.r, Extent(2140, 2142, 8386, 8388)));
  ASSERT_EQ(c.r.CoastCount, 10);
  for (int i = 1; i <= 10; ++i) {
    EXPECT_EQ(c.Marked(i), i == 1 || i == 5) << i;
    EXPECT_NEAR(c.Lat(i), 2140.25, 0.3) << i;
  }
  // The point after the gap is the seventh of the file.
  EXPECT_NEAR(c.r.CoastLon[5], 8385 + 1700 * 7.5 / 10000, 0.3);
}

TEST(CoastGrid, MalformedNumberStopsWithFileAndLine) {
  Coast c;
  c.Write("5339.cst", "M 533946\n" + LLine("     2") + "  100  1OO\n");
  c.r.MapFileName[1] = "5339";
  c.r.MapFileCount = 1;
  const CoastError e = LoadCoastline(c.r, Extent(2141, 2142, 8386, 8388));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->file, "5339.cst");
  EXPECT_EQ(e->line, 3);
  EXPECT_TRUE(e->message.contains("1OO"));
}

TEST(CoastPlain, RLineStartsAPolylineAndCstIsAppendedWhenMissing) {
  Coast c;
  c.Write("venue.cst", "R,2140.5,8385.2\n2140.6,8385.3\n\nR,2141,8386\n2141.1,8386.1\n");
  c.r.MapFileName[1] = "venue";
  c.r.MapFileName[2] = "VENUE.CST";  // found ignoring case, nothing appended
  c.r.MapFileCount = 2;
  ASSERT_FALSE(LoadCoastline(c.r, Extent(2141, 2142, 8386, 8388)));
  ASSERT_EQ(c.r.CoastCount, 8);
  EXPECT_DOUBLE_EQ(c.r.CoastLat[1], 20000 + 2140.5);
  EXPECT_DOUBLE_EQ(c.r.CoastLon[1], 8385.2);
  EXPECT_DOUBLE_EQ(c.r.CoastLat[2], 2140.6);
  EXPECT_DOUBLE_EQ(c.r.CoastLat[3], 20000 + 2141);
  EXPECT_DOUBLE_EQ(c.r.CoastLat[5], 20000 + 2140.5);
  EXPECT_GE(c.r.CoastCapacity, 50);
  EXPECT_GE(static_cast<int>(c.r.CoastLat.size()), c.r.CoastCapacity + 1);
}

TEST(CoastPlain, OnlyCapitalRStartsAPolyline) {
  Coast c;
  c.Write("low.cst", "R,2140.5,8385.2\nr,2141,8386\n");
  const CoastError e = ReadPlainCoastFile(c.r, "low");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->line, 2);
  EXPECT_EQ(c.r.CoastCount, 1);
}

TEST(CoastPlain, ListGrowsPastItsFirstCapacity) {
  Coast c;
  std::string text = "R,2140,8385\n";
  for (int i = 1; i < 500; ++i) text += "2140," + std::to_string(8385 + i * 0.001) + "\n";
  c.Write("long.cst", text);
  c.r.MapFileName[1] = "long.cst";
  c.r.MapFileCount = 1;
  ASSERT_FALSE(LoadCoastline(c.r, Extent(2141, 2142, 8386, 8388)));
  ASSERT_EQ(c.r.CoastCount, 500);
  // Grows at counts 41, 53, ... 497 (each time capacity - 10 is passed) to count + 21.
  EXPECT_EQ(c.r.CoastCapacity, 497 + 21);
  EXPECT_NEAR(c.r.CoastLon[500], 8385.499, 1e-9);
}

TEST(CoastLoad, BadCoastValueStopsTheRaceLoadWithItsMessage) {
  kwtest::DataFolder dir;
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("raceadmin/race.txt",
            "ST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\nBN,a.gpx,Alpha\nMAP,bad\n");
  dir.Write("coastline/bad.cst", "R,2118,8368\n2118.1,83x68\n");
  RaceSession s;
  s.race.ProgramFolder = dir.path();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  LoadHooks hooks;
  const LoadOutcome o = LoadRace(s, hooks);
  ASSERT_EQ(o.status, LoadOutcome::ConversionError);
  EXPECT_EQ(o.error.file, "bad.cst");
  EXPECT_EQ(o.error.line, 2);
  EXPECT_EQ(s.race.CoastCount, 1);  // what was read before stays
}

namespace {

// One boat of 200 samples eastward along 35 degrees, 8300 -> 8399.5; the slot after its last
// sample holds a stale position far to the north.
struct WholeCoastRace : Coast {
  ViewState v = Extent(2099, 2101, 8300, 8400);
  WholeCoastRace() {
    r.BoatCount = 1;
    SetBoatTableCapacity(r);
    SetTrackCapacity(r, 1, 300);
    r.BoatSampleCount[1] = 200;
    for (int i = 1; i <= 200; ++i) {
      r.TrackLat[1][i] = 2100;
      r.TrackLon[1][i] = 8300 + (i - 1) * 0.5;
    }
    r.TrackLat[1][201] = 2170;
    r.TrackLon[1][201] = 8350;
  }
};

}  // namespace

TEST(CoastWhole, LargeRaceTakesThePolylinesThatMeetTheBandAroundTheTracks) {
  WholeCoastRace c;
  ASSERT_GT(c.v.RaceDiagonal, 60);
  // Band: samples 1 and 101 (8300..8350 at 2100), half-width about 45 px = 30 minutes.
  std::string bin;
  // Starts on the band: taken whole, even where it leaves it.
  AddFloatPair(bin, -2110, 8320);
  AddFloatPair(bin, 2110, 8322);
  AddFloatPair(bin, 2200, 8322);
  // Starts off the band; taken from its first point inside box and band.
  AddFloatPair(bin, -2160, 8330);
  AddFloatPair(bin, 2150, 8330);
  AddFloatPair(bin, 2115, 8330);
  AddFloatPair(bin, 2116, 8331);
  // Only near the stale slot beyond the last sample: not taken.
  AddFloatPair(bin, -2170, 8350);
  AddFloatPair(bin, 2171, 8351);
  // Starts off the image; 8390 lies beyond the band's round end, 8360 on it.
  AddFloatPair(bin, -2100, 8500);
  AddFloatPair(bin, 2100, 8390);
  AddFloatPair(bin, 2100, 8360);
  AddFloatPair(bin, 2100, 8500);
  bin += "tail";  // a partial record at the end is not read
  c.Write("JCOAST.CST", bin);
  ASSERT_FALSE(LoadCoastline(c.r, c.v));
  ASSERT_EQ(c.r.MapFileCount, 1);
  const std::vector<std::pair<double, double>> want = {{22110, 8320}, {2110, 8322}, {2200, 8322},
                                                       {22115, 8330}, {2116, 8331}, {22100, 8360},
                                                       {2100, 8500}};
  ASSERT_EQ(c.r.CoastCount, static_cast<int>(want.size()));
  for (int i = 1; i <= c.r.CoastCount; ++i) {
    EXPECT_EQ(c.r.CoastLat[i], want[i - 1].first) << i;
    EXPECT_EQ(c.r.CoastLon[i], want[i - 1].second) << i;
  }
}

TEST(CoastWhole, NonFiniteCoordinateStopsWithItsByteOffset) {
  WholeCoastRace c;
  std::string bin;
  AddFloatPair(bin, -2110, 8320);
  AddFloatPair(bin, std::numeric_limits<float>::quiet_NaN(), 8320);
  c.Write("jcoast.cst", bin);
  const CoastError e = LoadCoastline(c.r, c.v);
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->byteOffset);
  EXPECT_EQ(e->line, 8);
}

TEST(CoastLights, FallbackFileBoundsAndConversion) {
  Coast c;
  const ViewState v = Extent(2110, 2118, 8360, 8370);
  // No light file at all: no lights, no error.
  ASSERT_FALSE(LoadLights(c.r, v));
  EXPECT_EQ(c.r.LightCount, 0);
  c.Write("toba.lh",
          "Enoshima,3517.982,13928.830,10,1,W,3\n"
          "North edge,3526.000,13925.000,4,1,R,1\n"  // exactly RaceLatMax + 8: not kept
          "Just inside,3525.990,13925.000,4,2,RG,1.5\n"
          "Far east,3517.000,13935.000,4,1,G,1\n");
  ASSERT_FALSE(LoadLights(c.r, v));
  ASSERT_EQ(c.r.LightCount, 2);
  EXPECT_EQ(c.r.LightName[1], "Enoshima");
  EXPECT_DOUBLE_EQ(c.r.LightLat[1], 35 * 60 + 17.982);
  EXPECT_DOUBLE_EQ(c.r.LightLon[1], 139 * 60 + 28.830);
  EXPECT_EQ(c.r.LightPeriod[1], 10);
  EXPECT_EQ(c.r.LightOnSeconds[1], 1);
  EXPECT_EQ(c.r.LightColors[1], "W");
  EXPECT_DOUBLE_EQ(c.r.LightSize[1], 3);
  EXPECT_EQ(c.r.LightName[2], "Just inside");
  EXPECT_EQ(c.r.LightColors[2], "RG");
  // jlh.lh, when present, is the list read; a bad number stops with its line.
  c.Write("jlh.lh", "A,3517.982,13928.830,10,1,W,3\nB,3517.982,13928.830,ten,1,W,3\n");
  const CoastError e = LoadLights(c.r, v);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->file, "jlh.lh");
  EXPECT_EQ(e->line, 2);
  EXPECT_EQ(c.r.LightCount, 1);
}

TEST(CoastDemo, DemoRacesLoadTheVenueCoastAndLights) {
  const QString folder = kwtest::DemoDir() + "coastline/";
  if (!QFileInfo::exists(folder + "5239.cst") || !QFileInfo::exists(folder + "jlh.lh")) {
    GTEST_SKIP() << "no demo coastline files";
  }
  const QStringList races = QDir(kwtest::DemoDir() + "raceadmin").entryList({"*.txt"});
  ASSERT_FALSE(races.isEmpty());
  // The venue's plain file is on the world datum: the grid squares, shifted from the Tokyo
  // datum at load, must lie on it.
  RaceData plain;
  plain.ProgramFolder = kwtest::DemoDir();
  ASSERT_FALSE(ReadPlainCoastFile(plain, "sagami-plain.cst"));
  ASSERT_GT(plain.CoastCount, 100);
  for (const QString& race : races) {
    SCOPED_TRACE(race.toStdString());
    RaceSession s;
    s.race.ProgramFolder = kwtest::DemoDir();
    BuildRaceList(s.race);
    s.race.RaceFilePath = s.race.ProgramFolder + "raceadmin/" + race;
    LoadHooks hooks;
    ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
    const RaceData& r = s.race;
    ASSERT_GT(r.CoastCount, 100);
    EXPECT_GT(r.LightCount, 0);
    double sum = 0;
    int n = 0;
    for (int i = 1; i <= r.CoastCount; ++i) {
      const double lat = r.CoastLat[i] > 6000 ? r.CoastLat[i] - 20000 : r.CoastLat[i];
      const double lon = r.CoastLon[i];
      if (lat < 35.16 * 60 || lat > 35.39 * 60 || lon < 139.31 * 60 || lon > 139.69 * 60) continue;
      double best = 1e9;
      for (int j = 1; j <= plain.CoastCount; ++j) {
        const double pl = plain.CoastLat[j] > 6000 ? plain.CoastLat[j] - 20000 : plain.CoastLat[j];
        best = std::min(best, std::hypot(lat - pl, (lon - plain.CoastLon[j]) * 0.82));
      }
      sum += best;
      ++n;
    }
    ASSERT_GT(n, 100);
    // Without the datum shift the mean would be about 0.27 minutes.
    EXPECT_LT(sum / n, 0.03);
  }
}
