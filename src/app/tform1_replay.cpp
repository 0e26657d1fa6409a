// The replay: the three timers, the play buttons and single steps, the speed and sea-colour
// bars, the frame drawn and copied to the form, and the end of a race.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>

#include <algorithm>

#include "analysis/playback.h"
#include "app/form_widgets.h"
#include "app/tform1.h"
#include "race/datetime.h"
#include "race/numbers.h"
#include "view/rankings.h"
#include "view/renderer.h"

namespace kw {

void TForm1::Timer1Timer() {
  // A dialog or a load inside a tick lets events run; a tick never runs inside another.
  if (loading_ || inFrame_ || inTick_ || inBoard_ || closing_ || !raceReady_) return;
  FlagScope tick(inTick_);
  RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  if (p.Page != 1) {
    p.PrevRaceClock = p.RaceClock;
    return;
  }
  Panel2->hide();
  r.NorthUp = RadioN->isChecked() ? 1 : 0;
  if (AdvanceClock(p)) services_.sound->Beep();
  if (p.StopWatchState == 1) Memo8->setText(StopWatchText(p.RaceClock - p.StopWatchStart));
  WrapBackward(r, p);
  if (EndOfRaceDue(r, p)) {
    EndOfRace();
    if (!raceReady_ || loading_) return;  // the next race did not load completely
  }
  if (!PrepareFrame()) return;
  for (int i = ApplyRepeatSpan(p); i > 0; --i) services_.sound->Beep();
  if (!DrawFrame() && p.PlayDirection > 0) {
    // Nobody is on the water any more.
    EndOfRace();
    if (!raceReady_ || loading_) return;
  }

  for (int b : DueFinishes(r, session_.passing, p)) {
    services_.sound->Gun();
    pnlScore->resize(pnlScore->width(), 15 * p.FinishedCount + 6);
    if (b < static_cast<int>(boatMarkers_.size()) && boatMarkers_[b]) boatMarkers_[b]->hide();
    // A race without course lines has no ranking list to reveal.
    if (!Image5->pixmap().isNull()) pnlScore->show();
    if (!rs_.SmallScreen && classPanelFits_ && r.ClassesDeclared) {
      const QImage classes = DrawClassRanking(r, session_.passing, p.FinishShown);
      Image4->setPixmap(QPixmap::fromImage(classes));
      Image4->resize(classes.size());
      pnlScore2->resize(classes.size());
      pnlScore2->move(5, std::max(0, session_.view.MapHeight - pnlScore2->height() - 5));
      pnlScore2->show();
    }
  }
  if (HideRankings(r, p)) {
    pnlScore->hide();
    pnlScore2->hide();
  }

  if (!overTimeBar_ && RoundHalfEven(p.PrevRaceClock) != RoundHalfEven(p.RaceClock))
    Memo1->setText(ClockText(p.RaceClock));
  const double tod = TimeOfDay(session_.view.StartSecondOfDay, p.RaceClock);
  if (p.AutoSeaColor) {
    const double s = DaylightBrightness(tod, session_.view.Sunrise, session_.view.Sunset, &p.Night);
    ScrollBar3->setValue(RoundInt(s));
  }
  if (StartGunDue(p)) services_.sound->Gun();
  if (auto pos = SpeedRampPosition(r, p)) ScrollBar1->setValue(*pos);
  p.PrevRaceClock = p.RaceClock;
}

void TForm1::Timer2Timer() {
  if (loading_ || inSplash_ || inBoard_ || closing_ || !raceReady_) return;
  RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  if (p.Page != 1) {
    pnlCT->hide();
    return;
  }
  // Enabling a running timer leaves its rhythm alone.
  if (!Timer1->isActive()) Timer1->start(p.FrameInterval);
  if (!p.SplashDone) {
    // Hold the cover until four seconds after track loading began; frames run behind it.
    FlagScope guard(inSplash_);
    long long elapsed = services_.clock->TickCount() - p.SplashStart;
    while (elapsed < 4000 && !closing_ && !loading_) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(5);
      elapsed = services_.clock->TickCount() - p.SplashStart;
    }
    if (closing_ || loading_ || !raceReady_) return;
    pnlSPLITE->hide();
    SetCoverNotice(QString());
    p.SplashDone = true;
    if (elapsed < 5000 && r.EditMode == 1) CheckBox1->setChecked(false);
  }
  if (r.HasHandicap) {
    pnlCT->show();
    pnlCT->raise();
  }
  UpdateClockStep(p);
  rs_.NameBlink = AdvanceBlink(p);
  if (RearmFinishGuns(session_.passing, r.CourseCount, p)) {
    pnlScore->hide();
    pnlScore2->hide();
  }
  const MeanSpeeds m = ComputeMeanSpeeds(r, session_.frame);
  rs_.MeanUpwindSpeed = m.up;
  rs_.MeanDownwindSpeed = m.down;
  for (int i = CountdownBeeps(p); i > 0; --i) services_.sound->Beep();
  pnlFLAG->setVisible(p.RaceClock <= 0);
  blue_p->setVisible(p.RaceClock >= -240 && p.RaceClock < -60);
}

void TForm1::Timer3Timer() {
  TickLights(session_.race, session_.play);
}

bool TForm1::PrepareFrame() {
  if (!raceReady_ || loading_ || mapBitmap_.isNull()) return false;
  if (session_.view.TraceMode == 1)
    mapBitmap_.fill(ToQColor(rs_.SeaColor));
  else
    mapBitmap_ = rs_.HoverBoat != 0 ? highlightBitmap_.copy() : backgroundBitmap_.copy();
  return true;
}

bool TForm1::DrawFrame() {
  if (!raceReady_ || loading_ || inFrame_) return true;
  FlagScope guard(inFrame_);
  RaceSession& s = session_;
  s.race.NorthUp = RadioN->isChecked() ? 1 : 0;
  // "Show Name" lifts the label level from 0 to 1 for the frame.
  RenderState frameState = rs_;
  if (CheckBox2->isChecked() && frameState.LabelLevel == 0) frameState.LabelLevel = 1;
  const SceneResult res = DrawScene(s, frameState, mapBitmap_, s.play.RaceClock);
  rs_.Wind = frameState.Wind;
  s.play.BoatsOnScreen = res.BoatsOnScreen;
  s.play.BoatsWithPosition = s.frame.BoatsWithPosition;
  TimePointer->move(timeBar_.pointerLeft, res.TimePointerTop);
  if (res.TickedAllBoats) {
    for (QCheckBox* box : boatBoxes_)
      if (box) box->setChecked(true);
    for (QCheckBox* box : classBoxes_)
      if (box) box->setChecked(true);
  }
  if (!res.RaceEnded) PlaceOverviewMarkers();
  Memo13->setVisible(res.Memo13Visible);
  if (res.Memo13Visible) Memo13->setText(res.Memo13Text);
  CopyMapToForm();
  return !res.RaceEnded;
}

void TForm1::CopyMapToForm() {
  if (canvas_.isNull()) return;
  QPainter p(&canvas_);
  p.drawImage(0, 0, mapBitmap_);
  p.end();
  update(0, 0, mapBitmap_.width(), mapBitmap_.height());
}

void TForm1::RepaintMap() {
  if (session_.play.Page == 1 && session_.view.TraceMode == 0 && !Timer1->isActive())
    CopyMapToForm();
}

bool TForm1::EndOfRace() {
  RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  const bool board = rs_.SmallScreen && !inBoard_;
  if (board) {
    const int loadsBefore = loads_;
    ShowFinalBoard();
    // The hold let the window run: it may have been closed or shown another race.
    if (closing_ || loads_ != loadsBefore) return true;
  }
  if (p.AutoNext && r.RaceListCount > 1) {
    int next = r.RaceListIndex + 1;
    if (next > r.RaceListCount) next = 1;
    r.RaceListIndex = next;
    const QString path = r.ProgramFolder + QStringLiteral("raceadmin/") + r.RaceList[next - 1];
    if (QFileInfo(path).isFile() && SettleCourseBeforeLoad()) {
      r.RaceFilePath = path;
      services_.sound->Beep();
      LoadRace();
      return true;
    }
    // The race shown stays the one the file path names; the next end tries the race after.
  }
  p.RaceClock = r.ClockFirst;
  if (board && !Timer1->isActive()) {
    // The board stopped the replay; the buttons say so until the user plays again.
    ResetPlayButtons();
    stop_t->show();
  }
  return false;
}

void TForm1::ResetPlayButtons() {
  up_f->show();
  stop_f->show();
  dn_f->show();
  up_t->hide();
  stop_t->hide();
  dn_t->hide();
}

void TForm1::SetPlaying(bool on) {
  if (on) {
    if (!Timer1->isActive()) Timer1->start(session_.play.FrameInterval);
    if (!Timer2->isActive()) Timer2->start(1000);
  } else {
    Timer2->stop();
    Timer1->stop();
  }
}

void TForm1::up_fClick() {
  ResetPlayButtons();
  up_t->show();
  session_.play.PlayDirection = 1;
  SetPlaying(true);
  Panel2->hide();
}

void TForm1::dn_fClick() {
  ResetPlayButtons();
  dn_t->show();
  session_.play.PlayDirection = -1;
  SetPlaying(true);
  Panel2->hide();
}

void TForm1::stop_fClick() {
  ResetPlayButtons();
  stop_t->show();
  SetPlaying(false);
  Panel2->move(pnlCTRL->x(), pnlCTRL->y() - Panel2->height());
  SetPickers(session_.race.StartTime + RoundHalfEven(session_.play.RaceClock) / 86400.0);
  Panel2->show();
  Panel2->raise();
}

void TForm1::plusClick() {
  rs_.HoverBoat = 0;
  StepClock(+1);
}

void TForm1::minusClick() {
  StepClock(-1);
}

void TForm1::StepClock(int seconds) {
  ResetPlayButtons();
  stop_t->show();
  SetPlaying(false);
  const RaceData& r = session_.race;
  PlaybackState& p = session_.play;
  p.RaceClock = RoundHalfEven(p.RaceClock + seconds);
  if (p.RaceClock > r.ClockLast) p.RaceClock = r.ClockFirst;
  if (p.RaceClock < r.ClockFirst) p.RaceClock = r.ClockLast;
  SetPickers(r.StartTime + RoundHalfEven(p.RaceClock) / 86400.0);
  if (PrepareFrame()) DrawFrame();
  Memo1->setText(ClockText(p.RaceClock));
}

void TForm1::SetPickers(double dayCount) {
  const CivilDateTime d = DecodeDateTime(dayCount);
  DateTimePicker1->setDate(QDate(d.year, d.month, d.day));
  DateTimePicker2->setTime(QTime(d.hour, d.minute, static_cast<int>(d.second)));
}

void TForm1::btnStopWatchClick() {
  PlaybackState& p = session_.play;
  p.StopWatchState = (p.StopWatchState + 1) % 3;
  switch (p.StopWatchState) {
    case 1:
      p.StopWatchStart = p.RaceClock;
      btnStopWatch->setText(QStringLiteral("STOP"));
      Memo8->setText(StopWatchText(0));
      Memo8->show();
      Memo8->raise();
      break;
    case 2:
      btnStopWatch->setText(QStringLiteral("TIMER/OFF"));
      break;
    default:
      btnStopWatch->setText(QStringLiteral("TIMER/ON"));
      Memo8->hide();
      break;
  }
}

void TForm1::ScrollBar1Change() {
  session_.play.PlaySpeed = SpeedFromPosition(ScrollBar1->value());
  Memo2->setText(QString::number(RoundInt(session_.play.PlaySpeed)) + QStringLiteral("X"));
}

void TForm1::SetSpeedBar(float position) {
  ScrollBar1->setValue(RoundInt(position));
}

void TForm1::ScrollBar3Change() {
  const int p = ScrollBar3->value();
  session_.play.SeaBrightness = p;
  rs_.SeaBrightness = p;
  rs_.SeaColor = SeaColorFor(p);
  rs_.GridColor = GridColorFor(p);
  // The still map's sea is its background's: rebuild it, then the frame over it.
  if (session_.play.Page == 1 && session_.view.TraceMode == 0 && !Timer1->isActive() &&
      raceReady_) {
    BuildStillMap();
    if (PrepareFrame()) DrawFrame();
  }
}

void TForm1::Button4Click() {
  RaceData& r = session_.race;
  // The race the box shows: a load since the user's choice may have moved the box on.
  const int index = ComboBox1->currentIndex() + 1;
  const QString name = index >= 1 && index <= r.RaceListCount ? r.RaceList[index - 1] : QString();
  // The same file name, not a part of it ("r1.txt" is not "race-r1.txt").
  if (name.isEmpty() || QFileInfo(r.RaceFilePath).fileName() == name) {
    services_.dialogs->Message(QStringLiteral("keelway"), QStringLiteral("Already shown."));
    return;
  }
  const QString path = r.ProgramFolder + QStringLiteral("raceadmin/") + name;
  // A race file removed since the list was made would end the program as a race without boats.
  if (!QFileInfo(path).isFile()) {
    services_.dialogs->Message(QStringLiteral("keelway"),
                               path + QStringLiteral(": file not found"));
    return;
  }
  if (!SettleCourseBeforeLoad()) return;
  r.SelectedRaceIndex = index;
  r.RaceFilePath = path;
  r.RaceListIndex = index;
  services_.sound->Beep();
  LoadRace();
}

QString TForm1::ClockText(double clock) const {
  return QString::fromStdString(
      FormatDateTime(session_.race.StartTime + RoundHalfEven(clock) / 86400.0));
}

}  // namespace kw
