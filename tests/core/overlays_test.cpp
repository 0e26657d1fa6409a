// The chart of the map: grid spacing, zone circles, the wind at a clock time, and pictures
// where something was projected (marks, coastline, lights, the compass card, the overview and
// the still map).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

#include "analysis/boat_state.h"
#include "analysis/frame_state.h"
#include "analysis/playback.h"
#include "analysis/wind_now.h"
#include "race/coastline.h"
#include "race/model.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"
#include "view/chart_overlays.h"
#include "view/geometry.h"
#include "view/overview_map.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/renderer.h"
#include "view/still_map.h"
#include "view/wind_overlays.h"

using namespace kw;

namespace {

const QColor kYellow(255, 255, 0);

// A one-boat race on a 400 x 300 map at 1000 pixels per minute, centred on (2100', 8400').
struct Chart {
  RaceSession s;
  RenderState rs;
  QImage map{400, 300, QImage::Format_RGB32};

  Chart() {
    kwtest::EnsureGuiApp();
    RaceData& r = s.race;
    r.BoatCount = 1;
    r.NorthUp = 1;
    SetBoatTableCapacity(r);
    SetBoatShape(r);
    SetTrackCapacity(r, 1, 41);
    r.BoatSampleCount[1] = 40;
    for (int i = 1; i <= 40; ++i) {
      r.TrackTime[1][i] = 10.0 * (i - 1) - 100;
      r.TrackLat[1][i] = 2100 + 0.001 * i;
      r.TrackLon[1][i] = 8400;
      r.TrackSpeed[1][i] = 5;
      r.TrackCourse[1][i] = 200;
    }
    r.BoatShown[1] = 1;
    r.BoatLength[1] = 10;
    r.BoatSampleInterval[1] = 10;
    r.BoatColor[1] = Rgb{250, 10, 10};
    r.ClockFirst = -100, r.ClockLast = 290;
    ViewState& v = s.view;
    v.MapWidth = 400, v.MapHeight = 300;
    v.TraceMode = 0;
    v.BaseScaleLat = v.BaseScaleLon = 1000;
    v.UserCentreLat = 2100, v.UserCentreLon = 8400;
    v.OverviewScaleLat = v.OverviewScaleLon = 100;
    v.RaceCentreLat = 2100, v.RaceCentreLon = 8400;
    rs.AutoTrace = false;
    rs.SeaColor = Rgb{0, 0, 128};
  }
  void Draw(double t) {
    map.fill(QColor(0, 0, 128));
    s.play.RaceClock = t;
    DrawScene(s, rs, map, t);
  }
  QColor At(int x, int y) const { return map.pixelColor(x, y); }
};

}  // namespace

TEST(ChartGrid, SpacingAndZoneRadius) {
  // q tenths of a kilometre in the window height: V = round(q / 4) / 10, then the steps.
  const struct {
    int q;
    double km;
  } cases[] = {{0, 0.05}, {3, 0.1}, {8, 0.2},  {28, 0.5}, {60, 1},
               {100, 2},  {240, 5}, {480, 10}, {1080, 20}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(GridSpacingKm(c.q, 10), c.km) << "q " << c.q;
  EXPECT_DOUBLE_EQ(GridSpacingKm(500, 0), 0.05);  // no scale yet: the finest grid, no division
  EXPECT_EQ(ZoneRadius(4.7, 1000), 10);           // round(5.08) is raised to 10
  EXPECT_EQ(ZoneRadius(10, 10000), 108);
}

TEST(ChartWind, RecordsInterpolateTheShortWayAndSmooth) {
  RaceData r;
  r.WindCount = 3;
  r.WindTime = {0, 0, 100, 200};
  r.WindDir = {0, 350, 10, 350};
  r.WindSpeed = {0, 4.0, 4.52, 8};
  r.MagneticVariation = -7.4;
  const struct {
    double t;
    int dir;
    double speed;
    int trend;
  } cases[] = {
      {-50, 350, 4.0, 0},  // before the first record: the first record
      {50, 360, 4.3, 1},   // half way from 350 to 10 through north; 4.26 shows as 4.3
      {150, 0, 6.3, -1},   // and back, backing (6.26 shows as 6.3)
      {250, 350, 8, 0},    // after the last: the last record
  };
  for (const auto& c : cases) {
    WindState w;
    WindAt(r, c.t, w);
    EXPECT_EQ(w.WindDirNow, c.dir) << c.t;
    EXPECT_DOUBLE_EQ(w.WindSpeedNow, c.speed) << c.t;
    EXPECT_EQ(w.WindTrend, c.trend) << c.t;
    EXPECT_EQ(w.TrueWindNow, (c.dir - 7 + 360) % 360) << c.t;
    // The first frame starts the smoothing at the current values.
    EXPECT_DOUBLE_EQ(w.SmoothWindDir, c.dir) << c.t;
  }
  WindState w;
  WindAt(r, 250, w);
  r.WindDir[3] = 330;
  WindAt(r, 250, w);
  EXPECT_DOUBLE_EQ(w.SmoothWindDir, 0.95 * 350 + 0.05 * 330);

  // Without records: the race file's direction and 5 knots.
  RaceData none;
  none.WindDirection = 200;
  WindState n;
  WindAt(none, 10, n);
  EXPECT_EQ(n.WindDirNow, 200);
  EXPECT_EQ(n.TrueWindNow, 200);
  EXPECT_DOUBLE_EQ(n.WindSpeedNow, 5.0);
}

// The frame takes the wind at its time: a boat sailing 200 in a wind from 200 is head to wind
// and counts as upwind.
TEST(ChartWind, TheFrameSailsInTheRaceFilesWind) {
  Chart c;
  c.s.race.WindDirection = 200;
  c.Draw(5);
  EXPECT_EQ(c.rs.Wind.TrueWindNow, 200);
  ASSERT_TRUE(c.s.frame.BoatPresent[1]);
  EXPECT_DOUBLE_EQ(c.s.frame.BoatWindAngleNow[1], 0);
  const MeanSpeeds m = ComputeMeanSpeeds(c.s.race, c.s.frame);
  EXPECT_DOUBLE_EQ(m.up, 5);
  EXPECT_DOUBLE_EQ(m.down, 10000);
}

TEST(ChartCourse, MarksLinesCoastAndLightsWhereTheyProject) {
  Chart c;
  RaceData& r = c.s.race;
  c.s.view.TraceMode = 1;
  c.rs.AutoTrace = true;
  r.MarkCount = 1;
  r.MarkLat[1] = 2100, r.MarkLon[1] = 8400;  // the view centre follows the boat
  r.CoastCount = 0;
  for (auto [lat, lon] : {std::pair{2100.0 + 20000, 8399.99}, std::pair{2100.15, 8399.99}})
    AddCoastPoint(r, lat, lon);
  c.Draw(5);
  const ViewState& v = c.s.view;
  const QPoint mark =
      QPoint(std::lround(ToScreen(r, v, 2100, 8400).x), std::lround(ToScreen(r, v, 2100, 8400).y));
  EXPECT_EQ(c.At(mark.x(), mark.y()), kYellow);  // the small yellow disc
  const Point2 coast = ToScreen(r, v, 2100.01, 8399.99);
  EXPECT_EQ(c.At(std::lround(coast.x), std::lround(coast.y)), QColor(Qt::white));
  // The same mark on the still map's background.
  c.s.view.TraceMode = 0;
  EnterStillMap(c.s.view);
  c.s.view.RaceLatMax = c.s.view.RaceLatMin = 2100;
  c.s.view.UserCentreLat = 2100, c.s.view.UserCentreLon = 8400;
  QImage background;
  EXPECT_EQ(BuildStillMap(r, c.s.view, c.s.play, c.rs, background), 0);
  EXPECT_EQ(background.pixelColor(200, 150), kYellow);
  // A line with its second end not placed yet beeps once and shows its first end only.
  r.LineCount = 1;
  r.LineLatA[1] = 2100.05, r.LineLonA[1] = 8400;
  EXPECT_EQ(BuildStillMap(r, c.s.view, c.s.play, c.rs, background), 1);
  EXPECT_EQ(background.pixelColor(200, 100), kYellow);
}

TEST(ChartCourse, LightsShowAtNightWithARing) {
  Chart c;
  RaceData& r = c.s.race;
  r.LightCount = 1;
  r.LightLat = {0, 2100.01}, r.LightLon = {0, 8400.1};
  r.LightSize = {0, 1}, r.LightName = {"", "Light"}, r.LightColors = {"", "R"};
  c.s.view.ViewCentreLat = 2100, c.s.view.ViewCentreLon = 8400;
  c.s.view.ScaleLat = c.s.view.ScaleLon = 1000;
  c.s.view.ViewTopLat = 2100.15, c.s.view.ViewBottomLat = 2099.85;
  c.s.view.ViewLeftLon = 8399.8, c.s.view.ViewRightLon = 8400.2;
  c.s.play.LightState = {0, 1};
  c.s.play.LightPen = {0, 0xFF0000};
  c.s.play.LightPhaseSeconds = 0.02;  // ring radius round(0.5 * 1000 * 0.02) = 10
  c.s.play.Night = 1;
  c.map.fill(QColor(0, 0, 128));
  QPainter p(&c.map);
  DrawLights(p, r, c.s.view, c.s.play, c.rs);
  p.end();
  const Point2 q = ToScreen(r, c.s.view, 2100.01, 8400.1);
  const int x = std::lround(q.x), y = std::lround(q.y);
  EXPECT_EQ(c.At(x, y), kYellow);                 // the light's dot
  EXPECT_EQ(c.At(x + 10, y), QColor(255, 0, 0));  // its ring in the light's colour

  // A later ring that holds the whole map leaves bare sea and its own dot only.
  r.LightCount = 2;
  r.LightLat.push_back(2100), r.LightLon.push_back(8400);
  r.LightSize.push_back(100), r.LightName.push_back("Big"), r.LightColors.push_back("W");
  c.s.play.LightState = {0, 1, 1};
  c.s.play.LightPen = {0, 0xFF0000, 0xFFFFFF};
  c.map.fill(QColor(0, 0, 128));
  QPainter again(&c.map);
  DrawLights(again, r, c.s.view, c.s.play, c.rs);
  again.end();
  EXPECT_EQ(c.At(x, y), QColor(0, 0, 128));
  EXPECT_EQ(c.At(x + 10, y), QColor(0, 0, 128));
  EXPECT_EQ(c.At(200, 150), kYellow);
  EXPECT_EQ(c.At(0, 0), QColor(0, 0, 128));
}

// A light's name from a Japanese light list (Shift_JIS bytes) is drawn as the same characters
// as when the list is in UTF-8.
TEST(ChartCourse, LightNamesInShiftJisReadAsInUtf8) {
  const std::string shiftJis = "\x93\x94\x91\xe4", utf8 = "\xe7\x81\xaf\xe5\x8f\xb0";  // 灯台
  QImage pictures[2];
  for (int i = 0; i < 2; ++i) {
    Chart c;
    RaceData& r = c.s.race;
    r.LightCount = 1;
    r.LightLat = {0, 2100.01}, r.LightLon = {0, 8400.1};
    r.LightSize = {0, 1}, r.LightName = {"", i == 0 ? shiftJis : utf8}, r.LightColors = {"", "R"};
    c.s.view.ScaleLat = c.s.view.ScaleLon = 1000;
    c.s.view.ViewCentreLat = 2100, c.s.view.ViewCentreLon = 8400;
    c.rs.LabelLevel = 2;  // names shown
    c.map.fill(QColor(0, 0, 128));
    QPainter p(&c.map);
    SetFontPoints(p, 9);
    DrawLights(p, r, c.s.view, c.s.play, c.rs);
    p.end();
    pictures[i] = c.map;
  }
  EXPECT_EQ(pictures[0], pictures[1]);
}

// The clock's digital time is written on the face's colour, so that it reads on a night sea,
// and ends five pixels inside the map whatever its length.
TEST(ChartClock, DigitalTimeOnTheFaceColourInsideTheMap) {
  kwtest::EnsureGuiApp();
  const struct {
    double brightness, timeOfDay;
  } cases[] = {{0, 23 * 3600 + 59 * 60 + 58}, {100, 9 * 3600 + 5 * 60}, {30, 20 * 3600}};
  for (const auto& k : cases) {
    ViewState v;
    v.MapWidth = 400, v.MapHeight = 300;
    RenderState rs;
    rs.SeaBrightness = k.brightness;
    QImage map(400, 300, QImage::Format_RGB32);
    map.fill(QColor(0, 0, 64));  // a night sea
    QPainter p(&map);
    DrawClock(p, v, rs, k.timeOfDay);
    p.end();
    const QColor face = map.pixelColor(400 - 40, 300 - 65 + 20);  // inside the face, below
    int inkRight = -1, faceCount = 0;
    for (int y = 300 - 115; y < 300 - 115 + 14; ++y) {
      for (int x = 250; x < 400; ++x) {
        const QColor c = map.pixelColor(x, y);
        if (c != QColor(0, 0, 64) && qGray(c.rgb()) < 60) inkRight = std::max(inkRight, x);
        faceCount += c == face;
      }
    }
    SCOPED_TRACE(k.timeOfDay);
    EXPECT_GE(inkRight, 400 - 12);  // the last digit is there ...
    EXPECT_LT(inkRight, 400 - 5);   // ... and whole
    EXPECT_GT(faceCount, 100);      // on the face's colour
  }
}

TEST(ChartCompass, CardTurnsAndOverviewShowsTheTracks) {
  kwtest::EnsureGuiApp();
  QImage source(100, 100, QImage::Format_RGB32);
  source.fill(Qt::black);
  source.setPixel(50, 10, qRgb(255, 0, 0));  // north on the card
  // Turned 90 degrees clockwise, north points east.
  const QImage card = RotateCompass(source, 90);
  EXPECT_EQ(card.size(), QSize(100, 120));
  EXPECT_EQ(card.pixelColor(90, 50), QColor(255, 0, 0));
  EXPECT_EQ(RotateCompass(source, 0).pixelColor(50, 10), QColor(255, 0, 0));
  RaceData r;
  r.MagneticVariation = -7, r.WindwardBearing = 193;
  r.NorthUp = 1;
  EXPECT_DOUBLE_EQ(CompassAngle(r), -7);
  r.NorthUp = 0;
  EXPECT_DOUBLE_EQ(CompassAngle(r), -200);

  Chart c;
  c.s.view.OverviewWidth = c.s.view.OverviewHeight = 170;
  const QImage overview = DrawOverviewImage(c.s.race, c.s.view);
  const Point2 o = ToOverview(c.s.race, c.s.view, 2100.02, 8400);
  EXPECT_EQ(overview.pixelColor(std::lround(o.x), std::lround(o.y)), QColor(250, 10, 10));
  // At zoom 1 on a square map the view rectangle covers the race at overview scale.
  c.s.view.MapWidth = c.s.view.MapHeight = 170;
  c.s.view.ViewCentreLat = 2100, c.s.view.ViewCentreLon = 8400;
  c.s.view.ScaleLon = 100;
  EXPECT_EQ(ViewRectangle(c.s.race, c.s.view), QRect(3, 3, 170, 170));
}

TEST(ChartStillMap, RepeatSpanCutsTheTracks) {
  Chart c;
  PlaybackState& p = c.s.play;
  EXPECT_EQ(StillTrackRange(c.s.race, p, 1), std::make_pair(1, 40));
  p.RepeatActive = 1;
  p.RepeatFrom = 5, p.RepeatTo = 45;  // samples at ..., 0, 10, ..., 40, 50: one either side
  EXPECT_EQ(StillTrackRange(c.s.race, p, 1), std::make_pair(11, 16));
  p.RepeatFrom = 1000, p.RepeatTo = 2000;  // no sample later than the span
  EXPECT_EQ(StillTrackRange(c.s.race, p, 1), std::make_pair(1, 40));
}

// The minimum spans keep a single point finite; a real race of a few tens of metres keeps its
// own spans and diagonal.
TEST(ChartExtent, SmallRaceKeepsItsSpans) {
  Chart c;
  c.s.view.MapWidth = c.s.view.MapHeight = 500;
  ComputeRaceExtent(c.s.race, nullptr, c.s.view);
  // Samples inside the window span 0.038' of latitude on one meridian.
  EXPECT_NEAR(c.s.view.RaceDiagonal, 0.038 * 1.2, 1e-6);
  for (int i = 1; i <= 40; ++i) c.s.race.TrackLat[1][i] = 2100;
  ComputeRaceExtent(c.s.race, nullptr, c.s.view);
  EXPECT_DOUBLE_EQ(c.s.view.RaceLatSpan, std::max(0.04, 0.05 * c.s.view.CosCentreLat));
}

// The projector the chart uses for many points places them where ToScreen and ToOverview do.
TEST(ChartProjector, AgreesWithTheSinglePointProjections) {
  RaceData r;
  ViewState v;
  v.MapWidth = 640, v.MapHeight = 480, v.OverviewWidth = v.OverviewHeight = 170;
  v.ViewCentreLat = 2116, v.ViewCentreLon = 8367, v.ScaleLat = 900, v.ScaleLon = 740;
  v.RaceCentreLat = 2115.5, v.RaceCentreLon = 8367.2;
  v.OverviewScaleLat = 80, v.OverviewScaleLon = 66;
  for (int northUp : {0, 1}) {
    for (int bearing : {0, 37, 200}) {
      r.NorthUp = northUp, r.WindwardBearing = bearing;
      const ScreenProjector screen(r, v), overview = ScreenProjector::Overview(r, v);
      for (auto [lat, lon] :
           {std::pair{2116.0, 8367.0}, std::pair{2116.3, 8366.8}, std::pair{2114.9, 8367.6}}) {
        const Point2 a = screen(lat, lon), b = ToScreen(r, v, lat, lon);
        EXPECT_NEAR(a.x, b.x, 1e-9);
        EXPECT_NEAR(a.y, b.y, 1e-9);
        const Point2 c = overview(lat, lon), d = ToOverview(r, v, lat, lon);
        EXPECT_NEAR(c.x, d.x, 1e-9);
        EXPECT_NEAR(c.y, d.y, 1e-9);
      }
    }
  }
}

// Pixel rounding is the program's rounding (halves to even) wherever a picture can reach.
TEST(ChartProjector, PixelRoundIsRoundHalfEven) {
  for (double x : {0.0, 0.5, 1.5, 2.5, -0.5, -1.5, -2.49, 2.51, 123456.5, -987654.25, 1e8 + 0.5})
    EXPECT_EQ(PixelRound(x), RoundInt(x)) << x;
  EXPECT_EQ(PixelRound(1e300), 1 << 30);
  EXPECT_EQ(PixelRound(-1e300), -(1 << 30));
  EXPECT_EQ(PixelRound(std::nan("")), -(1 << 30));
}
