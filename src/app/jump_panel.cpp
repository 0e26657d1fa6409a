#include "app/jump_panel.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

#include <algorithm>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/replay_controller.h"
#include "race/datetime.h"
#include "race/numbers.h"

namespace kw {

JumpPanel::JumpPanel(FormContext& f, QWidget* form) : QFrame(form), f_(f) {
  setObjectName(QStringLiteral("Panel2"));
  SetColours(this, QColor(212, 208, 200), Qt::black);
  setFrameShape(QFrame::Panel);
  resize(265, 72);
  // Headed by its instruction, the pickers and buttons under it.
  Label13 =
      Make<QLabel>(this, "Label13", QStringLiteral("Input time to be shown and click 'JUMP'"));
  Label13->setGeometry(5, 3, 255, 14);
  DateTimePicker1 = Make<QDateEdit>(this, "DateTimePicker1");
  DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  DateTimePicker1->setGeometry(5, 21, 100, 20);
  DateTimePicker2 = Make<QTimeEdit>(this, "DateTimePicker2");
  DateTimePicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  DateTimePicker2->setGeometry(110, 21, 80, 20);
  Button6 = Make<QPushButton>(this, "Button6", QStringLiteral("JUMP"));
  Button6->setGeometry(195, 21, 65, 20);
  Button10 = Make<QPushButton>(this, "Button10", QStringLiteral("JUMP to start time"));
  Button10->setGeometry(5, 46, 255, 20);
  hide();
  setMouseTracking(true);
  connect(Button6, &QPushButton::clicked, this, &JumpPanel::Button6Click);
  connect(Button10, &QPushButton::clicked, this, &JumpPanel::Button10Click);
  f_.named.Add({this, Label13, DateTimePicker1, DateTimePicker2, Button6, Button10});
}

void JumpPanel::mouseMoveEvent(QMouseEvent* e) {
  Panel2MouseMove();
  // The form still sees the move (it ends the map's floating label).
  QFrame::mouseMoveEvent(e);
}

void JumpPanel::Panel2MouseMove() {
  f_.tips->hide();
  f_.canvas->RepaintMap();
}

void JumpPanel::ShowOverControls(double clock) {
  const QWidget* controls = f_.controls;
  move(controls->x(), controls->y() - height());
  SetPickers(f_.session.race.StartTime + RoundHalfEven(clock) / 86400.0);
  show();
  raise();
}

void JumpPanel::SetPickers(double dayCount) {
  const CivilDateTime d = DecodeDateTime(dayCount);
  DateTimePicker1->setDate(QDate(d.year, d.month, d.day));
  DateTimePicker2->setTime(QTime(d.hour, d.minute, static_cast<int>(d.second)));
}

void JumpPanel::ShowClockAt(double clock) {
  PlaybackState& p = f_.session.play;
  p.RaceClock = clock;
  if (f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
  f_.logo->Memo1->setText(ClockText(f_.session.race, p.RaceClock));
  p.ShownTime = f_.session.race.StartTime + RoundHalfEven(p.RaceClock) / 86400.0;
}

void JumpPanel::Button6Click() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  const RaceData& r = f_.session.race;
  const QDate d = DateTimePicker1->date();
  const QTime t = DateTimePicker2->time();
  const double target =
      EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
  // Inside the replay window: after the finish the clock's last second, and before the
  // window's first second nobody has a track to show.
  const double clock = static_cast<double>(SecondsBetween(r.StartTime, target));
  ShowClockAt(std::clamp(clock, r.ClockFirst, r.ClockLast));
}

void JumpPanel::Button10Click() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  SetPickers(f_.session.race.StartTime);
  ShowClockAt(0);
}

}  // namespace kw
