// keelway-cli snapshot and video: the map at moments of the race, drawn by the window's
// renderer with every overlay, as pictures for reports, videos and pixel checks.
#pragma once

#include <QImage>

#include <memory>

namespace kw {

struct RaceSession;
struct RenderState;

struct SnapshotOptions {
  double at = 0;  // race clock, seconds from the gun
  int width = 1000, height = 1000;
  int northUp = -1;    // 1 north up, 0 wind up, -1 as the race file says
  bool still = false;  // the still map at zoom 1 instead of the map following the boats
  int page = 1;        // 1 the map, 2 the graphs, 3 the analysis figures
};

// Draws the map of a loaded race (loaded with MapWidth x MapHeight already set to the picture's
// size) as the window shows it with the pointer over the map: sea colour by the time of day,
// names, sails, lights, the start flags and, after finishes, the ranking list.
class MapPainter {
 public:
  MapPainter(RaceSession& s, const SnapshotOptions& o);
  ~MapPainter();
  // The frame at race clock t. Frames drawn in order carry the wind smoothing, the lights'
  // flashes (`realSeconds` of replay since the previous frame) and the finishes from one to the
  // next, as the replay does.
  QImage Draw(double t, double realSeconds = 0);

 private:
  RaceSession& s_;
  SnapshotOptions o_;
  std::unique_ptr<RenderState> rs_;
  QImage background_, ranking_, classFlag_, bluePeter_;
  int backgroundBrightness_ = -1;
  double lightClock_ = 0;
};

QImage RenderSnapshot(RaceSession& s, const SnapshotOptions& o);

}  // namespace kw
