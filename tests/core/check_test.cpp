// keelway-cli check end to end: a crafted fleet with every kind of fault, its figures counted by
// hand; the demo and a real file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdio>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/test_support.h"

namespace {

using kwtest::Cli;
using kwtest::CliRun;

std::string WithChecksum(const std::string& body) {
  unsigned x = 0;
  for (char c : body) x ^= static_cast<unsigned char>(c);
  char cs[8];
  std::snprintf(cs, sizeof cs, "*%02X", x);
  return "$" + body + cs;
}

// An RMC sentence body at u seconds after 01:00:00 UTC; the boat moves north at 3.6 kn.
std::string Rmc(int u, double latShift = 0, const char* status = "A") {
  const int t = 3600 + u;
  char buf[120];
  std::snprintf(buf, sizeof buf, "GPRMC,%02d%02d%02d,%s,%.4f,N,13929.0000,E,3.6,0.0,120507,,",
                t / 3600, t / 60 % 60, t % 60, status, 3518.0 + 0.001 * (u + 300) + latShift);
  return buf;
}

QJsonObject BoatNamed(const QJsonArray& boats, const QString& name) {
  for (const auto& b : boats)
    if (b.toObject()["name"].toString() == name) return b.toObject();
  return {};
}

}  // namespace

TEST(Check, EveryKindOfFaultCountedAsByHand) {
  kwtest::DataFolder dir;
  // Boat N (offset +5 s): two fixes before the storing window (race time -295, -294), a fix
  // every second from u = -60 to 139 without u = 40..69 (a 31 s gap from race time 44), u = 95
  // again after u = 100 (a step backwards), u = 120 twice, u = 130 a minute of latitude off (two
  // jumps, the first from race time 134), and six sentences the reader refuses.
  std::string log;
  log += WithChecksum(Rmc(-300)) + "\n" + WithChecksum(Rmc(-299)) + "\n";
  for (int u = -60; u < 140; ++u) {
    if (u >= 40 && u < 70) continue;
    if (u == 10) {
      // Glued: the first sentence lost its end; the second one stands.
      log += "$" + Rmc(9).substr(0, 30) + WithChecksum(Rmc(10)) + "\n";
      continue;
    }
    log += WithChecksum(Rmc(u, u == 130 ? 1.0 : 0)) + "\n";
    if (u == 100) log += WithChecksum(Rmc(95)) + "\n";
    if (u == 120) log += WithChecksum(Rmc(120)) + "\n";
    if (u == 20) {
      std::string bad = WithChecksum(Rmc(20));
      bad.replace(bad.size() - 2, 2, bad.substr(bad.size() - 2) == "00" ? "01" : "00");
      log += bad + "\n";                                                // bad checksum
      log += WithChecksum(Rmc(21, 0, "V")) + "\n";                      // status V
      log += WithChecksum("GPRMC,010022,A,,N,,E,0,0,120507,,") + "\n";  // empty position
      log += WithChecksum("GPRMC,01ab22,A,3518.1,N,13929.0,E,0,0,120507,,") + "\n";
      log += "$GPRMC,010023,A,35\n";  // cut off
      log += WithChecksum("GPGGA,010023,3518.1,N,13929.0,E,1,08,1.0,0,M,0,M,,") + "\n";
    }
  }
  dir.Write("gpsdat/n.log", log);
  // Boat G: 20 points, one without a time, and the file cut off inside its last point.
  std::string gpx = kwtest::MakeGpx(20, 2007, 5, 12, 1, 0, 0);
  gpx.resize(gpx.find("</trkseg>"));
  gpx +=
      "<trkpt lat=\"35.3\" lon=\"139.5\"><ele>0</ele></trkpt>\n"
      "<trkpt lat=\"35.3\" lon=\"139.5\"><time>2007-05-12T01:0";
  dir.Write("gpsdat/g.gpx", gpx);
  dir.Write("gpsdat/short.gpx", kwtest::MakeGpx(5, 2007, 5, 12, 1, 0, 0));
  dir.Write("raceadmin/race.txt",
            "T1,Crafted\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\nCT,1\n"
            "BN,g.gpx,G\nBN,missing.gpx,Missing\nBN,n.log,N,1.02,5\nBN,short.gpx,Short\n");

  CliRun j = Cli({"check", "--root", dir.path(), "--race", "race.txt", "--json"});
  ASSERT_EQ(j.status, 0) << j.err.toStdString();
  const QJsonObject o = QJsonDocument::fromJson(j.out).object();
  EXPECT_EQ(o["windowOpens"].toInt(), -180);
  EXPECT_EQ(o["finish"].toInt(), 1800);
  const QJsonArray boats = o["boats"].toArray();
  ASSERT_EQ(boats.size(), 4);

  const QJsonObject n = BoatNamed(boats, "N");
  const QJsonObject skipped = n["skipped"].toObject();
  struct Count {
    const char* key;
    int expected;
  };
  for (const Count& c : {Count{"badChecksum", 1},
                         {"statusVoid", 1},
                         {"emptyPosition", 1},
                         {"notConverted", 1},
                         {"outsideWindow", 2},
                         {"truncated", 2},
                         {"noTime", 0}}) {
    EXPECT_EQ(skipped[c.key].toInt(), c.expected) << c.key;
  }
  EXPECT_EQ(n["samplesKept"].toInt(), 172);  // 170 + the step back + the repeat
  EXPECT_EQ(n["samplesRead"].toInt(), 180);
  EXPECT_EQ(n["gaps"].toObject()["count"].toInt(), 1);
  EXPECT_EQ(n["gaps"].toObject()["longest"].toInt(), 31);
  EXPECT_EQ(n["gaps"].toObject()["at"].toInt(), 44);
  EXPECT_EQ(n["backwardSteps"].toInt(), 1);
  EXPECT_EQ(n["repeatedTimes"].toInt(), 1);
  EXPECT_EQ(n["jumps"].toObject()["count"].toInt(), 2);
  EXPECT_NEAR(n["jumps"].toObject()["fastestKnots"].toDouble(), 3603.6, 0.5);
  EXPECT_EQ(n["jumps"].toObject()["at"].toInt(), 134);
  EXPECT_EQ(n["clockCorrection"].toInt(), 5);
  EXPECT_DOUBLE_EQ(n["handicap"].toDouble(), 1.02);
  EXPECT_TRUE(n["correctedTime"].toBool());
  EXPECT_EQ(n["firstFix"].toInt(), -295);
  EXPECT_EQ(n["lastFix"].toInt(), 144);
  EXPECT_FALSE(n["dropped"].toBool());

  const QJsonObject g = BoatNamed(boats, "G");
  EXPECT_EQ(g["samplesRead"].toInt(), 22);
  EXPECT_EQ(g["samplesKept"].toInt(), 20);
  EXPECT_EQ(g["skipped"].toObject()["noTime"].toInt(), 1);
  EXPECT_EQ(g["skipped"].toObject()["truncated"].toInt(), 1);
  EXPECT_EQ(g["gaps"].toObject()["count"].toInt(), 0);
  EXPECT_FALSE(g["correctedTime"].toBool());  // 100 samples or fewer are never scaled

  const QJsonObject shortBoat = BoatNamed(boats, "Short");
  EXPECT_TRUE(shortBoat["dropped"].toBool());
  EXPECT_EQ(shortBoat["droppedReason"].toString(), "too few samples");
  EXPECT_EQ(shortBoat["samplesKept"].toInt(), 5);
  const QJsonObject missing = BoatNamed(boats, "Missing");
  EXPECT_TRUE(missing["dropped"].toBool());
  EXPECT_EQ(missing["droppedReason"].toString(), "missing file");
  EXPECT_FALSE(missing["read"].toBool());

  // Text: the dropped boats first, then the boat with most faults.
  CliRun t = Cli({"check", "--root", dir.path(), "--race", "race.txt"});
  ASSERT_EQ(t.status, 0);
  const QString text = QString::fromUtf8(t.out);
  const auto at = [&](const char* s) { return text.indexOf(QString::fromLatin1(s)); };
  EXPECT_LT(at("\nMissing  missing.gpx  DROPPED: missing file"), at("\nN  n.log"));
  EXPECT_LT(at("\nShort  short.gpx  DROPPED: too few samples"), at("\nN  n.log"));
  EXPECT_LT(at("\nN  n.log"), at("\nG  g.gpx"));
  EXPECT_GE(at("gaps over 10 s: 1, longest 31 s at +0:00:44"), 0) << text.toStdString();
  EXPECT_GE(at("clock correction: +5 s; handicap 1.02 (corrected time applied)"), 0);
}

// The report is made also when no boat loads, and a race file that does not read is an error.
TEST(Check, NoBoatStillReportsAndABadRaceFileFails) {
  kwtest::DataFolder dir;
  dir.Write("raceadmin/none.txt", "ST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nBN,x.gpx,X\n");
  dir.Write("raceadmin/bad.txt", "ST,2007/05/12 10:00:00\n");
  CliRun none = Cli({"check", "--root", dir.path(), "--race", "none.txt"});
  EXPECT_EQ(none.status, 0);
  EXPECT_TRUE(none.out.contains("X  x.gpx  DROPPED: missing file")) << none.out.toStdString();
  CliRun bad = Cli({"check", "--root", dir.path(), "--race", "bad.txt", "--json"});
  EXPECT_EQ(bad.status, 3);
  EXPECT_TRUE(bad.err.contains("no finish time"));
}

// Copies a real file into the data folder's gpsdat/; false when the real data is absent.
bool CopyReal(const kwtest::DataFolder& dir, const QString& from, const QString& to) {
  QFile f(kwtest::RealDataDir() + from);
  if (kwtest::RealDataDir().isEmpty() || !f.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = f.readAll();
  dir.Write("gpsdat/" + to, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  return true;
}

// Every boat of the demo and of real files is reported, its read and kept figures adding up.
TEST(Check, DemoAndRealFilesAddUp) {
  kwtest::DataFolder real;
  const bool haveReal = CopyReal(real, "maxsail-analytics/2025-06-21-ESP29375-P01.gpx", "a.gpx") &&
                        CopyReal(real, "maxsail-analytics/2025-06-21-ESP30782-P01.gpx", "b.gpx") &&
                        CopyReal(real, "gpsd/test/daemon/nmea-fuzzy-cases.log", "fuzzy.log") &&
                        CopyReal(real, "gpsd/test/daemon/tcp-torture.log", "torture.log");
  real.Write("raceadmin/valencia.txt",
             "ST,2025/06/21 13:24:00\nFT,2025/06/21 13:55:00\nTD,2\nBT,5\n"
             "BN,a.gpx,A\nBN,b.gpx,B\n");
  real.Write("raceadmin/logs.txt",
             "ST,2020/03/17 00:00:00\nFT,2020/03/17 23:59:00\nBN,fuzzy.log,F\nBN,torture.log,T\n");
  struct Run {
    QString root, race;
    int boats;
  };
  std::vector<Run> runs;
  if (QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st"))
    runs.push_back({kwtest::DemoDir(), "enoshima-r1.txt", 20});
  if (haveReal) {
    runs.push_back({real.path(), "valencia.txt", 2});
    runs.push_back({real.path(), "logs.txt", 2});
  }
  if (runs.empty()) GTEST_SKIP() << "neither the demo nor the real data";
  for (const Run& run : runs) {
    CliRun r = Cli({"check", "--root", run.root, "--race", run.race, "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray boats = QJsonDocument::fromJson(r.out).object()["boats"].toArray();
    EXPECT_EQ(boats.size(), run.boats) << run.race.toStdString();
    for (const auto& v : boats) {
      const QJsonObject b = v.toObject();
      if (!b["read"].toBool()) continue;
      int skipped = 0;
      for (const auto& c : b["skipped"].toObject()) skipped += c.toInt();
      EXPECT_GT(b["samplesRead"].toInt(), 0) << b["file"].toString().toStdString();
      EXPECT_EQ(b["samplesRead"].toInt(), b["samplesKept"].toInt() + skipped)
          << b["file"].toString().toStdString();
    }
  }
}
