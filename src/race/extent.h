// The race extent: where the boats sailed inside the replay window, its centre and spans. The
// view computes it after mark passing; the coastline and light readers choose what to read by it.
#pragma once

namespace kw {

struct RaceExtent {
  // Extent of the boats' samples inside the replay window, minutes of arc.
  double RaceLatMax = 0, RaceLatMin = 0, RaceLonMax = 0, RaceLonMin = 0;
  double RaceCentreLat = 0, RaceCentreLon = 0;
  double CosCentreLat = 1;
  double RaceLatSpan = 0, RaceLonSpan = 0;  // with a 20 % margin, squared in metres
  float RaceDiagonal = 0;

  friend bool operator==(const RaceExtent&, const RaceExtent&) = default;
};

}  // namespace kw
