// The time bar beside the map: the race's whole time from the pre-start (bottom) to the end
// (top), shaded by daylight and marked with the upwind and downwind stretches. A left click
// jumps there, a right drag loops a span, the pointer shows where the boats were.
//
//   name          what it is
//   pnlTimeBar    this panel
//   BackTimeBar   the panel's picture: day and night, the repeat span, "START" at the bottom
//   TimeBar       the bar itself, over the picture
//   TimePointer   the red pointer at the clock
#pragma once

#include <QFrame>

#include "view/time_bar.h"

class QLabel;

namespace kw {

struct FormContext;

class TimeBarPanel : public QFrame {
 public:
  TimeBarPanel(FormContext& f, QWidget* form);

  // The bar and its picture for the current race and size.
  void DrawTimeBar();
  // After a frame: the pointer at the clock's row.
  void MovePointer(int top);
  const TimeBarGeometry& barGeometry() const { return timeBar_; }

  // y is the row on TimeBar or BackTimeBar.
  void TimeBarMouseDown(Qt::MouseButton button, int y);
  void TimeBarMouseMove(int y);
  void TimeBarMouseUp(Qt::MouseButton button, int y);
  void BackTimeBarMouseDown(int y);
  void pnlTimeBarMouseMove();

  QLabel* BackTimeBar = nullptr;
  QLabel* TimeBar = nullptr;
  QLabel* TimePointer = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FormContext& f_;
  TimeBarGeometry timeBar_;
};

}  // namespace kw
