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
#include "app/tform1.h"
#include "support/test_support.h"

using namespace kw;

namespace {

// A clock that can act when the window reads it, as a user would during a wait.
struct ActingClock : kw::Clock {
  long long now = 0;
  int readings = 0;
  std::function<void(int)> act;
  long long TickCount() override {
    if (act) act(++readings);
    return now += 100;  // a tenth of a second a reading keeps the holds short
  }
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
    return form.findChild<T*>(QString::fromLatin1(name));
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
  EXPECT_EQ(w.form.session().play.Page, 2);
  EXPECT_FALSE(w.child<QComboBox>("ComboBox1")->isEnabled());
  EXPECT_FALSE(w.child<QPushButton>("btnStopWatch")->isVisible());
  // The plots' light fill is on the form where the map was.
  EXPECT_EQ(w.form.canvas().pixel(45, 45), qRgb(225, 225, 255));
  const int clockBefore = static_cast<int>(w.form.session().play.RaceClock);
  w.form.Timer1Timer();
  EXPECT_EQ(static_cast<int>(w.form.session().play.RaceClock), clockBefore);

  w.click("RadioButton3");
  EXPECT_EQ(w.form.session().play.Page, 3);
  EXPECT_TRUE(w.child<QPushButton>("btnExcell")->isVisible());
  EXPECT_EQ(w.form.canvas().pixel(w.form.session().view.MapWidth * 3 / 4, 20), qRgb(255, 255, 255));

  w.click("RadioButton1");
  EXPECT_EQ(w.form.session().play.Page, 1);
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
  QFrame* score = w.child<QFrame>("pnlScore");
  bool boardSeen = false;
  w.clock.readings = 0;
  w.clock.act = [&](int) {
    if (score->isVisible() && score->width() == 800) boardSeen = true;
  };
  p.RaceClock = w.form.session().race.ClockLast + 1;
  w.form.Timer1Timer();
  EXPECT_TRUE(boardSeen);
  EXPECT_GE(w.clock.now, 10000);
  EXPECT_EQ(score->width(), 185);
  EXPECT_FALSE(w.child<QTimer>("Timer2")->isActive());
  EXPECT_TRUE(w.child<QLabel>("stop_t")->isVisible());

  w.clock.act = [&](int n) {
    if (n == 30) w.form.close();
  };
  w.clock.readings = 0;
  const long long before = w.clock.now;
  p.RaceClock = w.form.session().race.ClockLast + 1;
  w.form.up_fClick();
  w.form.Timer1Timer();
  EXPECT_TRUE(w.form.closed());
  EXPECT_LT(w.clock.now - before, 10000);
}
