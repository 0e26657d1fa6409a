#include "app/replay_controller.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "analysis/playback.h"
#include "app/control_panel.h"
#include "app/edit_panels.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/jump_panel.h"
#include "app/loading_cover.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/result_panels.h"
#include "app/tform1.h"
#include "race/datetime.h"
#include "race/numbers.h"
#include "view/rankings.h"

namespace kw {

namespace {

constexpr int kSplashMs = 4000;  // the cover stays this long after track loading began
constexpr int kBoardMs = 10000;  // small screen's final board

}  // namespace

ReplayController::ReplayController(FormContext& f) : QObject(f.form), f_(f) {
  setObjectName(QStringLiteral("ReplayController"));
  const struct {
    QTimer* ReplayController::*slot;
    const char* name;
    int interval;
    bool precise;
    void (ReplayController::*handler)();
  } timers[] = {
      {&ReplayController::Timer1, "Timer1", f.session.play.FrameInterval, true,
       &ReplayController::Timer1Timer},
      {&ReplayController::Timer2, "Timer2", 1000, true, &ReplayController::Timer2Timer},
      {&ReplayController::Timer3, "Timer3", 1000, false, &ReplayController::Timer3Timer},
      {&ReplayController::HoldTimer, "HoldTimer", kBoardMs, true,
       &ReplayController::HoldTimerTimer},
  };
  for (const auto& t : timers) {
    QTimer* timer = this->*t.slot = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(t.name));
    if (t.precise) timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(t.interval);
    connect(timer, &QTimer::timeout, this, t.handler);
  }
  HoldTimer->setSingleShot(true);
  Timer3->start();
}

bool ReplayController::CanDraw() const {
  return f_.ws.RaceReady && phase_ != ReplayPhase::Loading;
}

bool ReplayController::Ticking() const {
  const bool phase = phase_ == ReplayPhase::Splash || phase_ == ReplayPhase::Playing ||
                     phase_ == ReplayPhase::Paused;
  return phase && f_.ws.RaceReady;
}

bool ReplayController::FramesRunning() const {
  return Timer1->isActive();
}

// ---- Ticks -----------------------------------------------------------------------------------

void ReplayController::Timer1Timer() {
  if (!Ticking()) return;
  RaceData& r = f_.session.race;
  PlaybackState& p = f_.session.play;
  if (f_.ws.Page != 1) {
    p.PrevRaceClock = p.RaceClock;
    return;
  }
  f_.jump->hide();
  r.NorthUp = f_.controls->RadioN->isChecked() ? 1 : 0;
  if (AdvanceClock(p)) f_.services.sound->Beep();
  if (p.StopWatchState == 1)
    f_.panels->Memo8->setText(StopWatchText(p.RaceClock - p.StopWatchStart));
  WrapBackward(r, p);
  if (EndOfRaceDue(r, p) && !EndOfRace(false)) return;
  FrameSteps();
}

void ReplayController::FrameSteps() {
  PlaybackState& p = f_.session.play;
  MapCanvas& canvas = *f_.canvas;
  if (!canvas.PrepareFrame()) return;
  for (int i = ApplyRepeatSpan(p); i > 0; --i) f_.services.sound->Beep();
  // Nobody is on the water any more.
  if (!canvas.DrawFrame() && p.PlayDirection > 0 && !EndOfRace(true)) return;
  FinishGunsAndRankings();
}

void ReplayController::FinishGunsAndRankings() {
  RaceData& r = f_.session.race;
  PlaybackState& p = f_.session.play;
  for (int b : DueFinishes(r, f_.session.passing, p)) {
    f_.services.sound->Gun();
    if (QWidget* marker = f_.logo->Marker(b)) marker->hide();
    f_.results->RevealFinish(p.FinishedCount);
  }
  if (HideRankings(r, p)) f_.results->HideRankings();
  if (!f_.ws.OverTimeBar && RoundHalfEven(p.PrevRaceClock) != RoundHalfEven(p.RaceClock))
    f_.logo->Memo1->setText(ClockText(r, p.RaceClock));
  const ViewState& v = f_.session.view;
  const double tod = TimeOfDay(v.StartSecondOfDay, p.RaceClock);
  if (p.AutoSeaColor) {
    const double s = DaylightBrightness(tod, v.Sunrise, v.Sunset, &p.Night);
    f_.controls->ScrollBar3->setValue(RoundInt(s));
  }
  if (StartGunDue(p)) f_.services.sound->Gun();
  if (auto pos = SpeedRampPosition(r, p)) f_.controls->ScrollBar1->setValue(*pos);
  p.PrevRaceClock = p.RaceClock;
}

void ReplayController::Timer2Timer() {
  if (!Ticking()) return;
  RaceData& r = f_.session.race;
  PlaybackState& p = f_.session.play;
  MapPanels& panels = *f_.panels;
  if (f_.ws.Page != 1) {
    panels.pnlCT->hide();
    return;
  }
  // Enabling a running timer leaves its rhythm alone.
  if (!Timer1->isActive()) Timer1->start(p.FrameInterval);
  if (!f_.ws.SplashDone) {
    // The cover stays until four seconds after track loading began; frames run behind it,
    // and the hold timer ends it on time.
    const long long elapsed = f_.services.clock->TickCount() - f_.ws.SplashStart;
    if (elapsed < kSplashMs) {
      if (!HoldTimer->isActive()) HoldTimer->start(static_cast<int>(kSplashMs - elapsed));
      return;
    }
    EndSplash(elapsed);
  }
  if (r.HasHandicap) {
    panels.pnlCT->show();
    panels.pnlCT->raise();
  }
  UpdateClockStep(p);
  f_.rs.NameBlink = AdvanceBlink(p);
  if (RearmFinishGuns(f_.session.passing, r.CourseCount, p)) f_.results->HideRankings();
  const MeanSpeeds m = ComputeMeanSpeeds(r, f_.session.frame);
  f_.rs.MeanUpwindSpeed = m.up;
  f_.rs.MeanDownwindSpeed = m.down;
  for (int i = CountdownBeeps(p); i > 0; --i) f_.services.sound->Beep();
  panels.pnlFLAG->setVisible(p.RaceClock <= 0);
  panels.blue_p->setVisible(p.RaceClock >= -240 && p.RaceClock < -60);
}

void ReplayController::EndSplash(long long elapsed) {
  HoldTimer->stop();
  f_.cover->hide();
  f_.cover->SetCoverNotice(QString());
  f_.ws.SplashDone = true;
  phase_ = Timer2->isActive() ? ReplayPhase::Playing : ReplayPhase::Paused;
  // Course editing starts on the still map.
  if (elapsed < 5000 && f_.session.race.EditMode == 1) f_.controls->CheckBox1->setChecked(false);
}

void ReplayController::Timer3Timer() {
  TickLights(f_.session.race, f_.session.play);
}

void ReplayController::HoldTimerTimer() {
  if (phase_ == ReplayPhase::Splash) {
    // The second's tick ends the splash once its time has come (else it holds on).
    Timer2Timer();
  } else if (phase_ == ReplayPhase::Board) {
    EndFinalBoard();
  }
}

// ---- The end of a race -----------------------------------------------------------------------

bool ReplayController::EndOfRace(bool fromEmptyFrame) {
  const ReplayPhase before = phase_;
  phase_ = ReplayPhase::Ending;
  const bool board = f_.rs.SmallScreen;
  if (board) {
    Timer1->stop();
    Timer2->stop();
    if (ShowFinalBoard()) {
      // The tick goes on when the board's hold ends.
      boardFromEmptyFrame_ = fromEmptyFrame;
      return false;
    }
  }
  NextRaceOrRestart(board);
  if (phase_ == ReplayPhase::Ending) {
    phase_ = before == ReplayPhase::Splash ? before
             : Timer2->isActive()          ? ReplayPhase::Playing
                                           : ReplayPhase::Paused;
  }
  return f_.ws.RaceReady && !loading();
}

bool ReplayController::ShowFinalBoard() {
  const RaceData& r = f_.session.race;
  const ViewState& v = f_.session.view;
  if (r.LineCount <= 0) return false;
  const QImage board =
      DrawFinalBoard(r, f_.session.passing, v.MapWidth, v.MapHeight, f_.rs.SeaColor);
  if (board.isNull()) return false;
  f_.results->ShowBoard(board);
  phase_ = ReplayPhase::Board;
  HoldTimer->start(kBoardMs);
  return true;
}

void ReplayController::TakeDownBoard() {
  HoldTimer->stop();
  f_.results->TakeDownBoard();
}

void ReplayController::EndFinalBoard() {
  TakeDownBoard();
  phase_ = ReplayPhase::Ending;
  f_.form->LayoutWindow();
  NextRaceOrRestart(true);
  if (phase_ == ReplayPhase::Ending)
    phase_ = Timer2->isActive() ? ReplayPhase::Playing : ReplayPhase::Paused;
  if (!f_.ws.RaceReady || loading()) return;
  // The tick that ended the race goes on from where the board interrupted it.
  if (boardFromEmptyFrame_)
    FinishGunsAndRankings();
  else
    FrameSteps();
}

bool ReplayController::NextRaceOrRestart(bool afterBoard) {
  RaceData& r = f_.session.race;
  PlaybackState& p = f_.session.play;
  if (p.AutoNext && r.RaceListCount > 1) {
    int next = r.RaceListIndex + 1;
    if (next > r.RaceListCount) next = 1;
    r.RaceListIndex = next;
    const QString path = r.ProgramFolder + QStringLiteral("raceadmin/") + r.RaceList[next - 1];
    if (QFileInfo(path).isFile() && f_.edit->SettleCourseBeforeLoad()) {
      r.RaceFilePath = path;
      f_.services.sound->Beep();
      f_.form->LoadRace();
      return true;
    }
    // The race shown stays the one the file path names; the next end tries the race after.
  }
  p.RaceClock = r.ClockFirst;
  if (afterBoard && !Timer1->isActive()) {
    // The board stopped the replay; the buttons say so until the user plays again.
    ResetPlayButtons();
    f_.controls->stop_t->show();
  }
  return false;
}

// ---- Loads and the close ---------------------------------------------------------------------

void ReplayController::BeginLoad() {
  if (phase_ == ReplayPhase::Board) TakeDownBoard();
  HoldTimer->stop();
  phase_ = ReplayPhase::Loading;
}

void ReplayController::EndLoad(bool ready) {
  if (phase_ != ReplayPhase::Loading) return;
  if (!ready)
    phase_ = ReplayPhase::Idle;
  else if (!f_.ws.SplashDone)
    phase_ = ReplayPhase::Splash;
  else
    phase_ = Timer2->isActive() ? ReplayPhase::Playing : ReplayPhase::Paused;
}

void ReplayController::BeginClose() {
  if (phase_ == ReplayPhase::Closing) return;
  if (phase_ == ReplayPhase::Board) TakeDownBoard();
  beforeClose_ = phase_;
  closeFrames_ = Timer1->isActive();
  closeSeconds_ = Timer2->isActive();
  HoldTimer->stop();
  Timer1->stop();
  Timer2->stop();
  phase_ = ReplayPhase::Closing;
}

void ReplayController::CancelClose() {
  if (phase_ != ReplayPhase::Closing) return;
  phase_ = beforeClose_;
  if (closeFrames_) Timer1->start();
  if (closeSeconds_) Timer2->start();
}

ReplayController::Held::Held(ReplayController& r)
    : r_(r), phase_(r.phase_), frames_(r.Timer1->isActive()), seconds_(r.Timer2->isActive()) {
  r.Timer1->stop();
  r.Timer2->stop();
}

ReplayController::Held::~Held() {
  // A load or a close decided what runs next.
  if (r_.phase_ != phase_) return;
  if (frames_) r_.Timer1->start();
  if (seconds_) r_.Timer2->start();
}

// ---- Play buttons and single steps -----------------------------------------------------------

void ReplayController::ResetPlayButtons() {
  ControlPanel& c = *f_.controls;
  c.up_f->show();
  c.stop_f->show();
  c.dn_f->show();
  c.up_t->hide();
  c.stop_t->hide();
  c.dn_t->hide();
}

void ReplayController::SetPlaying(bool on) {
  if (on) {
    if (!Timer1->isActive()) Timer1->start(f_.session.play.FrameInterval);
    if (!Timer2->isActive()) Timer2->start(1000);
  } else {
    Timer2->stop();
    Timer1->stop();
  }
  if (phase_ == ReplayPhase::Playing || phase_ == ReplayPhase::Paused)
    phase_ = on ? ReplayPhase::Playing : ReplayPhase::Paused;
}

void ReplayController::up_fClick() {
  ResetPlayButtons();
  f_.controls->up_t->show();
  f_.session.play.PlayDirection = 1;
  SetPlaying(true);
  f_.jump->hide();
}

void ReplayController::dn_fClick() {
  ResetPlayButtons();
  f_.controls->dn_t->show();
  f_.session.play.PlayDirection = -1;
  SetPlaying(true);
  f_.jump->hide();
}

void ReplayController::stop_fClick() {
  ResetPlayButtons();
  f_.controls->stop_t->show();
  SetPlaying(false);
  f_.jump->ShowOverControls(f_.session.play.RaceClock);
}

void ReplayController::plusClick() {
  f_.rs.HoverBoat = 0;
  StepClock(+1);
}

void ReplayController::minusClick() {
  StepClock(-1);
}

void ReplayController::StepClock(int seconds) {
  ResetPlayButtons();
  f_.controls->stop_t->show();
  SetPlaying(false);
  const RaceData& r = f_.session.race;
  PlaybackState& p = f_.session.play;
  p.RaceClock = RoundHalfEven(p.RaceClock + seconds);
  if (p.RaceClock > r.ClockLast) p.RaceClock = r.ClockFirst;
  if (p.RaceClock < r.ClockFirst) p.RaceClock = r.ClockLast;
  f_.jump->SetPickers(r.StartTime + RoundHalfEven(p.RaceClock) / 86400.0);
  if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
  f_.logo->Memo1->setText(ClockText(r, p.RaceClock));
}

}  // namespace kw
