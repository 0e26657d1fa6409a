// keelway-cli snapshot: the map at one moment of the race, drawn by the window's renderer with
// every overlay, as a picture for reports and for pixel checks.
#pragma once

#include <QImage>

namespace kw {

struct RaceSession;

struct SnapshotOptions {
  double at = 0;  // race clock, seconds from the gun
  int width = 1000, height = 1000;
  int northUp = -1;    // 1 north up, 0 wind up, -1 as the race file says
  bool still = false;  // the still map at zoom 1 instead of the map following the boats
};

// The map of a loaded race (loaded with MapWidth x MapHeight already set to the picture's size)
// at `o.at`: sea colour by the time of day, lights, names and sails as the window shows them
// with the pointer over the map.
QImage RenderSnapshot(RaceSession& s, const SnapshotOptions& o);

}  // namespace kw
