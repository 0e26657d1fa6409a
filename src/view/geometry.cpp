#include "view/geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/frame_state.h"
#include "analysis/mark_passing.h"
#include "race/boat_threads.h"
#include "race/datetime.h"
#include "race/geodesy.h"
#include "race/model.h"
#include "view/view_state.h"

namespace kw {

namespace {
constexpr double kDeg = std::numbers::pi / 180.0;
// Smallest spans of a view, minutes: they keep scales finite when a box collapses to a point.
constexpr double kMinLatSpan = 0.04, kMinLonSpan = 0.05;
}  // namespace

double MapTurn(const RaceData& race) {
  return race.NorthUp == 1 ? 0 : race.WindwardBearing;
}

Point2 RotateView(const RaceData& race, double x, double y, double a) {
  if (race.NorthUp == 1) return {x, y};
  const double c = std::cos(a), s = std::sin(a);
  return {x * c - y * s, x * s + y * c};
}

Point2 ToScreen(const RaceData& race, const ViewState& v, double lat, double lon) {
  const double dx = (lon - v.ViewCentreLon) * v.ScaleLon;
  const double dy = (v.ViewCentreLat - lat) * v.ScaleLat;
  const Point2 r = RotateView(race, dx, dy, -race.WindwardBearing * kDeg);
  return {v.MapWidth / 2.0 + r.x, v.MapHeight / 2.0 + r.y};
}

ScreenProjector::ScreenProjector(const RaceData& race, const ViewState& v)
    : lat0_(v.ViewCentreLat),
      lon0_(v.ViewCentreLon),
      scaleLat_(v.ScaleLat),
      scaleLon_(v.ScaleLon),
      cx_(v.MapWidth / 2.0),
      cy_(v.MapHeight / 2.0) {
  if (race.NorthUp != 1) {
    c_ = std::cos(-race.WindwardBearing * kDeg);
    s_ = std::sin(-race.WindwardBearing * kDeg);
  }
}

double ScreenProjector::PixelsPerMinute(double cosLat) const {
  return std::max(std::fabs(scaleLat_), cosLat > 0 ? std::fabs(scaleLon_) / cosLat : 0.0);
}

ScreenProjector ScreenProjector::Overview(const RaceData& race, const ViewState& v) {
  ScreenProjector p(race, v);
  p.lat0_ = v.RaceCentreLat;
  p.lon0_ = v.RaceCentreLon;
  p.scaleLat_ = v.OverviewScaleLat;
  p.scaleLon_ = v.OverviewScaleLon;
  p.cx_ = v.OverviewWidth / 2.0;
  p.cy_ = v.OverviewHeight / 2.0;
  return p;
}

LatLon ToLatLon(const RaceData& race, const ViewState& v, double x, double y) {
  const Point2 r =
      RotateView(race, x - v.MapWidth / 2.0, y - v.MapHeight / 2.0, race.WindwardBearing * kDeg);
  return {v.ViewCentreLat - r.y / v.ScaleLat, v.ViewCentreLon + r.x / v.ScaleLon};
}

Point2 ToOverview(const RaceData& race, const ViewState& v, double lat, double lon) {
  const double dx = (lon - v.RaceCentreLon) * v.OverviewScaleLon;
  const double dy = (v.RaceCentreLat - lat) * v.OverviewScaleLat;
  const Point2 r = RotateView(race, dx, dy, -race.WindwardBearing * kDeg);
  return {v.OverviewWidth / 2.0 + r.x, v.OverviewHeight / 2.0 + r.y};
}

void RangeAndBearing(const RaceData& race, ViewState& v) {
  const RangeBearing rb = kw::RangeAndBearing(v.RbFromLat, v.RbFromLon, v.RbToLat, v.RbToLon,
                                              v.CosCentreLat, race.MagneticVariation);
  v.RbRange = rb.range;
  v.RbBearingMag = rb.bearingMag;
}

Point2 PolarOffset(const ViewState& v, double angle) {
  if (angle < -180) angle += 360;
  if (angle > 360) angle -= 360;
  const double a = angle * kDeg, h = v.MapHeight / 2.0;
  return {h * std::sin(a), -h * std::cos(a)};
}

void ComputeSunTimes(const RaceData& race, ViewState& v) {
  const CivilDateTime day = DecodeDateTime(race.RaceDate);
  const int d = static_cast<int>(race.RaceDate - EncodeDate(day.year, 1, 1)) + 1;
  const double s = 4500.0 * std::sin((d - 83) / 365.0 * 6.28);
  // Local solar time: a place east of its zone meridian (N > 0) sees the sun rise and set
  // earlier by the clock, one that lies west of it later.
  const double n = 4.0 * (v.RaceCentreLon - 900.0 * race.TimeZoneHours);
  v.Sunrise = 21600 - s - n;
  v.Sunset = 64800 + s - n;
  const CivilDateTime st = DecodeDateTime(race.StartTime);
  v.StartSecondOfDay = st.hour * 3600.0 + st.minute * 60.0 + st.second;
}

void ComputeRaceExtent(const RaceData& race, const PassingResults* passing, ViewState& v) {
  double latMax = -200000, latMin = 200000, lonMax = -200000, lonMin = 200000;
  auto widen = [&](double la, double lo) {
    if (la > latMax) latMax = la;
    if (la < latMin) latMin = la;
    if (lo > lonMax) lonMax = lo;
    if (lo < lonMin) lonMin = lo;
  };
  const bool byFinish = race.CourseCount >= 2 && passing && passing->EntryCount >= race.CourseCount;
  // Each boat's box on its own, then the boxes together: the same extremes in any order.
  struct Box {  // starting where the extremes start, so an empty box changes nothing
    double latMax = -200000, latMin = 200000, lonMax = -200000, lonMin = 200000;
  };
  std::vector<Box> boxes(static_cast<size_t>(race.BoatCount) + 1);
  ForEachBoat(race, [&](int b) {
    Box& x = boxes[b];
    const double finish = byFinish ? passing->MarkPassTime[b][race.CourseCount] + 10 : 1e300;
    const auto& t = race.TrackTime[b];
    const auto& la = race.TrackLat[b];
    const auto& lo = race.TrackLon[b];
    for (int i = 1; i <= race.BoatSampleCount[b]; ++i) {
      if (t[i] >= race.ClockFirst && t[i] < race.ClockLast && t[i] < finish) {
        const double a = la[i], o = lo[i];
        if (a > x.latMax) x.latMax = a;
        if (a < x.latMin) x.latMin = a;
        if (o > x.lonMax) x.lonMax = o;
        if (o < x.lonMin) x.lonMin = o;
      }
    }
  });
  for (int b = 1; b <= race.BoatCount; ++b) {
    const Box& x = boxes[b];
    if (x.latMax > latMax) latMax = x.latMax;
    if (x.latMin < latMin) latMin = x.latMin;
    if (x.lonMax > lonMax) lonMax = x.lonMax;
    if (x.lonMin < lonMin) lonMin = x.lonMin;
  }
  // No sample inside the replay window: the whole tracks, else the course, else the origin.
  const bool noneInWindow = latMax < latMin;
  if (latMax < latMin) {
    for (int b = 1; b <= race.BoatCount; ++b)
      for (int i = 1; i <= race.BoatSampleCount[b]; ++i)
        widen(race.TrackLat[b][i], race.TrackLon[b][i]);
  }
  if (latMax < latMin) {
    for (int m = 1; m <= race.MarkCount; ++m) widen(race.MarkLat[m], race.MarkLon[m]);
    for (int l = 1; l <= race.LineCount; ++l) {
      widen(race.LineLatA[l], race.LineLonA[l]);
      widen(race.LineLatB[l], race.LineLonB[l]);
    }
  }
  if (latMax < latMin) latMax = latMin = lonMax = lonMin = 0;
  v.RaceLatMax = latMax;
  v.RaceLatMin = latMin;
  v.RaceLonMax = lonMax;
  v.RaceLonMin = lonMin;
  v.RaceCentreLat = (latMax + latMin) / 2;
  v.RaceCentreLon = (lonMax + lonMin) / 2;
  v.CosCentreLat = std::cos(v.RaceCentreLat / 60.0 * kDeg);
  v.RaceLatSpan = (latMax - latMin) * 1.2;
  v.RaceLonSpan = (lonMax - lonMin) * 1.2;
  // A degenerate extent (a single point, or none inside the window) still gets a map of some
  // size; a real race, however small, keeps its own spans.
  if (noneInWindow || (latMax == latMin && lonMax == lonMin)) {
    v.RaceLatSpan = std::max(v.RaceLatSpan, kMinLatSpan);
    v.RaceLonSpan = std::max(v.RaceLonSpan, kMinLonSpan);
  }
  v.RaceDiagonal = static_cast<float>(
      std::sqrt(v.RaceLatSpan * v.RaceLatSpan + 0.64 * v.RaceLonSpan * v.RaceLonSpan));
  if (v.RaceLonSpan * v.CosCentreLat >= v.RaceLatSpan) {
    v.RaceLatSpan = v.RaceLonSpan * v.CosCentreLat;
  } else {
    v.RaceLonSpan = v.RaceLatSpan / v.CosCentreLat;
  }
  v.OverviewScaleLat = v.OverviewHeight / v.RaceLatSpan;
  v.OverviewScaleLon = v.OverviewWidth / v.RaceLonSpan;
  const int s = std::min(v.MapWidth, v.MapHeight);
  v.BaseScaleLat = s / v.RaceLatSpan;
  v.BaseScaleLon = s / v.RaceLonSpan;
  ComputeSunTimes(race, v);
}

void EnterStillMap(ViewState& v) {
  v.FocusLatMax = v.RaceLatMax;
  v.FocusLatMin = v.RaceLatMin;
  v.FocusLonMax = v.RaceLonMax;
  v.FocusLonMin = v.RaceLonMin;
  v.ZoomFactor = 1;
  v.UserCentreLat = v.ViewCentreLat = (v.RaceLatMax + v.RaceLatMin) / 2;
  v.UserCentreLon = v.ViewCentreLon = (v.RaceLonMax + v.RaceLonMin) / 2;
}

void FitFrameView(const RaceData& race, const PassingResults& passing, const FrameBoats& boats,
                  double t, bool autoTrace, ViewState& v) {
  double latMax = -50000, latMin = 50000, lonMax = -50000, lonMin = 50000;
  auto widen = [&](double la, double lo) {
    latMax = std::max(latMax, la);
    latMin = std::min(latMin, la);
    lonMax = std::max(lonMax, lo);
    lonMin = std::min(lonMin, lo);
  };
  // 1: the present, focused boats.
  int present = t <= 0 ? 1 : 0;
  for (int b = 1; b <= race.BoatCount; ++b) {
    if (!boats.BoatPresent[b]) continue;
    ++present;
    if (race.BoatShown[b] == 1) widen(boats.BoatLatNow[b], boats.BoatLonNow[b]);
  }
  // 2: with at most one boat to follow, the start line holds the view.
  const LineEnds& sl = passing.StartLine;
  if (present <= 1 && sl.LatA != 0 && race.BoatCount > 1) {
    widen(sl.LatA, sl.LonA);
    widen(sl.LatB, sl.LonB);
  }
  // 3: before the start the first line stays in view.
  if (t < -30 && race.LineCount >= 1) {
    widen(race.LineLatA[1], race.LineLonA[1]);
    widen(race.LineLatB[1], race.LineLonB[1]);
  }
  // 4
  if (autoTrace) {
    // Nothing to follow: keep the centre where it was.
    if (latMax >= latMin) {
      v.ViewCentreLat = (latMax + latMin) / 2;
      v.ViewCentreLon = (lonMax + lonMin) / 2;
    }
  } else {
    latMax = v.RaceLatMax;
    latMin = v.RaceLatMin;
    lonMax = v.RaceLonMax;
    lonMin = v.RaceLonMin;
    v.ViewCentreLat = v.UserCentreLat;
    v.ViewCentreLon = v.UserCentreLon;
  }
  v.FocusLatMax = latMax;
  v.FocusLatMin = latMin;
  v.FocusLonMax = lonMax;
  v.FocusLonMin = lonMin;
  // 5, 6
  double latSpan = std::max(latMax - latMin, kMinLatSpan);
  double lonSpan = std::max(lonMax - lonMin, kMinLonSpan);
  double scaleLat, scaleLon;
  if (lonSpan * v.CosCentreLat > latSpan) {
    scaleLon = 0.85 * v.MapHeight / lonSpan;
    scaleLat = scaleLon / v.CosCentreLat;
    latSpan = lonSpan * v.CosCentreLat;
  } else {
    scaleLat = 0.85 * v.MapHeight / latSpan;
    scaleLon = scaleLat * v.CosCentreLat;
    lonSpan = latSpan / v.CosCentreLat;
  }
  // 7: every focused boat stays on the map.
  const double half = latSpan / 2;
  double largest = 0;
  for (int b = 1; b <= race.BoatCount; ++b) {
    if (!boats.BoatPresent[b] || race.BoatShown[b] != 1) continue;
    const double dla = boats.BoatLatNow[b] - v.ViewCentreLat;
    const double dlo = v.CosCentreLat * (boats.BoatLonNow[b] - v.ViewCentreLon);
    largest = std::max(largest, std::sqrt(dla * dla + dlo * dlo));
  }
  const double spread = largest > half ? largest / half : 1;
  // 8
  if (v.TraceMode == 0) {
    v.ScaleLat = v.BaseScaleLat * v.ZoomFactor;
    v.ScaleLon = v.BaseScaleLon * v.ZoomFactor;
  } else {
    v.ScaleLat = scaleLat / v.TraceZoomOut / spread;
    v.ScaleLon = scaleLon / v.TraceZoomOut / spread;
  }
  // 9, 10
  v.PixelsPerKm = v.ScaleLat / 1.852;
  v.ViewTopLat = v.ViewCentreLat + (v.MapHeight / 2.0) / v.ScaleLat;
  v.ViewBottomLat = v.ViewCentreLat - (v.MapHeight / 2.0) / v.ScaleLat;
  v.ViewRightLon = v.ViewCentreLon + (v.MapWidth / 2.0) / v.ScaleLon;
  v.ViewLeftLon = v.ViewCentreLon - (v.MapWidth / 2.0) / v.ScaleLon;
}

}  // namespace kw
