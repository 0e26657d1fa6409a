// The course editor's changes to the race and saving them: nothing the tables could not hold is
// lost by a rewrite, the first rewrite of a run keeps the file as it was, and a save that cannot
// be written leaves the file alone.
#include <gtest/gtest.h>

#include <QFileInfo>

#include <string>

#include "race/course_edit.h"
#include "race/model.h"
#include "race/racefile.h"
#include "race/racefile_save.h"
#include "support/test_support.h"

using namespace kw;

namespace {

struct Race {
  kwtest::DataFolder dir;
  RaceData race;
  QString name = "race.txt";
  Race() { race.ProgramFolder = dir.path(); }
  RaceFileResult Read(const std::string& text) {
    dir.Write("raceadmin/" + name, text);
    race.RaceFilePath = dir.path() + "raceadmin/" + name;
    return ReadRaceFile(race, race.RaceFilePath);
  }
  std::string File() const { return dir.Read("raceadmin/" + name); }
};

std::string ManyCourseLines() {
  std::string text = "T1,Big course\r\nWD, 200\r\n";
  for (int i = 1; i <= 22; ++i)
    text += "MK,21" + std::to_string(10 + i) + ".5,83" + std::to_string(60 + i) + "\r\n";
  for (int i = 1; i <= 12; ++i)
    text += "LN,2116.5,8368." + std::to_string(i) + "5,2116.25,8368." + std::to_string(i) + "5\r\n";
  text += "CRS";
  for (int i = 1; i <= 22; ++i) text += ",MK" + std::to_string(i);
  return text + "\r\nNOTE,after the course\r\n";
}

}  // namespace

TEST(CourseSave, LinesBeyondTheTablesSurviveAnEditAndASave) {
  Race t;
  const std::string text = ManyCourseLines();
  const RaceFileResult r = t.Read(text);
  ASSERT_TRUE(r.ok) << r.error.Text().toStdString();
  EXPECT_EQ(t.race.MarkCount, 20);
  EXPECT_EQ(t.race.LineCount, 10);
  EXPECT_EQ(t.race.CourseCount, 20);
  const QString notes = r.notes.Text();
  EXPECT_TRUE(notes.contains("marks beyond 20: line 23, line 24")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("lines beyond 10: line 35, line 36")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("course entries beyond 20: MK21, MK22")) << notes.toStdString();
  EXPECT_FALSE(notes.contains("values beyond")) << notes.toStdString();
  EXPECT_FALSE(CourseChanged(t.race));

  // An edit (a new wind direction) and a save: every line of the file is still there.
  SetMeanWindDirection(t.race, 215);
  EXPECT_TRUE(CourseChanged(t.race));
  QStringList backups;
  ASSERT_TRUE(SaveRaceFile(t.race, backups).ok);
  std::string expected = text;
  expected.replace(expected.find("WD, 200"), 7, "WD, 215");
  const std::string note = "NOTE,after the course\r\n";
  expected.erase(expected.find(note), note.size());
  expected.insert(expected.find("WD, 215"), note);
  EXPECT_EQ(t.File(), expected);
  EXPECT_FALSE(CourseChanged(t.race));

  // Read again, the race is the one that was saved, extra lines and all.
  RaceData again;
  again.ProgramFolder = t.dir.path();
  ASSERT_TRUE(ReadRaceFile(again, t.race.RaceFilePath).ok);
  EXPECT_EQ(again.MarkLinesBeyond, t.race.MarkLinesBeyond);
  EXPECT_EQ(again.LineLinesBeyond, t.race.LineLinesBeyond);
  EXPECT_EQ(again.CourseEntriesBeyond, (std::vector<std::string>{"MK21", "MK22"}));
  EXPECT_EQ(again.WindDirection, 215);

  // Resetting the course drops the old sequence with its extra entries; nothing else.
  ResetCourse(t.race);
  ASSERT_EQ(AppendCourse(t.race, "MK2"), EditRefusal::None);
  ASSERT_TRUE(SaveRaceFile(t.race, backups).ok);
  const std::string after = t.File();
  EXPECT_NE(after.find("\r\nCRS,MK2\r\n"), std::string::npos);
  EXPECT_NE(after.find("MK,2132.5,8382\r\n"), std::string::npos);  // the 22nd mark
  EXPECT_NE(after.find("LN,2116.5,8368.125,2116.25,8368.125\r\n"), std::string::npos);
}

TEST(CourseSave, TheFirstSaveOfARunKeepsTheFileAsItWas) {
  Race t;
  const std::string original = "T1,Race\nMK, 2118.50 ,8369.10\nCRS,MK1\n";
  ASSERT_TRUE(t.Read(original).ok);
  QStringList backups;
  ASSERT_EQ(AddMark(t.race, 2118.25, 8370), EditRefusal::None);
  ASSERT_TRUE(SaveRaceFile(t.race, backups).ok);
  const std::string first = "T1,Race\nWD, 0\nMK,2118.5,8369.1\nMK,2118.25,8370\nCRS,MK1\n";
  EXPECT_EQ(t.File(), first);
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt.bak"), original);
  // The backup is the file before the run's first save, not before the last one.
  DeleteMark(t.race, 1);
  ASSERT_TRUE(SaveRaceFile(t.race, backups).ok);
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt.bak"), original);
  EXPECT_EQ(t.File(), "T1,Race\nWD, 0\nMK,2118.25,8370\nCRS,MK1\n");
  // A new run keeps the file as it now is.
  QStringList nextRun;
  ASSERT_TRUE(SaveRaceFile(t.race, nextRun).ok);
  EXPECT_EQ(t.dir.Read("raceadmin/race.txt.bak"), "T1,Race\nWD, 0\nMK,2118.25,8370\nCRS,MK1\n");
}

TEST(CourseSave, NoBackupNoRewrite) {
  Race t;
  // The backup's name is one character too long for the file system: it cannot be written.
  t.name = QString(251, 'r') + ".txt";
  const std::string original = "T1,Race\nMK,1,2\n";
  ASSERT_TRUE(t.Read(original).ok);
  ASSERT_EQ(AddMark(t.race, 3, 4), EditRefusal::None);
  QStringList backups;
  const WriteResult w = SaveRaceFile(t.race, backups);
  EXPECT_FALSE(w.ok);
  EXPECT_TRUE(w.message.contains(t.name)) << w.message.toStdString();
  EXPECT_EQ(t.File(), original);
  EXPECT_EQ(t.race.MarkCount, 2);  // the edit stays in memory
  EXPECT_TRUE(CourseChanged(t.race));
}

TEST(CourseSave, WindFileLineFollowsTheWindInMemory) {
  struct Case {
    int windCount;
    const char* windFile;
    const char* expected;
  };
  const Case cases[] = {
      // No series in memory (its file missing here): the file keeps naming it.
      {0, "", "T1,Race\nWF,gone.csv\nWD, 0\n"},
      // A series drawn but not yet saved has no file: the old line stays.
      {3, "", "T1,Race\nWF,gone.csv\nWD, 0\n"},
      // A saved series: its file, from memory.
      {3, "race_wind.csv", "T1,Race\nWF,race_wind.csv\nWD, 0\n"},
  };
  for (const Case& c : cases) {
    Race t;
    ASSERT_TRUE(t.Read("T1,Race\nWF,gone.csv\n").ok);
    t.race.WindCount = c.windCount;
    t.race.WindFileName = c.windFile;
    ASSERT_TRUE(WriteRaceFile(t.race).ok);
    EXPECT_EQ(t.File(), c.expected) << c.windCount << " " << c.windFile;
  }
}

TEST(CourseEdit, MarksLinesAndCourse) {
  RaceData r;
  for (int i = 1; i <= 4; ++i) ASSERT_EQ(AddMark(r, i, 10 * i), EditRefusal::None);
  ASSERT_EQ(AppendCourse(r, "MK3"), EditRefusal::None);
  ASSERT_EQ(AppendCourse(r, "MK3"), EditRefusal::None);  // a mark rounded twice
  DeleteMark(r, 2);
  ASSERT_EQ(r.MarkCount, 3);
  EXPECT_EQ(r.MarkLat[2], 3);  // 3 and 4 moved down to 2 and 3
  EXPECT_EQ(r.MarkLon[3], 40);
  EXPECT_EQ(r.CourseEntry[0], "MK3");  // entries are not renumbered
  DeleteMark(r, 9);                    // no such mark: nothing
  EXPECT_EQ(r.MarkCount, 3);

  // A line takes two clicks; a click for the second end of a line that is gone starts nothing.
  EXPECT_FALSE(EndLine(r, 1, 1));
  ASSERT_EQ(StartLine(r, 5, 6), EditRefusal::None);
  EXPECT_EQ(r.LineLatB[1], 0);
  EXPECT_TRUE(EndLine(r, 7, 8));
  EXPECT_FALSE(EndLine(r, 9, 9));  // the newest line is complete: it is not moved
  EXPECT_EQ(r.LineLonB[1], 8);
  ASSERT_EQ(StartLine(r, 1, 2), EditRefusal::None);
  DeleteLine(r, 1);
  ASSERT_EQ(r.LineCount, 1);
  EXPECT_EQ(r.LineLatA[1], 1);
  EXPECT_EQ(r.LineLatB[1], 0);

  // Full tables refuse, and say why.
  for (int i = r.MarkCount; i < kMaxMarks; ++i) AddMark(r, 1, 1);
  EXPECT_EQ(AddMark(r, 1, 1), EditRefusal::MarksFull);
  for (int i = r.LineCount; i < kMaxLines; ++i) StartLine(r, 1, 1);
  EXPECT_EQ(StartLine(r, 1, 1), EditRefusal::LinesFull);
  for (int i = r.CourseCount; i < kMaxCourse; ++i) AppendCourse(r, "L1");
  EXPECT_EQ(AppendCourse(r, "L1"), EditRefusal::CourseFull);
  EXPECT_EQ(r.CourseCount, kMaxCourse);
  EXPECT_NE(std::string(RefusalText(EditRefusal::CourseFull)).find("20"), std::string::npos);
}

TEST(CourseEdit, MeanWindDirection) {
  struct Case {
    long long typed;
    double variation;
    int direction, bearing;
  };
  const Case cases[] = {
      {208, -7.5, 208, 200},  // round(200.5) = 200, half to even
      {370, 0, 10, 10},       // above 360: one turn less
      {-10, 0, 350, 350},     // below 0: one turn more
      {360, 0, 360, 360},     // 360 stays
      {0, -7.5, 0, 352},      // round(-7.5) = -8, stored as 352
      {1090, 5, 10, 15},      // several turns
      {-3000000000LL, 0, 240, 240},
  };
  for (const Case& c : cases) {
    RaceData r;
    r.MagneticVariation = c.variation;
    SetMeanWindDirection(r, c.typed);
    EXPECT_EQ(r.WindDirection, c.direction) << c.typed;
    EXPECT_EQ(r.WindwardBearing, c.bearing) << c.typed;
  }
}
