// The window's arrangement, computed from its size: the map at the left, the time bar beside it,
// and the column of logo, boat list and control panel at the right edge; the fixed places of the
// control panel's children; the class and boat check boxes of the boat list.
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace kw {

struct RaceData;

struct LayoutInput {
  int formWidth = 0;
  int clientHeight = 0;
  int screenHeight = 0;       // screen height taken at the race load
  int boatListMinHeight = 0;  // height the boat list needs
  bool boatsLoaded = false;
  bool smallScreen = false;
  QSize flagSize;           // pnlFLAG
  int currentMapWidth = 0;  // kept when no boats are loaded or in small-screen mode
  int currentMapHeight = 0;
};

struct WindowLayout {
  int FormWidth = 0, LayoutHeight = 0;
  bool ClassPanelFits = false;
  QRect pnlSPLITE, pnlLOGO, pnlCTRL, pnlBOATlist, pnlTimeBar, pnlFLAG;
  bool mapResized = false;  // boats loaded and not small-screen: the map takes the free area
  int MapWidth = 0, MapHeight = 0;
  QRect MapFrameRect;
  QRect btnStopWatch, Memo8, pnlCT;  // meaningful when mapResized
};
WindowLayout ComputeWindowLayout(const LayoutInput& in);

// A child of the control panel and its place.
struct ControlPlace {
  const char* name;
  QRect rect;
};
// Every fixed place inside pnlCTRL (the table and the check-box column). ListBox1 is placed by
// the caller just above Button2.
const std::vector<ControlPlace>& ControlPanelPlaces();

// The boat list: class boxes and boat boxes (1-based; index 0 unused), Label1's place and the
// height the list needs. A boat of no class in a race with classes keeps its first place.
struct FocusListLayout {
  std::vector<QRect> classBox;
  std::vector<QRect> boatBox;
  QPoint label1;
  int BoatListMinHeight = 0;
};
// `rows` of the two columns and the class panel's height as the race file gave them (0: from
// the race's boats and classes).
FocusListLayout LayoutFocusLists(const RaceData& race, int rows = 0, int classPanelHeight = 0);

// The boat list's rows of two columns and the class panel's height for the boats and classes a
// race file names, and the least height the list needs then.
struct BoatListSizes {
  int rows = 0, classPanelHeight = 0, minHeight = 0;
};
BoatListSizes BoatListSizesFor(int boatCount, int classCount);

}  // namespace kw
