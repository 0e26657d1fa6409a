// The wind and the clock on the map: the big wind arrow with its veer/back mark, the compass
// card with the wind direction, the wind strip with its cursor, the streamers at the boats and
// the analogue clock; and the two pictures they copy, the turned compass card and the strip.
#pragma once

#include <QImage>

class QPainter;

namespace kw {

struct RaceData;
struct ViewState;
struct PlaybackState;
struct RenderState;

// The compass card (100 x 120) turned by `angle` degrees clockwise from the source card.
QImage RotateCompass(const QImage& source, double angle);
// The card's angle: MagneticVariation north up, MagneticVariation - WindwardBearing wind up.
double CompassAngle(const RaceData& race);
// The wind-direction strip (100 x 120): time upwards, direction across.
QImage BuildWindStripImage(const RaceData& race);

void DrawWindArrow(QPainter& p, const RaceData& race, const ViewState& v, const RenderState& rs);
void DrawCompassOnMap(QPainter& p, const RaceData& race, const RenderState& rs);
void DrawWindStripOnMap(QPainter& p, const RaceData& race, const PlaybackState& play,
                        const RenderState& rs);
void DrawClock(QPainter& p, const ViewState& v, const RenderState& rs, double timeOfDay);
// A thin wedge from the boat at (x, y) into the wind; `size` is the reference boat size.
void DrawStreamer(QPainter& p, const RaceData& race, const RenderState& rs, double size, double x,
                  double y);

}  // namespace kw
