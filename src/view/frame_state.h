// Per-boat state of the frame being drawn: where each boat is at the frame's time. Written by
// the renderer, read by the view fit, the overview map, the KML snapshot and the timers.
#pragma once

#include <vector>

namespace kw {

struct FrameBoats {
  std::vector<int> BoatPresent;
  std::vector<double> BoatLatNow, BoatLonNow, BoatHeadingNow, BoatSpeedNow;
  std::vector<int> BoatSampleIndex;

  void Resize(int boatCount) {
    const size_t n = static_cast<size_t>(boatCount) + 2;
    BoatPresent.assign(n, 0);
    BoatLatNow.assign(n, 0);
    BoatLonNow.assign(n, 0);
    BoatHeadingNow.assign(n, 0);
    BoatSpeedNow.assign(n, 0);
    BoatSampleIndex.assign(n, 1);
  }
};

}  // namespace kw
