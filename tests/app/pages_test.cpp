// The page buttons, the ET/CT switch, small-screen sizes and the final board, through the
// window's own controls on the demo race.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/fakes.h"
#include "app/named_child.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "support/test_support.h"

using namespace kw;

namespace {

// A clock a tenth of a second further at every reading; tests move it on by hand.
struct ActingClock : kw::Clock {
  long long now = 0;
  long long TickCount() override { return now += 100; }
};

struct Window {
  kwtest::FakeServices fakes;
  ActingClock clock;
  QTemporaryDir docs;
  TForm1 form;
  Window()
      : form({&fakes.sound, &fakes.dialogs, &fakes.shell, &clock}, kwtest::DemoDir(),
             docs.path() + "/docs") {
    form.resize(1280, 800);
    form.FormCreate();
  }
  template <typename T>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
  void click(const char* name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
};

bool HasDemo() {
  return QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st");
}

}  // namespace

TEST(Pages, GraphAndAnalysisReplaceTheMapAndTrackBringsItBack) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Window w;
  ASSERT_TRUE(w.form.raceReady());
  w.form.show();
  w.click("RadioButton2");
  EXPECT_EQ(w.form.windowState().Page, 2);
  EXPECT_FALSE(w.child<QComboBox>("ComboBox1")->isEnabled());
  EXPECT_FALSE(w.child<QPushButton>("btnStopWatch")->isVisible());
  // The plots' light fill is on the form where the map was.
  EXPECT_EQ(w.form.canvas().pixel(45, 45), qRgb(225, 225, 255));
  const int clockBefore = static_cast<int>(w.form.session().play.RaceClock);
  w.form.replay().Timer1Timer();
  EXPECT_EQ(static_cast<int>(w.form.session().play.RaceClock), clockBefore);

  w.click("RadioButton3");
  EXPECT_EQ(w.form.windowState().Page, 3);
  EXPECT_TRUE(w.child<QPushButton>("btnExcell")->isVisible());
  EXPECT_EQ(w.form.canvas().pixel(w.form.session().view.MapWidth * 3 / 4, 20), qRgb(255, 255, 255));

  w.click("RadioButton1");
  EXPECT_EQ(w.form.windowState().Page, 1);
  EXPECT_TRUE(w.child<QComboBox>("ComboBox1")->isEnabled());
  EXPECT_TRUE(w.child<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_FALSE(w.child<QPushButton>("btnExcell")->isVisible());
  EXPECT_NE(w.form.canvas().pixel(45, 45), qRgb(225, 225, 255));
}

// "CT mode" reloads in corrected time whatever the file says; "ET mode" goes back; a load the
// user did not choose follows the file again.
TEST(Pages, CorrectedTimeSwitchReloadsTheRace) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Window w;
  ASSERT_TRUE(w.form.raceReady());
  w.form.show();
  RaceData& r = w.form.session().race;
  ASSERT_EQ(r.HasHandicap, 1);
  ASSERT_EQ(r.CorrectedTimeMode, 0);
  const double elapsedFinish = w.form.session().passing.EntryLeadTime[r.CourseCount];
  w.click("RadioButton11");
  ASSERT_TRUE(w.form.raceReady());
  EXPECT_EQ(r.CorrectedTimeMode, 1);
  EXPECT_TRUE(w.child<QRadioButton>("RadioButton11")->isChecked());
  EXPECT_NE(w.form.session().passing.EntryLeadTime[r.CourseCount], elapsedFinish);
  QLabel* banner = w.child<QLabel>("Memo10");
  EXPECT_TRUE(banner->isVisible());
  EXPECT_EQ(banner->text(), "CT(Corrected Time) Mode");
  EXPECT_EQ(w.form.session().play.ModeChosenByUser, 0);

  w.click("RadioButton10");
  EXPECT_EQ(r.CorrectedTimeMode, 0);
  EXPECT_FALSE(banner->isVisible());
  EXPECT_DOUBLE_EQ(w.form.session().passing.EntryLeadTime[r.CourseCount], elapsedFinish);

  w.click("RadioButton11");
  ASSERT_EQ(r.CorrectedTimeMode, 1);
  w.form.LoadRace();  // as the next race of AutoNext would be
  EXPECT_EQ(r.CorrectedTimeMode, 0);
  EXPECT_TRUE(w.child<QRadioButton>("RadioButton10")->isChecked());
}

TEST(Pages, SmallScreenSizesAndBack) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Window w;
  ASSERT_TRUE(w.form.raceReady());
  w.form.show();
  const ViewState& v = w.form.session().view;
  const QSize normal(v.MapWidth, v.MapHeight);
  const QRect timeBar = w.child<QFrame>("pnlTimeBar")->geometry();
  w.click("CheckBox4");
  EXPECT_EQ(QSize(v.MapWidth, v.MapHeight), QSize(800, 480));
  EXPECT_EQ(w.form.mapBitmap().size(), QSize(800, 480));
  EXPECT_TRUE(w.child<QFrame>("pnlUsize")->isVisible());
  EXPECT_FALSE(w.child<QRadioButton>("RadioButton2")->isEnabled());

  struct {
    const char* button;
    QSize size;
  } sizes[] = {{"RadioButton4", {800, 600}},
               {"RadioButton5", {640, 480}},
               {"RadioButton6", {480, 320}},
               {"RadioButton7", {800, 480}}};
  for (const auto& s : sizes) {
    w.click(s.button);
    EXPECT_EQ(QSize(v.MapWidth, v.MapHeight), s.size) << s.button;
  }
  auto* widths = w.child<QComboBox>("ComboBox2");
  auto* heights = w.child<QComboBox>("ComboBox3");
  widths->setCurrentText("1000");
  heights->setCurrentText("600");
  w.click("RadioButton8");
  EXPECT_EQ(QSize(v.MapWidth, v.MapHeight), QSize(1000, 600));
  EXPECT_EQ(w.child<QFrame>("pnlUsize")->y(), 635);

  w.click("CheckBox4");
  EXPECT_EQ(QSize(v.MapWidth, v.MapHeight), normal);
  EXPECT_EQ(w.child<QFrame>("pnlTimeBar")->geometry(), timeBar);
  EXPECT_FALSE(w.child<QFrame>("pnlUsize")->isVisible());
  EXPECT_TRUE(w.child<QRadioButton>("RadioButton2")->isEnabled());
}

// At the end of a small-screen replay the board covers the map for its hold, then the ranking
// list gets its panel back. A close during the hold ends it at once.
TEST(Pages, FinalBoardHoldsAndGivesThePanelBack) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Window w;
  ASSERT_TRUE(w.form.raceReady());
  w.form.show();
  w.child<QCheckBox>("chkAutoNext")->setChecked(false);
  w.click("CheckBox4");
  PlaybackState& p = w.form.session().play;
  const RaceData& r = w.form.session().race;
  ReplayController& replay = w.form.replay();
  QFrame* score = w.child<QFrame>("pnlScore");
  p.RaceClock = r.ClockLast + 1;
  replay.Timer1Timer();
  // The board is up for its hold, and no tick moves the replay under it.
  ASSERT_EQ(replay.phase(), ReplayPhase::Board);
  EXPECT_TRUE(score->isVisible());
  EXPECT_EQ(score->width(), 800);
  EXPECT_TRUE(replay.HoldTimer->isActive());
  EXPECT_EQ(replay.HoldTimer->interval(), 10000);
  const double held = p.RaceClock;
  replay.Timer1Timer();
  replay.Timer2Timer();
  EXPECT_EQ(p.RaceClock, held);
  replay.HoldTimerTimer();  // ten seconds later
  EXPECT_EQ(score->width(), 185);
  EXPECT_FALSE(w.child<QTimer>("Timer2")->isActive());
  EXPECT_TRUE(w.child<QLabel>("stop_t")->isVisible());
  EXPECT_EQ(replay.phase(), ReplayPhase::Paused);
  EXPECT_EQ(p.RaceClock, r.ClockFirst);

  p.RaceClock = r.ClockLast + 1;
  replay.up_fClick();
  replay.Timer1Timer();
  ASSERT_EQ(replay.phase(), ReplayPhase::Board);
  w.form.close();
  EXPECT_TRUE(w.form.closed());
  EXPECT_FALSE(replay.HoldTimer->isActive());
  EXPECT_EQ(score->width(), 185);
}

// A load, SHOW, the ET/CT reload or a close during the splash or the final board ends the hold
// at once: the board's panel is given back, and the new race starts a splash of its own.
TEST(Pages, ALoadOrACloseEndsASplashOrABoardAtOnce) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  const std::pair<const char*, std::function<void(Window&)>> interruptions[] = {
      {"load", [](Window& w) { w.form.LoadRace(); }},
      {"SHOW",
       [](Window& w) {
         auto* races = w.child<QComboBox>("ComboBox1");
         races->setCurrentIndex((races->currentIndex() + 1) % races->count());
         w.child<QPushButton>("Button4")->click();
       }},
      {"CT", [](Window& w) { w.child<QRadioButton>("RadioButton11")->click(); }},
      {"close", [](Window& w) { w.form.close(); }},
  };
  for (const auto& [what, interrupt] : interruptions) {
    for (const bool board : {false, true}) {
      SCOPED_TRACE(std::string(what) + (board ? " during the board" : " during the splash"));
      Window w;
      w.form.show();
      ReplayController& replay = w.form.replay();
      ASSERT_TRUE(w.form.session().race.HasHandicap);
      w.form.windowState().SplashStart = w.clock.now;  // the splash has just begun
      replay.Timer2Timer();
      ASSERT_EQ(replay.phase(), ReplayPhase::Splash);
      ASSERT_TRUE(replay.HoldTimer->isActive());
      if (board) {
        w.clock.now += 5000;
        replay.Timer2Timer();
        w.child<QCheckBox>("chkAutoNext")->setChecked(false);
        w.click("CheckBox4");
        w.form.session().play.RaceClock = w.form.session().race.ClockLast + 1;
        replay.Timer1Timer();
        ASSERT_EQ(replay.phase(), ReplayPhase::Board);
      }
      const long long splashBefore = w.form.windowState().SplashStart;
      interrupt(w);
      EXPECT_FALSE(w.child<QLabel>("Image6")->isVisibleTo(w.child<QFrame>("pnlScore")));
      EXPECT_EQ(w.child<QFrame>("pnlScore")->width(), 185);
      if (std::string(what) == "close") {
        EXPECT_TRUE(w.form.closed());
        EXPECT_FALSE(replay.HoldTimer->isActive());
        continue;
      }
      EXPECT_EQ(replay.phase(), ReplayPhase::Splash);
      EXPECT_NE(w.form.windowState().SplashStart, splashBefore);
      EXPECT_FALSE(replay.HoldTimer->isActive());
      EXPECT_TRUE(w.child<QFrame>("pnlSPLITE")->isVisible());
    }
  }
}
