#include "app/time_bar_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include <algorithm>
#include <cmath>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/jump_panel.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/result_panels.h"
#include "race/numbers.h"

namespace kw {

TimeBarPanel::TimeBarPanel(FormContext& f, QWidget* form) : QFrame(form), f_(f) {
  setObjectName(QStringLiteral("pnlTimeBar"));
  BackTimeBar = Make<QLabel>(this, "BackTimeBar");
  TimeBar = Make<QLabel>(this, "TimeBar");
  for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(BackTimeBar),
                     static_cast<QWidget*>(TimeBar)}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
  TimeBar->setCursor(Qt::PointingHandCursor);
  TimePointer = Make<QLabel>(this, "TimePointer");
  TimePointer->setAutoFillBackground(true);
  SetColours(TimePointer, Qt::red, Qt::red);
  TimePointer->setAttribute(Qt::WA_TransparentForMouseEvents);
  f_.named.Add({this, BackTimeBar, TimeBar, TimePointer});
}

bool TimeBarPanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* me = static_cast<QMouseEvent*>(event);
  const int y = RoundInt(me->position().y());
  if (watched == TimeBar) {
    if (type == QEvent::MouseButtonPress) TimeBarMouseDown(me->button(), y);
    if (type == QEvent::MouseMove) TimeBarMouseMove(y);
    if (type == QEvent::MouseButtonRelease) TimeBarMouseUp(me->button(), y);
    return true;
  }
  if (watched == BackTimeBar) {
    if (type == QEvent::MouseButtonPress) BackTimeBarMouseDown(y);
    if (type == QEvent::MouseMove) pnlTimeBarMouseMove();
    return true;
  }
  if (type == QEvent::MouseMove && watched == this) pnlTimeBarMouseMove();
  return false;
}

void TimeBarPanel::DrawTimeBar() {
  const RaceData& r = f_.session.race;
  timeBar_ = TimeBarGeometryFor(width(), height());
  f_.rs.TimeBarHeight = timeBar_.barHeight;
  const QImage bar = DrawTimeBarImage(r, timeBar_);
  const QImage back = DrawBackTimeBarImage(r, f_.session.view, f_.session.play, timeBar_,
                                           f_.ws.DragFrom, f_.ws.DragTo);
  BackTimeBar->setGeometry(0, 0, timeBar_.panelWidth, timeBar_.panelHeight);
  BackTimeBar->setPixmap(QPixmap::fromImage(back));
  TimeBar->setGeometry(timeBar_.barLeft, timeBar_.barTop, timeBar_.barWidth, timeBar_.barHeight);
  TimeBar->setPixmap(QPixmap::fromImage(bar));
  TimePointer->setGeometry(timeBar_.pointerLeft,
                           TimePointerTop(r, f_.session.play.RaceClock, timeBar_.barHeight),
                           timeBar_.pointerWidth, timeBar_.pointerHeight);
  TimePointer->raise();
}

void TimeBarPanel::MovePointer(int top) {
  TimePointer->move(timeBar_.pointerLeft, top);
}

void TimeBarPanel::TimeBarMouseMove(int y) {
  if (!f_.ws.RaceReady) return;
  RaceData& r = f_.session.race;
  WindowState& ws = f_.ws;
  f_.panels->Memo6->hide();
  if (!f_.controls->CheckBox2->isChecked()) f_.rs.LabelLevel = 0;
  ws.OverTimeBar = true;
  double t = TimeAtRow(r, y, timeBar_.barHeight);
  const QString when = ClockText(r, t);
  f_.logo->Memo1->setText(when);
  f_.logo->PlaceMarkersAt(std::clamp(t, r.ClockFirst, r.ClockLast));
  if (ws.HintsOn && ws.Page == 1) {
    const TimeBarHint hint = TimeBarHintFor(ws.Language, when);
    HintBox& tips = *f_.tips;
    tips.setText(hint.lines.join(QLatin1Char('\n')));
    tips.setGeometry(x() - hint.width, this->y() + timeBar_.barTop + y, hint.width, hint.height);
    tips.show();
    tips.raise();
  }
  if (ws.DragStartY > 0) {
    QImage back =
        DrawBackTimeBarImage(r, f_.session.view, f_.session.play, timeBar_, ws.DragFrom, ws.DragTo);
    DrawDragBox(back, timeBar_, ws.DragStartY, y);
    BackTimeBar->setPixmap(QPixmap::fromImage(back));
  }
}

void TimeBarPanel::TimeBarMouseDown(Qt::MouseButton button, int y) {
  PlaybackState& p = f_.session.play;
  WindowState& ws = f_.ws;
  if (ws.Page != 1 || !ws.RaceReady) return;
  RaceData& r = f_.session.race;
  ws.DragStartY = -1;
  const double t = ClampBarTime(r, TimeAtRow(r, y, timeBar_.barHeight));
  if (button == Qt::RightButton || button == Qt::MiddleButton) {
    ws.DragFrom = t;
    ws.DragStartY = y;
    return;
  }
  if (button != Qt::LeftButton) return;
  p.RaceClock = t;
  if (p.PlaySpeed == r.RaceSpeed || p.PlaySpeed == r.PreStartSpeed)
    f_.controls->SetSpeedBar(t >= 0 ? p.RaceSpeedPosition : p.PreStartSpeedPosition);
  p.FinishedCount = 0;
  f_.results->HideRankings();
  std::fill(p.FinishShown.begin(), p.FinishShown.end(), 0);
  std::fill(f_.session.frame.BoatSampleIndex.begin(), f_.session.frame.BoatSampleIndex.end(), 1);
  if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
  f_.logo->Memo1->setText(ClockText(r, p.RaceClock));
  p.ShownTime = r.StartTime + RoundHalfEven(p.RaceClock) / 86400.0;
  if (f_.jump->isVisible()) f_.jump->SetPickers(p.ShownTime);
}

void TimeBarPanel::TimeBarMouseUp(Qt::MouseButton button, int y) {
  PlaybackState& p = f_.session.play;
  WindowState& ws = f_.ws;
  if (ws.Page != 1 || !ws.RaceReady) return;
  const RaceData& r = f_.session.race;
  const double t = ClampBarTime(r, TimeAtRow(r, y, timeBar_.barHeight));
  if (button == Qt::RightButton && ws.DragStartY >= 0) {
    ws.DragTo = t;
    if (std::abs(t - ws.DragFrom) > 5) {
      p.RepeatActive = 1;
      p.RepeatFrom = std::min(t, ws.DragFrom);
      p.RepeatTo = std::max(t, ws.DragFrom);
    } else {
      p.RepeatActive = 0;
    }
    DrawTimeBar();
    // The still map's tracks follow the repeat span.
    f_.canvas->BuildStillMap();
  }
  ws.DragStartY = -1;
}

void TimeBarPanel::BackTimeBarMouseDown(int y) {
  if (!f_.ws.RaceReady || !InStartBox(timeBar_, y)) return;
  f_.session.play.RaceClock = f_.session.race.ClockFirst;
  f_.controls->SetSpeedBar(f_.session.play.PreStartSpeedPosition);
}

void TimeBarPanel::pnlTimeBarMouseMove() {
  f_.canvas->SetHoverBoat(0);
  f_.canvas->RepaintMap();
  f_.tips->hide();
  f_.panels->Memo6->hide();
  f_.ws.OverTimeBar = false;
  f_.logo->show();
  f_.controls->show();
  parentWidget()->setWindowTitle(f_.session.race.RaceCaption);
  if (!f_.controls->CheckBox2->isChecked()) f_.rs.LabelLevel = 0;
}

}  // namespace kw
