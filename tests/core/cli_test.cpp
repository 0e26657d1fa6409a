// keelway-cli end to end: statuses, the text and the JSON document on the demo and on small
// races built by the test.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "support/cli_run.h"
#include "support/test_support.h"

namespace {

using kwtest::Cli;
using kwtest::CliRun;

}  // namespace

TEST(Cli, SummaryOfTheDemoAsJson) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  CliRun r = Cli({"summary", "--root", demo, "--json"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("LOADING  j24-01.gpx  (1/19)"));
  QJsonParseError e;
  const QJsonObject o = QJsonDocument::fromJson(r.out, &e).object();
  ASSERT_EQ(e.error, QJsonParseError::NoError);
  for (const char* key :
       {"caption", "startTime", "finishTime", "clockFirst", "clockLast", "magneticVariation",
        "windwardBearing", "cosCentreLat", "course", "legs", "dropped", "boats"}) {
    EXPECT_TRUE(o.contains(key)) << key;
  }
  EXPECT_EQ(o["caption"].toString(), "Enoshima Autumn Regatta  Race 1");
  EXPECT_EQ(o["startTime"].toString(), "2025/10/12 11:00:00");
  EXPECT_EQ(o["course"].toArray().size(), 5);
  EXPECT_EQ(o["legs"].toArray().size(), 4);
  EXPECT_EQ(o["dropped"].toArray().size(), 2);
  const QJsonArray boats = o["boats"].toArray();
  ASSERT_EQ(boats.size(), 18);
  const QJsonObject b1 = boats[0].toObject();
  for (const char* key : {"name", "file", "class", "factor", "offset", "samples", "interval",
                          "shown", "skipped", "first", "last", "passing", "finishRank",
                          "legDistance", "upTime", "downTime", "upDistance", "downDistance"}) {
    EXPECT_TRUE(b1.contains(key)) << key;
  }
  EXPECT_EQ(b1["class"].toString(), "J/24");
  EXPECT_EQ(b1["passing"].toArray().size(), 5);
  EXPECT_TRUE(b1["passing"].toArray()[4].isDouble());
  EXPECT_EQ(boats[1].toObject()["name"].toString(), QStringLiteral("はやぶさ"));
  EXPECT_GT(b1["legDistance"].toArray()[4].toDouble(), 5000);
}

TEST(Cli, TextSummaryAndStatuses) {
  kwtest::DataFolder dir;
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("raceadmin/good.txt",
            "T1,Small race\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\n"
            "BN,a.gpx,Alpha\nBN,gone.gpx,Gone\n");
  dir.Write("raceadmin/bad.txt", "T1,Bad\nBN,a.gpx,Alpha\nMK,1,x\n");
  dir.Write("raceadmin/empty.txt", "T1,Empty\nBN,none.gpx,X\n");
  dir.Write("raceadmin/nofinish.txt", "T1,No finish\nST,2007/05/12 10:00:00\nBN,a.gpx,Alpha\n");

  CliRun ok = Cli({"summary", "--root", dir.path(), "--race", "good.txt"});
  ASSERT_EQ(ok.status, 0) << ok.err.toStdString();
  EXPECT_TRUE(ok.out.startsWith("Small race\n"));
  EXPECT_TRUE(ok.out.contains("Gone  gone.gpx  missing file"));

  CliRun bad = Cli({"summary", "--root", dir.path(), "--race", "bad.txt"});
  EXPECT_EQ(bad.status, 3);
  EXPECT_TRUE(bad.err.contains("bad.txt: 'x' is not a valid floating point value (line 3)"));

  // A start without a finish is a fault of the race file, not a race whose boats all vanished.
  CliRun noFinish = Cli({"summary", "--root", dir.path(), "--race", "nofinish.txt"});
  EXPECT_EQ(noFinish.status, 3);
  EXPECT_TRUE(noFinish.err.contains("nofinish.txt: no finish time (an FT line)"));

  CliRun none = Cli({"summary", "--root", dir.path(), "--race", "empty.txt"});
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(none.err.contains("GPS file not exists."));

  EXPECT_EQ(Cli({"summary", "--bogus"}).status, 64);
  EXPECT_EQ(Cli({"frobnicate"}).status, 64);
  CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.contains("keelway-cli summary"));
}

TEST(Cli, ReportAndKmlDocumentsOfTheDemo) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  QTemporaryDir out;
  const QString report = out.path() + "/r.csv";
  CliRun r = Cli({"report", "--root", demo, "--out", report});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  QFile f(report);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray csv = f.readAll();
  EXPECT_TRUE(csv.startsWith("Enoshima Autumn Regatta  Race 1\r\n"));

  for (const QStringList& args :
       {QStringList{"kml-race"}, QStringList{"kml-snapshot", "--at", "600"}}) {
    const QString path = out.path() + "/" + args.first() + ".kml";
    CliRun k = Cli(args + QStringList{"--root", demo, "--out", path});
    ASSERT_EQ(k.status, 0) << k.err.toStdString();
    QFile doc(path);
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&doc);
    while (!xml.atEnd()) xml.readNext();
    EXPECT_FALSE(xml.hasError()) << args.first().toStdString();
  }

  CliRun locked = Cli({"report", "--root", demo, "--out", out.path() + "/no/such/dir/r.csv"});
  EXPECT_EQ(locked.status, 1);
  EXPECT_TRUE(locked.err.contains("Excell is already open\nClose present Excell and try again."));
  EXPECT_EQ(Cli({"kml-snapshot", "--root", demo}).status, 64);  // --at is required
  EXPECT_EQ(Cli({"summary", "--at", "5"}).status, 64);
}

// A snapshot of the demo race as a PNG of the size asked for; the still map holds every mark.
TEST(Cli, SnapshotDrawsTheMapIntoAPng) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  QTemporaryDir out;
  const QString trace = out.path() + "/trace.png", still = out.path() + "/still.png";
  CliRun r = Cli({"snapshot", "--at", "600", "--root", demo, "--out", trace, "--size", "640x480"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(QImage(trace).size(), QSize(640, 480));
  r = Cli({"snapshot", "--at", "600", "--root", demo, "--out", still, "--still", "--north-up"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QImage map(still);
  ASSERT_EQ(map.size(), QSize(1000, 1000));
  int yellow = 0;
  for (int y = 0; y < map.height(); ++y)
    for (int x = 0; x < map.width(); ++x) yellow += map.pixel(x, y) == qRgb(255, 255, 0);
  EXPECT_GT(yellow, 5 * 40);  // five mark and line-end discs at least, and the lines

  for (const QStringList& bad :
       {QStringList{"snapshot", "--root", demo},  // --at is required
        QStringList{"snapshot", "--at", "1", "--root", demo, "--size", "10x10"},
        QStringList{"snapshot", "--at", "1", "--root", demo, "--size", "wide"}})
    EXPECT_EQ(Cli(bad).status, 64) << bad.join(' ').toStdString();
  EXPECT_EQ(
      Cli({"snapshot", "--at", "1", "--root", demo, "--out", out.path() + "/no/dir/x.png"}).status,
      1);
}

// The ranking of the demo in elapsed and in corrected time: the list in rank order starting at a
// gap of 0, classes holding every finisher once; the corrected one differs.
TEST(Cli, RankingsInBothModesAndThePages) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  QJsonObject ranking[2];
  for (int ct = 0; ct < 2; ++ct) {
    CliRun r = Cli({"summary", "--root", demo, "--json", "--mode", ct ? "ct" : "et"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o["correctedTimeMode"].toInt(), ct);
    ranking[ct] = o["rankings"].toObject();
    const QJsonArray list = ranking[ct]["list"].toArray();
    ASSERT_GT(list.size(), 10);
    EXPECT_EQ(list[0].toObject()["gap"].toInt(), 0);
    int finishers = 0;
    for (int i = 1; i < list.size(); ++i) {
      EXPECT_LE(list[i - 1].toObject()["rank"].toInt(), list[i].toObject()["rank"].toInt());
      EXPECT_LE(list[i - 1].toObject()["gap"].toInt(), list[i].toObject()["gap"].toInt());
    }
    for (const QJsonValue c : ranking[ct]["classes"].toArray())
      finishers += c.toObject()["boats"].toArray().size();
    EXPECT_EQ(finishers, list.size());
  }
  EXPECT_NE(ranking[0], ranking[1]);

  QTemporaryDir out;
  for (const char* page : {"graph", "analysis"}) {
    const QString png = out.path() + "/" + page + ".png";
    CliRun r = Cli({"snapshot", "--page", page, "--root", demo, "--out", png, "--size", "800x600"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(800, 600));
  }
  EXPECT_EQ(Cli({"snapshot", "--page", "chart", "--root", demo}).status, 64);
  EXPECT_EQ(Cli({"summary", "--mode", "handicap", "--root", demo}).status, 64);
}
