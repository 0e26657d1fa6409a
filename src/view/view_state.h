// The view state: projection, scales and the frame's choices. One value, owned by the form or
// the CLI; copied and compared in tests.
#pragma once

#include "race/extent.h"

namespace kw {

// The race extent is the view's first part: readers below the view take it alone.
struct ViewState : RaceExtent {
  int MapWidth = 0, MapHeight = 0;
  int OverviewWidth = 170, OverviewHeight = 170;
  double OverviewScaleLat = 0, OverviewScaleLon = 0;  // pixels per minute
  double BaseScaleLat = 0, BaseScaleLon = 0;
  double ZoomFactor = 1;
  double UserCentreLat = 0, UserCentreLon = 0;
  double TraceZoomOut = 1.0;
  // The frame being drawn.
  double ViewCentreLat = 0, ViewCentreLon = 0;
  double ScaleLat = 1, ScaleLon = 1;
  double PixelsPerKm = 0;
  double FocusLatMax = 0, FocusLatMin = 0, FocusLonMax = 0, FocusLonMin = 0;
  double ViewTopLat = 0, ViewBottomLat = 0, ViewLeftLon = 0, ViewRightLon = 0;
  int TraceMode = 1;
  // Sun times of the race day and the start's second of the day, local.
  double Sunrise = 21600, Sunset = 64800;
  double StartSecondOfDay = 0;
  // Range-and-bearing measurement.
  double RbFromLat = 0, RbFromLon = 0, RbToLat = 0, RbToLon = 0;
  double RbRange = 0, RbBearingMag = 0;

  friend bool operator==(const ViewState&, const ViewState&) = default;
};

}  // namespace kw
