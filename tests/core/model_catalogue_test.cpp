#include <gtest/gtest.h>

#include "race/model.h"
#include "race/text.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"
#include "view/geometry.h"

using namespace kw;

TEST(Text, DecodesUtf8ElseShiftJis) {
  EXPECT_EQ(DisplayText("Boat A"), QStringLiteral("Boat A"));
  EXPECT_EQ(DisplayText("\xe3\x81\xaf\xe3\x82\x84"), QStringLiteral("はや"));
  EXPECT_EQ(DisplayText("\x82\xcd\x82\xe2\x82\xd4\x82\xb3"), QStringLiteral("はやぶさ"));
  EXPECT_EQ(DisplayText("\xe3\xc4\x92\xdf"), QStringLiteral("翔鶴"));
  auto lines = SplitLines("a\r\nb\n\nc");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(SplitLines("a\n").size(), 1u);
}

TEST(Model, SpeedAndCourseFromPositions) {
  RaceData r;
  r.BoatCount = 1;
  SetBoatTableCapacity(r);
  SetTrackCapacity(r, 1, 20);
  // Due east at one minute of longitude per 60 s at the equator's scale, then a repeated point.
  const double lon[] = {0, 0, 0.1, 0.2, 0.2, 0.3, 0.4, 0.4};
  const double lat[] = {0, 0, 0, 0, 0, 0, 0.1, 0.2};
  for (int i = 1; i <= 7; ++i) {
    r.TrackTime[1][i] = (i - 1) * 6.0;
    r.TrackLon[1][i] = lon[i];
    r.TrackLat[1][i] = lat[i];
  }
  r.BoatSampleCount[1] = 7;
  DeriveSpeedAndCourse(r, 1.0);
  EXPECT_EQ(r.TrackCourse[1][1], 90);
  EXPECT_EQ(r.TrackCourse[1][2], 90);
  EXPECT_EQ(r.TrackCourse[1][3], 90);  // no movement: the previous course
  EXPECT_EQ(r.TrackCourse[1][5], 45);
  EXPECT_EQ(r.TrackCourse[1][6], 0);
  EXPECT_EQ(r.TrackCourse[1][7], 0);  // the last sample keeps 0
  EXPECT_EQ(r.TrackSpeed[1][7], 0);
  // Sample 2: window 1..4, 0.2 minutes (370.4 m) in 18 s.
  EXPECT_NEAR(r.TrackSpeed[1][2], 370.4 / 18 * 3.6 / 1.852, 1e-9);

  r.BoatSampleCount[1] = 5;  // five samples or fewer: nothing derived
  DeriveSpeedAndCourse(r, 1.0);
  EXPECT_EQ(r.TrackSpeed[1][2], 0);
  EXPECT_EQ(r.TrackCourse[1][2], 0);
}

TEST(Model, BearingOfQuadrants) {
  EXPECT_EQ(BearingOf(0, 0), 0);
  EXPECT_EQ(BearingOf(1, 0), 90);
  EXPECT_EQ(BearingOf(-1, 0), 270);
  EXPECT_EQ(BearingOf(0, -1), 180);
  EXPECT_DOUBLE_EQ(BearingOf(-1, 1), 315);
}

TEST(Model, ColoursRepeatEveryFifteenBoats) {
  RaceData r;
  r.BoatCount = 31;
  AssignBoatColors(r);
  EXPECT_EQ(r.BoatColor[1], (Rgb{255, 0, 0}));
  EXPECT_EQ(r.BoatColor[30], r.BoatColor[15]);
  EXPECT_EQ(r.BoatKmlColor[30], r.BoatKmlColor[15]);
  EXPECT_EQ(r.BoatColor[31], r.BoatColor[1]);
  EXPECT_EQ(r.BoatKmlColor[31], "FFFF0000");
  EXPECT_EQ(r.BoatKmlColor[15], "FF00FF80");
  EXPECT_EQ(r.WindAxisColor, (Rgb{255, 255, 0}));
}

TEST(Model, HullOutlineByLength) {
  RaceData r;
  r.DefaultBoatLength = 2.5;
  SetBoatShape(r);
  EXPECT_EQ(r.HullX[3], 27);
  EXPECT_EQ(r.HullY[9], -20);
  r.DefaultBoatLength = 15;  // narrower: x * (1 - 5 * 0.022), rounded
  SetBoatShape(r);
  EXPECT_EQ(r.HullX[2], 11);  // 12 * 0.89 = 10.68
  EXPECT_EQ(r.HullX[3], 13);  // 15 * 0.89 = 13.35
  EXPECT_EQ(r.HullX[6], -13);
  EXPECT_EQ(r.HullY[9], -15);
}

TEST(Catalogue, ChoosesEditFileThenRaceFileStThenFirst) {
  kwtest::DataFolder dir;
  RaceData r;
  r.ProgramFolder = dir.path();
  dir.Write("raceadmin/b.txt", "T1,B\n");
  dir.Write("raceadmin/a.txt", "T1,A\n");
  dir.Write("raceadmin/c.txt", "T1,C\n");
  dir.Write("raceadmin/racefile.st", "missing.txt\n");
  BuildRaceList(r);
  ASSERT_EQ(r.RaceListCount, 3);
  EXPECT_EQ(r.RaceList[0], "a.txt");  // sorted by name
  ChooseRaceFile(r);
  EXPECT_EQ(r.EditMode, 0);
  EXPECT_EQ(r.RaceFilePath, dir.path() + "raceadmin/a.txt");
  EXPECT_EQ(r.RaceListIndex, 1);

  dir.Write("raceadmin/racefile.st", "c.txt\r\nb.txt\r\n");
  ChooseRaceFile(r);
  EXPECT_EQ(r.RaceFilePath, dir.path() + "raceadmin/c.txt");
  EXPECT_EQ(r.RaceListIndex, 3);

  dir.Write("ctrl/editfile.edt", "a.txt\nb.txt\n");
  EXPECT_TRUE(BuildRaceList(r).isEmpty());
  ChooseRaceFile(r);
  EXPECT_EQ(r.EditMode, 1);
  EXPECT_EQ(r.RaceFilePath, dir.path() + "raceadmin/b.txt");
  EXPECT_EQ(r.RaceListIndex, 2);
}

TEST(Catalogue, RaceFilesBeyondTheCatalogueAreNamed) {
  kwtest::DataFolder dir;
  RaceData r;
  r.ProgramFolder = dir.path();
  for (int i = 0; i < 202; ++i)
    dir.Write(QStringLiteral("raceadmin/r%1.txt").arg(i, 3, 10, QChar('0')), "T1,x\n");
  const QString notice = BuildRaceList(r);
  EXPECT_EQ(r.RaceListCount, kMaxRaces);
  EXPECT_EQ(r.RaceList[199], "r199.txt");
  EXPECT_EQ(notice, "Ignored (tables full): race files beyond 200: r200.txt, r201.txt");
}
