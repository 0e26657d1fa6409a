// The graph page's scales and traces and the analysis page's figures, against hand-worked
// values; a few pixels where the drawing itself could go wrong.
#include <gtest/gtest.h>

#include <QImage>

#include <string>

#include "analysis/mark_passing.h"
#include "analysis/page_numbers.h"
#include "race/model.h"
#include "support/test_support.h"
#include "view/analysis_page.h"
#include "view/graph_page.h"
#include "view/paint.h"

using namespace kw;

namespace {

// One boat per entry of `courses`, one sample a second from the gun, all at 5 knots.
RaceData GraphRace(const std::vector<std::vector<int>>& courses, int windward = 0) {
  RaceData r;
  r.BoatCount = static_cast<int>(courses.size());
  SetBoatTableCapacity(r);
  r.WindwardBearing = windward;
  r.ClockFirst = 0;
  r.ClockLast = 1000;
  UpdateClockSpan(r);
  for (int b = 1; b <= r.BoatCount; ++b) {
    const auto& c = courses[b - 1];
    SetTrackCapacity(r, b, static_cast<int>(c.size()) + 1);
    r.BoatSampleCount[b] = static_cast<int>(c.size());
    for (size_t i = 0; i < c.size(); ++i) {
      r.TrackTime[b][i + 1] = static_cast<double>(i) * 100;
      r.TrackCourse[b][i + 1] = c[i];
      r.TrackSpeed[b][i + 1] = 5;
    }
    r.BoatShown[b] = 1;
    r.BoatColor[b] = Rgb{200, 0, static_cast<uint8_t>(b)};
  }
  return r;
}

}  // namespace

TEST(GraphPage, ScalesAndTimeGrid) {
  struct {
    double fastest;
    int ticks;
  } speeds[] = {{0, 5}, {3, 5}, {4, 6}, {7, 10}, {10.7, 16}, {20, 16}};
  for (const auto& s : speeds) EXPECT_EQ(SpeedTicksFor(std::max(s.fastest, 3.0)), s.ticks);
  struct {
    double span;
    int interval;
  } spans[] = {{10200, 300}, {10800, 300},  {11400, 600}, {21600, 600},
               {25200, 900}, {43201, 1800}, {86401, 3600}};
  for (const auto& s : spans) EXPECT_EQ(TimeGridInterval(s.span), s.interval) << s.span;

  RaceData r = GraphRace({{0}});
  r.ClockFirst = -300;
  r.ClockLast = 3900;
  UpdateClockSpan(r);
  const GraphGeometry g = MakeGraphGeometry(r, 1000, 877);
  EXPECT_EQ(g.H, 800);
  EXPECT_EQ(g.W1, 455);
  EXPECT_EQ(g.x1, 510);
  EXPECT_EQ(g.W2, 480);
  EXPECT_EQ(g.TimeY(-300), 840);
  EXPECT_EQ(g.TimeY(3900), 40);
  const auto grid = TimeGrid(g);
  ASSERT_FALSE(grid.empty());
  EXPECT_TRUE(grid.front().gun);
  EXPECT_EQ(grid.front().label, "0:00");
  // Lines every 5 minutes up to the top edge (3900 s lies on it and is left out).
  EXPECT_EQ(grid.back().seconds, 3600);
  EXPECT_TRUE(grid.back().hour);
  EXPECT_EQ(grid.back().label, "1:00");
  EXPECT_EQ(grid[11].label, "0:55");
}

// Windward 0: north sits at a quarter of the plot. A course from 350 to 10 degrees moves by less
// than half the plot and is one run; 80 to 100 likewise; a course through 270 (the plot's edge)
// leaves at one side and comes back at the other, meeting the edges at mid height.
TEST(GraphPage, CourseThroughThePlotEdgeIsTwoRuns) {
  const RaceData r = GraphRace({{350, 10}, {260, 280}});
  const GraphGeometry g = MakeGraphGeometry(r, 1000, 877);
  EXPECT_EQ(CourseTrace(r, g, 1).size(), 1u);
  const Runs runs = CourseTrace(r, g, 2);
  ASSERT_EQ(runs.size(), 2u);
  const int ym = (g.TimeY(0) + g.TimeY(100)) / 2;
  EXPECT_EQ(runs[0].front(), QPoint(g.DirectionX(260 + 90), g.TimeY(0)));
  EXPECT_EQ(runs[0].back(), QPoint(g.x0 + g.W1, ym));
  EXPECT_EQ(runs[1].front(), QPoint(g.x0, ym));
  EXPECT_EQ(runs[1].back(), QPoint(g.DirectionX(280 + 90), g.TimeY(100)));
}

// Samples on one pixel row reduce to the row's extremes, and the page shows them: every pixel
// between the extremes on that row has the boat's colour.
TEST(GraphPage, RowOfSamplesDrawsItsWholeSpan) {
  kwtest::EnsureGuiApp();
  RaceData r = GraphRace({{0, 40, 10, 30, 20, 20}});
  for (int i = 1; i <= 6; ++i) r.TrackTime[1][i] = 500;  // all on one row
  QImage page(1000, 877, QImage::Format_RGB32);
  const GraphGeometry g = DrawGraphs(page, r, 877, Rgb{0, 0, 128});
  const Runs runs = CourseTrace(r, g, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_LE(runs[0].size(), 4u);
  const int y = g.TimeY(500);
  for (int x = g.DirectionX(90); x <= g.DirectionX(130); ++x)
    EXPECT_EQ(page.pixel(x, y), qRgb(200, 0, 1)) << x;
  // The plot's fill and the sea around it.
  EXPECT_EQ(page.pixel(g.x0 + 3, g.y0 + 3), qRgb(225, 225, 255));
  EXPECT_EQ(page.pixel(5, 500), qRgb(0, 0, 128));
}

// The time labels of a long race ("10:00" and later) end before the plot: none covers its edge.
TEST(GraphPage, TimeLabelsEndBeforeThePlot) {
  kwtest::EnsureGuiApp();
  RaceData r = GraphRace({{0, 90, 180}});
  r.ClockFirst = -300;
  r.ClockLast = 12 * 3600;
  UpdateClockSpan(r);
  QImage page(1000, 900, QImage::Format_RGB32);
  const Rgb sea{0, 0, 128};
  const GraphGeometry g = DrawGraphs(page, r, 877, sea);
  int labels = 0;
  for (const TimeGridLine& l : TimeGrid(g)) {
    if (l.y - 4 <= g.y0 || l.y + 8 >= g.y0 + g.H) continue;
    ++labels;
    for (int y = l.y - 4; y <= l.y + 8; ++y)
      EXPECT_NE(page.pixelColor(g.x0 - 1, y), ToQColor(sea)) << l.label.toStdString();
  }
  EXPECT_GT(labels, 10);
}

TEST(AnalysisPage, GridStepsAndPointText) {
  struct {
    double range, step;
  } steps[] = {{1800, 200}, {4500, 1000}, {100, 10},   {250, 20},
               {450, 100},  {700, 100},   {9000, 1000}};
  for (const auto& s : steps) EXPECT_DOUBLE_EQ(FigureGridStep(s.range), s.step) << s.range;
  EXPECT_EQ(FigurePointText("Kaze", 1852, 600), " Kaze  1852m / 600sec / 6kts");
  EXPECT_EQ(FigurePointText("Kaze", 2000.4, 700.6), " Kaze  2000m / 701sec / 5.55kts");
}

namespace {

struct Fleet {
  RaceData race;
  PassingResults passing;
  // Per boat: total distance (m), finish time (s), start time; up/down distance (nm) and time.
  struct Boat {
    double distance, finish, start, up, upTime, down, downTime;
    bool shown;
  };
  explicit Fleet(const std::vector<Boat>& boats) {
    race.BoatCount = static_cast<int>(boats.size());
    SetBoatTableCapacity(race);
    race.CourseCount = 3;
    passing.Resize(race.BoatCount, 3);
    for (int b = 1; b <= race.BoatCount; ++b) {
      const Boat& x = boats[b - 1];
      race.BoatShown[b] = x.shown ? 1 : 0;
      race.BoatName[b] = "B" + std::to_string(b);
      passing.MarkPassTime[b][1] = x.start;
      passing.MarkPassTime[b][3] = x.finish;
      passing.LegSailedDistance[b][3] = x.distance;
      passing.UpDistance[b] = x.up;
      passing.UpTime[b] = x.upTime;
      passing.DownDistance[b] = x.down;
      passing.DownTime[b] = x.downTime;
    }
  }
};

}  // namespace

// Which boats set the axes and which are drawn: a hidden finisher is drawn but does not stretch
// the axes; a boat without a start time counts downwind only; a range under 100 is widened.
TEST(AnalysisPage, FiguresAdmitBoatsAndWidenNarrowRanges) {
  const Fleet f({{8000, 3000, 10, 1.0, 1500, 1.2, 1400, true},
                 {8050, 3200, 12, 1.1, 1600, 1.3, 1500, true},
                 {9900, 3100, 9, 2.0, 1000, 2.0, 900, false},
                 {7000, 2900, NotPassed, 0.8, 1300, 1.0, 1200, true}});
  const auto figs = ComputeFigures(f.race, f.passing, 1000, 800, false);
  ASSERT_TRUE(figs[0].drawn);
  const FigureFrame& one = figs[0].frame;
  EXPECT_DOUBLE_EQ(one.dmin, 7975);
  EXPECT_DOUBLE_EQ(one.dmax, 8075);
  EXPECT_DOUBLE_EQ(one.tmin, 3000);
  EXPECT_DOUBLE_EQ(one.tmax, 3200);
  EXPECT_TRUE(figs[0].boats[3].drawn);
  EXPECT_FALSE(figs[0].boats[3].inRanges);
  EXPECT_FALSE(figs[0].boats[4].inRanges);  // no start time
  EXPECT_TRUE(figs[2].boats[4].inRanges);   // downwind has no such condition
  EXPECT_DOUBLE_EQ(figs[2].frame.dmin, 1852.0);
  // The first boat is on the plot, at the bottom-left corner of the data span.
  EXPECT_EQ(figs[0].boats[1].centre, QPoint(one.X(8000), one.Y(3000)));
  EXPECT_TRUE(one.Inside(figs[0].boats[1].centre));
  // Quarters: figure 2 below figure 1, figure 3 beside it.
  EXPECT_EQ(figs[1].frame.oy, 400);
  EXPECT_EQ(figs[2].frame.ox, 500);

  const Fleet none({{8000, NotPassed, 10, 0, 0, 0, 0, true}});
  const auto empty = ComputeFigures(none.race, none.passing, 1000, 800, true);
  EXPECT_FALSE(empty[0].drawn);
  EXPECT_FALSE(empty[1].drawn);  // no upwind legs
  EXPECT_EQ(empty[0].frame.oy, 20);
}

// A boat that finished but missed a mark has the "not passed" time in its leg sums: it stays
// out of the upwind and downwind figures instead of stretching their time axis to millions of
// seconds; the whole-race figure keeps it.
TEST(AnalysisPage, ABoatThatMissedAMarkStaysOutOfTheLegFigures) {
  Fleet f({{8000, 3000, 10, 1.0, 1500, 1.2, 1400, true},
           {8050, 3200, 12, 1.1, 1600, 1.3, 1500, true},
           {8100, 3300, 11, 1.2, NotPassed + 1700, 1.4, 1600 - NotPassed, true}});
  f.passing.LegKind[1] = 1;  // upwind to the mark, downwind to the finish
  f.passing.LegKind[2] = 2;
  for (int b = 1; b <= 3; ++b) f.passing.MarkPassTime[b][2] = b == 3 ? NotPassed : 1500;
  const auto figs = ComputeFigures(f.race, f.passing, 1000, 800, false);
  EXPECT_TRUE(figs[0].boats[3].drawn);
  for (int fig : {1, 2}) {
    EXPECT_FALSE(figs[fig].boats[3].drawn) << fig;
    EXPECT_TRUE(figs[fig].boats[1].drawn) << fig;
    EXPECT_LT(figs[fig].frame.tmax, 10000) << fig;
  }
}

// Every iso-speed line lies on distance = speed x time and both its ends lie on the plot's edges.
TEST(AnalysisPage, IsoSpeedLinesRunEdgeToEdgeAtTheirSpeed) {
  const Fleet f({{8000, 3000, 10, 0, 0, 0, 0, true}, {9000, 3300, 10, 0, 0, 0, 0, true}});
  const FigureFrame fr = ComputeFigures(f.race, f.passing, 1200, 900, false)[0].frame;
  int drawn = 0;
  for (int s = 1; s <= 120; ++s) {
    const auto line = IsoSpeed(fr, s);
    if (!line) continue;
    ++drawn;
    const double v = s * 0.1 * 1852 / 3600;
    for (QPoint q : {line->from, line->to}) {
      const double d = fr.dc + (q.x() - fr.cx) / fr.sx, t = fr.tc - (q.y() - fr.cy) / fr.sy;
      EXPECT_NEAR(d, v * t, 2 / fr.sx + v * 2 / fr.sy) << s;
      const bool onEdge = std::abs(q.x() - (fr.ox + fr.ML)) <= 1 ||
                          std::abs(q.x() - (fr.ox + fr.ML + fr.PW)) <= 1 ||
                          std::abs(q.y() - (fr.oy + fr.MT)) <= 1 ||
                          std::abs(q.y() - (fr.oy + fr.MT + fr.PH)) <= 1;
      EXPECT_TRUE(onEdge) << s << " " << q.x() << "," << q.y();
    }
  }
  // About 5 to 6 knots cross this plot.
  EXPECT_GT(drawn, 3);
  EXPECT_LT(drawn, 30);
}
