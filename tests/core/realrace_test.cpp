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

#include <cmath>

#include "race/numbers.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

// Writes the race folder; false when the real data is not there.
bool BuildRace(const kwtest::DataFolder& dir) {
  const QString src = kwtest::RealDataDir() + "maxsail-analytics/";
  if (kwtest::RealDataDir().isEmpty() || !QFileInfo::exists(src)) return false;
  QFile meta(src + "2025-06-21-ESP30782-P01-meta-data.json");
  if (!meta.open(QIODevice::ReadOnly)) return false;
  const QJsonObject m = QJsonDocument::fromJson(meta.readAll()).object();
  double b1[2] = {0, 0}, s1[2] = {0, 0};
  for (const QJsonValue& v : m["BALIZAS"].toArray()) {
    const QJsonObject o = v.toObject();
    double* p = o["nombre"].toString() == "B1" ? b1 : s1;
    p[0] = o["lat"].toDouble() * 60;
    p[1] = o["lon"].toDouble() * 60;
  }
  const int twd = m["TWD"].toInt();
  // A 100 m start and finish line through the start mark, square to the wind.
  const double a = (twd + 90) * std::acos(-1.0) / 180, half = 50.0 / 1852;
  const double c = std::cos(s1[0] / 60 * std::acos(-1.0) / 180);
  const double dLat = half * std::cos(a), dLon = half * std::sin(a) / c;
  auto f = [](double v) { return ShortestReal(v); };
  std::string race =
      "T1,Valencia club race 1\nT2,2025/06/21  two dinghies\n"
      "ST,2025/06/21 13:24:00\nFT,2025/06/21 13:55:00\nTD,2\nBT,5\n"
      "WD," +
      std::to_string(twd) +
      "\nBN,esp29375.gpx,ESP29375\n"
      "BN,esp30782.gpx,ESP30782\nMK," +
      f(b1[0]) + "," + f(b1[1]) + "\nMK," + f(s1[0]) + "," + f(s1[1]) + "\nLN," + f(s1[0] - dLat) +
      "," + f(s1[1] - dLon) + "," + f(s1[0] + dLat) + "," + f(s1[1] + dLon) +
      "\nCRS,L1,MK1,MK2,MK1,L1\n";
  dir.Write("raceadmin/valencia.txt", race);
  for (const char* boat : {"ESP29375", "ESP30782"}) {
    QFile gpx(src + QStringLiteral("2025-06-21-%1-P01.gpx").arg(boat));
    if (!gpx.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = gpx.readAll();
    dir.Write(QStringLiteral("gpsdat/%1.gpx").arg(QString::fromLatin1(boat).toLower()),
              std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  }
  return true;
}

}  // namespace

TEST(RealRace, ValenciaClubRaceFindsItsRoundings) {
  kwtest::DataFolder dir;
  if (!BuildRace(dir)) GTEST_SKIP() << "real data not available";
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
