// The replay page as a file: one file with nothing from outside, the race's facts in it, race
// texts kept inside their elements; and keelway-cli html. The page in a real browser:
// html_browser_test.cpp; its thinned tracks: html_tracks_test.cpp.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "cli/options.h"
#include "demo_truth.h"
#include "output/html_page.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/cli_run.h"
#include "support/test_support.h"

using namespace kw;

namespace {

// The JSON of the page's facts element.
QJsonObject Facts(const std::string& page) {
  const std::string open = "<script type=\"application/json\" id=\"race-facts\">";
  const size_t from = page.find(open) + open.size();
  const size_t to = page.find("</script>", from);
  const QByteArray json = QByteArray::fromStdString(page.substr(from, to - from));
  return QJsonDocument::fromJson(json).object();
}

long Occurrences(const std::string& text, const std::string& what) {
  long n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(HtmlPage, EachDemoRaceIsOneFileWithNothingFromOutside) {
  for (const QString& race : kwtest::kDemoRaceFiles) {
    RaceSession s;
    if (!kwtest::LoadDemoFile(s, race)) GTEST_SKIP() << "no demo";
    const std::string page = HtmlPageDocument(s.race, s.view, s.passing);
    const std::string name = race.toStdString();
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u) << name;
    // Nothing the browser would fetch: no address, no linked file, no imported style.
    for (const char* outside : {"http:", "https:", "ftp:", "<link", " src=", "url(", "@import",
                                "<iframe", "<img", "fetch(", "XMLHttpRequest", "{{"})
      EXPECT_EQ(page.find(outside), std::string::npos) << name << " holds " << outside;
    // The facts, the positions and the script: three script elements, closed once each.
    EXPECT_EQ(Occurrences(page, "<script"), 3) << name;
    EXPECT_EQ(Occurrences(page, "</script>"), 3) << name;
    const QJsonObject facts = Facts(page);
    EXPECT_EQ(facts["boats"].toArray().size(), s.race.BoatCount) << name;
    EXPECT_EQ(facts["marks"].toArray().size(), s.race.MarkCount) << name;
    EXPECT_EQ(facts["lines"].toArray().size(), s.race.LineCount) << name;
    EXPECT_EQ(facts["caption"].toString(), s.race.RaceCaption) << name;
    // Every finisher ranked, as the window's list ranks them.
    int finishers = 0;
    for (const QJsonValue& boat : facts["boats"].toArray())
      finishers += boat.toObject()["finish"].isDouble() ? 1 : 0;
    EXPECT_EQ(facts["ranking"].toArray().size(), finishers) << name;
    if (race == "enoshima-r1.txt") {
      EXPECT_LT(page.size(), 2u * 1000 * 1000);
      EXPECT_EQ(finishers, 18);
    }
  }
}

TEST(HtmlPage, RaceTextsStayInsideTheirElements) {
  kwtest::DataFolder dir;
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("gpsdat/b.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.301, 139.481));
  const std::string evil = "</script><script>alert(1)</script><!--";
  dir.Write("raceadmin/evil.txt",
            "T1,<b>Cup</b> & \"friends\"\nST,2007/05/12 10:00:00\n"
            "FT,2007/05/12 10:30:00\nTD,9\nBN,a.gpx," +
                evil + "\nBN,b.gpx,Bee\n");
  RaceSession s;
  s.race.ProgramFolder = dir.path();
  BuildRaceList(s.race);
  s.race.RaceFilePath = dir.path() + "raceadmin/evil.txt";
  LoadHooks hooks;
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  const std::string page = HtmlPageDocument(s.race, s.view, s.passing);
  EXPECT_EQ(Occurrences(page, "</script>"), 3);
  EXPECT_EQ(Occurrences(page, "<!--"), 0);
  EXPECT_NE(page.find("<title>&lt;b&gt;Cup&lt;/b&gt; &amp; &quot;friends&quot;</title>"),
            std::string::npos);
  // The texts come back whole from the facts.
  const QJsonObject facts = Facts(page);
  EXPECT_EQ(facts["boats"].toArray()[0].toObject()["name"].toString().toStdString(), evil);
  EXPECT_EQ(facts["caption"].toString(), "<b>Cup</b> & \"friends\"");
}

TEST(HtmlCli, TakesTheDataTheRaceTheOutputAndTheMode) {
  auto read = [](const QStringList& args) {
    return ReadCliArguments(QStringList{"keelway-cli", "html"} + args);
  };
  const CliCommandLine line =
      read({"--root", "d", "--race", "r.txt", "--out", "p.html", "--mode", "ct"});
  ASSERT_EQ(line.action, CliCommandLine::Run);
  EXPECT_EQ(line.options.command, "html");
  EXPECT_EQ(line.options.out, "p.html");
  EXPECT_EQ(line.options.mode, "ct");
  for (const QStringList& args : {QStringList{"--at", "5"},
                                  {"--json"},
                                  {"--still"},
                                  {"--size", "400x300"},
                                  {"--page", "graph"}})
    EXPECT_EQ(read(args).problem, "unknown option " + args.first()) << args.join(' ').toStdString();
  EXPECT_TRUE(QString(CliUsageText()).contains("keelway-cli html"));
}

// keelway-cli html writes <race>.html into the documents folder unless --out says where, says
// where it wrote, and fails with status 1 leaving nothing behind when it cannot write.
TEST(HtmlCli, WritesThePageOrSaysWhyNot) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  QTemporaryDir home;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home.path());
  env.insert("XDG_CONFIG_HOME", home.path() + "/.config");  // no user-dirs.dirs: ~/Documents
  p.setProcessEnvironment(env);
  p.start(KEELWAY_CLI, {"html", "--root", demo, "--race", "sagami-offshore.txt"});
  ASSERT_TRUE(p.waitForFinished(120000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QString written = home.path() + "/Documents/sagami-offshore.html";
  EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains(written));
  QFile page(written);
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().startsWith("<!DOCTYPE html>"));

  const QString nowhere = home.path() + "/no/such/folder/r1.html";
  const kwtest::CliRun failed = kwtest::Cli({"html", "--root", demo, "--out", nowhere});
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(failed.err.contains("r1.html")) << failed.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(nowhere));
}
