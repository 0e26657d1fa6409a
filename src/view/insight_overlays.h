// What the fleet's tracks tell beyond the replay, drawn where the window shows it: every
// manoeuvre marked on the maps (a small symbol by kind, in the boat's colour), the text of the
// pointer's tip over a mark, and the wind estimated from the fleet as a dashed trace over the
// graph page, in both languages.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

#include <vector>

#include "analysis/manoeuvres.h"
#include "analysis/page_numbers.h"
#include "view/scene_parts.h"

class QPainter;

namespace kw {

struct RaceData;
struct ViewState;
struct RenderState;
struct WindEstimate;

// Seconds from the gun as a signed clock: "+0:17:16", "-0:02:05".
QString SignedClockText(double seconds);

struct ManoeuvreMark {
  int boat = 0;
  size_t index = 0;  // in the boat's list
  QPoint at;         // on the map
};

// The marks of the ticked boats' manoeuvres inside the map: on the moving map those made up to
// `clock`, on the still map (TraceMode 0) all of them.
std::vector<ManoeuvreMark> ManoeuvreMarks(const RaceData& race, const ViewState& v,
                                          const std::vector<BoatManoeuvres>& boats, double clock);

// Tack: a triangle pointing up; gybe: pointing down; rounding: a diamond; penalty: a ring
// with a cross. Filled in the boat's colour, outlined white.
void DrawManoeuvreMarks(QPainter& p, const RaceData& race, const std::vector<BoatManoeuvres>& boats,
                        const std::vector<ManoeuvreMark>& marks);

// The frame's step: the marks when the window's switch gives the manoeuvres (rs.Manoeuvres).
void DrawManoeuvresOnFrame(SceneParts s, const RenderState& rs, QPainter& p, double t);

// The mark within `radius` pixels of `pointer` nearest to it; null when none.
const ManoeuvreMark* MarkUnder(const std::vector<ManoeuvreMark>& marks, QPoint pointer,
                               int radius = 6);

// "Tack" / "タック" ...
QString ManoeuvreKindText(ManoeuvreKind kind, int language);
// The boat, the kind, the race time and the metres lost, on three lines.
QString ManoeuvreTipText(const RaceData& race, int boat, const Manoeuvre& m, int language);

// The estimated wind over the graph page's left plot, dashed (a gap where no value was found),
// and its label; without an estimate, the label saying why there is none.
void DrawEstimatedWind(QImage& graph, const RaceData& race, const GraphGeometry& g,
                       const WindEstimate& estimate, int language);

}  // namespace kw
