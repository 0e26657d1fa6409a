#include <gtest/gtest.h>

#include <QDir>

#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

class RecordingHooks : public LoadHooks {
 public:
  QStringList progress;
  int beeps = 0;
  int cancelAt = 0;
  bool TrackProgress(int i, int, const QString& text) override {
    progress << text;
    return i != cancelAt;
  }
  void Beep() override { ++beeps; }
};

// Start 2007/05/12 10:00:00 JST = 01:00:00 UTC; tracks from 00:58:00 UTC every 2 s.
struct SmallRace {
  kwtest::DataFolder dir;
  RaceSession s;
  explicit SmallRace(const std::string& extra = "") {
    dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
    dir.Write("gpsdat/short.gpx", kwtest::MakeGpx(14, 2007, 5, 12, 1, 0, 0));
    dir.Write("gpsdat/c.gpx", kwtest::MakeGpx(150, 2007, 5, 12, 0, 58, 0));
    dir.Write("gpsdat/d.trb", "binary");
    dir.Write("raceadmin/race.txt",
              "T1,Small race\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\n"
              "CLSSEP,\nCLSN,One\nBN,a.gpx,Alpha,1.05\nBN,short.gpx,Short,1.0\n"
              "BN,gone.gpx,Gone\nCLSN,Two\nBN,c.gpx,Charlie^^9,1.1,-4,h\nBN,d.trb,Delta\n" +
                  extra);
    s.race.ProgramFolder = dir.path();
    BuildRaceList(s.race);
    ChooseRaceFile(s.race);
  }
};

}  // namespace

TEST(LoadRace, DropsShortAndMissingBoatsAndMovesRowsDown) {
  SmallRace t;
  RecordingHooks hooks;
  LoadOutcome o = LoadRace(t.s, hooks);
  ASSERT_EQ(o.status, LoadOutcome::Loaded) << o.error.Text().toStdString();
  const RaceData& r = t.s.race;
  ASSERT_EQ(r.BoatCount, 2);
  EXPECT_EQ(r.BoatName[2], "Charlie");
  EXPECT_EQ(r.BoatClass[2], 2);
  EXPECT_FLOAT_EQ(r.BoatLength[2], 9);
  EXPECT_EQ(r.BoatShown[2], 0);
  EXPECT_EQ(r.BoatTimeOffset[2], -4);
  EXPECT_EQ(r.BoatSampleCount[1], 200);
  EXPECT_EQ(r.TrackTime[1][1], -120);
  EXPECT_EQ(r.TrackTime[2][1], -124);  // the clock correction
  EXPECT_EQ(r.BoatSampleInterval[1], 2);
  ASSERT_EQ(r.DroppedBoats.size(), 3u);
  EXPECT_EQ(r.DroppedBoats[0].reason, DroppedBoat::MissingFile);
  EXPECT_EQ(r.DroppedBoats[1].name, "Short");
  EXPECT_EQ(r.DroppedBoats[1].reason, DroppedBoat::TooFewSamples);
  EXPECT_EQ(r.DroppedBoats[1].samples, 14);
  EXPECT_EQ(r.DroppedBoats[2].reason, DroppedBoat::Unreadable);
  EXPECT_EQ(hooks.progress, QStringList({"LOADING  a.gpx  (1/4)", "LOADING  short.gpx  (2/4)",
                                         "LOADING  c.gpx  (3/4)", "LOADING  d.trb  (4/4)"}));
  EXPECT_EQ(r.BoatColor[2], (Rgb{0, 0, 255}));
  EXPECT_GT(r.TrackSpeed[1][10], 0);
  EXPECT_EQ(t.s.play.RaceClock, r.ClockFirst);
  EXPECT_EQ(t.s.play.FirstLoadDone, 1);
  EXPECT_EQ(hooks.beeps, 3);  // at the start, after the view set-up, after speeds and courses
  EXPECT_EQ(r.RaceFileName, "race.txt");
  EXPECT_EQ(t.s.play.HasWindFile, 0);  // no WF line
}

TEST(LoadRace, WindFileNameOnlyWhenTheFileExists) {
  SmallRace missing("WF,nowhere.csv\n");
  RecordingHooks hooks;
  ASSERT_EQ(LoadRace(missing.s, hooks).status, LoadOutcome::Loaded);
  EXPECT_TRUE(missing.s.race.WindFileName.empty());
  EXPECT_EQ(missing.s.play.HasWindFile, 0);

  SmallRace present("WF,Wind.CSV\n");
  present.dir.Write("winddat/wind.csv", "DATE TIME, TWS,TWD\n");
  ASSERT_EQ(LoadRace(present.s, hooks).status, LoadOutcome::Loaded);
  EXPECT_EQ(present.s.race.WindFileName, "Wind.CSV");
  EXPECT_EQ(present.s.play.HasWindFile, 1);
}

TEST(LoadRace, CorrectedTimeScalesBoatsWithFactors) {
  SmallRace t("CT,1\n");
  RecordingHooks hooks;
  ASSERT_EQ(LoadRace(t.s, hooks).status, LoadOutcome::Loaded);
  const RaceData& r = t.s.race;
  // Alpha, factor 1.05: the sample 2 s after the gun comes 2.1 s -> round -> 2 s; later ones scale.
  EXPECT_EQ(r.TrackTime[1][1], -120);
  EXPECT_EQ(r.TrackTime[1][62], 2);
  EXPECT_EQ(r.TrackTime[1][200], std::nearbyint(1.05 * 278));

  // The buttons override the file on every load after the first.
  t.s.race.Controls.CtModeChecked = false;
  ASSERT_EQ(LoadRace(t.s, hooks).status, LoadOutcome::Loaded);
  EXPECT_EQ(t.s.race.CorrectedTimeMode, 1);  // ReadRaceFile set the button from the file
  t.s.play.ModeChosenByUser = 1;
  t.s.race.Controls.CtModeChecked = false;
  ASSERT_EQ(LoadRace(t.s, hooks).status, LoadOutcome::Loaded);
  EXPECT_EQ(t.s.race.CorrectedTimeMode, 0);
  EXPECT_EQ(t.s.race.TrackTime[1][200], 278);
}

TEST(LoadRace, NoBoatsConversionErrorAndCancel) {
  {
    kwtest::DataFolder dir;
    dir.Write("raceadmin/r.txt", "T1,Empty\nBN,none.gpx,X\n");
    RaceSession s;
    s.race.ProgramFolder = dir.path();
    BuildRaceList(s.race);
    ChooseRaceFile(s.race);
    RecordingHooks hooks;
    EXPECT_EQ(LoadRace(s, hooks).status, LoadOutcome::NoBoats);
  }
  {
    SmallRace t("MK,1,2\nMK,x,2\n");
    RecordingHooks hooks;
    LoadOutcome o = LoadRace(t.s, hooks);
    EXPECT_EQ(o.status, LoadOutcome::ConversionError);
    EXPECT_EQ(o.error.Text(), "race.txt: 'x' is not a valid floating point value (line 14)");
    EXPECT_TRUE(hooks.progress.isEmpty());
  }
  {
    SmallRace t;
    t.dir.Write("gpsdat/c.gpx", "<gpx><trkpt lat=\"1\" lon=\"2\"><time>bad</time></trkpt>");
    RecordingHooks hooks;
    LoadOutcome o = LoadRace(t.s, hooks);
    EXPECT_EQ(o.status, LoadOutcome::ConversionError);
    EXPECT_EQ(o.error.Text(), "c.gpx: date-time 'bad' does not convert (line 1)");
    EXPECT_EQ(t.s.race.BoatCount, 1);  // Alpha stays
  }
  {
    SmallRace t;
    RecordingHooks hooks;
    hooks.cancelAt = 2;
    EXPECT_EQ(LoadRace(t.s, hooks).status, LoadOutcome::Cancelled);
    EXPECT_EQ(t.s.race.BoatCount, 1);
  }
}

TEST(LoadRace, CapacityNoticeNamesWhatWasIgnored) {
  std::string extra;
  for (int i = 0; i < 21; ++i) extra += "MK,1,2\n";
  SmallRace t(extra);
  RecordingHooks hooks;
  LoadOutcome o = LoadRace(t.s, hooks);
  ASSERT_EQ(o.status, LoadOutcome::Loaded);
  EXPECT_EQ(o.notice, "Ignored (tables full): marks beyond 20: line 33");
}
