// The view state: projection, scales and the frame's choices. One value, owned by the form or
// the CLI; copied and compared in tests.
#pragma once

namespace kw {

struct ViewState {
  int MapWidth = 0, MapHeight = 0;
  double RaceLatMax = 0, RaceLatMin = 0, RaceLonMax = 0, RaceLonMin = 0;
  double RaceCentreLat = 0, RaceCentreLon = 0;
  double CosCentreLat = 1;
  double TraceZoomOut = 1.0;
  int TraceMode = 1;
  friend bool operator==(const ViewState&, const ViewState&) = default;
};

}  // namespace kw
