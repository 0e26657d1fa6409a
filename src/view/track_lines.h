// A boat's track as the pictures that show whole tracks draw it (overview, still map,
// highlight): the polylines through its samples, at the detail the picture's pixels can show.
#pragma once

#include <QPolygon>
#include <QRect>

#include <vector>

namespace kw {

struct RaceData;
class ScreenProjector;

// Samples first..last of boat b, projected and rounded to pixels, in one or more polylines.
// With a usable outline of the track (race/track_outline.h): through the coarsest level that
// keeps within half a pixel of the track, and only where a run of points can reach `clip`
// (the rest is left out, which breaks the line there). Without one: every sample, one line.
std::vector<QPolygon> TrackPolylines(const RaceData& race, int b, int first, int last,
                                     const ScreenProjector& project, QRect clip);

}  // namespace kw
