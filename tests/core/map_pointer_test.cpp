// The pointer over the maps without a window: position texts, hover zones, the nearest mark or
// line end, re-centring from the overview, click zoom and the wind-input area.
#include <gtest/gtest.h>

#include <cmath>

#include "race/model.h"
#include "view/geometry.h"
#include "view/map_pointer.h"
#include "view/view_state.h"

using namespace kw;

namespace {

// A north-up still map 800 x 600 at 10 pixels a minute, centred on (2100, 8400).
struct Still {
  RaceData race;
  ViewState v;
  Still() {
    race.NorthUp = 1;
    v.MapWidth = 800;
    v.MapHeight = 600;
    v.BaseScaleLat = v.BaseScaleLon = 10;
    v.ZoomFactor = 1;
    v.UserCentreLat = v.ViewCentreLat = 2100;
    v.UserCentreLon = v.ViewCentreLon = 8400;
    v.ScaleLat = v.ScaleLon = 10;
  }
};

}  // namespace

TEST(MapPointer, PositionTexts) {
  struct Case {
    double value;
    bool latitude;
    const char* text;
  };
  const Case cases[] = {
      {35 * 60 + 5.1236, true, "N35:05.123"},  // cut, not rounded
      {139 * 60 + 45.678, false, "E139:45.678"},
      {-(33 * 60 + 52.5), true, "S33:52.5"},
      {35 * 60 + 5, true, "N35:05"},  // whole minutes carry no decimals
      {0, true, "S0:00"},             // the equator counts as south
      {0, false, "W0:00"},
      {-(70 * 60 + 0.25), false, "W70:00.25"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ((c.latitude ? LatitudeText(c.value) : LongitudeText(c.value)).toStdString(), c.text)
        << c.value;
  }
}

TEST(MapPointer, HoverZones) {
  struct Case {
    int x, y, page, traceMode;
    bool showName;
    HoverZones z;
  };
  // Map 800 x 600: quarters at 200, 400 and 600; the bottom strip from 500.
  const Case cases[] = {
      {50, 50, 1, 1, false, {3, true, true, true, false, false}},
      {300, 550, 1, 1, false, {2, true, true, false, true, false}},
      {500, 100, 1, 0, false, {1, true, true, false, false, false}},
      {700, 100, 1, 1, false, {0, false, false, false, false, true}},  // names on hover
      {700, 100, 1, 1, true, {1, false, false, false, false, false}},
      {700, 550, 1, 0, false, {0, false, false, false, false, false}},  // no wakes when still
      {50, 50, 2, 1, false, {0, false, false, false, false, true}},     // graph page
      {850, 550, 1, 1, false, {0, false, false, false, false, false}},  // beside the map
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HoverZonesAt(c.x, c.y, c.page, c.traceMode, 800, 600, c.showName), c.z)
        << c.x << "," << c.y << " page " << c.page;
  }
  EXPECT_EQ(CompassLabelLevel(50, 50, 100), 0);
  EXPECT_EQ(CompassLabelLevel(50, 89, 100), 0);
  EXPECT_EQ(CompassLabelLevel(50, 91, 100), 1);
}

TEST(MapPointer, NearestMarkOrLineEnd) {
  Still s;
  RaceData& r = s.race;
  // Screen positions: a minute is 10 pixels; the centre (2100, 8400) is at (400, 300).
  r.MarkCount = 2;
  r.MarkLat[1] = 2100;  // (400, 300)
  r.MarkLon[1] = 8400;
  r.MarkLat[2] = 2095;  // (500, 350)
  r.MarkLon[2] = 8410;
  r.LineCount = 2;
  r.LineLatA[1] = 2100;  // A at (420, 300), B at (460, 300)
  r.LineLonA[1] = 8402;
  r.LineLatB[1] = 2100;
  r.LineLonB[1] = 8406;
  r.LineLatA[2] = 2090;  // A at (400, 400); no second end yet
  r.LineLonA[2] = 8400;
  struct Case {
    int x, y, mark, line;
    double distance;
    const char* label;
  };
  const Case cases[] = {
      {402, 300, 1, 0, 2, "MK1"},
      {410, 300, 1, 0, 10, "MK1"},  // a tie keeps the mark, the earlier candidate
      {462, 303, 0, 1, std::hypot(2, 3), "L1"},
      {400, 399, 0, 2, 1, "L2"},
      {550, 350, 2, 0, 50, "MK2"},  // 50 pixels: still the nearest
      {700, 100, 0, 0, 100, ""},    // nothing within 100 pixels
  };
  for (const Case& c : cases) {
    const NearestCoursePoint n = FindNearestCoursePoint(r, s.v, c.x, c.y);
    EXPECT_EQ(n.mark, c.mark) << c.x << "," << c.y;
    EXPECT_EQ(n.line, c.line) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(n.distance, c.distance) << c.x << "," << c.y;
    EXPECT_EQ(n.label.toStdString(), c.label);
  }
  // The still map's own zoom counts, whatever the last frame used.
  s.v.ZoomFactor = 2;
  EXPECT_EQ(FindNearestCoursePoint(r, s.v, 600, 400).mark, 2);
}

TEST(MapPointer, StillMapPositionAndRecentring) {
  Still s;
  s.v.ScaleLat = 999;  // a frame drawn at another scale does not matter
  const LatLon at = StillMapPosition(s.race, s.v, 500, 250);
  EXPECT_DOUBLE_EQ(at.lat, 2105);
  EXPECT_DOUBLE_EQ(at.lon, 8410);
  // Wind up with the wind from the east: east is up, so right on the screen is south.
  s.race.NorthUp = 0;
  s.race.WindwardBearing = 90;
  const LatLon turned = StillMapPosition(s.race, s.v, 500, 300);
  EXPECT_NEAR(turned.lat, 2090, 1e-9);
  EXPECT_NEAR(turned.lon, 8400, 1e-9);

  s.v.OverviewWidth = s.v.OverviewHeight = 170;
  s.v.OverviewScaleLat = s.v.OverviewScaleLon = 2;
  s.v.RaceCentreLat = 2000;
  s.v.RaceCentreLon = 8000;
  s.race.NorthUp = 1;
  RecentreFromOverview(s.race, s.v, 95, 75);
  EXPECT_DOUBLE_EQ(s.v.UserCentreLat, 2005);
  EXPECT_DOUBLE_EQ(s.v.UserCentreLon, 8005);
  EXPECT_EQ(s.v.ZoomFactor, 1);  // the zoom stays
}

TEST(MapPointer, ClickZoomStaysWithinLimits) {
  double z = 1;
  z = ZoomAfterClick(z, true);
  EXPECT_DOUBLE_EQ(z, 1.5);
  z = ZoomAfterClick(z, true);
  EXPECT_DOUBLE_EQ(z, 2.25);
  z = ZoomAfterClick(z, false);
  EXPECT_DOUBLE_EQ(z, 1.5);
  for (int i = 0; i < 200; ++i) z = ZoomAfterClick(z, true);
  EXPECT_LT(z, 1e4);
  for (int i = 0; i < 400; ++i) z = ZoomAfterClick(z, false);
  EXPECT_GT(z, 1e-3);
}

TEST(MapPointer, WindInputArea) {
  RaceData r;
  r.ClockFirst = -190;
  r.ClockSpan = 2020;
  r.WindwardBearing = 200;
  // Map 1000 wide: w = round(455) = 455 pixels for 360 degrees; client 877 high: h = 800.
  const WindInputArea a = WindInputAreaFor(1000, 877);
  EXPECT_EQ(a.width, 455);
  EXPECT_EQ(a.height, 800);
  struct Case {
    int x, y;
    bool entered;
    double time;
    int direction;
  };
  const Case cases[] = {
      {40, 840, true, -190, 110},  // bottom left: the window's start, the bearing - 90
      {495, 40, true, 1830, 110},  // top right: its end, a full turn further (470 - 360)
      {268, 440, true, 820, 290},  // the middle: 180 degrees on
      {39, 440, false, 0, 0},      // left of the area
      {496, 440, false, 0, 0},    {100, 841, false, 0, 0},  // below the window's start
  };
  for (const Case& c : cases) {
    const auto w = WindInputAt(r, a, c.x, c.y);
    ASSERT_EQ(w.has_value(), c.entered) << c.x << "," << c.y;
    if (!w) continue;
    EXPECT_DOUBLE_EQ(w->time, c.time) << c.x << "," << c.y;
    EXPECT_EQ(w->direction, c.direction) << c.x << "," << c.y;
  }
  r.WindwardBearing = 10;  // below 0 wraps: 0 - 90 + 10 + 360
  EXPECT_EQ(WindInputAt(r, a, 40, 500)->direction, 280);
}
