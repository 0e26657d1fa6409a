// The numbers behind the graph page (course and speed against time) and the analysis page
// (sailed distance against time, whole race, upwind and downwind), kept apart from the drawing
// so that they can be checked without pictures.
#pragma once

#include <QPoint>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "race/numbers.h"

namespace kw {

struct RaceData;
struct PassingResults;

// ---- Graph page ------------------------------------------------------------------------------

// The fastest sample of any boat in knots, at least 3.
double MaxBoatSpeed(const RaceData& race);
// Knots on the speed axis: 1.5 x the fastest speed, rounded, within 5..16.
int SpeedTicksFor(double maxBoatSpeed);
// Seconds between the time grid lines for a replay window of `clockSpan` seconds.
int TimeGridInterval(double clockSpan);

// The two plots side by side: course against wind on the left, speed on the right; time runs
// upward with the start of the window at the bottom.
struct GraphGeometry {
  int y0 = 40, H = 0;   // plot top and height
  int x0 = 40, W1 = 0;  // left plot
  int x1 = 0, W2 = 0;   // right plot
  double clockFirst = 0, clockSpan = 1;
  int speedTicks = 5;

  // Pixels per second, per degree and per knot (set with the rest).
  double yScale = 0, dirScale = 0, speedScale = 0;

  // Inline and without divisions: a long race maps millions of samples for one page.
  int TimeY(double t) const { return PixelRound(y0 + H - (t - clockFirst) * yScale); }
  // a in degrees, brought into 0..360 first.
  int DirectionX(double a) const {
    if (a < 0) a += 360;
    if (a > 360) a -= 360;
    return PixelRound(x0 + a * dirScale);
  }
  int SpeedX(double knots) const { return PixelRound(x1 + knots * speedScale); }
};
GraphGeometry MakeGraphGeometry(const RaceData& race, int mapWidth, int clientHeight);

// The time grid: seconds after the gun of each line drawn (inside the plot, above its top edge
// excluded) and whether it falls on a whole hour.
struct TimeGridLine {
  int seconds = 0;
  int y = 0;
  bool gun = false, hour = false;
  QString label;  // "h:mm"
};
std::vector<TimeGridLine> TimeGrid(const GraphGeometry& g);

// A boat's course trace: runs of points joined by lines. A course crossing the plot's side edge
// (more than half the plot width in one step) ends its run at the edge at mid height and the next
// run starts at the other edge.
// A row of points keeps its first, its leftmost, its rightmost and its last point (those are
// what one-pixel strokes show of it). `rowsOnly` lets a stretch of samples on one row give those
// four even where they are fewer (the same pixels, fewer samples read on a long race).
using Runs = std::vector<std::vector<QPoint>>;
Runs CourseTrace(const RaceData& race, const GraphGeometry& g, int boat, bool rowsOnly = false);
// A boat's speed trace, one run.
std::vector<QPoint> SpeedTrace(const RaceData& race, const GraphGeometry& g, int boat,
                               bool rowsOnly = false);
// The wind direction series inside the window (no edge handling) and the wind speed series from
// the window's start on, at half scale against the speed axis (the wind axis reads twice the
// boat speed).
std::vector<QPoint> WindDirectionTrace(const RaceData& race, const GraphGeometry& g);
std::vector<QPoint> WindSpeedTrace(const RaceData& race, const GraphGeometry& g);

// ---- Analysis page ---------------------------------------------------------------------------

// Grid step for a range r: 1, 2 or 5 times a power of ten.
double FigureGridStep(double range);

// One boat in one figure: sailed distance (m) and time (s); whether it sets the axis ranges
// and whether it is drawn at all.
struct FigurePoint {
  double distance = 0, time = 0;
  bool inRanges = false, drawn = false;
  QPoint centre;  // where its circle is, (0, 0) when it is not drawn or falls outside the plot
};

// The pixel frame of one figure and its data scale.
struct FigureFrame {
  int ox = 0, oy = 0;                             // quarter origin
  int QW = 0, QH = 0;                             // quarter size
  int PW = 0, PH = 0;                             // plot size
  int ML = 0, MT = 0;                             // margins
  int SW = 0, SH = 0;                             // span of the data in pixels
  int cx = 0, cy = 0;                             // plot centre
  double dmin = 0, dmax = 0, tmin = 0, tmax = 0;  // after widening
  double dc = 0, tc = 0, sx = 0, sy = 0;
  double dL = 0, dR = 0, tB = 0, tT = 0;  // plot edges in data units

  int X(double d) const;
  int Y(double t) const;
  // Strictly inside the plot rectangle.
  bool Inside(QPoint q) const;
};

struct Figure {
  int number = 0;  // 1 whole race, 2 upwind legs, 3 downwind legs
  bool drawn = false;
  std::vector<FigurePoint> boats;  // [boat], 0 unused
  FigureFrame frame;
};

// An iso-speed line (tenths of a knot) clipped to the plot, or nothing when it misses it.
struct IsoSpeedLine {
  int tenths = 0;
  QPoint from, to;
};
std::optional<IsoSpeedLine> IsoSpeed(const FigureFrame& f, int tenths);

// The three figures of the page at the map's size; `noteShown` moves them down for the
// corrected-time note.
std::array<Figure, 3> ComputeFigures(const RaceData& race, const PassingResults& passing,
                                     int mapWidth, int mapHeight, bool noteShown);

}  // namespace kw
