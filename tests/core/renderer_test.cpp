#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <tuple>
#include <utility>

#include "race/numbers.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"
#include "view/render_state.h"
#include "view/renderer.h"

using namespace kw;

namespace {

constexpr int kW = 400, kH = 300;
const QColor kPrepared(10, 20, 30);  // what the caller left in the map
const Rgb kSea{0, 0, 128};

// Boats sail north, 0.02' (20 px) every 10 s, through the map centre at the gun; boat b lies
// 80 px right of boat b - 1. The still map at 1000 px per minute keeps positions fixed.
struct Scene {
  RaceSession s;
  RenderState rs;
  QImage map{kW, kH, QImage::Format_RGB32};

  explicit Scene(int boats) {
    kwtest::EnsureGuiApp();
    RaceData& r = s.race;
    r.BoatCount = boats;
    r.NorthUp = 1;
    SetBoatTableCapacity(r);
    SetBoatShape(r);
    for (int b = 1; b <= boats; ++b) {
      SetTrackCapacity(r, b, 41);
      r.BoatSampleCount[b] = 40;
      for (int i = 1; i <= 40; ++i) {
        r.TrackTime[b][i] = 10.0 * (i - 1) - 100;
        r.TrackLat[b][i] = 2100 + 0.02 * (i - 11);
        r.TrackLon[b][i] = 8400 + 0.08 * (b - 1);
        r.TrackSpeed[b][i] = 5;
        r.TrackCourse[b][i] = 0;
      }
      r.BoatShown[b] = 1;
      r.BoatLength[b] = 40;
      r.BoatSampleInterval[b] = 10;
      r.BoatColor[b] = Rgb{static_cast<uint8_t>(200 + b), 100, 0};
      r.BoatName[b] = "B" + std::to_string(b);
    }
    ViewState& v = s.view;
    v.MapWidth = kW, v.MapHeight = kH;
    v.TraceMode = 0;
    v.BaseScaleLat = v.BaseScaleLon = 1000;
    v.UserCentreLat = 2100, v.UserCentreLon = 8400;
    rs.AutoTrace = false;
    rs.ShowSails = false;
    rs.SeaColor = kSea;
  }

  SceneResult Draw(double t) {
    map.fill(kPrepared);
    s.play.RaceClock = t;
    return DrawScene(s, rs, map, t);
  }
  QColor At(int x, int y) const { return map.pixelColor(x, y); }
  QColor Boat(int b) const {
    const Rgb c = s.race.BoatColor[b];
    return QColor(c.r, c.g, c.b);
  }
};

const QColor kSeaQ(kSea.r, kSea.g, kSea.b);

}  // namespace

TEST(RenderTime, LabelTexts) {
  EXPECT_EQ(RaceTimeText(59), "59");
  EXPECT_EQ(RaceTimeText(-59), "59");
  EXPECT_EQ(RaceTimeText(60), "01:00");
  EXPECT_EQ(RaceTimeText(3000), "50:00");
  EXPECT_EQ(RaceTimeText(3001), "0:50:01");
  EXPECT_EQ(RaceTimeText(-185.5), "03:06");  // halves go to the even second
  EXPECT_EQ(RaceTimeText(36000), "10:00:00");
}

TEST(RenderTime, BackgroundBlueAfterGunRedBefore) {
  Scene sc(1);
  sc.Draw(30);
  // 15-point label in the bottom right corner: "30" is 2 characters long.
  EXPECT_EQ(sc.At(kW - 9 * 2 - 15 + 1, kH - 25 + 1), QColor(0, 0, 255));
  sc.Draw(0);  // the gun itself is still the countdown
  EXPECT_EQ(sc.At(RoundInt(kW / 2.0 - 50) + 5 + 1, 15 + 1), QColor(255, 0, 0));
  EXPECT_EQ(sc.At(kW - 9 * 2 - 15 + 1, kH - 25 + 1), kPrepared);
  sc.Draw(15);  // 20 s or less keeps the big centred label, now blue
  EXPECT_EQ(sc.At(RoundInt(kW / 2.0 - 50) + 5 + 1, 15 + 1), QColor(0, 0, 255));
}

TEST(RenderHull, TickedHullInBoatColourAndFrameCounted) {
  Scene sc(2);
  const int before = sc.s.play.FrameCount;
  const SceneResult r = sc.Draw(5);  // boat 1 at (200, 140), boat 2 at (280, 140)
  EXPECT_FALSE(r.RaceEnded);
  EXPECT_EQ(r.BoatsOnScreen, 2);
  EXPECT_EQ(sc.At(200, 140), sc.Boat(1));
  EXPECT_EQ(sc.At(280, 140), sc.Boat(2));
  EXPECT_EQ(sc.s.play.FrameCount, before + 1);
  sc.Draw(6);
  EXPECT_EQ(sc.s.play.FrameCount, before + 2);
}

TEST(RenderHull, HiddenBoatOnlyWithShowAllHullsAndInSeaColour) {
  Scene sc(2);
  sc.s.race.BoatShown[2] = 0;
  sc.Draw(5);
  EXPECT_EQ(sc.At(280, 140), kPrepared);
  sc.rs.ShowAllHulls = true;
  sc.Draw(5);
  EXPECT_EQ(sc.At(280, 140), kSeaQ);
  // Bow at 50 % of 21.6 px ahead: the grey outline of a dark sea.
  EXPECT_EQ(sc.At(280, 140 - 11), QColor(192, 192, 192));
  sc.rs.SeaBrightness = 90;
  sc.Draw(5);
  EXPECT_EQ(sc.At(280, 140 - 11), QColor(Qt::black));
}

TEST(RenderHull, NoTickedBoatTicksEveryBoat) {
  Scene sc(2);
  sc.s.race.BoatShown[1] = sc.s.race.BoatShown[2] = 0;
  const SceneResult r = sc.Draw(5);
  EXPECT_TRUE(r.TickedAllBoats);
  EXPECT_EQ(sc.s.race.BoatShown[2], 1);
  EXPECT_EQ(sc.At(280, 140), sc.Boat(2));
}

TEST(RenderHull, BoatOnBorderHasNoHullButKeepsLabel) {
  Scene sc(1);
  sc.s.view.UserCentreLon = 8400 + 0.2;  // boat 1 exactly on the left edge, x = 0
  sc.rs.LabelLevel = 1;
  const SceneResult r = sc.Draw(5);
  EXPECT_EQ(r.BoatsOnScreen, 0);
  EXPECT_EQ(sc.At(2, 140), kPrepared);  // the wake runs along x = 0
  // Label at (0 + 3 + 7, 140 - 6) on the sea colour.
  EXPECT_EQ(sc.At(10, 134 + 1), kSeaQ);
}

TEST(RenderLabel, HiddenBoatNameOnlyFromLevelTwo) {
  Scene sc(2);
  sc.s.race.BoatShown[2] = 0;
  sc.rs.LabelLevel = 1;
  sc.Draw(5);
  EXPECT_EQ(sc.At(280 + 10, 134 + 1), kPrepared);
  EXPECT_EQ(sc.At(200 + 10, 134 + 1), kSeaQ);
  sc.rs.LabelLevel = 2;
  sc.Draw(5);
  EXPECT_EQ(sc.At(280 + 10, 134 + 1), kSeaQ);
}

TEST(RenderWake, RedOnlyForBoatsFasterThanTheirMean) {
  Scene sc(2);
  sc.s.race.TrackSpeed[2][11] = 7;
  sc.s.race.BoatLength[1] = sc.s.race.BoatLength[2] = 1;  // 6-px hulls clear of the dots
  sc.rs.SpeedWakes = true;
  sc.rs.MeanUpwindSpeed = 6;  // heading 0 into a north wind: upwind
  sc.Draw(5);
  // The dot at sample 11, 10 px astern of each boat.
  EXPECT_EQ(sc.At(200, 150), QColor(Qt::white));
  EXPECT_EQ(sc.At(280, 150), QColor(255, 0, 0));
  sc.rs.SpeedWakes = false;
  sc.Draw(5);
  EXPECT_EQ(sc.At(280, 150), QColor(Qt::white));
}

TEST(RenderComparison, YellowLineOnlyForExactlyTwoFocusedBoats) {
  Scene sc(3);
  sc.s.race.BoatShown[3] = 0;
  sc.rs.LabelLevel = 3;
  sc.s.race.WindDirection = 90;  // cross-wind lines run vertically
  sc.Draw(5);
  // Between boat 1's hull (200, 140) and its label, on the way to boat 2 (280, 140).
  EXPECT_EQ(sc.At(205, 140), QColor(255, 255, 0));
  sc.s.race.BoatShown[3] = 1;
  sc.Draw(5);
  EXPECT_NE(sc.At(205, 140), QColor(255, 255, 0));
}

TEST(RenderHighlight, HoverAndMarkedCircles) {
  Scene sc(2);
  sc.s.race.BoatShown[2] = 0;  // keep boat 2's hull undrawn
  sc.rs.HoverBoat = 2;
  sc.rs.MarkedBoat = 1;
  sc.s.race.BoatLength[1] = 1;  // smallest hull, inside the circle
  sc.Draw(5);
  // Radius round(6 * 0.5 + 3) = 6.
  EXPECT_EQ(sc.At(280 - 4, 140), QColor(192, 255, 255));
  EXPECT_EQ(sc.At(200 - 6, 140), QColor(Qt::red));
  EXPECT_EQ(sc.At(200 - 4, 140), QColor(192, 255, 255));
}

TEST(RenderEnd, NoBoatPresentEndsTheFrame) {
  Scene sc(1);
  sc.rs.SmallScreen = true;
  const int before = sc.s.play.FrameCount;
  const SceneResult r = sc.Draw(1000);
  EXPECT_TRUE(r.RaceEnded);
  EXPECT_EQ(sc.s.play.FrameCount, before);
  EXPECT_EQ(PlaySpeedText(sc.s.play.PlaySpeed), "Play SPD= 5x");
  // Before the gun the frame goes on although nobody has a position yet.
  EXPECT_FALSE(sc.Draw(-500).RaceEnded);
}

namespace {

// White pixels left and right of a boat at (200, 140), outside the wake's column.
std::pair<int, int> WhiteBesideBoat(const QImage& map) {
  int left = 0, right = 0;
  for (int y = 120; y <= 160; ++y)
    for (int x = 180; x <= 220; ++x)
      if (x != 200 && map.pixelColor(x, y) == QColor(Qt::white)) ++(x < 200 ? left : right);
  return {left, right};
}

}  // namespace

TEST(RenderSail, SwingsAwayFromTheWind) {
  Scene sc(1);
  sc.rs.ShowSails = true;
  sc.s.race.WindDirection = 90;  // wind on the starboard beam
  sc.Draw(5);
  auto [left, right] = WhiteBesideBoat(sc.map);
  EXPECT_GT(left, 0);
  EXPECT_EQ(right, 0);
  sc.s.race.WindDirection = 270;
  sc.Draw(5);
  std::tie(left, right) = WhiteBesideBoat(sc.map);
  EXPECT_EQ(left, 0);
  EXPECT_GT(right, 0);
  sc.rs.ShowSails = false;
  sc.Draw(5);
  EXPECT_EQ(WhiteBesideBoat(sc.map), std::make_pair(0, 0));
}
