// The chart of the moving map, drawn afresh in every trace-mode frame: navigation lights, the
// distance grid, the coastline, the scale bar, the marks and lines with their zone circles and
// laylines, and the course route or the reference lines. The still map draws its marks, lines
// and coastline once into its background with the same pieces.
#pragma once

#include <QColor>

#include <functional>

class QPainter;
class QPoint;

namespace kw {

struct RaceData;
struct ViewState;
struct PlaybackState;
struct PassingResults;
struct RenderState;

// Spacing of the distance grid and the scale bar, km, for a window height in pixels.
double GridSpacingKm(int windowHeight, double pixelsPerKm);
// Zone circle radius in pixels: two boat lengths, at least 10.
int ZoneRadius(double defaultBoatLength, double pixelsPerMinute);

// The wind axis and the laylines through (x, y).
void DrawLaylines(QPainter& p, const RaceData& race, const ViewState& v, const RenderState& rs,
                  double x, double y);
void DrawLights(QPainter& p, const RaceData& race, const ViewState& v, const PlaybackState& play,
                const RenderState& rs);
void DrawGrid(QPainter& p, const RaceData& race, const ViewState& v, const RenderState& rs);
void DrawCoastline(QPainter& p, const RaceData& race, const ViewState& v);
void DrawScaleBar(QPainter& p, const ViewState& v, const RenderState& rs);
void DrawCourse(QPainter& p, const RaceData& race, const ViewState& v,
                const PassingResults& passing, const RenderState& rs);

// Marks and line ends as both maps show them: dotted zone circle, small yellow disc, red label
// on the sea colour. `project` places a position; `laylines`, when given, runs first at every
// mark and line end. A line's second end is drawn only when set unless `alwaysEndB`. Returns
// how many lines have no second end.
int DrawMarksAndLines(QPainter& p, const RaceData& race,
                      const std::function<QPoint(double, double)>& project, int zone, QColor sea,
                      bool alwaysEndB, const std::function<void(QPoint)>& laylines = {});

}  // namespace kw
