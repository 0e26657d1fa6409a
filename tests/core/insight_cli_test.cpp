// keelway-cli wind --estimate, manoeuvres and polar: their command lines, and end to end on a
// copy of the demo races (the wind kept as a wind file and read back, JSON against CSV, the
// polar picture's pixels).
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include "cli/options.h"
#include "demo_truth.h"
#include "race/text.h"
#include "support/cli_run.h"

using namespace kw;

namespace {

// The demo's race files, tracks and wind logs copied into `dir`.
void CopyDemo(const kwtest::DataFolder& dir) {
  for (const char* sub : {"raceadmin", "gpsdat", "winddat"}) {
    QDirIterator it(kwtest::DemoDir() + sub, QDir::Files);
    while (it.hasNext()) {
      const QString path = it.next();
      std::string bytes;
      ASSERT_TRUE(ReadWholeFile(path, bytes));
      dir.Write(QStringLiteral("%1/%2").arg(sub, QFileInfo(path).fileName()), bytes);
    }
  }
}

QJsonObject Json(const kwtest::CliRun& r) {
  return QJsonDocument::fromJson(r.out).object();
}

}  // namespace

TEST(InsightCli, CommandLinesAreReadOrRefused) {
  struct Case {
    QStringList args;
    const char* problem;  // empty: read
  };
  const Case cases[] = {
      {{"wind"}, "wind needs --estimate"},
      {{"wind", "--estimate"}, ""},
      {{"wind", "--estimate", "--write", "--json", "--race", "r.txt"}, ""},
      {{"wind", "--estimate", "--out", "w.csv"}, "unknown option --out"},
      {{"manoeuvres", "--json", "--out", "m.csv"}, ""},
      {{"manoeuvres", "--boat", "a.gpx"}, "unknown option --boat"},
      {{"polar", "--boat", "a.gpx", "--out", "p.PNG"}, ""},
      {{"polar", "--out", "p.txt"}, "--out of polar wants a .png or a .csv file"},
      {{"polar", "--json"}, "unknown option --json"},
      {{"summary", "--estimate"}, "unknown option --estimate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliCommandLine line = ReadCliArguments(QStringList{"keelway-cli"} + c.args);
    EXPECT_EQ(line.problem, QString::fromLatin1(c.problem));
    EXPECT_EQ(line.action, *c.problem ? CliCommandLine::Refused : CliCommandLine::Run);
  }
  const CliCommandLine wind =
      ReadCliArguments({"keelway-cli", "wind", "--estimate", "--write", "--json"});
  EXPECT_TRUE(wind.options.estimate && wind.options.write && wind.options.json);
  EXPECT_EQ(ReadCliArguments({"keelway-cli", "polar", "--boat", "a.gpx"}).options.boat, "a.gpx");
}

// Every demo race: an estimate where the boats tack and gybe, near the simulated wind; the
// reaching offshore race says it has too little to go on.
TEST(InsightCli, WindEstimateOfEveryDemoRace) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  for (const char* race : kwtest::kDemoRaces) {
    SCOPED_TRACE(race);
    const kwtest::CliRun r = kwtest::Cli({"wind", "--estimate", "--json", "--root",
                                          kwtest::DemoDir(), "--race", QString(race) + ".txt"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = Json(r);
    for (const char* key : {"enough", "why", "meanDirection", "series", "windFile"})
      EXPECT_TRUE(o.contains(key)) << key;
    const QJsonArray series = o["series"].toArray();
    if (QString(race) == "sagami-offshore") {
      EXPECT_FALSE(o["enough"].toBool());
      EXPECT_TRUE(o["meanDirection"].isNull());
      EXPECT_TRUE(series.isEmpty());
      EXPECT_FALSE(o["why"].toString().isEmpty());
      continue;
    }
    ASSERT_TRUE(o["enough"].toBool());
    const kwtest::WindTruth truth = kwtest::ReadWindTruth(race);
    double squares = 0;
    for (const QJsonValue& v : series) {
      const QJsonObject p = v.toObject();
      const double d = std::remainder(p["direction"].toDouble() - truth.At(p["t"].toDouble()), 360);
      squares += d * d;
      EXPECT_GT(p["confidence"].toDouble(), 0);
    }
    EXPECT_LT(std::sqrt(squares / series.size()), 5.0);
    EXPECT_EQ(o.contains("meanDifference"), QString(race) == "enoshima-r1");
  }
}

// --write keeps the estimate as the race's wind file and names it; the wind read back is the
// estimate to the degree; a second --write replaces it, keeping the first, and says so; a race
// the estimate cannot tell writes nothing and fails.
TEST(InsightCli, WriteKeepsTheEstimateAsTheRacesWindFile) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  kwtest::DataFolder dir;
  CopyDemo(dir);
  const std::string raceBefore = dir.Read("raceadmin/enoshima-coastal.txt");
  const QStringList coastal = {"wind",   "--estimate",          "--json", "--root", dir.path(),
                               "--race", "enoshima-coastal.txt"};
  kwtest::CliRun r = kwtest::Cli(coastal + QStringList{"--write"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("winddat/enoshima-coastal_wind.csv"));
  const QJsonArray series = Json(r)["series"].toArray();
  const std::string wind = dir.Read("winddat/enoshima-coastal_wind.csv");
  EXPECT_EQ(SplitLines(wind).size(), static_cast<size_t>(series.size()) + 1);
  EXPECT_NE(dir.Read("raceadmin/enoshima-coastal.txt").find("WF,enoshima-coastal_wind.csv"),
            std::string::npos);
  EXPECT_EQ(dir.Read("raceadmin/enoshima-coastal.txt.bak"), raceBefore);

  // Read back as the race's wind file: the estimate against it differs by its rounding only.
  r = kwtest::Cli(coastal);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(Json(r)["windFile"].toString(), "enoshima-coastal_wind.csv");
  EXPECT_LE(Json(r)["rmsDifference"].toDouble(), 0.5);

  r = kwtest::Cli(coastal + QStringList{"--write"});
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(r.err.contains("replaced")) << r.err.toStdString();
  EXPECT_EQ(dir.Read("winddat/enoshima-coastal_wind.csv.bak"), wind);

  const std::string offshore = dir.Read("raceadmin/sagami-offshore.txt");
  r = kwtest::Cli(
      {"wind", "--estimate", "--write", "--root", dir.path(), "--race", "sagami-offshore.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("too little to go on")) << r.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "winddat/sagami-offshore_wind.csv"));
  EXPECT_EQ(dir.Read("raceadmin/sagami-offshore.txt"), offshore);
}

// The JSON document and the CSV file tell the same manoeuvres.
TEST(InsightCli, ManoeuvresAsJsonAndAsCsv) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  kwtest::DataFolder dir;
  const QStringList args = {"manoeuvres", "--root", kwtest::DemoDir()};
  const kwtest::CliRun json = kwtest::Cli(args + QStringList{"--json"});
  ASSERT_EQ(json.status, 0) << json.err.toStdString();
  const QJsonObject o = Json(json);
  EXPECT_EQ(o["wind"].toObject()["source"].toString(), "windFile");
  const QJsonArray boats = o["boats"].toArray();
  ASSERT_EQ(boats.size(), 18);
  int total = 0;
  for (const QJsonValue& b : boats) {
    for (const QJsonValue& v : b.toObject()["manoeuvres"].toArray()) {
      const QJsonObject m = v.toObject();
      for (const char* key : {"t", "kind", "lat", "lon", "durationSeconds", "speedIn", "speedMin",
                              "speedOut", "lossMetres"})
        EXPECT_TRUE(m.contains(key)) << key;
      EXPECT_TRUE(
          QStringList({"tack", "gybe", "rounding", "penalty"}).contains(m["kind"].toString()));
      EXPECT_NEAR(m["lat"].toDouble(), 35.27, 0.05);
      ++total;
    }
  }
  EXPECT_GT(total, 300);
  EXPECT_EQ(boats[0].toObject()["legs"].toArray().size(), 4);

  const QString csv = dir.path() + "m.csv";
  const kwtest::CliRun written = kwtest::Cli(args + QStringList{"--out", csv});
  ASSERT_EQ(written.status, 0);
  const std::string text = dir.Read("m.csv");
  const auto lines = SplitLines(text);
  int rows = 0;
  size_t k = 0;
  while (k < lines.size() && !lines[k].starts_with("file,name,t,kind")) ++k;
  for (++k; k < lines.size() && !lines[k].empty(); ++k) ++rows;
  EXPECT_EQ(rows, total);
}

// The fleet's polar picture holds the boats' colours; one boat's table has its rows only; a boat
// that is not in the race is refused.
TEST(InsightCli, PolarPictureAndTable) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  kwtest::DataFolder dir;
  const QStringList args = {"polar", "--root", kwtest::DemoDir()};
  ASSERT_EQ(kwtest::Cli(args + QStringList{"--out", dir.path() + "p.png"}).status, 0);
  const QImage image(dir.path() + "p.png");
  ASSERT_FALSE(image.isNull());
  int coloured = 0;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2)
      coloured += QColor(image.pixel(x, y)).saturation() > 120;
  EXPECT_GT(coloured, 500);

  ASSERT_EQ(
      kwtest::Cli(args + QStringList{"--boat", "Y30-05.GPX", "--out", dir.path() + "p.csv"}).status,
      0);
  const std::string text = dir.Read("p.csv");
  const auto lines = SplitLines(text);
  int rows = 0;
  for (const auto& line : lines) {
    if (line.empty() || line.starts_with("wind,") || line.starts_with("name,")) continue;
    EXPECT_TRUE(line.starts_with("Mistral,y30-05.gpx,Yamaha 30S,")) << line;
    ++rows;
  }
  EXPECT_GE(rows, 2);  // every wind, and at least one band of the wind log
  EXPECT_EQ(kwtest::Cli(args + QStringList{"--boat", "nothere.gpx"}).status, 64);
}
