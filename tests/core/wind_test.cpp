// The wind series: reading with its conversions and failures, saving in time order, and a bad
// wind value stopping the load.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "race/datetime.h"
#include "race/model.h"
#include "race/wind.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

// A race starting 2007/05/12 10:00:00 local (01:00:00 UTC).
struct WindRace {
  kwtest::DataFolder dir;
  RaceData race;
  WindRace() {
    race.ProgramFolder = dir.path();
    race.StartTime = *ParseDateTime("2007/05/12 10:00:00");
    race.StartTimeUtc = race.StartTime - 9 / 24.0;
    race.RaceFileName = "race1.txt";
  }
};

}  // namespace

TEST(WindRead, TimesFromTheLocalStartAndDirectionsRoundedHalfToEven) {
  WindRace t;
  t.dir.Write("winddat/wind1.csv",
              "DATE TIME, TWS,TWD\r\n2007/05/12 09:59:30,4.5,359.5\r\n"
              "2007-05-12 10:01:00, 7.25 ,358.5\r\n\r\n2007/5/12 10:2:0,3,10\r\n");
  t.race.WindFileName = "Wind1.CSV";
  ASSERT_TRUE(ReadWindFile(t.race).ok);
  const RaceData& r = t.race;
  ASSERT_EQ(r.WindCount, 3);
  EXPECT_GE(r.WindTime.size(), 5u);
  EXPECT_EQ(r.WindTime[1], -30);
  EXPECT_EQ(r.WindTime[2], 60);
  EXPECT_EQ(r.WindTime[3], 120);
  EXPECT_EQ(r.WindDir[1], 360);
  EXPECT_EQ(r.WindDir[2], 358);
  EXPECT_EQ(r.WindSpeed[2], 7.25);
  EXPECT_EQ(r.WindSpeedMax, 7.25);
  EXPECT_EQ(r.WindFileName, "Wind1.CSV");
}

TEST(WindRead, HeaderOnlyAndMissingFile) {
  WindRace t;
  t.dir.Write("winddat/empty.csv", "DATE TIME, TWS,TWD\n");
  t.race.WindFileName = "empty.csv";
  ASSERT_TRUE(ReadWindFile(t.race).ok);
  EXPECT_EQ(t.race.WindCount, 0);
  EXPECT_EQ(t.race.WindFileName, "empty.csv");

  t.race.WindFileName = "gone.csv";
  ASSERT_TRUE(ReadWindFile(t.race).ok);
  EXPECT_EQ(t.race.WindCount, 0);
  EXPECT_TRUE(t.race.WindFileName.empty());
}

TEST(WindRead, AValueThatDoesNotConvertStopsWithTheSamplesReadSoFar) {
  WindRace t;
  t.race.WindFileName = "w.csv";
  t.dir.Write("winddat/w.csv",
              "h\n2007/05/12 10:00:00,5,180\n2007/05/12 10:01:00,6,190\n"
              "2007/05/12 10:02:00,fast,200\n2007/05/12 10:03:00,7,210\n");
  WindReadResult res = ReadWindFile(t.race);
  ASSERT_FALSE(res.ok);
  EXPECT_EQ(res.error.Text(), "w.csv: 'fast' is not a valid floating point value (line 4)");
  EXPECT_EQ(t.race.WindCount, 2);
  EXPECT_EQ(t.race.WindDir[2], 190);
  EXPECT_EQ(t.race.WindSpeedMax, 6);

  t.dir.Write("winddat/w.csv", "h\n12:00,5,180\n");
  res = ReadWindFile(t.race);
  ASSERT_FALSE(res.ok);
  EXPECT_EQ(res.error.line, 2);
  EXPECT_EQ(t.race.WindCount, 0);
}

TEST(WindWrite, SavesInTimeOrderUnderTheRaceNameAndReadsBackWithSpeedsZero) {
  WindRace t;
  RaceData& r = t.race;
  r.WindCount = 3;
  r.WindTime = {0, 120, -30, 60, 0, 0};
  r.WindSpeed = {0, 5, 6, 7, 0, 0};
  r.WindDir = {0, 10, 350, 20, 0, 0};
  const WriteResult w = WriteWindFile(r);
  ASSERT_TRUE(w.ok) << w.message.toStdString();
  EXPECT_EQ(r.WindFileName, "race1_wind.csv");
  EXPECT_EQ(t.dir.Read("winddat/race1_wind.csv"),
            "DATE TIME, TWS,TWD\n2007/05/12 09:59:30,0,350\n2007/05/12 10:01:00,0,20\n"
            "2007/05/12 10:02:00,0,10\n");
  EXPECT_EQ(r.WindSpeed[1], 6);  // speeds move with their samples

  ASSERT_TRUE(ReadWindFile(r).ok);
  ASSERT_EQ(r.WindCount, 3);
  EXPECT_EQ(r.WindTime[1], -30);
  EXPECT_EQ(r.WindTime[3], 120);
  EXPECT_EQ(r.WindDir[3], 10);
  EXPECT_EQ(r.WindSpeed[2], 0);
  EXPECT_EQ(r.WindSpeedMax, 0);
}

TEST(WindWrite, NameCutAtTheFirstDotAndAFailedSaveKeepsTheOldName) {
  EXPECT_EQ(WindFileNameFor("race1.txt"), "race1_wind.csv");
  EXPECT_EQ(WindFileNameFor("cup.day2.txt"), "cup_wind.csv");
  EXPECT_EQ(WindFileNameFor("plain"), "plain_wind.csv");

  WindRace t;
  t.race.WindFileName = "old.csv";
  ASSERT_TRUE(QDir(t.dir.path() + "winddat").removeRecursively());
  EXPECT_FALSE(WriteWindFile(t.race).ok);
  EXPECT_EQ(t.race.WindFileName, "old.csv");
}

TEST(WindLoad, ABadWindValueStopsTheLoad) {
  kwtest::DataFolder dir;
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(100, 2007, 5, 12, 0, 58, 0));
  dir.Write("raceadmin/race.txt",
            "T1,Windy\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\nWF,w.csv\n"
            "BN,a.gpx,Alpha\n");
  dir.Write("winddat/w.csv", "DATE TIME, TWS,TWD\n2007/05/12 10:00:00,5,180\n2007/05/12,6\n");
  RaceSession s;
  s.race.ProgramFolder = dir.path();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  LoadHooks hooks;
  LoadOutcome o = LoadRace(s, hooks);
  ASSERT_EQ(o.status, LoadOutcome::ConversionError);
  EXPECT_EQ(o.error.Text(), "w.csv: '' is not a valid floating point value (line 3)");
  EXPECT_EQ(s.race.WindCount, 1);

  dir.Write("winddat/w.csv", "DATE TIME, TWS,TWD\n2007/05/12 10:00:00,5,180\n");
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  EXPECT_EQ(s.race.WindCount, 1);
  EXPECT_EQ(s.play.HasWindFile, 1);
}

TEST(WindLoad, TheDemoRaceCarriesItsWind) {
  if (!QFile::exists(kwtest::DemoDir() + "winddat/enoshima-r1-wind.csv")) GTEST_SKIP();
  RaceSession s;
  s.race.ProgramFolder = kwtest::DemoDir();
  s.race.RaceFilePath = s.race.ProgramFolder + "raceadmin/enoshima-r1.txt";
  LoadHooks hooks;
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  EXPECT_GT(s.race.WindCount, 10);
  EXPECT_GT(s.race.WindSpeedMax, 0);
  EXPECT_LT(s.race.WindTime[1], 0);  // the log begins before the gun
  EXPECT_EQ(s.play.HasWindFile, 1);
}
