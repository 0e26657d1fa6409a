// The vertical time bar beside the map: the replay window from ClockFirst (bottom) to ClockLast
// (top) with boat 1's upwind and downwind stretches, the start, day and night shading, the
// "START" box and the repeat span. Drawing into images and the row/time arithmetic; the window
// places the images and handles the mouse.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace kw {

struct RaceData;
struct ViewState;
struct PlaybackState;

// Where the bar and its pointer sit inside the time-bar panel.
struct TimeBarGeometry {
  int barLeft = 11, barTop = 29, barWidth = 30, barHeight = 0;  // TimeBar
  int pointerLeft = 1, pointerWidth = 48, pointerHeight = 3;    // TimePointer
  int panelWidth = 50, panelHeight = 0;                         // BackTimeBar covers the panel
};
TimeBarGeometry TimeBarGeometryFor(int panelWidth, int panelHeight);

// The bar itself (TimeBar): background, boat 1's wind zones, the start mark.
QImage DrawTimeBarImage(const RaceData& race, const TimeBarGeometry& g);
// The panel behind it (BackTimeBar): day and night rows, the "START" box, and while a repeat
// span is on, the span the right button last dragged (clock values at its press and release).
QImage DrawBackTimeBarImage(const RaceData& race, const ViewState& view, const PlaybackState& p,
                            const TimeBarGeometry& g, double dragFrom = 0, double dragTo = 0);
// The blue box of a right drag in progress, from the press row to the pointer row (rows on
// the bar).
void DrawDragBox(QImage& back, const TimeBarGeometry& g, int startY, int y);

// Top of the pointer for a clock value.
int TimePointerTop(const RaceData& race, double clock, int barHeight);
// Clock value of a row on the bar: Round(ClockLast − y / height × ClockSpan).
double TimeAtRow(const RaceData& race, int y, int barHeight);
// Clamping of a click: above ClockLast jumps to ClockLast − 100, below ClockFirst to ClockFirst.
double ClampBarTime(const RaceData& race, double t);
// True for a click in the "START" box (the bottom 30 pixels of the panel).
bool InStartBox(const TimeBarGeometry& g, int y);

// The tip shown beside the bar: lines and the box size, in the language given (< 1 Japanese).
struct TimeBarHint {
  QStringList lines;
  int width = 0, height = 0;
};
TimeBarHint TimeBarHintFor(int language, const QString& dateTimeText);

}  // namespace kw
