// The small panels and texts over the map: flags, the ET/CT switch, the compass's panel, the
// stopwatch, the report buttons of the analysis page and the labels the pointer and the modes
// show.
//
//   name           caption / what it is
//   pnlFLAG        the flags at the map's top right before the start: kwlogo (the class flag)
//                  and blue_p (the Blue Peter, 4 to 1 minutes before the gun)
//   pnlCT          the elapsed/corrected time switch of a race with handicaps:
//                  RadioButton10 "ET mode", RadioButton11 "CT mode" (each reloads the race)
//   Panel1         the compass card's panel (compasst the turned card, compasss its source,
//                  Memo3 the wind direction); the overlays copy the card onto the map
//   PnlWindGr      the wind strip's place; the overlays draw the strip onto the map
//   btnStopWatch   "TIMER/ON", "STOP", "TIMER/OFF": the stopwatch, shown in Memo8
//   btnExcell      "Show Excel Table": the performance report written and opened
//   btnSaveEx      "Save"
//   Memo6          the map's floating label: range and bearing, or the nearest mark or line
//   Memo8          the stopwatch, "00:02:05"
//   Memo10         "CT(Corrected Time) Mode" over the map of a corrected-time race
#pragma once

#include <QObject>

class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kw {

struct FormContext;

class MapPanels : public QObject {
 public:
  MapPanels(FormContext& f, QWidget* form);

  void RadioButton10Click();
  void RadioButton11Click();
  void btnStopWatchClick();
  // Memo10 over the map of a corrected-time race on the track page.
  void ShowCorrectedTimeBanner();
  // The flags at the map's right edge.
  void PlaceFlags();

  QFrame* pnlFLAG = nullptr;
  QLabel* blue_p = nullptr;
  QLabel* kwlogo = nullptr;
  QFrame* pnlCT = nullptr;
  QRadioButton* RadioButton10 = nullptr;
  QRadioButton* RadioButton11 = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* compasst = nullptr;
  QLabel* Memo3 = nullptr;
  QFrame* PnlWindGr = nullptr;
  QPushButton* btnStopWatch = nullptr;
  QPushButton* btnExcell = nullptr;
  QPushButton* btnSaveEx = nullptr;
  QLabel* Memo6 = nullptr;
  QLabel* Memo8 = nullptr;
  QLabel* Memo10 = nullptr;

 private:
  void BuildButtons(QWidget* form);
  void BuildMemos(QWidget* form);
  // Elapsed or corrected time: the race loaded again in that mode.
  void ReloadInMode(bool corrected);

  FormContext& f_;
};

}  // namespace kw
