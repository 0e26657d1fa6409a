// Per-boat state of the frame being drawn: where each boat is at the frame's time. Written by
// the renderer, read by the view fit, the overview map, the KML snapshot and the timers.
#pragma once

#include <array>
#include <vector>

namespace kw {

struct FrameBoats {
  std::vector<int> BoatPresent;
  std::vector<double> BoatLatNow, BoatLonNow, BoatHeadingNow, BoatSpeedNow;
  std::vector<int> BoatSampleIndex;
  // True wind direction at t minus the heading, in [-180, 180]; positive: wind from starboard.
  std::vector<double> BoatWindAngleNow;
  // Boats present at t; counts from 1 instead of 0 up to the gun so that the end-of-race step
  // never runs before anyone has a position.
  int BoatsWithPosition = 0;
  // Present boats ticked in the boat list: the first four by boat number, and how many there are.
  std::array<int, 4> FocusedBoats{};
  int FocusedBoatCount = 0;

  void Resize(int boatCount) {
    const size_t n = static_cast<size_t>(boatCount) + 2;
    BoatPresent.assign(n, 0);
    BoatLatNow.assign(n, 0);
    BoatLonNow.assign(n, 0);
    BoatHeadingNow.assign(n, 0);
    BoatSpeedNow.assign(n, 0);
    BoatSampleIndex.assign(n, 1);
    BoatWindAngleNow.assign(n, 0);
    BoatsWithPosition = 0;
    FocusedBoats = {};
    FocusedBoatCount = 0;
  }
};

}  // namespace kw
