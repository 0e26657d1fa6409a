// The pointer over the maps: the position under it, the zones of the map that ask the renderer
// for more detail, the mark or line end nearest to it while the course is edited, re-centring
// the still map from the overview, and the wind-input area of the graph page.
#pragma once

#include <QString>

#include <optional>

#include "race/geodesy.h"

namespace kw {

struct RaceData;
struct ViewState;

// "N35:05.123" / "E139:45.678": whole degrees, then minutes with two integer digits and at most
// three decimals, cut. Zero counts as south and west.
QString LatitudeText(double lat);
QString LongitudeText(double lon);

// What the renderer draws more of, from where the pointer is over the map.
struct HoverZones {
  int LabelLevel = 0;
  bool ShowAllHulls = false;
  bool ShowWindArrow = false;
  bool ShowWindTicks = false;
  bool SpeedWakes = false;
  bool HoverNames = false;
  friend bool operator==(const HoverZones&, const HoverZones&) = default;
};
// `showName`: "Show Name" is ticked (lifts level 0 to 1).
HoverZones HoverZonesAt(int x, int y, int page, int traceMode, int mapWidth, int mapHeight,
                        bool showName);
// Over the compass card (`size` its side): level 0 near its centre, else 1.
int CompassLabelLevel(int x, int y, int size);

// The position under (x, y) on the still map: its own centre and zoomed scales, whatever the
// last frame used.
LatLon StillMapPosition(const RaceData& race, const ViewState& v, double x, double y);

// The mark or line end nearest to (x, y) on the still map within 100 pixels (marks first, then
// the first ends of the lines, then the placed second ends; a tie keeps the earlier one).
struct NearestCoursePoint {
  int mark = 0;  // 1-based, 0 for none
  int line = 0;  // 1-based, 0 for none
  double distance = 100;
  QString label;  // "MK3", "L2"; empty for none
};
NearestCoursePoint FindNearestCoursePoint(const RaceData& race, const ViewState& v, int x, int y);

// The still map centred on the position under (x, y) of the overview.
void RecentreFromOverview(const RaceData& race, ViewState& v, int x, int y);

// Click zoom: the factor after a click, kept within limits so that a long run of clicks never
// takes the map's coordinates out of range.
double ZoomAfterClick(double zoom, bool enlarge);

// The graph page's wind-input area: 40 pixels from the map's left and top, w wide (360
// degrees), h high (the playback window, its start at the bottom).
struct WindInputArea {
  int left = 40, top = 40, width = 0, height = 0;
};
WindInputArea WindInputAreaFor(int mapWidth, int clientHeight);
struct WindInput {
  double time = 0;  // seconds from the gun
  int direction = 0;
};
// The wind sample a press at (x, y) enters, or none outside the area.
std::optional<WindInput> WindInputAt(const RaceData& race, const WindInputArea& a, int x, int y);

}  // namespace kw
