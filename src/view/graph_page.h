// The graph page: each shown boat's course against the wind (left) and its speed (right) over
// the replay window, time running upward; the wind series and one boat picked out are drawn over
// a copy of it.
#pragma once

#include <QImage>

#include "analysis/page_numbers.h"
#include "race/model.h"

class QPainter;

namespace kw {

// The whole page into `bitmap` (the map's size), filled with the sea colour first. Returns the
// geometry the overlays need.
GraphGeometry DrawGraphs(QImage& bitmap, const RaceData& race, int clientHeight, Rgb sea);

// The true wind speed and direction over the graphs (on the form, over the copied page).
void DrawWindOverlay(QPainter& p, const RaceData& race, const GraphGeometry& g, int mapWidth);

// Boat `boat`'s name and its two traces, white under its colour, so it stands out of the fleet.
void DrawBoatOnGraphs(QPainter& p, const RaceData& race, const GraphGeometry& g, int mapWidth,
                      int boat);

// The note written over the graph and analysis pages of a race loaded in corrected time.
QString CorrectedTimeNote();

}  // namespace kw
