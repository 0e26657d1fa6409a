#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "race/model.h"
#include "view/window_layout.h"

using namespace kw;

namespace {

// A maximised window on a 1024 x 768 screen: work area 1024 x 728, client 700 high.
LayoutInput Maximised() {
  LayoutInput in;
  in.formWidth = 1024;
  in.clientHeight = 700;
  in.screenHeight = 768;
  in.boatListMinHeight = 100;
  in.boatsLoaded = true;
  in.flagSize = QSize(60, 40);
  in.currentMapWidth = 500;
  in.currentMapHeight = 400;
  return in;
}

}  // namespace

TEST(WindowLayout, MapTimeBarAndRightColumn) {
  const WindowLayout l = ComputeWindowLayout(Maximised());
  EXPECT_EQ(l.LayoutHeight, 704);
  EXPECT_FALSE(l.ClassPanelFits);
  EXPECT_EQ(l.pnlSPLITE, QRect(0, 0, 1024, 704));
  EXPECT_EQ(l.pnlLOGO, QRect(759, 0, 265, 200));
  EXPECT_EQ(l.pnlCTRL, QRect(759, 449, 265, 255));
  EXPECT_EQ(l.pnlTimeBar, QRect(709, 0, 50, 704));
  EXPECT_TRUE(l.mapResized);
  EXPECT_EQ(l.MapWidth, 709);  // 1024 - 265 - 50
  EXPECT_EQ(l.MapHeight, 704);
  EXPECT_EQ(l.MapFrameRect, QRect(0, 0, 710, 705));
  EXPECT_EQ(l.pnlFLAG, QRect(644, 5, 60, 40));
  EXPECT_EQ(l.btnStopWatch, QRect(631, 564, 73, 20));
  EXPECT_EQ(l.Memo8, QRect(631, 542, 73, 20));
  EXPECT_EQ(l.pnlCT.topLeft(), QPoint(449, 674));
  EXPECT_LE(l.pnlCT.right(), l.MapWidth - 90);  // clear of the race time label

  LayoutInput tall = Maximised();
  tall.clientHeight = 745;  // 749 > 768 - 20
  EXPECT_TRUE(ComputeWindowLayout(tall).ClassPanelFits);
  tall.clientHeight = 744;
  EXPECT_FALSE(ComputeWindowLayout(tall).ClassPanelFits);
}

TEST(WindowLayout, BoatListGrowsThenCoversTheLogo) {
  LayoutInput in = Maximised();  // 249 pixels between logo and controls
  for (auto [need, top, height] : {std::tuple{100, 200, 249},
                                   {249, 200, 249},
                                   {300, 200, 300},
                                   {503, 200, 503},
                                   {504, 0, 504},
                                   {800, 0, 800}}) {
    in.boatListMinHeight = need;
    const QRect list = ComputeWindowLayout(in).pnlBOATlist;
    EXPECT_EQ(list, QRect(759, top, 265, height)) << need;
  }
}

TEST(WindowLayout, MapKeepsItsSizeWithoutBoatsOrInSmallScreen) {
  LayoutInput in = Maximised();
  in.boatsLoaded = false;
  WindowLayout l = ComputeWindowLayout(in);
  EXPECT_FALSE(l.mapResized);
  EXPECT_EQ(QSize(l.MapWidth, l.MapHeight), QSize(500, 400));
  EXPECT_EQ(l.pnlTimeBar, QRect(709, 0, 50, 704));  // the column still follows the window
  EXPECT_EQ(l.pnlFLAG.left(), 435);

  in.boatsLoaded = true;
  in.smallScreen = true;
  l = ComputeWindowLayout(in);
  EXPECT_FALSE(l.mapResized);
  EXPECT_EQ(QSize(l.MapWidth, l.MapHeight), QSize(500, 400));
}

TEST(WindowLayout, ControlPanelPlacesFitThePanel) {
  const std::vector<ControlPlace>& places = ControlPanelPlaces();
  ASSERT_EQ(places.size(), 27u);  // the manoeuvres' switch the 27th
  std::set<std::string> names;
  for (const ControlPlace& c : places) {
    names.insert(c.name);
    EXPECT_TRUE(QRect(0, 0, 265, 255).contains(c.rect)) << c.name;
  }
  EXPECT_EQ(names.size(), places.size());
  auto at = [&](const std::string& name) {
    for (const ControlPlace& c : places)
      if (name == c.name) return c.rect;
    return QRect();
  };
  EXPECT_EQ(at("CheckBox4"), QRect(169, 136, 86, 16));
  EXPECT_EQ(at("Button2"), QRect(169, 170, 85, 16));
}

TEST(WindowLayout, BoatListInTwoColumnsWithoutClasses) {
  RaceData r;
  r.BoatCount = 7;  // BoatListRows left 0: computed as 4
  const FocusListLayout f = LayoutFocusLists(r);
  ASSERT_EQ(f.boatBox.size(), 8u);
  for (int b = 1; b <= 4; ++b) EXPECT_EQ(f.boatBox[b], QRect(5, 14 * b, 120, 12)) << b;
  for (int b = 5; b <= 7; ++b) EXPECT_EQ(f.boatBox[b], QRect(132, 14 * (b - 4), 120, 12)) << b;
  EXPECT_EQ(f.label1, QPoint(9, 0));
  EXPECT_EQ(f.BoatListMinHeight, 76);

  // the race file's own count wins
  EXPECT_EQ(LayoutFocusLists(r, 5).boatBox[5], QRect(5, 70, 120, 12));

  r.BoatCount = 0;
  const FocusListLayout empty = LayoutFocusLists(r);
  EXPECT_EQ(empty.boatBox.size(), 1u);
  EXPECT_EQ(empty.BoatListMinHeight, 20);
}

TEST(WindowLayout, BoatListSizesFromTheRaceFile) {
  // Three boats in two classes.
  const BoatListSizes s = BoatListSizesFor(3, 2);
  EXPECT_EQ(s.classPanelHeight, 2 * 14 + 10);
  EXPECT_EQ(s.rows, 2);  // round(3.6 / 2) = round(1.8)
  EXPECT_EQ(s.minHeight, 2 * 14 + 25 + 38);
  EXPECT_EQ(BoatListSizesFor(7, 0).classPanelHeight, 0);
}

TEST(WindowLayout, BoatListGroupedByClass) {
  RaceData r;
  r.BoatCount = 6;
  r.ClassCount = 2;
  const int classOf[] = {0, 1, 2, 1, 1, 0, 2};
  for (int b = 1; b <= 6; ++b) r.BoatClass[b] = classOf[b];
  const FocusListLayout f = LayoutFocusLists(r, 3, 38);
  ASSERT_EQ(f.classBox.size(), 3u);
  EXPECT_EQ(f.label1, QPoint(9, 0));
  // Class 1 (boats 1, 3, 4) takes two rows: a pair, then boat 4 alone.
  EXPECT_EQ(f.classBox[1], QRect(5, 21, 120, 12));
  EXPECT_EQ(f.boatBox[1].topLeft(), QPoint(5, 35));
  EXPECT_EQ(f.boatBox[3].topLeft(), QPoint(132, 35));
  EXPECT_EQ(f.boatBox[4].topLeft(), QPoint(5, 49));
  EXPECT_EQ(f.classBox[2], QRect(5, 70, 120, 12));
  EXPECT_EQ(f.boatBox[2].topLeft(), QPoint(5, 84));
  EXPECT_EQ(f.boatBox[6].topLeft(), QPoint(132, 84));
  // A boat of no class stays where the two-column list put it.
  EXPECT_EQ(f.boatBox[5], QRect(132, 66, 120, 12));
  EXPECT_EQ(f.BoatListMinHeight, 104);
}
