#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "race/datetime.h"
#include "race/model.h"
#include "race/racefile.h"
#include "support/test_support.h"

using namespace kw;
using kwtest::DataFolder;

namespace {

struct Race {
  DataFolder dir;
  RaceData race;
  Race() {
    race.ProgramFolder = dir.path();
    for (const char* f : {"a.gpx", "b.gpx", "c.log"}) dir.Write(QStringLiteral("gpsdat/") + f, "x");
  }
  RaceFileResult Read(std::string_view text, bool modeChosen = false) {
    dir.Write("raceadmin/race.txt", text);
    race.RaceFilePath = dir.path() + "raceadmin/race.txt";
    return ReadRaceFile(race, race.RaceFilePath, modeChosen);
  }
};

}  // namespace

TEST(RaceFile, BoatLinesInAllTheirForms) {
  Race t;
  auto r = t.Read(
      "bn,a.gpx,Boat A\r\n"
      "BN,b.gpx,Boat B^^7.2,1.035,-12,x\r\n"
      "BN,c.log,Boat C,,5\r\n"
      "BN,missing.gpx,Ghost\r\n");
  ASSERT_TRUE(r.ok);
  RaceData& d = t.race;
  ASSERT_EQ(d.BoatCount, 3);
  EXPECT_EQ(d.BoatName[1], "Boat A");
  EXPECT_EQ(d.BoatFactor[1], 0);
  EXPECT_EQ(d.BoatTimeOffset[1], 0);
  EXPECT_EQ(d.BoatShown[1], 1);
  EXPECT_FLOAT_EQ(d.BoatLength[1], 4.7f);
  EXPECT_EQ(d.BoatName[2], "Boat B");
  EXPECT_FLOAT_EQ(d.BoatLength[2], 7.2f);
  EXPECT_DOUBLE_EQ(d.BoatFactor[2], 1.035);
  EXPECT_EQ(d.BoatTimeOffset[2], -12);
  EXPECT_EQ(d.BoatShown[2], 0);
  EXPECT_EQ(d.BoatFactor[3], 0);
  EXPECT_EQ(d.BoatTimeOffset[3], 5);
  EXPECT_EQ(d.HasHandicap, 0);
  ASSERT_EQ(d.DroppedBoats.size(), 1u);
  EXPECT_EQ(d.DroppedBoats[0].file, "missing.gpx");
  EXPECT_EQ(d.DroppedBoats[0].reason, DroppedBoat::MissingFile);
}

TEST(RaceFile, TrackFileFoundIgnoringCaseAndBackslashes) {
  Race t;
  t.dir.Write("gpsdat/Fleet/Boat_D.GPX", "x");
  auto r = t.Read("BN,A.GPX,One\nBN,fleet\\boat_d.gpx,Two\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(t.race.BoatCount, 2);
  EXPECT_EQ(t.race.BoatTrackFile[1], "A.GPX");  // kept as written
}

TEST(RaceFile, ClassesOnlyAfterClassSeparator) {
  Race t;
  auto r = t.Read(
      "CLSN,Early\nBN,a.gpx,A\nCLSSEP,\nCLSN,J/24\nBN,b.gpx,B\nCLSN,Big\nBN,c.log,C\n"
      "CLSSEP\n");  // a keyword alone without a comma is ignored
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(t.race.ClassCount, 2);
  EXPECT_EQ(t.race.ClassName[1], "J/24");
  EXPECT_EQ(t.race.BoatClass[1], 0);
  EXPECT_EQ(t.race.BoatClass[2], 1);
  EXPECT_EQ(t.race.BoatClass[3], 2);
}

TEST(RaceFile, CourseAndHeaderKeywords) {
  Race t;
  auto r = t.Read(
      "T1,Enoshima Race\nT2,Day 1\nNOTE,windy,ignored\nST,2007/05/12 10:30:00\n"
      "FT,2007-05-12 11:30:00\nTD,9\nBT,5\nWD,200\nMG,-7.5\nLG,8.5\nNU,1\nPS,20,5\n"
      "ADDAREA,2.5\nLL,40,50\nCT,1\nMK,2118.5,8369.25\nMK,2117,8370\n"
      "LN,2116,8369,2116.1,8369.1\nRL,1,2,3,4\nCRS,L1,MK1,MK2,L1\nCRS,L1,MK1,\nFLG,x\n"
      "MAP,a.map,b.map\nWF,wind.csv\nunknown,1,2\n");
  ASSERT_TRUE(r.ok) << r.error.Text().toStdString();
  const RaceData& d = t.race;
  EXPECT_EQ(d.RaceNote, "windy");
  EXPECT_EQ(d.TimeZoneHours, 9);
  EXPECT_NEAR(d.StartTimeUtc, *ParseDateTime("2007/05/12 01:30:00"), 1e-9);
  EXPECT_EQ(d.PreStartSeconds, 300);
  EXPECT_EQ(d.ClockFirst, -310);
  EXPECT_EQ(d.ClockLast, 3630);
  EXPECT_EQ(d.ClockSpan, 3940);
  EXPECT_EQ(d.WindwardBearing, 192);  // round(-7.5) = -8, half to even
  EXPECT_EQ(d.NorthUp, 1);
  EXPECT_FALSE(d.Controls.WindwardChecked);
  EXPECT_TRUE(d.Controls.CtModeChecked);
  EXPECT_DOUBLE_EQ(d.RaceSpeed, 20);
  EXPECT_DOUBLE_EQ(d.PreStartSpeed, 5);
  EXPECT_FLOAT_EQ(d.Controls.RaceSpeedPosition, 44);
  EXPECT_FLOAT_EQ(d.Controls.PreStartSpeedPosition, 19);
  EXPECT_FLOAT_EQ(d.AddArea, 2.5f);
  EXPECT_EQ(d.LaylineAngle2, 50);
  EXPECT_EQ(d.MarkCount, 2);
  EXPECT_DOUBLE_EQ(d.MarkLon[1], 8369.25);
  EXPECT_EQ(d.LineCount, 1);
  EXPECT_EQ(d.RefLineCount, 1);
  ASSERT_EQ(d.CourseCount, 3);  // the second CRS replaces the first; its trailing comma adds "0"
  EXPECT_EQ(d.CourseEntry[2], "0");
  EXPECT_EQ(d.MapFileCount, 2);
  EXPECT_EQ(d.WindFileName, "wind.csv");
  EXPECT_EQ(d.RaceCaption, "Enoshima Race");
  EXPECT_EQ(d.RaceCaption2, "Day 1");
  EXPECT_DOUBLE_EQ(d.DefaultBoatLength, 8.5);
}

TEST(RaceFile, DefaultsAndCaptionsWithoutTitles) {
  Race t;
  auto r = t.Read("ST,2007/05/12 10:30:00\nFT,2007/05/12 10:40:00\nBT,0\nPS,8\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(t.race.PreStartSeconds, 180);
  EXPECT_EQ(t.race.ClockFirst, -190);
  EXPECT_EQ(t.race.RaceCaption, "keelway  race.txt");
  EXPECT_EQ(t.race.RaceCaption2, "2007/05/12");
  EXPECT_DOUBLE_EQ(t.race.PreStartSpeed, 8);  // absent: the race speed
  EXPECT_FLOAT_EQ(t.race.Controls.RaceSpeedPosition, 31);
  EXPECT_FLOAT_EQ(SpeedToPosition(100), 80);
  EXPECT_FLOAT_EQ(SpeedToPosition(200), 84);
}

TEST(RaceFile, SettingsCarryOverWhenAbsentAndTablesReset) {
  Race t;
  ASSERT_TRUE(t.Read("WD,200\nMG,5\nBN,a.gpx,A\nMK,1,2\nLG,9\n").ok);
  ASSERT_TRUE(t.Read("BN,b.gpx,B\n").ok);
  EXPECT_EQ(t.race.WindDirection, 200);  // kept from the race before
  EXPECT_EQ(t.race.WindwardBearing, 205);
  EXPECT_EQ(t.race.MarkCount, 0);  // reset
  EXPECT_DOUBLE_EQ(t.race.DefaultBoatLength, 4.7);
  EXPECT_EQ(t.race.BoatCount, 1);
}

TEST(RaceFile, ModeChosenByUserKeepsTheButtons) {
  Race t;
  t.race.Controls.CtModeChecked = false;
  ASSERT_TRUE(t.Read("CT,1\n", true).ok);
  EXPECT_FALSE(t.race.Controls.CtModeChecked);
  ASSERT_TRUE(t.Read("CT,1\n", false).ok);
  EXPECT_TRUE(t.race.Controls.CtModeChecked);
}

TEST(RaceFile, ConversionErrorStopsAndKeepsWhatWasRead) {
  Race t;
  auto r = t.Read("ST,2007/05/12 10:00:00\nTD,9\nBN,a.gpx,A\nMK,1,x2\nMK,3,4\nBN,b.gpx,B\n");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 4);
  EXPECT_EQ(r.error.Text(), "race.txt: 'x2' is not a valid floating point value (line 4)");
  EXPECT_EQ(t.race.BoatCount, 1);
  EXPECT_EQ(t.race.MarkCount, 0);
  EXPECT_NEAR(t.race.StartTimeUtc, *ParseDateTime("2007/05/12 01:00:00"), 1e-9);
  EXPECT_TRUE(t.race.RaceFileReadFailed);

  auto bad = t.Read("ST,2007/13/12 10:00:00\n");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.error.message, "'2007/13/12 10:00:00' is not a valid date and time");
  auto badInt = t.Read("TD,nine\n");
  EXPECT_EQ(badInt.error.message, "'nine' is not a valid integer value");
}

TEST(RaceFile, MissingFileReadsNothing) {
  Race t;
  t.race.BoatCount = 3;
  auto r = ReadRaceFile(t.race, t.dir.path() + "raceadmin/none.txt");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(t.race.BoatCount, 3);
}

TEST(RaceFile, CapacitiesIgnoreFurtherEntriesAndSaySo) {
  Race t;
  std::string text = "CLSSEP,\n";
  for (int i = 0; i < 12; ++i) text += "CLSN,C" + std::to_string(i) + "\n";
  for (int i = 0; i < 82; ++i) {
    t.dir.Write(QStringLiteral("gpsdat/b%1.gpx").arg(i), "x");
    text += "BN,b" + std::to_string(i) + ".gpx,B\n";
  }
  for (int i = 0; i < 22; ++i) text += "MK,1,2\n";
  text += "CRS";
  for (int i = 0; i < 24; ++i) text += ",MK1";
  text += "\n";
  auto r = t.Read(text);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(t.race.ClassCount, kMaxClasses);
  EXPECT_EQ(t.race.BoatCount, kMaxBoats);
  EXPECT_EQ(t.race.MarkCount, kMaxMarks);
  EXPECT_EQ(t.race.CourseCount, kMaxCourse);
  ASSERT_FALSE(r.notes.Empty());
  const QString note = r.notes.Text();
  EXPECT_TRUE(note.contains("boats beyond 80: b80.gpx, b81.gpx")) << note.toStdString();
  EXPECT_TRUE(note.contains("classes beyond 10: C10, C11"));
  EXPECT_TRUE(note.contains("marks beyond 20: line"));
}

TEST(RaceFileWrite, KeepsLinesByteForByteAndAppendsCourse) {
  Race t;
  // A Shift_JIS boat name ("はやぶさ") must come back unchanged.
  const std::string sjis = "\x82\xcd\x82\xe2\x82\xd4\x82\xb3";
  const std::string text = "T1,Race\r\nNOTE,keep me here\r\nMK,1,2\r\nWD,10\r\nBN,a.gpx," + sjis +
                           "\r\nwf,old.csv\r\nLN,1,2,3,4\r\nCRS,L1,MK1\r\nRL,5,6,7,8\r\n";
  ASSERT_TRUE(t.Read(text).ok);
  t.race.MarkLat[1] = 2118.5;
  t.race.MarkLon[1] = 8369.123456789012;
  t.race.WindDirection = 215;
  t.race.CourseEntry[1] = "MK2";
  ASSERT_TRUE(WriteRaceFile(t.race).ok);
  // Without a wind series in memory the file's WF line stays where it was.
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt"),
            "T1,Race\r\nNOTE,keep me here\r\nBN,a.gpx," + sjis +
                "\r\nwf,old.csv\r\nRL,5,6,7,8\r\nWD, 215\r\nMK,2118.5,8369.12345678901\r\n"
                "LN,1,2,3,4\r\nCRS,L1,MK2\r\n");
  EXPECT_EQ(t.race.BoatName[1], sjis);
}

TEST(RaceFileWrite, WindFileLineOnlyWithWindAndLfFilesStayLf) {
  Race t;
  ASSERT_TRUE(t.Read("T1,Race\nWF,w.csv\n").ok);
  t.race.WindCount = 3;
  t.race.WindFileName = "w.csv";
  ASSERT_TRUE(WriteRaceFile(t.race).ok);
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt"), "T1,Race\nWF,w.csv\nWD, 0\n");
}

TEST(RaceFileWrite, NeverRewritesAFileThatFailedToRead) {
  Race t;
  const std::string text = "BN,a.gpx,A\nMK,1,oops\nMK,3,4\nCRS,L1,MK1\n";
  ASSERT_FALSE(t.Read(text).ok);
  WriteResult w = WriteRaceFile(t.race);
  EXPECT_FALSE(w.ok);
  EXPECT_FALSE(w.message.isEmpty());
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt"), text);
}

TEST(RaceFileWrite, ReplacesTheFileAtomically) {
  Race t;
  ASSERT_TRUE(t.Read("T1,Race\n").ok);
  // A second name for the old file: an in-place rewrite would change it too, a new file renamed
  // over the old name leaves it as it was.
  const std::string path = t.race.RaceFilePath.toStdString();
  std::filesystem::create_hard_link(path, path + ".old");
  ASSERT_TRUE(WriteRaceFile(t.race).ok);
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt"), "T1,Race\nWD, 0\n");
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt.old"), "T1,Race\n");
  // No temporary file is left beside the race file.
  EXPECT_EQ(QDir(t.dir.path() + "raceadmin").entryList(QDir::Files).size(), 2);
}

TEST(RaceFileWrite, MissingFileWritesNothing) {
  Race t;
  t.race.RaceFilePath = t.dir.path() + "raceadmin/none.txt";
  EXPECT_TRUE(WriteRaceFile(t.race).ok);
  EXPECT_FALSE(QFileInfo::exists(t.race.RaceFilePath));
}

// Values that would overflow once turned into seconds or an int, and start/finish pairs that
// give no race window: refused with a message, the clock range kept sane.
TEST(RaceFile, OutOfRangeValuesAndMissingTimesAreRefused) {
  struct Case {
    const char* text;
    long long line;
    const char* message;
  };
  const Case cases[] = {
      {"ST,2007/05/12 10:00:00\nFT,2007/05/12 11:00:00\nBT,99999999\n", 3,
       "'99999999' is out of range (-10080 to 10080 minutes)"},
      {"BT,-10081\n", 1, "'-10081' is out of range (-10080 to 10080 minutes)"},
      {"WD,2147483647\n", 1, "'2147483647' is out of range (-3600 to 3600 degrees)"},
      {"MG,1e300\n", 1, "'1e300' is out of range (-3600 to 3600 degrees)"},
      {"ST,2007/05/12 10:00:00\nBN,a.gpx,A\n", 0, "no finish time (an FT line)"},
      {"FT,2007/05/12 10:00:00\n", 0, "no start time (an ST line)"},
      {"ST,2007/05/12 10:00:00\nFT,2009/05/12 10:00:00\n", 0,
       "the finish time is more than a year from the start time"},
  };
  for (const Case& c : cases) {
    Race t;  // a first race: nothing carries over
    auto r = t.Read(c.text);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.error.line, c.line) << c.text;
    EXPECT_EQ(r.error.message.toStdString(), c.message) << c.text;
    EXPECT_LE(std::fabs(t.race.ClockLast), 366.0 * 86400) << c.text;
    EXPECT_GE(t.race.ClockSpan, 0) << c.text;
  }
  // At the limits the values stand.
  Race t;
  auto r = t.Read("ST,2007/05/12 10:00:00\nFT,2008/05/11 10:00:00\nBT,10080\nWD,-3600\n");
  ASSERT_TRUE(r.ok) << r.error.Text().toStdString();
  EXPECT_EQ(t.race.PreStartSeconds, 604800);
  EXPECT_EQ(t.race.ClockSpan, 365 * 86400 + 30 + 604810);
}

// The caption names the file that was read, whatever RaceFilePath held before.
TEST(RaceFile, CaptionNamesTheFileRead) {
  Race t;
  t.dir.Write("raceadmin/other.txt", "BN,a.gpx,A\n");
  t.race.RaceFilePath = t.dir.path() + "raceadmin/previous.txt";
  ASSERT_TRUE(ReadRaceFile(t.race, t.dir.path() + "raceadmin/other.txt").ok);
  EXPECT_EQ(t.race.RaceCaption, "keelway  other.txt");
}
