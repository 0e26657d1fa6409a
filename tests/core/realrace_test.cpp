// A real two-boat club race (Valencia, 2025-06-21, dinghies with watches at 1 Hz) built from
// the shared real data: the boats' own GPX files, the marks from the race's metadata, a start
// line through the start mark square to the wind.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

TEST(RealRace, ValenciaClubRaceFindsItsRoundings) {
  kwtest::DataFolder dir;
  if (!kwtest::WriteValenciaRace(dir)) GTEST_SKIP() << "real data not available";
  RaceSession s;
  s.race.ProgramFolder = dir.path();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  LoadHooks hooks;
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  ASSERT_EQ(s.race.BoatCount, 2);
  for (int b = 1; b <= 2; ++b) {
    SCOPED_TRACE(b);
    EXPECT_GT(s.race.BoatSampleCount[b], 1400);
    EXPECT_EQ(s.race.BoatSampleInterval[b], 1);
    // Both windward roundings fall where the tracks come nearest the mark (about 11:32 and
    // 11:44:30 UTC), the leeward one near 11:37.
    EXPECT_NEAR(s.passing.MarkPassTime[b][2], 8 * 60, 60);
    EXPECT_NEAR(s.passing.MarkPassTime[b][3], 13 * 60, 60);
    EXPECT_NEAR(s.passing.MarkPassTime[b][4], 20.5 * 60, 60);
    for (int e = 1; e < 5; ++e)
      EXPECT_LT(s.passing.MarkPassTime[b][e], s.passing.MarkPassTime[b][e + 1]);
    EXPECT_LT(s.passing.MarkPassTime[b][5], 999999);
  }
  EXPECT_NE(s.passing.FinishRank[1], s.passing.FinishRank[2]);

  QProcess cli;
  cli.start(QStringLiteral(KEELWAY_CLI), {"summary", "--root", dir.path(), "--json"});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 0);
  const QJsonObject o = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
  EXPECT_EQ(o["boats"].toArray().size(), 2);
  EXPECT_EQ(o["legs"].toArray()[0].toObject()["kind"].toString(), "UP");

  // The report and both KML documents of the real race.
  for (const QStringList& args : {QStringList{"report"}, QStringList{"kml-race"},
                                  QStringList{"kml-snapshot", "--at", "500"}}) {
    QProcess p;
    const QString out = dir.path() + args.first() + ".out";
    p.start(QStringLiteral(KEELWAY_CLI), args + QStringList{"--root", dir.path(), "--out", out});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << args.first().toStdString();
    EXPECT_GT(QFileInfo(out).size(), 500) << args.first().toStdString();
  }
}
