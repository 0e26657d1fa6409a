// The sailing performance report: cell formats, the tables of a hand-made result set, the write
// policy, and the demo race's report against a golden file.
//
// Golden file: tests/golden/demo_report.csv. After an intended change to the report or to the
// demo data, regenerate it with
//   KEELWAY_UPDATE_GOLDEN=1 build/bin/keelway_core_tests --gtest_filter='ReportDemo*'
// and review the diff before committing it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "analysis/mark_passing.h"
#include "output/report.h"
#include "race/datetime.h"
#include "race/services.h"
#include "race/text.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

struct FakeDialogs : Dialogs {
  QStringList messages;
  void Message(const QString&, const QString& text) override { messages << text; }
  bool Ask(const QString&, const QString& text) override {
    messages << text;
    return true;
  }
};

struct FakeShell : Shell {
  QStringList opened;
  bool Open(const QString& what) override {
    opened << what;
    return true;
  }
};

struct FakeSound : Sound {
  int beeps = 0;
  void Beep() override { ++beeps; }
  void Gun() override {}
};

constexpr double X = NotPassed;

// Four boats on L1, MK1, MK2, L2: an upwind leg of 2 nm, a reach of 2.5 nm, a run of 0.5 nm.
// Alpha and Bravo finish together (Alpha is the best boat), Charlie gives up after MK1, Delta's
// start crossing was not found. Delta's name is Shift_JIS.
struct Results {
  RaceData r;
  PassingResults p;
  Results() {
    r.RaceTitle = "Cup";
    r.RaceCaption = "Cup";
    r.StartTime = *ParseDateTime("2025/10/12 11:00:00");
    r.WindwardBearing = 193;
    r.MagneticVariation = -7.5;
    r.CourseCount = 4;
    r.CourseEntry[0] = "L1";
    r.CourseEntry[1] = "MK1";
    r.CourseEntry[2] = "MK2";
    r.CourseEntry[3] = "L2";
    const char* names[] = {"Alpha", "Bravo", "Charlie", "\x82\xcd\x82\xe2"};
    const double pass[4][4] = {
        {5, 600, 1000, 1500}, {3, 600, 1100, 1500}, {0, 700, X, X}, {X, 650, 1050, 1600}};
    const double sailed[4][4] = {
        {2000, 4700, 1000, 7700}, {2050, 4650, 1050, 7750}, {0, 0, 0, 0}, {2100, 4800, 1000, 7900}};
    r.BoatCount = 4;
    p.Resize(4, 4);
    for (int b = 1; b <= 4; ++b) {
      r.BoatName[b] = names[b - 1];
      r.BoatFactor[b] = 1 + b / 100.0;
      for (int e = 1; e <= 4; ++e) {
        p.MarkPassTime[b][e] = pass[b - 1][e - 1];
        p.LegSailedDistance[b][e] = sailed[b - 1][e - 1];
      }
      p.UpTime[b] = p.MarkPassTime[b][2];
      p.UpDistance[b] = sailed[b - 1][0] / 1852;
      p.DownTime[b] = b == 3 ? 0 : p.MarkPassTime[b][4] - p.MarkPassTime[b][3];
      p.DownDistance[b] = sailed[b - 1][2] / 1852;
    }
    p.LegKind = {0, 1, 3, 2, 0, 0};
    p.LegLength = {0, 2 * 1852.0, 2.5 * 1852, 926, 5 * 1852, 0};
    p.LegBearing = {0, 352.5, 352.4, 10, 0, 0};
  }
};

// A report as lines of cells; also checks that every line ends in CR LF.
std::vector<QStringList> Parse(const std::string& text) {
  std::vector<QStringList> rows;
  EXPECT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  const QString all = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  QStringList lines = all.split(QStringLiteral("\r\n"));
  lines.removeLast();
  for (const QString& line : lines) {
    EXPECT_FALSE(line.contains('\n') || line.contains('\r')) << line.toStdString();
    rows.push_back(line.split(','));
  }
  return rows;
}

// The line index of a table's title.
int Find(const std::vector<QStringList>& rows, const QString& title) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].join(',') == title) return static_cast<int>(i);
  ADD_FAILURE() << "no line " << title.toStdString();
  return 0;
}

QString Row(const std::vector<QStringList>& rows, int i) {
  return i >= 0 && i < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(i)].join(',')
                                                     : QString();
}

}  // namespace

TEST(ReportCells, FormatsCutRoundAndNeverUseExponents) {
  EXPECT_EQ(WholeCell(75.5), "76");
  EXPECT_EQ(WholeCell(74.5), "74");
  EXPECT_EQ(WholeCell(-2.5), "-2");
  EXPECT_EQ(WholeCell(-0.2), "0");
  EXPECT_EQ(FourPlaceCell(1.5), "1.5000");
  EXPECT_EQ(FourPlaceCell(0.123456), "0.1234");
  EXPECT_EQ(FourPlaceCell(2), "2");
  EXPECT_EQ(FourPlaceCell(0.00001234), "0.0000");
  EXPECT_EQ(FiveCharCell(12.3456), "12.34");
  EXPECT_EQ(FiveCharCell(5.5), "5.5");
  EXPECT_EQ(FiveCharCell(0), "0");
  EXPECT_EQ(IntegerPartCell(123.9), "123");
  EXPECT_EQ(GeneralNumber(1.05), "1.05");
  EXPECT_EQ(GeneralNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(GeneralNumber(1e-7), "0.0000001");
  EXPECT_EQ(GeneralNumber(1e20), "100000000000000000000");
}

TEST(ReportTables, LegTimesPositionsAndABoatThatDidNotFinish) {
  Results t;
  const std::string text = BuildReport(t.r, t.p);
  ASSERT_NE(text.find("\x82\xcd\x82\xe2,650,400,550,1600,,4.2656,9.5977, ,-\r\n"),
            std::string::npos)
      << "names byte for byte; a start crossing not found reads -";
  const auto rows = Parse(text);
  EXPECT_EQ(Row(rows, 0), "Cup");
  EXPECT_EQ(Row(rows, 1), "Start Time,2025/10/12 11:00:00");
  EXPECT_EQ(Row(rows, 2), "Mean Wind Dir,193 deg");
  EXPECT_EQ(Row(rows, 3), " ");
  int i = Find(rows, "Time by each leg (Sec)");
  EXPECT_EQ(Row(rows, i + 1), ",(UP),,(DN)");
  EXPECT_EQ(Row(rows, i + 2),
            "Boat Name,ST->MK1,MK1->MK2,MK2->L2,Total(A),,Sail Dist(B),BSP(C=B/A),,Start Time");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,600,400,500,1500,,4.1576,9.9784, ,5");
  EXPECT_EQ(Row(rows, i + 5), "Charlie,700,-,-,-,,-,-");  // start at the gun: no start cells

  i = Find(rows, "Position by each Mark/Line");
  EXPECT_EQ(Row(rows, i - 2), " ");
  EXPECT_EQ(Row(rows, i - 1), " ");
  EXPECT_EQ(Row(rows, i + 1), "Boat Name,START,MK1,MK2,FINISH");
  EXPECT_EQ(Row(rows, i + 2), "Alpha,3,1,1,1");
  EXPECT_EQ(Row(rows, i + 3), "Bravo,2,1,3,1");
  EXPECT_EQ(Row(rows, i + 4), "Charlie,1,4,-,-");
  EXPECT_EQ(rows[static_cast<size_t>(i) + 5].mid(1).join(','), "-,3,2,3");

  // Every distance and speed cell of the boat that did not finish is "-".
  for (const char* title : {"Sailed Distance by each leg (N Miles)", "Boat speed by each leg (KTS)",
                            "Difference of Sailed Distance by each leg (Meters)",
                            "Difference of Boat speed by each leg (KTS)"}) {
    i = Find(rows, title);
    EXPECT_EQ(Row(rows, i + 1), ",(UP),,(DN)") << title;
    EXPECT_EQ(Row(rows, i + 5), "Charlie,-,-,-,-") << title;
  }
  i = Find(rows, "Sailed Distance by each leg (N Miles)");
  EXPECT_EQ(Row(rows, i + 2), "Boat Name,ST->MK1,MK1->MK2,MK2->L2,Total(B)");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,1.0799,2.5377,0.5399,4.1576");
  i = Find(rows, "Boat speed by each leg (KTS)");
  EXPECT_EQ(Row(rows, i + 2), "Boat Name,ST->MK1,MK1->MK2,MK2->L2,Ave(C)");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,6.4794,22.8401,3.8876,9.9784");

  i = Find(rows, "SUMMARY OF SAILING PERFORMANCE");
  EXPECT_EQ(Row(rows, i + 1), ",(UP),(UP),(UP),(UP),,(DN),(DN),(DN),(DN)");
  EXPECT_EQ(Row(rows, i + 2), "BOAT NAME,TIME,DIST,BSP,VMC,,TIME,DIST,BSP,VMC");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,600,1.079,6.479,12,,500,0.539,3.887,3.6");
  EXPECT_EQ(Row(rows, i + 5), "Charlie,700,0,0,10.28,,0,0,0,0");
}

TEST(ReportTables, CourseLengthsBearingsAndPointsOfSail) {
  Results t;
  const auto rows = Parse(BuildReport(t.r, t.p));
  const int i = Find(rows, "Course Length by each leg (N Miles)");
  EXPECT_EQ(Row(rows, i + 1), "Line/Mark,ST->MK1,MK1->MK2,MK2->L2,Total(A)");
  EXPECT_EQ(Row(rows, i + 2), "Point of sail,(UP),,(DN),,,UP_DIST,DN_DIST");
  // The reach counts in neither sum; 2 nm has no point, 2.5 nm four places.
  EXPECT_EQ(Row(rows, i + 3), "Length,2,2.5000,0.5000,5,,2,0.5");
  // 352.5 + 7.5 is exactly 360 and stays 360; 359.9 is cut to 359.
  EXPECT_EQ(Row(rows, i + 4), "BRG(deg/Mag),360,359,17,-");
}

TEST(ReportTables, ACourseOfTwentyEntriesFillsEveryColumn) {
  RaceData r;
  PassingResults p;
  r.BoatCount = 1;
  r.BoatName[1] = "Solo";
  r.CourseCount = kMaxCourse;
  p.Resize(1, kMaxCourse);
  for (int e = 1; e <= kMaxCourse; ++e) {
    r.CourseEntry[e - 1] = "MK" + std::to_string(e);
    p.MarkPassTime[1][e] = 100.0 * e;
    p.LegSailedDistance[1][e] = 500;
  }
  const auto rows = Parse(BuildReport(r, p));
  const int i = Find(rows, "Position by each Mark/Line");
  EXPECT_EQ(rows[static_cast<size_t>(i) + 1].size(), 1 + kMaxCourse);
  EXPECT_EQ(rows[static_cast<size_t>(i) + 1].back(), "FINISH");
  const auto& speeds = rows[static_cast<size_t>(Find(rows, "Boat speed by each leg (KTS)")) + 3];
  ASSERT_EQ(speeds.size(), 1 + kMaxCourse);
  EXPECT_EQ(speeds[kMaxCourse - 1], "9.7192");  // leg 19: 500 m in 100 s
}

TEST(ReportComparison, BestBoatTiesAndDifferences) {
  Results t;
  const auto rows = Parse(BuildReport(t.r, t.p));
  EXPECT_EQ(Row(rows, Find(rows, "COMPARISON OF DATA (Best boat:=0") + 1), " ");
  int i = Find(rows, "Difference of Time by each leg (SEC: difference from Best Boat)");
  EXPECT_EQ(Row(rows, i + 2), "Boat Name,ST->MK1,MK1->MK2,MK2->L2,Total(B)");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,0,0,0,0");
  EXPECT_EQ(Row(rows, i + 4), "Bravo,0,100,-100,0");  // equal finish: no sign
  EXPECT_EQ(Row(rows, i + 5), "Charlie,100,-,-,-");
  EXPECT_EQ(rows[static_cast<size_t>(i) + 6].mid(1).join(','), "-,0,50,+100");
  i = Find(rows, "Difference of Sailed Distance by each leg (Meters)");
  EXPECT_EQ(Row(rows, i + 4), "Bravo,+50,-50,+50,+50");
  EXPECT_EQ(rows[static_cast<size_t>(i) + 6].mid(1).join(','), "+100,+100,0,+200");
  i = Find(rows, "Difference of Boat speed by each leg (KTS)");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,0,0,0,0");
  EXPECT_EQ(rows[static_cast<size_t>(i) + 6].mid(1).join(','), "-0.1993,+0.4859,-0.3534,-0.3806");
}

// A best boat with a gap (MK2 not found, no distance on the first leg or overall) gives nothing
// to compare with there; never a difference against a missing value.
TEST(ReportComparison, GapsOfTheBestBoatGiveNoDifference) {
  Results t;
  t.p.MarkPassTime[1][3] = X;
  t.p.LegSailedDistance[1][1] = 0;
  t.p.LegSailedDistance[1][4] = 0;
  const auto rows = Parse(BuildReport(t.r, t.p));
  int i = Find(rows, "Difference of Time by each leg (SEC: difference from Best Boat)");
  EXPECT_EQ(Row(rows, i + 4), "Bravo,0,-,-,0");
  i = Find(rows, "Difference of Sailed Distance by each leg (Meters)");
  EXPECT_EQ(Row(rows, i + 4), "Bravo,-,-50,+50,-");
  i = Find(rows, "Difference of Boat speed by each leg (KTS)");
  EXPECT_EQ(Row(rows, i + 4), "Bravo,-,-,-,-");
}

TEST(ReportComparison, WithoutAFinisherTheReferenceIsZero) {
  Results t;
  for (int b = 1; b <= 4; ++b) {
    t.p.MarkPassTime[b][4] = X;
    for (int e = 1; e <= 4; ++e) t.p.LegSailedDistance[b][e] = 0;
  }
  // A course edited after the load reaches the report only after a reload.
  t.r.CourseCount = 6;
  const auto rows = Parse(BuildReport(t.r, t.p));
  int i = Find(rows, "Difference of Time by each leg (SEC: difference from Best Boat)");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,600,400,-,-");
  EXPECT_EQ(Row(rows, i + 5), "Charlie,700,-,-,-");
  i = Find(rows, "Difference of Boat speed by each leg (KTS)");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,-,-,-,-");
}

TEST(ReportTables, CorrectedTimeAddsTheNoteTheFactorsAndOneKindCell) {
  Results t;
  t.r.CorrectedTimeMode = 1;
  const auto rows = Parse(BuildReport(t.r, t.p));
  EXPECT_EQ(Row(rows, 0), "NOTE: All data related \"time\" including BSP are corrected by TCC/TMF");
  const int i = Find(rows, "Time by each leg (Sec)");
  EXPECT_EQ(Row(rows, i + 1), ",,(UP),,(DN)");
  EXPECT_EQ(Row(rows, i + 2),
            "Boat Name,TCC/TMF,ST->MK1,MK1->MK2,MK2->L2,Total(A),,Sail "
            "Dist(B),BSP(C=B/A),,Start Time");
  EXPECT_EQ(Row(rows, i + 3), "Alpha,1.01,600,400,500,1500,,4.1576,9.9784, ,5");
  // The other tables have no factor column.
  EXPECT_EQ(Row(rows, Find(rows, "Boat speed by each leg (KTS)") + 1), ",(UP),,(DN)");
}

TEST(ReportWrite, AFailedWriteShowsTheMessageAndOpensNothing) {
  Results t;
  kwtest::DataFolder dir;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeSound sound;
  const QString missing = dir.path() + "no/such/folder";
  EXPECT_FALSE(ShowReport(t.r, t.p, missing, dialogs, shell, &sound).ok);
  EXPECT_EQ(dialogs.messages,
            QStringList{"Excell is already open\nClose present Excell and try again."});
  EXPECT_TRUE(shell.opened.isEmpty());
  EXPECT_EQ(sound.beeps, 0);
  EXPECT_FALSE(QFileInfo::exists(missing));

  dialogs.messages.clear();
  dir.Write("docs/NoName.csv", "an older, longer report than the new one\r\n");
  ASSERT_TRUE(ShowReport(t.r, t.p, dir.path() + "docs", dialogs, shell, &sound).ok);
  EXPECT_TRUE(dialogs.messages.isEmpty());
  EXPECT_EQ(shell.opened, QStringList{QDir(dir.path() + "docs").filePath("NoName.csv")});
  EXPECT_EQ(sound.beeps, 1);
  EXPECT_EQ(dir.Read("docs/NoName.csv"), BuildReport(t.r, t.p));
}

TEST(ReportDemo, ParsesIntoItsTablesAndMatchesTheGoldenFile) {
  if (!QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  RaceSession s;
  s.race.ProgramFolder = kwtest::DemoDir();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  LoadHooks hooks;
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  const std::string text = BuildReport(s.race, s.passing);
  const auto rows = Parse(text);
  const int n = s.race.CourseCount, legs = n - 1, boats = s.race.BoatCount;
  ASSERT_GE(n, 2);
  auto expectTable = [&](const QString& title, int headOffset, int headCells, int rowCells) {
    SCOPED_TRACE(title.toStdString());
    const int i = Find(rows, title);
    EXPECT_EQ(rows[static_cast<size_t>(i + headOffset)].size(), headCells);
    for (int b = 1; b <= boats; ++b) {
      const auto& row = rows[static_cast<size_t>(i + headOffset + b)];
      EXPECT_TRUE(row.size() == rowCells || (headCells == rowCells + 2 && row.size() == headCells))
          << row.join(',').toStdString();
    }
    EXPECT_EQ(Row(rows, i + headOffset + boats + 1), " ");
  };
  expectTable("Time by each leg (Sec)", 2, 1 + legs + 6, 1 + legs + 4);
  expectTable("Position by each Mark/Line", 1, 1 + n, 1 + n);
  expectTable("Sailed Distance by each leg (N Miles)", 2, 1 + n, 1 + n);
  expectTable("Boat speed by each leg (KTS)", 2, 1 + n, 1 + n);
  expectTable("SUMMARY OF SAILING PERFORMANCE", 2, 10, 10);
  expectTable("Difference of Time by each leg (SEC: difference from Best Boat)", 2, 1 + n, 1 + n);
  expectTable("Difference of Sailed Distance by each leg (Meters)", 2, 1 + n, 1 + n);
  const int last = Find(rows, "Difference of Boat speed by each leg (KTS)");
  EXPECT_EQ(static_cast<int>(rows.size()), last + 3 + boats);
  for (int b = 1; b <= boats; ++b) EXPECT_EQ(rows[static_cast<size_t>(last + 2 + b)].size(), 1 + n);
  const int course = Find(rows, "Course Length by each leg (N Miles)");
  EXPECT_EQ(rows[static_cast<size_t>(course) + 3].size(), 1 + n + 3);

  const QString golden = QStringLiteral(KEELWAY_SOURCE_DIR "/tests/golden/demo_report.csv");
  if (qEnvironmentVariableIntValue("KEELWAY_UPDATE_GOLDEN") == 1) {
    QFile f(golden);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
    GTEST_SKIP() << "golden file written: " << golden.toStdString();
  }
  std::string want;
  ASSERT_TRUE(ReadWholeFile(golden, want)) << "missing " << golden.toStdString();
  EXPECT_TRUE(text == want) << "the demo report differs from " << golden.toStdString()
                            << "; see the top of this file to regenerate it";
}
