// The overview map beside the main map: the whole race at a fixed scale (every track, the
// coastline, the lights), the boats' dots and the rectangle of what the main map shows. It turns
// with the main map. In small-screen mode a copy sits in the main map's top right corner.
#pragma once

#include <QImage>
#include <QRect>

class QPainter;

namespace kw {

struct RaceData;
struct ViewState;
struct PlaybackState;
struct FrameBoats;
struct RenderState;

QImage DrawOverviewImage(const RaceData& race, const ViewState& v);
// The main map's view as a rectangle on the overview, in the coordinates of the panel that
// holds the overview at (3, 3).
QRect ViewRectangle(const RaceData& race, const ViewState& v);
// Small-screen mode: the overview copied into the top right corner of the map, with a dot for
// every boat that has not finished yet.
void DrawOverviewCorner(QPainter& p, const RaceData& race, const ViewState& v,
                        const PlaybackState& play, const FrameBoats& frame, const RenderState& rs);

}  // namespace kw
