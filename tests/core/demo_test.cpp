// The bundled demo races end to end: loading, dropped boats, clock corrections, and passing
// times checked against the simulator's ground truth.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <map>

#include "race/text.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

struct Truth {
  std::vector<double> times;  // per course entry; negative: not passed
};

std::map<std::string, Truth> ReadTruth(const QString& path) {
  std::map<std::string, Truth> out;
  std::string text;
  if (!ReadWholeFile(path, text)) return out;
  auto lines = SplitLines(text);
  for (size_t i = 1; i < lines.size(); ++i) {
    QStringList cells = QString::fromUtf8(lines[i].data(), lines[i].size()).split(',');
    if (cells.size() < 3) continue;
    Truth t;
    for (int c = 2; c < cells.size(); ++c)
      t.times.push_back(cells[c].isEmpty() ? -1 : cells[c].toDouble());
    out[cells[0].toStdString()] = t;
  }
  return out;
}

bool LoadDemo(RaceSession& s, const QString& race) {
  s.race.ProgramFolder = kwtest::DemoDir();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  if (!race.isEmpty()) s.race.RaceFilePath = s.race.ProgramFolder + "raceadmin/" + race;
  LoadHooks hooks;
  return LoadRace(s, hooks).status == LoadOutcome::Loaded;
}

void CheckAgainstTruth(const RaceSession& s, const QString& truthFile) {
  const RaceData& r = s.race;
  const auto truth = ReadTruth(kwtest::DemoDir() + "truth/" + truthFile);
  ASSERT_FALSE(truth.empty());
  std::vector<std::pair<double, int>> finishes;
  for (int b = 1; b <= r.BoatCount; ++b) {
    auto it = truth.find(r.BoatTrackFile[b]);
    ASSERT_NE(it, truth.end()) << r.BoatTrackFile[b];
    const auto& times = it->second.times;
    ASSERT_EQ(static_cast<int>(times.size()), r.CourseCount);
    const double interval = r.BoatSampleInterval[b];
    for (int e = 1; e <= r.CourseCount; ++e) {
      const double got = s.passing.MarkPassTime[b][e];
      const double want = times[e - 1];
      const bool line = r.CourseEntry[e - 1].find('L') != std::string::npos;
      ASSERT_GE(want, 0) << r.BoatTrackFile[b] << " entry " << e;
      EXPECT_NEAR(got, want, line ? interval : 2 * interval)
          << r.BoatTrackFile[b] << " entry " << e << " " << r.CourseEntry[e - 1];
    }
    finishes.push_back({times.back(), b});
  }
  std::sort(finishes.begin(), finishes.end());
  for (size_t i = 0; i < finishes.size(); ++i) {
    EXPECT_EQ(s.passing.FinishRank[finishes[i].second], static_cast<int>(i) + 1)
        << r.BoatTrackFile[finishes[i].second];
  }
}

}  // namespace

TEST(Demo, MainRaceLoadsWithItsDroppedBoats) {
  RaceSession s;
  if (!QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  ASSERT_TRUE(LoadDemo(s, {}));
  const RaceData& r = s.race;
  EXPECT_EQ(r.RaceFileName, "enoshima-r1.txt");
  EXPECT_EQ(r.RaceCaption, "Enoshima Autumn Regatta  Race 1");
  EXPECT_EQ(r.BoatCount, 18);
  EXPECT_EQ(r.ClassCount, 2);
  ASSERT_EQ(r.DroppedBoats.size(), 2u);
  for (const auto& d : r.DroppedBoats) {
    EXPECT_EQ(d.reason,
              d.file == "j24-08.gpx" ? DroppedBoat::MissingFile : DroppedBoat::TooFewSamples)
        << d.file;
  }
  int japanese = 0, corrected = 0;
  for (int b = 1; b <= r.BoatCount; ++b) {
    const QString name = DisplayText(r.BoatName[b]);
    if (name == QStringLiteral("はやぶさ") || name == QStringLiteral("翔鶴")) ++japanese;
    if (r.BoatTimeOffset[b] == 37) ++corrected;
    EXPECT_GT(r.BoatSampleCount[b], 500) << r.BoatTrackFile[b];
    EXPECT_EQ(r.BoatSkippedRecords[b], 0) << r.BoatTrackFile[b];
  }
  EXPECT_EQ(japanese, 2);
  EXPECT_EQ(corrected, 1);
  EXPECT_EQ(r.ClockFirst, -310);
}

TEST(Demo, PassingTimesMatchTheTruth) {
  if (!QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  for (const char* race : {"enoshima-r1", "enoshima-coastal", "sagami-offshore"}) {
    SCOPED_TRACE(race);
    RaceSession s;
    ASSERT_TRUE(LoadDemo(s, QString::fromLatin1(race) + ".txt"));
    CheckAgainstTruth(s, QString::fromLatin1(race) + ".csv");
    // The replay ends a minute after the last finisher.
    double last = 0;
    for (int b = 1; b <= s.race.BoatCount; ++b)
      last = std::max(last, s.passing.MarkPassTime[b][s.race.CourseCount]);
    EXPECT_DOUBLE_EQ(s.race.ClockLast, last + 60);
  }
}

TEST(Demo, CorrectedTimeModeScalesTheTracks) {
  if (!QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  RaceSession elapsed, corrected;
  ASSERT_TRUE(LoadDemo(elapsed, {}));
  corrected.play.ModeChosenByUser = 1;
  corrected.race.Controls.CtModeChecked = true;
  corrected.play.FirstLoadDone = 1;
  ASSERT_TRUE(LoadDemo(corrected, {}));
  ASSERT_EQ(corrected.race.CorrectedTimeMode, 1);
  for (int b = 1; b <= elapsed.race.BoatCount; ++b) {
    const int n = elapsed.race.BoatSampleCount[b];
    const double f = elapsed.race.BoatFactor[b];
    const double t = elapsed.race.TrackTime[b][n / 2];
    ASSERT_GT(t, 0);
    EXPECT_EQ(corrected.race.TrackTime[b][n / 2], std::nearbyint(f * t));
  }
}
