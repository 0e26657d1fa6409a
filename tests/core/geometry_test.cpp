#include <gtest/gtest.h>

#include <cmath>

#include "analysis/frame_state.h"
#include "analysis/mark_passing.h"
#include "race/datetime.h"
#include "race/model.h"
#include "view/geometry.h"
#include "view/view_state.h"

using namespace kw;

namespace {

ViewState View(int w = 800, int h = 600) {
  ViewState v;
  v.MapWidth = w;
  v.MapHeight = h;
  v.ViewCentreLat = 2118;
  v.ViewCentreLon = 8368;
  v.CosCentreLat = std::cos(35.3 * std::acos(-1.0) / 180);
  v.ScaleLat = 300;
  v.ScaleLon = 300 * v.CosCentreLat;
  return v;
}

}  // namespace

TEST(Geometry, ScreenRoundTripsInBothOrientations) {
  RaceData r;
  ViewState v = View();
  for (int north : {0, 1}) {
    for (int wb : {0, 37, 200, 359}) {
      r.NorthUp = north;
      r.WindwardBearing = wb;
      const Point2 p = ToScreen(r, v, 2118.3, 8367.6);
      const LatLon q = ToLatLon(r, v, p.x, p.y);
      EXPECT_NEAR(q.lat, 2118.3, 1e-9);
      EXPECT_NEAR(q.lon, 8367.6, 1e-9);
    }
  }
  r.NorthUp = 1;
  r.WindwardBearing = 90;
  const Point2 east = ToScreen(r, v, 2118, 8368.1);
  EXPECT_GT(east.x, 400);  // north up: east is to the right
  r.NorthUp = 0;
  const Point2 up = ToScreen(r, v, 2118, 8368.1);
  EXPECT_NEAR(up.x, 400, 1e-9);  // wind from the east: east is straight up
  EXPECT_LT(up.y, 300);
  const Point2 centre = ToScreen(r, v, 2118, 8368);
  EXPECT_DOUBLE_EQ(centre.x, 400);
  EXPECT_DOUBLE_EQ(centre.y, 300);
}

TEST(Geometry, RangeBearingAndPolarOffset) {
  RaceData r;
  ViewState v = View();
  v.CosCentreLat = 1;
  v.RbFromLat = 0, v.RbFromLon = 0, v.RbToLat = 1, v.RbToLon = 0;
  r.MagneticVariation = -7;
  RangeAndBearing(r, v);
  EXPECT_DOUBLE_EQ(v.RbRange, 1852);
  EXPECT_DOUBLE_EQ(v.RbBearingMag, 7);
  r.MagneticVariation = 0;
  v.RbToLat = -1;
  RangeAndBearing(r, v);
  EXPECT_DOUBLE_EQ(v.RbBearingMag, 180);
  // Due north with 360 of variation east... a result of exactly 360 stays 360.
  v.RbToLat = 1;
  r.MagneticVariation = -360;
  RangeAndBearing(r, v);
  EXPECT_DOUBLE_EQ(v.RbBearingMag, 360);

  Point2 o = PolarOffset(v, 90);
  EXPECT_NEAR(o.x, 300, 1e-9);
  EXPECT_NEAR(o.y, 0, 1e-9);
  o = PolarOffset(v, -270);  // brought into range first
  EXPECT_NEAR(o.x, 300, 1e-9);
}

TEST(Geometry, RaceExtentIsSquaredInMetresAndWindowed) {
  RaceData r;
  r.BoatCount = 1;
  SetBoatTableCapacity(r);
  SetTrackCapacity(r, 1, 10);
  const double t[] = {0, -500, 0, 100, 5000};
  const double lat[] = {0, 2000, 2100, 2101, 3000};
  const double lon[] = {0, 8000, 8368, 8372, 9000};
  for (int i = 1; i <= 4; ++i) {
    r.TrackTime[1][i] = t[i];
    r.TrackLat[1][i] = lat[i];
    r.TrackLon[1][i] = lon[i];
  }
  r.BoatSampleCount[1] = 4;
  r.ClockFirst = -190;
  r.ClockLast = 3630;
  ViewState v;
  v.MapWidth = 1000;
  v.MapHeight = 700;
  ComputeRaceExtent(r, nullptr, v);
  EXPECT_DOUBLE_EQ(v.RaceLatMin, 2100);  // samples outside the window do not count
  EXPECT_DOUBLE_EQ(v.RaceLonMax, 8372);
  EXPECT_DOUBLE_EQ(v.RaceCentreLat, 2100.5);
  // Wider than tall in metres: the latitude span follows the longitude span.
  EXPECT_NEAR(v.RaceLonSpan, 4.8, 1e-9);
  EXPECT_NEAR(v.RaceLatSpan, 4.8 * v.CosCentreLat, 1e-9);
  EXPECT_NEAR(v.RaceDiagonal, std::sqrt(1.2 * 1.2 + 0.64 * 4.8 * 4.8), 1e-5);
  EXPECT_NEAR(v.BaseScaleLat, 700 / v.RaceLatSpan, 1e-9);
  EXPECT_NEAR(v.OverviewScaleLon, 170 / 4.8, 1e-9);

  // With a finish known, samples after finish + 10 s do not count.
  PassingResults p;
  r.CourseCount = 2;
  p.Resize(1, 2);
  p.MarkPassTime[1][2] = 50;
  ComputeRaceExtent(r, &p, v);
  EXPECT_DOUBLE_EQ(v.RaceLonMax, 8368);
}

TEST(Geometry, RaceWithNothingInsideTheWindowStillGetsASaneExtent) {
  RaceData r;
  r.BoatCount = 1;
  SetBoatTableCapacity(r);
  SetTrackCapacity(r, 1, 10);
  r.TrackTime[1][1] = 99999;
  r.TrackLat[1][1] = 2118;
  r.TrackLon[1][1] = 8368;
  r.BoatSampleCount[1] = 1;
  ViewState v;
  v.MapWidth = v.MapHeight = 500;
  ComputeRaceExtent(r, nullptr, v);
  EXPECT_DOUBLE_EQ(v.RaceCentreLat, 2118);
  EXPECT_GT(v.RaceLatSpan, 0);
  EXPECT_GT(v.RaceLonSpan, 0);
  EXPECT_TRUE(std::isfinite(v.BaseScaleLat));
  EXPECT_TRUE(std::isfinite(v.OverviewScaleLon));

  RaceData empty;
  ComputeRaceExtent(empty, nullptr, v);
  EXPECT_TRUE(std::isfinite(v.BaseScaleLon));
  EXPECT_GT(v.RaceLatSpan, 0);
}

TEST(Geometry, SunTimesFollowSeasonAndLongitude) {
  RaceData r;
  r.StartTime = *ParseDateTime("2025/06/21 11:00:00");
  r.RaceDate = std::trunc(r.StartTime);
  r.TimeZoneHours = 9;
  ViewState v;
  v.RaceCentreLon = 135 * 60;  // on the zone meridian
  ComputeSunTimes(r, v);
  EXPECT_NEAR(v.Sunrise, 21600 - 4500 * std::sin((172 - 83) / 365.0 * 6.28), 1e-6);
  EXPECT_LT(v.Sunrise, 21600 - 4400);
  EXPECT_DOUBLE_EQ(v.StartSecondOfDay, 11 * 3600);
  const double sunrise = v.Sunrise, sunset = v.Sunset;
  v.RaceCentreLon = 139.5 * 60;  // east of the meridian: the sun comes earlier by the clock
  ComputeSunTimes(r, v);
  EXPECT_NEAR(v.Sunrise, sunrise - 4 * 270, 1e-6);
  EXPECT_NEAR(v.Sunset, sunset - 4 * 270, 1e-6);
}

TEST(Geometry, FrameFitsTheFocusedBoats) {
  RaceData r;
  r.BoatCount = 2;
  SetBoatTableCapacity(r);
  r.BoatShown[1] = r.BoatShown[2] = 1;
  FrameBoats f;
  f.Resize(2);
  f.BoatPresent[1] = 1;
  f.BoatLatNow[1] = 2118;
  f.BoatLonNow[1] = 8368;
  PassingResults p;
  ViewState v = View(800, 600);
  v.CosCentreLat = 0.8;
  FitFrameView(r, p, f, 100, true, v);
  // One boat: the box is a point, widened to the minimum spans (0.04' tall).
  EXPECT_DOUBLE_EQ(v.ViewCentreLat, 2118);
  EXPECT_NEAR(v.ScaleLat, 0.85 * 600 / 0.05 / 0.8, 1e-6);  // 0.05' wide is the larger here
  EXPECT_NEAR(v.ScaleLon, v.ScaleLat * 0.8, 1e-9);

  // Two boats 0.2' apart north-south: fitted, the spread keeps both on the map.
  f.BoatPresent[2] = 1;
  f.BoatLatNow[2] = 2118.2;
  f.BoatLonNow[2] = 8368;
  FitFrameView(r, p, f, 100, true, v);
  EXPECT_DOUBLE_EQ(v.ViewCentreLat, 2118.1);
  EXPECT_NEAR(v.ScaleLat, 0.85 * 600 / 0.2, 1e-6);
  EXPECT_GT(v.ViewTopLat, 2118.2);
  EXPECT_LT(v.ViewBottomLat, 2118);
  EXPECT_NEAR(v.PixelsPerKm, v.ScaleLat / 1.852, 1e-9);
  v.TraceZoomOut = 2;
  FitFrameView(r, p, f, 100, true, v);
  EXPECT_NEAR(v.ScaleLat, 0.85 * 600 / 0.2 / 2, 1e-6);

  // Before the start the first line stays in view; on the still map the base scale holds.
  r.LineCount = 1;
  r.LineLatA[1] = 2117, r.LineLonA[1] = 8368, r.LineLatB[1] = 2117, r.LineLonB[1] = 8368.1;
  v.TraceZoomOut = 1;
  FitFrameView(r, p, f, -60, true, v);
  EXPECT_DOUBLE_EQ(v.FocusLatMin, 2117);
  v.TraceMode = 0;
  v.BaseScaleLat = 123;
  v.BaseScaleLon = 100;
  v.ZoomFactor = 2;
  v.UserCentreLat = 2000;
  FitFrameView(r, p, f, 100, false, v);
  EXPECT_DOUBLE_EQ(v.ScaleLat, 246);
  EXPECT_DOUBLE_EQ(v.ViewCentreLat, 2000);
}
