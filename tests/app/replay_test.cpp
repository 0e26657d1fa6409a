// The replay window driven by hand: timers, play buttons, time bar and layout, offscreen with
// fake services.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/fakes.h"
#include "app/map_panels.h"
#include "app/named_child.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "app/time_bar_panel.h"
#include "race/numbers.h"
#include "support/test_support.h"
#include "view/time_bar.h"

using namespace kw;

namespace {

// Two boats sailing from 09:58 to 10:04:38 local; the race runs 10:00 to 10:30, so the clock
// spans -190 .. 1830 s.
void WriteRace(const kwtest::DataFolder& dir, const QString& file = "race.txt",
               const std::string& title = "Small race") {
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("gpsdat/b.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.301));
  dir.Write("raceadmin/" + file,
            "T1," + title +
                "\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\nPS,20,5\n"
                "BN,a.gpx,Alpha\nBN,b.gpx,Bravo\n");
}

struct Replay {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  explicit Replay(const QString& folder) : form(fakes.services(), folder, docs.path() + "/docs") {
    fakes.clock.step = 100;  // any wait on the clock ends soon
  }
  template <typename T>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
  PlaybackState& play() { return form.session().play; }
  const RaceData& race() { return form.session().race; }
  // Past the splash hold: the cover goes and the frame timer runs.
  void Start() {
    fakes.clock.now = form.windowState().SplashStart + 4500;
    form.replay().Timer2Timer();
  }
  // One frame tick at a chosen clock with a fixed step.
  void TickAt(double clock, double step = 0.5) {
    play().RaceClock = clock;
    play().PrevRaceClock = clock;
    play().ClockStep = step;
    form.replay().Timer1Timer();
  }
};

}  // namespace

TEST(Replay, CoverHoldsForTheSplashThenTheClockRuns) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.FormCreate();
  ASSERT_TRUE(w.form.raceReady());
  EXPECT_TRUE(w.child<QFrame>("pnlSPLITE")->isVisibleTo(&w.form));
  EXPECT_TRUE(w.child<QTimer>("Timer2")->isActive());
  EXPECT_EQ(w.play().RaceClock, -190);
  EXPECT_TRUE(w.child<QLabel>("up_t")->isVisibleTo(&w.form));
  EXPECT_FALSE(w.child<QLabel>("stop_t")->isVisibleTo(&w.form));

  w.Start();
  EXPECT_FALSE(w.child<QFrame>("pnlSPLITE")->isVisibleTo(&w.form));
  EXPECT_TRUE(w.child<QTimer>("Timer1")->isActive());
  // Flags before the start: the Blue Peter from 4 to 1 minutes before the gun.
  EXPECT_TRUE(w.child<QFrame>("pnlFLAG")->isVisibleTo(&w.form));
  EXPECT_TRUE(w.child<QLabel>("blue_p")->isVisibleTo(&w.form));
  w.play().RaceClock = -30;
  w.form.replay().Timer2Timer();
  EXPECT_FALSE(w.child<QLabel>("blue_p")->isVisibleTo(&w.form));
  w.play().RaceClock = 5;
  w.form.replay().Timer2Timer();
  EXPECT_FALSE(w.child<QFrame>("pnlFLAG")->isVisibleTo(&w.form));
}

TEST(Replay, FrameTickAdvancesDrawsAndFiresTheStartGunOnce) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.FormCreate();
  w.Start();
  // The first frame was drawn before anyone sailed: the clock skips 40 steps with a beep.
  const int beeps = w.fakes.sound.beeps;
  w.TickAt(100);
  EXPECT_DOUBLE_EQ(w.play().RaceClock, 120);
  EXPECT_EQ(w.fakes.sound.beeps, beeps + 1);
  EXPECT_EQ(w.child<QLabel>("Memo1")->text(), "2007/05/12 10:02:00");
  EXPECT_GT(w.play().BoatsOnScreen, 0);
  w.TickAt(100);
  EXPECT_DOUBLE_EQ(w.play().RaceClock, 100.5);
  EXPECT_EQ(w.fakes.sound.beeps, beeps + 1);

  // The race time label: blue after the gun at the bottom right of the map.
  const ViewState& v = w.form.session().view;
  const QImage& map = w.form.mapBitmap();
  EXPECT_EQ(map.pixelColor(v.MapWidth - 9 * 4 - 13, v.MapHeight - 22), QColor(0, 0, 255));
  EXPECT_EQ(w.form.canvas().pixelColor(v.MapWidth - 9 * 4 - 13, v.MapHeight - 22),
            QColor(0, 0, 255));

  const int guns = w.fakes.sound.guns;
  w.TickAt(-0.2);
  EXPECT_EQ(w.fakes.sound.guns, guns + 1);
  w.form.replay().Timer1Timer();
  EXPECT_EQ(w.fakes.sound.guns, guns + 1);
  // A jump from before the start to past the first minute fires nothing.
  w.play().PrevRaceClock = -100;
  w.play().RaceClock = 61;
  w.form.replay().Timer1Timer();
  EXPECT_EQ(w.fakes.sound.guns, guns + 1);
  // The countdown label before the gun is red.
  w.TickAt(-20);
  EXPECT_EQ(map.pixelColor(RoundInt(v.MapWidth / 2.0 - 50) + 8, 20), QColor(255, 0, 0));
}

TEST(Replay, BackwardPlayWrapsAndTheEndStartsOver) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.FormCreate();
  w.Start();
  w.form.replay().dn_fClick();
  EXPECT_EQ(w.play().PlayDirection, -1);
  EXPECT_TRUE(w.child<QLabel>("dn_t")->isVisibleTo(&w.form));
  w.TickAt(-190);
  // Past ClockFirst backwards is ClockLast; nobody is on the water there, but backward play
  // goes on instead of ending the race.
  EXPECT_EQ(w.play().RaceClock, 1830);
  EXPECT_TRUE(w.form.raceReady());
  w.form.replay().Timer1Timer();
  EXPECT_DOUBLE_EQ(w.play().RaceClock, 1830 - 40 * 0.5);  // skipping: no boat in the map

  // Nobody on the water after ten minutes of racing also ends it.
  w.form.replay().up_fClick();
  w.TickAt(700);
  EXPECT_EQ(w.play().RaceClock, -190);
}

TEST(Replay, TheEndLoadsTheNextRaceWhenAutoNextIsOn) {
  kwtest::DataFolder dir;
  WriteRace(dir, "a-race.txt", "First race");
  WriteRace(dir, "b-race.txt", "Second race");
  Replay w(dir.path());
  w.form.FormCreate();
  EXPECT_EQ(w.form.windowTitle(), "First race");
  w.Start();
  w.form.mapPanels().btnStopWatchClick();
  w.TickAt(1829.9, 5.0);  // as fast as 100x
  EXPECT_EQ(w.form.windowTitle(), "Second race");
  EXPECT_EQ(w.race().RaceListIndex, 2);
  EXPECT_TRUE(w.form.raceReady());
  // The new race starts from its beginning with nothing carried over from the old replay.
  EXPECT_EQ(w.play().RaceClock, -190);
  EXPECT_EQ(w.play().ClockStep, 0);
  EXPECT_EQ(w.play().StopWatchState, 0);
  EXPECT_EQ(w.child<QPushButton>("btnStopWatch")->text(), "TIMER/ON");

  w.child<QCheckBox>("chkAutoNext")->setChecked(false);
  w.Start();
  w.TickAt(1829.9);
  EXPECT_EQ(w.form.windowTitle(), "Second race");
  EXPECT_EQ(w.play().RaceClock, -190);
}

TEST(Replay, AMissingNextRaceRestartsTheRaceShown) {
  kwtest::DataFolder dir;
  WriteRace(dir, "a-race.txt", "First race");
  WriteRace(dir, "b-race.txt", "Second race");
  Replay w(dir.path());
  w.form.FormCreate();
  w.Start();
  QFile::remove(dir.path() + "raceadmin/b-race.txt");
  const QString shown = w.race().RaceFilePath;
  w.TickAt(1829.9);
  EXPECT_EQ(w.form.windowTitle(), "First race");
  EXPECT_EQ(w.play().RaceClock, -190);
  EXPECT_EQ(w.race().RaceFilePath, shown);  // still names the race on the screen
}

TEST(Replay, PlayButtonsAndStopWatch) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.FormCreate();
  w.Start();
  w.form.show();
  w.play().RaceClock = 61.4;
  QTest::mouseClick(w.child<QLabel>("stop_f"), Qt::LeftButton);
  EXPECT_FALSE(w.child<QTimer>("Timer1")->isActive());
  EXPECT_FALSE(w.child<QTimer>("Timer2")->isActive());
  auto* panel2 = w.child<QFrame>("Panel2");
  auto* ctrl = w.child<QFrame>("pnlCTRL");
  EXPECT_TRUE(panel2->isVisible());
  EXPECT_EQ(panel2->geometry().bottom() + 1, ctrl->y());
  EXPECT_EQ(panel2->x(), ctrl->x());

  QTest::mouseClick(w.child<QLabel>("plus"), Qt::LeftButton);
  EXPECT_EQ(w.play().RaceClock, 62);
  QTest::mouseClick(w.child<QLabel>("up_f"), Qt::LeftButton);
  EXPECT_TRUE(w.child<QTimer>("Timer1")->isActive());
  EXPECT_FALSE(panel2->isVisible());
  EXPECT_EQ(w.play().PlayDirection, 1);

  auto* watch = w.child<QPushButton>("btnStopWatch");
  auto* memo8 = w.child<QLabel>("Memo8");
  w.form.mapPanels().btnStopWatchClick();
  EXPECT_EQ(watch->text(), "STOP");
  w.TickAt(62, 0.5);  // the watch measured from 62 ... but TickAt moves the clock first
  w.play().StopWatchStart = 0;
  w.TickAt(125);
  EXPECT_EQ(memo8->text(), "00:02:05");
  w.form.mapPanels().btnStopWatchClick();
  EXPECT_EQ(watch->text(), "TIMER/OFF");
  w.TickAt(300);
  EXPECT_EQ(memo8->text(), "00:02:05");
  w.form.mapPanels().btnStopWatchClick();
  EXPECT_EQ(watch->text(), "TIMER/ON");
  EXPECT_FALSE(memo8->isVisibleTo(&w.form));
}

TEST(Replay, TimeBarJumpsRepeatsAndRestarts) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.FormCreate();
  w.Start();
  const TimeBarGeometry& g = w.form.timeBarGeometry();
  ASSERT_GT(g.barHeight, 100);
  const RaceData& r = w.race();

  // Above the window's range: 100 s before its end; below: its start.
  w.form.timeBar().TimeBarMouseDown(Qt::LeftButton, -10);
  EXPECT_EQ(w.play().RaceClock, r.ClockLast - 100);
  w.form.timeBar().TimeBarMouseDown(Qt::LeftButton, g.barHeight + 40);
  EXPECT_EQ(w.play().RaceClock, r.ClockFirst);
  // The speed bar follows the clock's side of the gun while the user keeps the file's speeds.
  w.form.timeBar().TimeBarMouseDown(Qt::LeftButton, g.barHeight / 2);
  EXPECT_GT(w.play().RaceClock, 0);
  EXPECT_EQ(w.child<QScrollBar>("ScrollBar1")->value(), 44);  // race speed 20

  // A right drag of more than 5 s loops the replay inside the span, with a beep at each wrap.
  auto rowOf = [&](double t) { return RoundInt((r.ClockLast - t) * g.barHeight / r.ClockSpan); };
  const int y1 = rowOf(200), y2 = rowOf(100);
  w.TickAt(150);  // boats on screen: no skipping
  w.form.timeBar().TimeBarMouseDown(Qt::RightButton, y1);
  w.form.timeBar().TimeBarMouseMove(y2);
  w.form.timeBar().TimeBarMouseUp(Qt::RightButton, y2);
  ASSERT_EQ(w.play().RepeatActive, 1);
  const double from = w.play().RepeatFrom, to = w.play().RepeatTo;
  EXPECT_LT(from, to);
  EXPECT_EQ(to, TimeAtRow(r, y1, g.barHeight));
  const int beeps = w.fakes.sound.beeps;
  w.TickAt(to + 0.2);
  EXPECT_NEAR(w.play().RaceClock, from, 1e-9);
  EXPECT_EQ(w.fakes.sound.beeps, beeps + 1);
  w.play().PlayDirection = -1;
  w.TickAt(from - 0.1 + 0.5);
  EXPECT_NEAR(w.play().RaceClock, to, 1e-9);
  // A right click without a drag clears the span.
  w.form.timeBar().TimeBarMouseDown(Qt::RightButton, y1);
  w.form.timeBar().TimeBarMouseUp(Qt::RightButton, y1);
  EXPECT_EQ(w.play().RepeatActive, 0);

  // The hint beside the bar, in English here.
  w.form.timeBar().TimeBarMouseMove(y1);
  auto* hint = w.child<QLabel>("hintbox");
  EXPECT_TRUE(hint->isVisibleTo(&w.form));
  EXPECT_TRUE(hint->text().startsWith("Left click to change the time."))
      << hint->text().toStdString();
  w.form.timeBar().pnlTimeBarMouseMove();
  EXPECT_FALSE(hint->isVisibleTo(&w.form));

  // "START": back to the beginning at the pre-start speed, whatever the play state.
  w.form.replay().stop_fClick();
  w.form.timeBar().BackTimeBarMouseDown(g.panelHeight - 10);
  EXPECT_EQ(w.play().RaceClock, r.ClockFirst);
  EXPECT_EQ(w.child<QScrollBar>("ScrollBar1")->value(), 19);  // pre-start speed 5
  w.play().RaceClock = 50;
  w.form.timeBar().BackTimeBarMouseDown(g.panelHeight - 40);  // above the box: nothing
  EXPECT_EQ(w.play().RaceClock, 50);
}

TEST(Replay, LayoutOfA1024By768Screen) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.FormCreate();
  w.form.resize(1024, 764);
  w.form.LayoutWindow();
  const ViewState& v = w.form.session().view;
  EXPECT_EQ(v.MapWidth, 709);
  EXPECT_EQ(v.MapHeight, 768);
  EXPECT_EQ(w.form.mapBitmap().size(), QSize(709, 768));
  EXPECT_EQ(w.child<QFrame>("pnlCTRL")->geometry(), QRect(759, 513, 265, 255));
  EXPECT_EQ(w.child<QFrame>("pnlLOGO")->geometry(), QRect(759, 0, 265, 200));
  EXPECT_EQ(w.child<QFrame>("pnlTimeBar")->geometry(), QRect(709, 0, 50, 768));
  EXPECT_EQ(w.child<QPushButton>("btnStopWatch")->geometry(), QRect(631, 628, 73, 20));
  EXPECT_EQ(w.child<QScrollBar>("ScrollBar1")->geometry(), QRect(48, 225, 106, 16));
  // The boat list: two boats, left column.
  auto* box2 = w.form.findChild<QCheckBox*>("BoatCheckBox2");
  ASSERT_NE(box2, nullptr);
  EXPECT_EQ(box2->geometry(), QRect(132, 14, 120, 12));  // one row: the right column
  EXPECT_EQ(box2->text(), "Bravo");
}

TEST(Replay, SpeedBarPositions) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  auto* bar = w.child<QScrollBar>("ScrollBar1");
  auto* memo2 = w.child<QLabel>("Memo2");
  EXPECT_EQ(w.play().PlaySpeed, 8);  // the bar's first position, 30
  const std::pair<int, double> cases[] = {{39, 10}, {40, 10}, {79, 100}, {80, 100}, {136, 1500}};
  for (auto [pos, speed] : cases) {
    bar->setValue(pos);
    EXPECT_EQ(w.play().PlaySpeed, speed) << pos;
  }
  EXPECT_EQ(memo2->text(), "1500X");
}

TEST(Replay, ClosingDuringALoadEndsCleanly) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.show();
  QTimer::singleShot(0, &w.form, [&] {
    if (w.form.loading()) w.form.close();
  });
  w.form.FormCreate();
  EXPECT_FALSE(w.form.loading());
  EXPECT_FALSE(w.form.raceReady());
  w.form.replay().Timer1Timer();  // nothing to replay, nothing breaks
  w.form.replay().Timer2Timer();
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty());
}

TEST(Replay, ClicksKeysAndResizesDuringALoadAreHarmless) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Replay w(dir.path());
  w.form.show();
  int during = 0;
  QTimer::singleShot(0, &w.form, [&] {
    if (!w.form.loading()) return;
    ++during;
    w.form.resize(900, 700);
    QTest::mouseClick(w.child<QLabel>("up_f"), Qt::LeftButton);
    QTest::keyClick(&w.form, Qt::Key_Space);
    w.form.replay().Timer1Timer();
    w.form.timeBar().TimeBarMouseDown(Qt::LeftButton, 10);
  });
  w.form.FormCreate();
  EXPECT_EQ(during, 1);
  ASSERT_TRUE(w.form.raceReady());
  w.Start();
  w.TickAt(100);
  const ViewState& v = w.form.session().view;
  EXPECT_EQ(w.form.mapBitmap().size(), QSize(v.MapWidth, v.MapHeight));
  EXPECT_EQ(v.MapWidth, w.form.width() - 315);
}

TEST(Replay, DemoRaceFiresFinishGunsAndRevealsTheRanking) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo races";
  Replay w(demo);
  w.form.FormCreate();
  w.Start();
  const RaceData& r = w.race();
  const PassingResults& passing = w.form.session().passing;
  ASSERT_GT(r.CourseCount, 0);
  const double first = passing.EntryLeadTime[r.CourseCount];
  ASSERT_LT(first, 999999);
  ASSERT_GT(first, 0.3 * r.ClockLast);
  auto* score = w.child<QFrame>("pnlScore");
  w.TickAt(first - 2, 0.5);
  EXPECT_FALSE(score->isVisibleTo(&w.form));
  const int guns = w.fakes.sound.guns;
  w.TickAt(first + 1, 0.5);
  EXPECT_GE(w.fakes.sound.guns, guns + 1);
  EXPECT_GE(w.play().FinishedCount, 1);
  EXPECT_TRUE(score->isVisibleTo(&w.form));
  EXPECT_EQ(score->height(), 15 * w.play().FinishedCount + 6);
  // Back before three tenths of the race the ranking hides.
  w.TickAt(0.2 * r.ClockLast);
  EXPECT_FALSE(score->isVisibleTo(&w.form));
  EXPECT_EQ(w.play().FinishedCount, 0);
  // The end of the race moves on to the next race of the list.
  w.TickAt(r.ClockLast - 0.1);
  EXPECT_TRUE(w.form.raceReady());
  EXPECT_EQ(w.form.windowTitle().trimmed(), "Sagami Bay Offshore Race");
}

// Pictures of the window at a few moments of the demo race, for people to look at:
// KEELWAY_SHOT_DIR=/some/folder keelway_app_tests --gtest_filter=Replay.DemoScreenshots
TEST(Replay, DemoScreenshots) {
  const QString out = qEnvironmentVariable("KEELWAY_SHOT_DIR");
  const QString demo = kwtest::DemoDir();
  if (out.isEmpty() || !QFileInfo::exists(demo + "raceadmin/racefile.st"))
    GTEST_SKIP() << "set KEELWAY_SHOT_DIR to write the pictures";
  Replay w(demo);
  w.form.FormCreate();
  w.form.resize(1280, 800);
  w.form.LayoutWindow();
  w.Start();
  const PassingResults& passing = w.form.session().passing;
  const RaceData& r = w.race();
  const double firstFinish = passing.EntryLeadTime[r.CourseCount];
  const std::pair<const char*, double> moments[] = {{"countdown", -150},
                                                    {"start", 15},
                                                    {"mid-race", 0.45 * firstFinish},
                                                    {"finishes", firstFinish + 90}};
  for (auto [name, clock] : moments) {
    // A few ticks so that the view settles on the boats.
    for (int i = 0; i < 5; ++i) w.TickAt(clock + i * 0.5);
    w.form.replay().Timer2Timer();
    w.form.grab().save(out + "/" + name + ".png");
  }
}
