#include <gtest/gtest.h>

#include <QImage>

#include <utility>
#include <vector>

#include "analysis/playback_state.h"
#include "race/model.h"
#include "support/test_support.h"
#include "view/time_bar.h"
#include "view/view_state.h"

using namespace kw;

namespace {

const QRgb kBar = qRgb(225, 225, 255), kWhite = qRgb(255, 255, 255),
           kDownwind = qRgb(192, 192, 255), kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255),
           kBlack = qRgb(0, 0, 0);

// A window from -190 s to `last`, boat 1 sailing the given (time, course) samples.
RaceData Race(double last, const std::vector<std::pair<double, int>>& samples = {}) {
  RaceData r;
  r.ClockFirst = -190;
  r.ClockLast = last;
  UpdateClockSpan(r);
  r.BoatCount = 1;
  SetBoatTableCapacity(r);
  SetTrackCapacity(r, 1, static_cast<int>(samples.size()) + 1);
  r.BoatSampleCount[1] = static_cast<int>(samples.size());
  for (size_t i = 0; i < samples.size(); ++i)
    r.TrackTime[1][i + 1] = samples[i].first, r.TrackCourse[1][i + 1] = samples[i].second;
  return r;
}

}  // namespace

TEST(TimeBar, RowsAndClicks) {
  RaceData r = Race(1810);  // span 2000 s over a 1000-row bar: 2 s a row
  ASSERT_EQ(r.ClockSpan, 2000);
  EXPECT_EQ(TimeAtRow(r, 0, 1000), 1810);
  EXPECT_EQ(TimeAtRow(r, 1, 1000), 1808);
  EXPECT_EQ(TimeAtRow(r, 1000, 1000), -190);
  EXPECT_EQ(TimePointerTop(r, 1810, 1000), 28);
  EXPECT_EQ(TimePointerTop(r, -190, 1000), 1028);
  EXPECT_EQ(TimePointerTop(r, 810, 1000), 528);

  // Above the window jumps 100 s back from its end, below it to its beginning.
  EXPECT_EQ(ClampBarTime(r, TimeAtRow(r, -10, 1000)), 1710);
  EXPECT_EQ(ClampBarTime(r, TimeAtRow(r, 1010, 1000)), -190);
  EXPECT_EQ(ClampBarTime(r, 1810), 1810);
  RaceData shortRace = Race(-150);  // 40 s: the jump back would leave the window
  EXPECT_EQ(ClampBarTime(shortRace, -140), -190);

  r.ClockSpan = 5;  // 1811 - 2.5 rounds half to even
  r.ClockLast = 1811;
  EXPECT_EQ(TimeAtRow(r, 1, 2), 1808);

  const TimeBarGeometry g = TimeBarGeometryFor(50, 1060);
  EXPECT_EQ(g.barHeight, 1000);
  EXPECT_FALSE(InStartBox(g, 1030));
  EXPECT_TRUE(InStartBox(g, 1031));
}

TEST(TimeBar, WindZonesOfBoatOneAndStartMark) {
  kwtest::EnsureGuiApp();
  // Windward 300: course 20 is 80 degrees off the wind once brought into -180..180; course 120
  // is dead downwind. The samples on the window's edges are left out.
  RaceData r = Race(1810, {{-190, 120}, {-100, 20}, {500, 120}, {1000, 290}, {1500, 200}});
  r.WindwardBearing = 300;
  const TimeBarGeometry g = TimeBarGeometryFor(50, 1060);
  const QImage bar = DrawTimeBarImage(r, g);
  ASSERT_EQ(bar.size(), QSize(30, 1000));
  ASSERT_EQ(bar.format(), QImage::Format_RGB32);

  // Rows: -100 -> 954, 500 -> 654, 1000 -> 405, 1500 -> 155; t = 0 -> 904.
  const std::vector<std::pair<int, QRgb>> rows = {
      {1, kDownwind},   {154, kDownwind}, {155, kWhite}, {404, kWhite}, {405, kDownwind},
      {653, kDownwind}, {654, kWhite},    {902, kWhite}, {903, kRed},   {904, kRed},
      {905, kWhite},    {953, kWhite},    {954, kBar},   {970, kBar},   {998, kBar}};
  for (auto [y, colour] : rows) EXPECT_EQ(bar.pixel(14, y), colour) << y;
  EXPECT_EQ(bar.pixel(27, 300), kWhite);
  EXPECT_EQ(bar.pixel(28, 300), kBar);
  for (QPoint p : {QPoint(0, 300), QPoint(29, 300), QPoint(14, 0), QPoint(14, 999)})
    EXPECT_EQ(bar.pixel(p), kBlack) << p.x() << "," << p.y();
  EXPECT_EQ(bar.pixel(0, 904), kRed);
  EXPECT_EQ(bar.pixel(29, 904), kRed);
}

TEST(TimeBar, BackPanelDaylightStartBoxAndRepeatSpan) {
  kwtest::EnsureGuiApp();
  RaceData r = Race(9810);  // 10 s a row; panel row y shows 9810 - 10 (y - 30)
  ViewState v;
  v.StartSecondOfDay = 60000;  // the race runs through sunset at 64800
  PlaybackState p;
  const TimeBarGeometry g = TimeBarGeometryFor(50, 1060);
  QImage back = DrawBackTimeBarImage(r, v, p, g);
  ASSERT_EQ(back.size(), QSize(50, 1060));

  EXPECT_EQ(back.pixel(2, 40), qRgb(0, 0, 192));  // 69710: night
  // Sunset itself is half way: 50 x 2.55 falls just short of 127.5 in binary.
  EXPECT_EQ(back.pixel(2, 531), qRgb(127, 127, 192));
  EXPECT_EQ(back.pixel(2, 1000), qRgb(255, 255, 192));  // 60110: day
  EXPECT_EQ(back.pixel(49, 1000), qRgb(255, 255, 192));

  // The "START" box: red from (5, C - 25) to (W - 6, C - 6), with its white text inside.
  for (QPoint q : {QPoint(5, 1035), QPoint(44, 1054), QPoint(6, 1045)})
    EXPECT_EQ(back.pixel(q), kRed) << q.x() << "," << q.y();
  for (QPoint q : {QPoint(4, 1045), QPoint(45, 1045), QPoint(20, 1034), QPoint(20, 1055)})
    EXPECT_NE(back.pixel(q), kRed) << q.x() << "," << q.y();
  bool text = false;
  for (int y = 1041; y < 1055; ++y)
    for (int x = 7; x < 45; ++x) text = text || back.pixel(x, y) == kWhite;
  EXPECT_TRUE(text);

  // The repeat span from 2000 s down to 1000 s covers panel rows 810..909, either way round.
  for (auto [from, to] : {std::pair{2000.0, 1000.0}, {1000.0, 2000.0}}) {
    p.RepeatActive = 1;
    back = DrawBackTimeBarImage(r, v, p, g, from, to);
    for (QPoint q : {QPoint(5, 810), QPoint(45, 850), QPoint(25, 909)})
      EXPECT_EQ(back.pixel(q), kBlue) << q.x() << "," << q.y();
    for (QPoint q : {QPoint(4, 850), QPoint(46, 850), QPoint(25, 809), QPoint(25, 910)})
      EXPECT_NE(back.pixel(q), kBlue) << q.x() << "," << q.y();
  }
  p.RepeatActive = 0;
  back = DrawBackTimeBarImage(r, v, p, g);
  EXPECT_NE(back.pixel(25, 850), kBlue);

  // A drag upward from bar row 100 to 50 shades panel rows 79..128.
  DrawDragBox(back, g, 100, 50);
  EXPECT_EQ(back.pixel(5, 79), kBlue);
  EXPECT_EQ(back.pixel(45, 128), kBlue);
  EXPECT_NE(back.pixel(25, 78), kBlue);
  EXPECT_NE(back.pixel(25, 129), kBlue);
}

TEST(TimeBar, DegenerateWindowAndPanel) {
  kwtest::EnsureGuiApp();
  RaceData r = Race(-190, {{-190, 0}});
  r.ClockSpan = 0;
  PlaybackState p;
  p.RepeatActive = 1;
  const TimeBarGeometry g = TimeBarGeometryFor(50, 300);
  const QImage bar = DrawTimeBarImage(r, g);
  EXPECT_EQ(bar.pixel(14, 100), kBar);
  EXPECT_FALSE(DrawBackTimeBarImage(r, ViewState(), p, g).isNull());
  EXPECT_EQ(TimePointerTop(r, 0, g.barHeight), 28);

  const TimeBarGeometry tiny = TimeBarGeometryFor(50, 40);
  EXPECT_EQ(tiny.barHeight, 0);
  EXPECT_TRUE(DrawTimeBarImage(Race(1810), tiny).isNull());
  EXPECT_EQ(DrawBackTimeBarImage(Race(1810), ViewState(), p, tiny).size(), QSize(50, 40));
  EXPECT_EQ(TimeAtRow(Race(1810), 5, 0), 1810);
  QImage none;
  DrawDragBox(none, tiny, 0, 10);
  EXPECT_TRUE(DrawBackTimeBarImage(r, ViewState(), p, TimeBarGeometryFor(0, 0)).isNull());
}

TEST(TimeBar, HintInEitherLanguage) {
  const QString when = QStringLiteral("2007/05/12 10:00:00");
  const TimeBarHint en = TimeBarHintFor(1, when);
  EXPECT_EQ(QSize(en.width, en.height), QSize(200, 93));
  ASSERT_EQ(en.lines.size(), 7);
  EXPECT_EQ(en.lines[1], QStringLiteral("(2007/05/12 10:00:00)"));
  EXPECT_EQ(TimeBarHintFor(2, when).lines, en.lines);

  const TimeBarHint ja = TimeBarHintFor(0, when);
  EXPECT_EQ(QSize(ja.width, ja.height), QSize(220, 90));
  ASSERT_EQ(ja.lines.size(), 7);
  EXPECT_EQ(ja.lines[2], QStringLiteral("(2007/05/12 10:00:00)"));
}
