#include "view/window_layout.h"

#include <algorithm>

#include "race/model.h"
#include "race/numbers.h"

namespace kw {

namespace {

constexpr int kColumnWidth = 265;  // logo, boat list and control panel
constexpr int kLogoHeight = 200;
constexpr int kControlHeight = 255;
constexpr int kTimeBarWidth = 50;

constexpr int kBoxWidth = 120, kBoxHeight = 12, kRowStep = 14;
constexpr int kLeftColumn = 5, kRightColumn = 132;

}  // namespace

WindowLayout ComputeWindowLayout(const LayoutInput& in) {
  WindowLayout l;
  l.FormWidth = in.formWidth;
  l.LayoutHeight = in.clientHeight + 4;
  l.ClassPanelFits = l.LayoutHeight > in.screenHeight - 20;

  const int column = l.FormWidth - kColumnWidth;
  l.pnlSPLITE = QRect(0, 0, l.FormWidth, l.LayoutHeight);
  l.pnlLOGO = QRect(column, 0, kColumnWidth, kLogoHeight);
  l.pnlCTRL = QRect(column, l.LayoutHeight - kControlHeight, kColumnWidth, kControlHeight);

  // The boat list fills the gap between logo and controls, grows past it when it needs more,
  // and climbs over the logo when it would not fit below it.
  const int free = l.LayoutHeight - kLogoHeight - kControlHeight;
  const int listHeight = in.boatListMinHeight < free ? free : in.boatListMinHeight;
  const int listTop = in.boatListMinHeight < l.LayoutHeight - kLogoHeight ? kLogoHeight : 0;
  l.pnlBOATlist = QRect(column, listTop, kColumnWidth, listHeight);

  l.pnlTimeBar = QRect(l.pnlLOGO.left() - kTimeBarWidth, 0, kTimeBarWidth, l.LayoutHeight);

  l.mapResized = in.boatsLoaded && !in.smallScreen;
  if (l.mapResized) {
    l.MapWidth = l.pnlTimeBar.left();
    l.MapHeight = l.LayoutHeight;
    l.btnStopWatch = QRect(l.MapWidth - 78, l.MapHeight - 140, 73, 20);
    l.Memo8 = QRect(l.MapWidth - 78, l.MapHeight - 162, 73, 20);
    // Narrow enough to leave the race time label at the map's bottom right uncovered.
    l.pnlCT = QRect(l.MapWidth - 260, l.MapHeight - 30, 170, 26);
  } else {
    l.MapWidth = in.currentMapWidth;
    l.MapHeight = in.currentMapHeight;
  }
  l.MapFrameRect = QRect(0, 0, l.MapWidth + 1, l.MapHeight + 1);
  // Placed from the map's new width so that the flags follow the resize at once.
  l.pnlFLAG = QRect(QPoint(l.MapWidth - in.flagSize.width() - 5, 5), in.flagSize);
  return l;
}

const std::vector<ControlPlace>& ControlPanelPlaces() {
  static const std::vector<ControlPlace> places = [] {
    std::vector<ControlPlace> v = {
        {"Label5", QRect(12, 12, 126, 12)},      {"ComboBox1", QRect(11, 28, 167, 20)},
        {"chkAutoNext", QRect(182, 7, 72, 16)},  {"Label12", QRect(154, 9, 20, 14)},
        {"Label14", QRect(125, 9, 25, 14)},      {"Button1", QRect(207, 195, 44, 49)},
        {"Button4", QRect(183, 28, 73, 19)},     {"GroupBox2", QRect(12, 56, 65, 55)},
        {"GroupBox1", QRect(83, 56, 71, 45)},    {"pnlDIR", QRect(10, 116, 69, 72)},
        {"GroupBox4", QRect(83, 109, 71, 60)},   {"Label3", QRect(11, 198, 32, 12)},
        {"ScrollBar2", QRect(48, 197, 106, 16)}, {"usa", QRect(165, 194, 34, 23)},
        {"jpn", QRect(165, 194, 34, 23)},        {"Label2", QRect(9, 226, 36, 12)},
        {"ScrollBar1", QRect(48, 225, 106, 16)}, {"Memo2", QRect(162, 224, 42, 19)},
    };
    // The column of check boxes and buttons beside the group boxes, 17 pixels apart.
    const char* column[] = {"CheckBox1",  "chkLL",     "ChkRefLine", "CheckBox2",
                            "ChkBigBoat", "CheckBox4", "Button3",    "Button2"};
    for (int i = 0; i < 8; ++i)
      v.push_back({column[i], QRect(169, 51 + 17 * i, i < 6 ? 86 : 85, 16)});
    // The manoeuvres' switch, under the sea colour's box (which its AUTO and bar fill).
    v.push_back({"chkManoeuvres", QRect(83, 171, 84, 16)});
    return v;
  }();
  return places;
}

BoatListSizes BoatListSizesFor(int boatCount, int classCount) {
  BoatListSizes s;
  s.rows = RoundInt((boatCount + 0.6) / 2);
  s.classPanelHeight = classCount >= 1 ? classCount * 14 + 10 : 0;
  s.minHeight = s.rows * 14 + 25 + s.classPanelHeight;
  return s;
}

FocusListLayout LayoutFocusLists(const RaceData& race, int rowsGiven, int classPanelGiven) {
  FocusListLayout f;
  const int boats = std::max(0, race.BoatCount);
  const int classes = std::max(0, race.ClassCount);
  f.classBox.resize(classes + 1);
  f.boatBox.resize(boats + 1);

  const int rows = rowsGiven > 0 ? rowsGiven : RoundInt((boats + 0.6) / 2);
  int classPanel = classPanelGiven;
  if (classPanel <= 0 && classes >= 1) classPanel = classes * 14 + 10;

  for (int i = 1; i <= classes; ++i) f.classBox[i] = QRect(80, 14 * i - 8, kBoxWidth, kBoxHeight);
  f.label1 = QPoint(9, classPanel);
  for (int i = 1; i <= boats; ++i) {
    const bool left = i <= rows;
    f.boatBox[i] = QRect(left ? kLeftColumn : kRightColumn,
                         kRowStep * (left ? i : i - rows) + classPanel, kBoxWidth, kBoxHeight);
  }
  f.BoatListMinHeight = kRowStep * rows + classPanel + 20;
  if (classes == 0) return f;

  // With classes, each class heads its own boats, two to a row.
  f.label1 = QPoint(9, 0);
  int y = 0;
  for (int c = 1; c <= classes; ++c) {
    y += 21;
    f.classBox[c].moveTo(kLeftColumn, y);
    int inClass = 0;
    for (int b = 1; b <= boats && b < static_cast<int>(race.BoatClass.size()); ++b) {
      if (race.BoatClass[b] != c) continue;
      if (inClass % 2 == 0) {
        y += kRowStep;
        f.boatBox[b].moveTo(kLeftColumn, y);
      } else {
        f.boatBox[b].moveTo(kRightColumn, y);
      }
      ++inClass;
    }
  }
  f.BoatListMinHeight = y + 20;
  return f;
}

}  // namespace kw
