// The replay page in a real browser: Debian's chromium, headless, opens the page keelway-cli html
// writes for each demo race. The boats must stand where keelway-cli kml-snapshot puts them, show
// in their colours where keelway's own projection puts them with the view the chart reports, the
// ranking must be keelway-cli summary's, the address fragment and the mouse must do what they
// say, and nothing may reach the browser's console. Skipped when chromium is missing
// (scripts/setup.sh installs it). With KEELWAY_SCREENSHOTS naming a folder, the screenshots are
// kept there to be looked at.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <cmath>
#include <map>

#include "demo_truth.h"
#include "race/model.h"
#include "support/cli_run.h"
#include "support/headless_browser.h"
#include "support/test_support.h"
#include "view/geometry.h"
#include "view/view_state.h"

namespace {

using kwtest::Cli;
using kwtest::HeadlessBrowser;

struct LatLonDeg {
  double lat = 0, lon = 0;
};

double Metres(LatLonDeg a, LatLonDeg b) {
  const double rad = std::acos(-1.0) / 180;
  const double north = (a.lat - b.lat) * 60 * 1852;
  const double east = (a.lon - b.lon) * 60 * 1852 * std::cos(a.lat * rad);
  return std::hypot(north, east);
}

// Boat name -> position, of each boat placemark of a KML snapshot.
std::map<QString, LatLonDeg> KmlBoats(const QString& path) {
  std::map<QString, LatLonDeg> out;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return out;
  QXmlStreamReader xml(&f);
  QString name;
  bool inPoint = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == QLatin1String("name")) name = xml.readElementText();
    if (xml.name() == QLatin1String("Point")) inPoint = true;
    if (inPoint && xml.name() == QLatin1String("coordinates")) {
      const QStringList c = xml.readElementText().trimmed().split(',');
      out[name] = {c.value(1).toDouble(), c.value(0).toDouble()};
      inPoint = false;
    }
  }
  return out;
}

// The page of a demo race written by keelway-cli into `dir`, and the KML snapshot at 600 s.
struct Written {
  QString page, kml;
  bool ok = false;
};
Written WritePage(const QString& race, const QTemporaryDir& dir, const QStringList& more = {}) {
  const QString demo = kwtest::DemoDir();
  const QString stem = dir.path() + '/' + QFileInfo(race).completeBaseName();
  Written w{stem + ".html", stem + ".kml"};
  w.ok =
      Cli(QStringList{"html", "--root", demo, "--race", race, "--out", w.page} + more).status ==
          0 &&
      Cli({"kml-snapshot", "--at", "600", "--root", demo, "--race", race, "--out", w.kml}).status ==
          0;
  return w;
}

QString At(const QString& page, const QString& fragment) {
  return QUrl::fromLocalFile(page).toString() + fragment;
}

// What the page shows once it has drawn what came before: its boat rows, its ranking, its chart's
// view, its address and whether it is wider than its window.
QJsonObject Look(HeadlessBrowser& b) {
  return b
      .Evaluate(
          "new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done("
          "{rows: [...document.querySelectorAll('#boat-list .boat')].map((r) => ({...r.dataset,"
          " focused: r.classList.contains('focused'), colour: "
          "getComputedStyle(r).getPropertyValue('--boat').trim()})),"
          " ranking: [...document.querySelectorAll('#ranking li')].map((r) => ({...r.dataset})),"
          " chart: {...document.getElementById('chart').dataset}, hash: location.hash,"
          " overflow: document.scrollingElement.scrollWidth > innerWidth}))))")
      .toObject();
}

// keelway's projection with the view the chart reports.
struct ChartView {
  kw::RaceData race;
  kw::ViewState view;
  double left = 0, top = 0;
};
ChartView ViewOf(const QJsonObject& chart) {
  ChartView c;
  const QStringList box = chart["box"].toString().split(' ');
  const double turn = chart["turn"].toString().toDouble();
  c.race.NorthUp = turn == 0 ? 1 : 0;
  c.race.WindwardBearing = static_cast<int>(turn);
  c.view.ViewCentreLat = chart["centreLat"].toString().toDouble() * 60;
  c.view.ViewCentreLon = chart["centreLon"].toString().toDouble() * 60;
  c.view.ScaleLat = chart["scale"].toString().toDouble();
  c.view.ScaleLon = c.view.ScaleLat * chart["cosLat"].toString().toDouble();
  c.left = box.value(0).toDouble();
  c.top = box.value(1).toDouble();
  c.view.MapWidth = qRound(box.value(2).toDouble());
  c.view.MapHeight = qRound(box.value(3).toDouble());
  return c;
}

LatLonDeg UnderPointer(const ChartView& c, double x, double y) {
  const kw::LatLon p = kw::ToLatLon(c.race, c.view, x - c.left, y - c.top);
  return {p.lat / 60, p.lon / 60};
}

void Keep(const QByteArray& png, const QString& name) {
  const QString folder = qEnvironmentVariable("KEELWAY_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  QFile f(folder + '/' + name);
  if (f.open(QIODevice::WriteOnly)) f.write(png);
}

#define NEED_BROWSER_AND_DEMO()                                        \
  if (HeadlessBrowser::Executable().isEmpty())                         \
    GTEST_SKIP() << "no chromium (bash scripts/setup.sh installs it)"; \
  if (!QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo"

}  // namespace

TEST(HtmlBrowser, EveryBoatStandsWhereTheKmlSnapshotPutsIt) {
  NEED_BROWSER_AND_DEMO();
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  browser.SetViewport(1280, 800);
  for (const QString& race : kwtest::kDemoRaceFiles) {
    SCOPED_TRACE(race.toStdString());
    QTemporaryDir dir;
    const Written w = WritePage(race, dir);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(browser.Open(At(w.page, "#t=600")), "");
    const std::map<QString, LatLonDeg> kml = KmlBoats(w.kml);
    ASSERT_FALSE(kml.empty());
    const QJsonArray rows = Look(browser)["rows"].toArray();
    ASSERT_FALSE(rows.isEmpty());
    size_t shown = 0;
    for (const QJsonValue& value : rows) {
      const QJsonObject row = value.toObject();
      const QString name = row["name"].toString();
      EXPECT_FALSE(row["file"].toString().isEmpty()) << name.toStdString();
      // A boat the snapshot leaves out is not on the water at 600 s: no position on the page.
      const auto truth = kml.find(name);
      if (truth == kml.end()) {
        EXPECT_EQ(row["lat"].toString(), "") << name.toStdString();
        continue;
      }
      ++shown;
      const LatLonDeg page{row["lat"].toString().toDouble(), row["lon"].toString().toDouble()};
      EXPECT_LT(Metres(page, truth->second), 5.0) << name.toStdString();
    }
    EXPECT_EQ(shown, kml.size());
  }
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}

// In screenshots at 600 s, on a desktop and on a phone, each boat's colour lies where keelway's
// projection puts the boat with the view the chart reports.
TEST(HtmlBrowser, ScreenshotsShowEachBoatInItsColourWhereItStands) {
  NEED_BROWSER_AND_DEMO();
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  const struct {
    const char* name;
    int width, height;
    double ratio;
    bool phone;
  } screens[] = {{"desktop", 1280, 800, 1, false}, {"phone", 390, 844, 2, true}};
  for (const QString& race :
       {QStringLiteral("enoshima-r1.txt"), QStringLiteral("enoshima-coastal.txt")}) {
    QTemporaryDir dir;
    const Written w = WritePage(race, dir);
    ASSERT_TRUE(w.ok);
    for (const auto& screen : screens) {
      SCOPED_TRACE(race.toStdString() + " on a " + screen.name);
      browser.SetViewport(screen.width, screen.height, screen.ratio, screen.phone);
      EXPECT_EQ(browser.Open(At(w.page, "#t=600")), "");
      const QJsonObject look = Look(browser);
      const QByteArray png = browser.Screenshot();
      Keep(png, QFileInfo(race).completeBaseName() + '-' + screen.name + ".png");
      const QImage image = QImage::fromData(png);
      ASSERT_EQ(image.width(), qRound(screen.width * screen.ratio));
      EXPECT_FALSE(look["overflow"].toBool()) << "the page is wider than the screen";
      const ChartView chart = ViewOf(look["chart"].toObject());
      EXPECT_GE(chart.view.MapWidth, screen.width * 3 / 4);
      int seen = 0;
      for (const QJsonValue& value : look["rows"].toArray()) {
        const QJsonObject row = value.toObject();
        if (row["lat"].toString().isEmpty()) continue;
        const QColor colour(row["colour"].toString());
        const kw::Point2 at =
            kw::ToScreen(chart.race, chart.view, row["lat"].toString().toDouble() * 60,
                         row["lon"].toString().toDouble() * 60);
        const int x0 = qRound((chart.left + at.x) * screen.ratio);
        const int y0 = qRound((chart.top + at.y) * screen.ratio);
        // A hull is at least 18 CSS pixels long: its colour lies within a few of its place.
        const int reach = qRound(5 * screen.ratio);
        bool found = false;
        for (int y = y0 - reach; y <= y0 + reach && !found; ++y)
          for (int x = x0 - reach; x <= x0 + reach && !found; ++x) {
            if (!image.rect().contains(x, y)) continue;
            const QColor c = image.pixelColor(x, y);
            found = std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                        std::abs(c.blue() - colour.blue()) <=
                    30;
          }
        EXPECT_TRUE(found) << row["name"].toString().toStdString() << " not near (" << x0 << ", "
                           << y0 << ")";
        seen += found ? 1 : 0;
      }
      EXPECT_GE(seen, 5);
    }
  }
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}

TEST(HtmlBrowser, TheBoatFragmentFocusesTheBoatAndTheChartFollowsIt) {
  NEED_BROWSER_AND_DEMO();
  QTemporaryDir dir;
  const Written w = WritePage("enoshima-r1.txt", dir);
  ASSERT_TRUE(w.ok);
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  browser.SetViewport(1280, 800);
  const struct {
    QString fragment, focused;  // focused: the file of the boat in focus, empty for none
  } cases[] = {
      {"#t=600&boat=j24-03.dtr", "j24-03.dtr"},
      {"#boat=y30-05.gpx&t=600", "y30-05.gpx"},
      {"#t=600&boat=J24-03.DTR", "j24-03.dtr"},  // files from Windows machines: any case
      {"#t=600&boat=no-such.gpx", ""},
      {"#t=600&boat=%6a24-01.gpx", "j24-01.gpx"},  // escaped as an address may be
      {"#t=600", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fragment.toStdString());
    EXPECT_EQ(browser.Open(At(w.page, c.fragment)), "");
    const QJsonObject look = Look(browser);
    const QJsonObject chart = look["chart"].toObject();
    EXPECT_EQ(chart["focus"].toString(), c.focused);
    int focusedRows = 0;
    for (const QJsonValue& value : look["rows"].toArray()) {
      const QJsonObject row = value.toObject();
      const bool focused = row["focused"].toBool();
      focusedRows += focused ? 1 : 0;
      EXPECT_EQ(focused, row["file"].toString() == c.focused)
          << row["file"].toString().toStdString();
      if (!focused) continue;
      // The chart is centred on the boat in focus.
      const LatLonDeg boat{row["lat"].toString().toDouble(), row["lon"].toString().toDouble()};
      const LatLonDeg centre{chart["centreLat"].toString().toDouble(),
                             chart["centreLon"].toString().toDouble()};
      EXPECT_LT(Metres(boat, centre), 1.0);
    }
    EXPECT_EQ(focusedRows, c.focused.isEmpty() ? 0 : 1);
  }
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}

// The wheel zooms about the pointer, a drag moves the chart with the pointer, a click on a boat
// focuses it and the address then names the moment and the boat.
TEST(HtmlBrowser, TheMouseZoomsPansAndPicksABoat) {
  NEED_BROWSER_AND_DEMO();
  QTemporaryDir dir;
  const Written w = WritePage("enoshima-r1.txt", dir);
  ASSERT_TRUE(w.ok);
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  browser.SetViewport(1280, 800);
  ASSERT_EQ(browser.Open(At(w.page, "#t=600")), "");

  const double x = 300, y = 200;
  ChartView before = ViewOf(Look(browser)["chart"].toObject());
  browser.Mouse("mouseWheel", x, y, -300);
  ChartView after = ViewOf(Look(browser)["chart"].toObject());
  EXPECT_GT(after.view.ScaleLat, before.view.ScaleLat * 1.3);
  EXPECT_LT(Metres(UnderPointer(before, x, y), UnderPointer(after, x, y)), 0.5);

  before = after;
  browser.Mouse("mousePressed", x, y);
  browser.Mouse("mouseMoved", x + 60, y + 20);
  browser.Mouse("mouseMoved", x + 120, y + 40);
  browser.Mouse("mouseReleased", x + 120, y + 40);
  after = ViewOf(Look(browser)["chart"].toObject());
  EXPECT_DOUBLE_EQ(after.view.ScaleLat, before.view.ScaleLat);
  EXPECT_LT(Metres(UnderPointer(before, x, y), UnderPointer(after, x + 120, y + 40)), 0.5);
  EXPECT_GT(Metres(UnderPointer(before, x, y), UnderPointer(after, x, y)), 10);

  // A click on the first boat shown.
  QJsonObject look = Look(browser);
  const ChartView chart = ViewOf(look["chart"].toObject());
  QString file;
  for (const QJsonValue& value : look["rows"].toArray()) {
    const QJsonObject row = value.toObject();
    if (row["lat"].toString().isEmpty()) continue;
    const kw::Point2 p = kw::ToScreen(chart.race, chart.view, row["lat"].toString().toDouble() * 60,
                                      row["lon"].toString().toDouble() * 60);
    if (p.x < 20 || p.y < 20 || p.x > chart.view.MapWidth - 20 || p.y > chart.view.MapHeight - 20)
      continue;
    file = row["file"].toString();
    browser.Mouse("mousePressed", chart.left + p.x, chart.top + p.y);
    browser.Mouse("mouseReleased", chart.left + p.x, chart.top + p.y);
    break;
  }
  ASSERT_FALSE(file.isEmpty()) << "no boat on the chart";
  look = Look(browser);
  EXPECT_EQ(look["chart"].toObject()["focus"].toString(), file);
  EXPECT_EQ(look["hash"].toString(), "#t=600&boat=" + file);
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}

// On a phone two fingers spreading apart zoom about the point between them; the orientation button
// turns the chart north up and back.
TEST(HtmlBrowser, TwoFingersZoomAndTheChartTurns) {
  NEED_BROWSER_AND_DEMO();
  QTemporaryDir dir;
  const Written w = WritePage("enoshima-coastal.txt", dir);
  ASSERT_TRUE(w.ok);
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  browser.SetViewport(390, 844, 2, true);
  browser.Call("Emulation.setTouchEmulationEnabled", {{"enabled", true}, {"maxTouchPoints", 2}});
  ASSERT_EQ(browser.Open(At(w.page, "#t=1200")), "");
  const ChartView before = ViewOf(Look(browser)["chart"].toObject());
  const double cx = 195, cy = 250;
  browser.Touch("touchStart", {{cx - 40, cy}, {cx + 40, cy}});
  for (int step = 1; step <= 4; ++step)
    browser.Touch("touchMove", {{cx - 40 - 10 * step, cy}, {cx + 40 + 10 * step, cy}});
  browser.Touch("touchEnd", {});
  const ChartView after = ViewOf(Look(browser)["chart"].toObject());
  // The fingers went from 80 to 160 pixels apart.
  EXPECT_NEAR(after.view.ScaleLat / before.view.ScaleLat, 2.0, 0.05);
  EXPECT_LT(Metres(UnderPointer(before, cx, cy), UnderPointer(after, cx, cy)), 1.0);

  // The race opens wind up; the button turns it north up, and back.
  ASSERT_NE(before.race.WindwardBearing, 0);
  for (const int turn : {0, before.race.WindwardBearing}) {
    browser.Evaluate("document.getElementById('orientation').click()");
    EXPECT_EQ(Look(browser)["chart"].toObject()["turn"].toString().toInt(), turn);
  }
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}

// The ranking grows as the clock passes the finishes, as keelway-cli summary ranks the boats, in
// elapsed or corrected time as asked.
TEST(HtmlBrowser, TheRankingIsKeelwaysInEitherMode) {
  NEED_BROWSER_AND_DEMO();
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  browser.SetViewport(1280, 800);
  for (const QString mode : {"et", "ct"}) {
    SCOPED_TRACE(mode.toStdString());
    QTemporaryDir dir;
    const Written w = WritePage("enoshima-r1.txt", dir, {"--mode", mode});
    ASSERT_TRUE(w.ok);
    const kwtest::CliRun summary = Cli({"summary", "--root", kwtest::DemoDir(), "--race",
                                        "enoshima-r1.txt", "--json", "--mode", mode});
    const QJsonArray truth =
        QJsonDocument::fromJson(summary.out).object()["rankings"].toObject()["list"].toArray();
    ASSERT_FALSE(truth.isEmpty());

    ASSERT_EQ(browser.Open(At(w.page, "#t=600")), "");
    EXPECT_TRUE(Look(browser)["ranking"].toArray().isEmpty()) << "a finish before the first";
    ASSERT_EQ(browser.Open(At(w.page, "#t=999999")), "");  // the end of the replay
    const QJsonArray shown = Look(browser)["ranking"].toArray();
    ASSERT_EQ(shown.size(), truth.size());
    for (qsizetype i = 0; i < truth.size(); ++i) {
      const QJsonObject page = shown[i].toObject(), want = truth[i].toObject();
      EXPECT_EQ(page["file"].toString(), want["file"].toString()) << i;
      EXPECT_EQ(page["rank"].toString().toInt(), want["rank"].toInt()) << i;
      EXPECT_EQ(page["gap"].toString().toInt(), want["gap"].toInt()) << i;
    }
  }
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}

// The captions follow the browser's preferred language: Japanese for a Japanese browser, else
// English. (The pictures of the README and the user guide are the screenshots kept here.)
TEST(HtmlBrowser, CaptionsFollowTheBrowsersLanguage) {
  NEED_BROWSER_AND_DEMO();
  QTemporaryDir dir;
  const Written w = WritePage("enoshima-r1.txt", dir);
  ASSERT_TRUE(w.ok);
  HeadlessBrowser browser;
  ASSERT_TRUE(browser.ok());
  browser.SetViewport(1280, 760);
  const struct {
    QString languages, lang, play, boats;
  } cases[] = {{"ja-JP,ja", "ja", "再生", "艇"},
               {"ja", "ja", "再生", "艇"},
               {"en-GB,en", "en", "Play", "Boats"},
               {"fr-FR,ja", "en", "Play", "Boats"}};  // the first choice decides
  for (const auto& c : cases) {
    SCOPED_TRACE(c.languages.toStdString());
    browser.SetLanguages(c.languages);
    // The first boats have finished.
    ASSERT_EQ(browser.Open(At(w.page, "#t=3420")), "");
    const QJsonObject shown =
        browser
            .Evaluate(
                "({lang: document.documentElement.lang, play: "
                "document.getElementById('play').getAttribute('aria-label'), boats: "
                "document.querySelector('[data-caption=boats]').textContent})")
            .toObject();
    EXPECT_EQ(shown["lang"].toString(), c.lang);
    EXPECT_EQ(shown["play"].toString(), c.play);
    EXPECT_EQ(shown["boats"].toString(), c.boats);
    if (!qEnvironmentVariableIsEmpty("KEELWAY_SCREENSHOTS") && c.languages.contains('-'))
      Keep(browser.Screenshot(), "enoshima-r1-" + c.lang + ".png");
  }
  EXPECT_TRUE(browser.console().isEmpty()) << browser.console().join('\n').toStdString();
}
