// Flat local geometry: one minute of latitude is 1852 m, one minute of longitude 1852 m times
// CosCentreLat. Projection to pixels with the map turned wind-up or north-up, bearings, ranges,
// the race extent and the frame's centre and scale.
#pragma once

#include "race/geodesy.h"

namespace kw {

struct RaceData;
struct ViewState;
struct FrameBoats;
struct PassingResults;

struct Point2 {
  double x = 0, y = 0;
};

// The angle the map is turned by, degrees: the windward bearing in wind-up mode, else 0.
double MapTurn(const RaceData& race);

// Turns (x, y) by `angle` radians unless the map is north-up.
Point2 RotateView(const RaceData& race, double x, double y, double angle);
Point2 ToScreen(const RaceData& race, const ViewState& v, double lat, double lon);

// ToScreen (or, made by Overview, ToOverview) for many positions: the turn's sine and cosine
// are taken once.
class ScreenProjector {
 public:
  ScreenProjector(const RaceData& race, const ViewState& v);
  static ScreenProjector Overview(const RaceData& race, const ViewState& v);
  Point2 operator()(double lat, double lon) const {
    const double dx = (lon - lon0_) * scaleLon_, dy = (lat0_ - lat) * scaleLat_;
    return {cx_ + dx * c_ - dy * s_, cy_ + dx * s_ + dy * c_};
  }
  // The most pixels a minute of latitude, or a minute of longitude at its length `cosLat`,
  // takes on the picture.
  double PixelsPerMinute(double cosLat) const;

 private:
  double lat0_, lon0_, scaleLat_, scaleLon_, cx_, cy_, c_ = 1, s_ = 0;
};
LatLon ToLatLon(const RaceData& race, const ViewState& v, double x, double y);
Point2 ToOverview(const RaceData& race, const ViewState& v, double lat, double lon);

// Range (m) and magnetic bearing from Rb*From to Rb*To into RbRange and RbBearingMag.
void RangeAndBearing(const RaceData& race, ViewState& v);

// Offset of half the map height in the screen direction `angle` (degrees from the top).
Point2 PolarOffset(const ViewState& v, double angle);

// Extent, centre, spans, scales, sun times of the race after a load. `passing` may be null
// before mark passing is known.
void ComputeRaceExtent(const RaceData& race, const PassingResults* passing, ViewState& v);

// Sunrise and sunset of the race day at the race centre, seconds after local midnight.
void ComputeSunTimes(const RaceData& race, ViewState& v);

// Centre and scale of the frame at time t from the boats present at t. `autoTrace` is the
// "Auto Trace" box.
void FitFrameView(const RaceData& race, const PassingResults& passing, const FrameBoats& boats,
                  double t, bool autoTrace, ViewState& v);

// Enters the still map: focus box and centres on the race extent, zoom 1.
void EnterStillMap(ViewState& v);

}  // namespace kw
