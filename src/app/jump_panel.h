// The jump panel over the control panel while the replay stands still: a date and time to show.
//
//   name              caption / what it is
//   Panel2            this panel
//   Label13           "Input time to be shown and click 'JUMP'"
//   DateTimePicker1   the date
//   DateTimePicker2   the time of day
//   Button6           "JUMP": the frame at the date and time chosen
//   Button10          "JUMP to start time": the frame at the gun
#pragma once

#include <QFrame>

class QDateEdit;
class QLabel;
class QPushButton;
class QMouseEvent;
class QTimeEdit;

namespace kw {

struct FormContext;

class JumpPanel : public QFrame {
 public:
  JumpPanel(FormContext& f, QWidget* form);

  // Over the control panel, the pickers at the clock's date and time.
  void ShowOverControls(double clock);
  // The pickers at a day-count date-time.
  void SetPickers(double dayCount);
  void Button6Click();
  void Button10Click();
  // The pointer over the panel: the tip box goes, the still map shows without its marks.
  void Panel2MouseMove();

  QLabel* Label13 = nullptr;
  QDateEdit* DateTimePicker1 = nullptr;
  QTimeEdit* DateTimePicker2 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button10 = nullptr;

 protected:
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  // The frame at `clock`, the clock's date and time in Memo1 and as the time last shown.
  void ShowClockAt(double clock);

  FormContext& f_;
};

}  // namespace kw
