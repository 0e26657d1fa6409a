// What the window shows after a change it does not draw itself every frame: the still map's
// sea across sunset, the tracks after every boat left the focus, switches on a stopped map,
// the highlight when the pointer leaves the boat list, the tip box over the panels, and what a
// load resets or keeps. Offscreen, on the demo races, with fake services.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <map>

#include "analysis/playback.h"
#include "app/boat_list.h"
#include "app/control_panel.h"
#include "app/fakes.h"
#include "app/map_canvas.h"
#include "app/named_child.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "cli/snapshot.h"
#include "support/test_support.h"
#include "view/paint.h"

using namespace kw;

namespace {

struct Demo {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  explicit Demo(const char* race = nullptr)
      : form(fakes.services(), kwtest::DemoDir(), docs.path() + "/docs") {
    fakes.clock.step = 100;
    form.resize(1280, 800);
    form.FormCreate();
    if (race) {
      auto* races = child<QComboBox>("ComboBox1");
      races->setCurrentIndex(races->findText(QString::fromLatin1(race)));
      child<QPushButton>("Button4")->click();
    }
    form.show();
    fakes.clock.now = form.windowState().SplashStart + 4500;
    form.replay().Timer2Timer();  // past the splash
  }
  template <typename T = QWidget>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
  RaceSession& s() { return form.session(); }
  void StillMap() { child<QCheckBox>("CheckBox1")->setChecked(false); }
  // A frame tick at a chosen clock.
  void TickAt(double clock) {
    s().play.RaceClock = s().play.PrevRaceClock = clock;
    s().play.ClockStep = 0.5;
    form.replay().Timer1Timer();
  }
  void Move(QWidget* w, QPoint at = QPoint(3, 3)) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
};

bool HasDemo() {
  return QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st");
}

// The colour most of a picture shows (sampled every 4 pixels): the sea, on a map.
QRgb MostCommon(const QImage& img) {
  std::map<QRgb, int> count;
  for (int y = 0; y < img.height(); y += 4)
    for (int x = 0; x < img.width(); x += 4) ++count[img.pixel(x, y)];
  QRgb best = 0;
  int most = -1;
  for (auto [c, n] : count)
    if (n > most) best = c, most = n;
  return best;
}

int NotSea(const QImage& img) {
  const QRgb sea = MostCommon(img);
  int n = 0;
  for (int y = 0; y < img.height(); y += 4)
    for (int x = 0; x < img.width(); x += 4) n += img.pixel(x, y) != sea;
  return n;
}

}  // namespace

// The offshore race replayed on the still map past sunset: the still map's sea darkens with
// the clock while the frames run, not only when the replay stops.
TEST(StillMap, SeaFollowsTheClockAcrossSunsetWhileTheReplayRuns) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d("sagami-offshore.txt");
  ASSERT_EQ(d.form.windowTitle().trimmed(), "Sagami Bay Offshore Race");
  d.StillMap();
  d.form.replay().up_fClick();  // the still map replays too
  ASSERT_TRUE(d.form.replay().FramesRunning());
  const ViewState& v = d.s().view;
  const double nightClock = v.Sunset + 2 * 3600 - v.StartSecondOfDay;
  ASSERT_LT(nightClock, d.s().race.ClockLast) << "the race ends before sunset";
  const QRgb day = MostCommon(d.form.mapCanvas().BackgroundBitmap);
  d.TickAt(nightClock);
  EXPECT_EQ(d.form.controlPanel().ScrollBar3->value(), 0);
  const QRgb night = MostCommon(d.form.mapCanvas().BackgroundBitmap);
  EXPECT_NE(night, day);
  EXPECT_EQ(QColor(night), ToQColor(SeaColorFor(0)));
}

// Taking the last boat out of the focus focuses them all again (the frame's rule), and the
// still map shows their tracks again; the switches the frame reads show at once on a map that
// stands still, and the pointer leaving the boat list takes the highlighted track away.
TEST(StillMap, RedrawnAfterFocusSwitchesAndTheHighlight) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d;
  d.StillMap();
  MapCanvas& canvas = d.form.mapCanvas();
  d.s().play.RaceClock = 0.45 * d.s().passing.EntryLeadTime[d.s().race.CourseCount];
  canvas.RedrawStillFrame();
  const int tracks = NotSea(canvas.BackgroundBitmap);
  for (int b = 1; b <= d.s().race.BoatCount; ++b)
    QTest::mouseClick(d.child<QCheckBox>(QStringLiteral("BoatCheckBox%1").arg(b).toLatin1()),
                      Qt::LeftButton, {}, QPoint(5, 6));  // on the box, whatever the name's length
  for (int b = 1; b <= d.s().race.BoatCount; ++b) EXPECT_EQ(d.s().race.BoatShown[b], 1) << b;
  EXPECT_GT(NotSea(canvas.BackgroundBitmap), tracks * 9 / 10);

  // Laylines are drawn on the moving map only: that one is stopped for them.
  for (const char* box : {"ChkBigBoat", "ChkRefLine", "chkLL"}) {
    if (std::string(box) == "chkLL") {
      d.child<QCheckBox>("CheckBox1")->setChecked(true);
      d.form.replay().stop_fClick();
    }
    const QImage before = canvas.MapBitmap.copy();
    d.child<QCheckBox>(box)->setChecked(true);
    EXPECT_NE(canvas.MapBitmap, before) << box;
    d.child<QCheckBox>(box)->setChecked(false);
  }
  d.StillMap();

  d.form.boatList().sboatMouseMove(1, 5, 5);
  ASSERT_EQ(d.form.renderState().HoverBoat, 1);
  const QImage highlighted = canvas.Canvas.copy();
  d.form.controlPanel().pnlCTRLMouseMove();  // straight onto the control panel
  EXPECT_EQ(d.form.renderState().HoverBoat, 0);
  EXPECT_NE(canvas.Canvas, highlighted);
  const QImage left = canvas.Canvas.copy();
  canvas.RedrawStillFrame();
  EXPECT_EQ(canvas.Canvas, left);  // what a fresh frame without the highlight shows
}

// The pointer over the course-editing panel or the jump panel takes the tip box away; the small
// labels have their pointer hints.
TEST(Panels, TheTipGoesOverTheEditingAndJumpPanels) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d;
  d.StillMap();
  QLabel* hint = d.child<QLabel>("hintbox");
  EXPECT_EQ(d.child<QLabel>("Label12")->toolTip(), "HELP");
  EXPECT_EQ(d.child<QLabel>("Label14")->toolTip(), "SCREEN SHOT");
  for (const char* panel : {"pnlEDIT1", "pnlEDIT2", "Panel2"}) {
    d.form.mapCanvas().FormMouseMove(Qt::NoModifier, 200, 300);
    ASSERT_TRUE(hint->isVisible()) << panel;
    EXPECT_TRUE(hint->alignment() & Qt::AlignHCenter);
    d.child(panel)->show();  // the panels of course editing, shown here in any race
    d.Move(d.child(panel));
    EXPECT_FALSE(hint->isVisible()) << panel;
  }
}

// A load ends the wind drawing of course editing and the editing step, and keeps the size the
// small screen's bar chose.
TEST(Loads, ResetTheEditingStepAndKeepTheSmallScreensSize) {
  kwtest::DataFolder dir;
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("gpsdat/b.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.301));
  dir.Write("raceadmin/race.txt",
            "T1,Edit\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\n"
            "BN,a.gpx,Alpha\nBN,b.gpx,Bravo\n");
  dir.Write("ctrl/editfile.edt", "race.txt\r\n");
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form(fakes.services(), dir.path(), docs.path() + "/docs");
  form.FormCreate();
  form.show();
  QTest::mouseClick(kwtest::NamedChild<QRadioButton>(form, "RadioButton2"), Qt::LeftButton);
  auto* makeWind = kwtest::NamedChild<QCheckBox>(form, "CheckBox5");
  makeWind->setChecked(true);
  ASSERT_EQ(form.handsOn().EditStep, 5);
  form.LoadRace();
  EXPECT_FALSE(makeWind->isChecked());
  EXPECT_EQ(form.handsOn().EditStep, 0);

  QTest::mouseClick(kwtest::NamedChild<QCheckBox>(form, "CheckBox4"), Qt::LeftButton);
  QTest::mouseClick(kwtest::NamedChild<QRadioButton>(form, "RadioButton4"), Qt::LeftButton);
  ASSERT_EQ(form.renderState().SmallScreen, 1);
  form.LoadRace();
  EXPECT_EQ(form.renderState().SmallScreen, 1);
  EXPECT_EQ(QSize(form.session().view.MapWidth, form.session().view.MapHeight), QSize(800, 600));
}

// In small-screen mode the left button puts the overview on the map or takes it away; the
// right button does not, and the still map is re-centred from the overview as on a normal map.
TEST(Overview, SmallScreenTogglesWithTheLeftButtonAndStillRecentres) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d;
  d.child<QCheckBox>("chkAutoNext")->setChecked(false);
  QTest::mouseClick(d.child<QCheckBox>("CheckBox4"), Qt::LeftButton);
  d.StillMap();
  RenderState& rs = d.form.renderState();
  const bool on = rs.OverviewOnMap;
  const ViewState& v = d.s().view;
  QLabel* overview = d.child<QLabel>("Image1");
  double lat = v.UserCentreLat;
  QTest::mouseClick(overview, Qt::RightButton, {}, QPoint(100, 60));
  EXPECT_EQ(rs.OverviewOnMap, on);
  EXPECT_NE(v.UserCentreLat, lat);
  lat = v.UserCentreLat;
  QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(60, 100));
  EXPECT_NE(rs.OverviewOnMap, on);
  EXPECT_NE(v.UserCentreLat, lat);
}

// keelway-cli snapshot --page graph draws the picture the window shows on its graph page.
TEST(Pages, TheCommandLinesGraphPageIsTheWindows) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d;
  QTest::mouseClick(d.child<QRadioButton>("RadioButton2"), Qt::LeftButton);
  const QImage window = d.form.graphBitmap().copy();
  SnapshotOptions o;
  o.width = d.s().view.MapWidth;
  o.height = d.s().view.MapHeight;
  o.page = 2;
  EXPECT_EQ(RenderSnapshot(d.s(), o), window);
}
