// Display switches and window state the map renderer reads on every frame. The window (pointer
// position, check boxes, boat list) sets them; the renderer changes only the wind state, which
// it carries from frame to frame.
#pragma once

#include <QImage>

#include <vector>

#include "analysis/wind_now.h"
#include "race/model.h"

namespace kw {

struct BoatManoeuvres;

struct RenderState {
  // 0..3 from the pointer position; "Show Name" lifts 0 to 1 before the frame.
  int LabelLevel = 0;
  bool ShowAllHulls = false;  // pointer over the left three quarters of the map
  bool SpeedWakes = false;    // pointer in the bottom strip of the map in trace mode
  bool HoverNames = false;    // pointer in the top third of the map in trace mode, level 0
  int NameBlink = 0;          // 1 on every third tick of the one-second timer
  bool ShowSails = true;      // set after every race load
  bool ShowWindTicks = false;
  int HoverBoat = 0;          // boat under the pointer in the boat list, 0 for none
  int MarkedBoat = 0;         // boat marked in the boat list, 0 for none
  int SmallScreen = 0;        // 0 off, else the size chosen on the size bar
  bool OverviewOnMap = true;  // small screen: the overview copied onto the map's corner
  bool BigBoat = false;       // "Big Boat"
  bool CompLine = false;      // "Comp Line"
  bool AutoTrace = true;      // "Auto Trace"
  Rgb SeaColor{0, 0, 128};    // fill of the map in trace mode and label background
  int SeaBrightness = 50;
  Rgb GridColor{0, 0, 0};  // distance grid, set with the sea colour
  // Mean speeds of the fleet on each point of sailing; a boat faster than its mean gets a red
  // wake while SpeedWakes is on.
  double MeanUpwindSpeed = 0, MeanDownwindSpeed = 0;
  // The wind at the frame's time and its smoothing, kept from frame to frame and across races.
  WindState Wind;
  bool ShowWindArrow = false;  // pointer over the left three quarters of the map
  bool LayLines = false;       // "Lay Line"
  int TimeBarHeight = 0;
  int WindowHeight = 0;  // the main window's height, which sets the grid spacing
  // Pictures built when a race loads or the view turns, copied onto every frame: the compass
  // card (compasst), the wind strip (Image10) with the top of its panel, and the overview.
  QImage CompassCard, WindStrip, Overview;
  int WindStripTop = 0;
  // Every boat's manoeuvres, marked on the maps while the window's "Manoeuvres" switch is on;
  // null when it is off.
  const std::vector<BoatManoeuvres>* Manoeuvres = nullptr;
};

}  // namespace kw
