// The replay controller: the three timers of the replay and the hold timer, the play buttons'
// state, the splash, the end of a race with the final board's hold, as one state machine.
//
//   name        what it is
//   Timer1      the frame tick, 50 ms: the clock moves, the frame is drawn, guns and rankings
//   Timer2      the one-second tick: the splash, the clock step, blinking, countdown, flags
//   Timer3      the one-second tick of the navigation lights
//   HoldTimer   single shot: the end of the splash's hold, or of the final board's ten seconds
//
// Phases and what moves between them:
//   Idle     no race can be replayed (before the first load, after one that did not complete)
//   Loading  the loading sequence runs; no tick, no second load
//   Splash   the race is loaded; the cover stays until 4 s after track loading began (frames
//            run behind it)
//   Playing  Timer1 and Timer2 run;  Paused: they are stopped (stop, steps, the still map)
//   Ending   the end of the race is being settled (the question before the next race)
//   Board    small screen's final board over the map for ten seconds
//   Closing  the window is closing, or asks whether to save first
// Nothing waits in a loop: a hold is a phase ended by HoldTimer, and a load, a close or the
// user's next action ends it at once.
#pragma once

#include <QObject>

class QTimer;

namespace kw {

struct FormContext;

enum class ReplayPhase { Idle, Loading, Splash, Playing, Paused, Ending, Board, Closing };

class ReplayController : public QObject {
 public:
  explicit ReplayController(FormContext& f);

  ReplayPhase phase() const { return phase_; }
  bool loading() const { return phase_ == ReplayPhase::Loading; }
  bool closing() const { return phase_ == ReplayPhase::Closing; }
  // Frames may be drawn: a race is ready and no load runs (a board or a question may be up:
  // a resize still redraws the map under them).
  bool CanDraw() const;
  // The timers' ticks act: a race is ready, in its splash, playing or paused.
  bool Ticking() const;

  // The timers' handlers, public so that tests drive them without real time.
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void HoldTimerTimer();

  // Play buttons (their pictures are on the control panel) and single steps.
  void up_fClick();
  void dn_fClick();
  void stop_fClick();
  void plusClick();
  void minusClick();
  // Stop, move the clock by whole seconds (wrapping at the ends), redraw.
  void StepClock(int seconds);
  void SetPlaying(bool on);
  void ResetPlayButtons();
  bool FramesRunning() const;

  // The load moves the machine: Loading, then Splash when the race is ready, else Idle.
  // Starting a load ends a splash or a final board at once.
  void BeginLoad();
  void EndLoad(bool ready);
  // The window closes: every timer stops and no phase follows.
  void BeginClose();
  // A close that was refused (the course could not be saved) returns to where it was.
  void CancelClose();

  // Holds the replay while a question is open: the timers stop, and run again afterwards
  // unless what the answer did (a load, a close) changed the phase.
  class Held {
   public:
    explicit Held(ReplayController& r);
    ~Held();
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

   private:
    ReplayController& r_;
    ReplayPhase phase_;
    bool frames_, seconds_;
  };

  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QTimer* Timer3 = nullptr;
  QTimer* HoldTimer = nullptr;

 private:
  // The steps of a frame tick after the end-of-race check: the frame, then the guns, the
  // rankings, the clock's text, the sea colour and the speed ramp.
  void FrameSteps();
  void FinishGunsAndRankings();
  // The splash's hold is over: the cover goes.
  void EndSplash(long long elapsed);
  // The end of the replay: the final board first in small-screen mode, then the next race of
  // the catalogue or the start again. False when the tick must not go on.
  bool EndOfRace(bool fromEmptyFrame);
  // The board over the map and its hold started; false when the race has nothing to show.
  bool ShowFinalBoard();
  void EndFinalBoard();
  // After the end (and the board): the next race, or the clock back to its first value.
  // True when another race was loaded.
  bool NextRaceOrRestart(bool afterBoard);
  void TakeDownBoard();

  FormContext& f_;
  ReplayPhase phase_ = ReplayPhase::Idle;
  ReplayPhase beforeClose_ = ReplayPhase::Idle;
  bool closeFrames_ = false, closeSeconds_ = false;  // the timers that ran before the close
  bool boardFromEmptyFrame_ = false;
};

}  // namespace kw
