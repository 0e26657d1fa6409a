// The map scene: one frame of the replay drawn into the map bitmap at a clock time. Steps that
// belong to the course, wind and clock overlays and the overview map are separate functions
// called at their places in the frame.
#pragma once

#include <QString>

#include "view/scene_parts.h"

class QImage;
class QPainter;

namespace kw {

struct RenderState;

struct SceneResult {
  // No boat had a position: the caller runs the end-of-race step; nothing was drawn.
  bool RaceEnded = false;
  // Boats were present but none ticked, so every boat was ticked; the window ticks its class
  // boxes to match.
  bool TickedAllBoats = false;
  int BoatsOnScreen = 0;   // hulls drawn inside the map
  int TimePointerTop = 0;  // top of the time bar's pointer
};

// Draws the frame at t (seconds from the gun) into `map`, which the caller has prepared (sea
// colour in trace mode, else the still-map background). Updates the per-boat frame state, the
// view and FrameCount of the scene.
SceneResult DrawScene(SceneParts s, RenderState& rs, QImage& map, double t);

// The race time label's text: 59, 50:00, 0:50:01.
QString RaceTimeText(double clock);
// Small screen's play-speed text over the map: "Play SPD= 8x".
QString PlaySpeedText(double playSpeed);

// Overlay steps drawn by other parts of the map; empty until those exist.
void DrawTraceOverlays(SceneParts s, const RenderState& rs, QPainter& p);
void DrawOverviewMap(SceneParts s, const RenderState& rs, QPainter& p);
void DrawCourseOverlays(SceneParts s, const RenderState& rs, QPainter& p);
void DrawWindClockOverlays(SceneParts s, const RenderState& rs, QPainter& p);
void DrawWindStreamer(SceneParts s, const RenderState& rs, QPainter& p, int boat, double x,
                      double y, double size);
void UpdateWindAtTime(SceneParts s, RenderState& rs, double t);

}  // namespace kw
