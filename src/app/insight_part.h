// What the fleet's tracks tell beyond the replay, in the window: a switch of the control panel
// that marks every manoeuvre on the moving and the still map (the pointer's tip over a mark says
// what it cost), and on the graph page of a race without a wind file, the wind estimated from
// the fleet with a command that keeps it as the race's wind file.
//
//   name           caption / what it does
//   chkManoeuvres  "Manoeuvres" (in pnlCTRL): the marks of the ticked boats' tacks, gybes, mark
//                  roundings and penalty turns on the maps
//   btnKeepWind    "Keep Est. Wind" (over the graph page): writes the estimated wind into
//                  winddat/<race>_wind.csv and names it on the race file's WF line
#pragma once

#include <QObject>

class QCheckBox;
class QPushButton;
class QWidget;

namespace kw {

struct FormContext;

class InsightPart : public QObject {
 public:
  InsightPart(FormContext& f, QWidget* form);

  void chkManoeuvresClick();
  void btnKeepWindClick();
  // A race has loaded: its manoeuvres found when the switch is on, the command hidden.
  void RaceLoaded();
  // The graph page was drawn into the graph bitmap: the estimated wind over it and the command
  // beside it, when the race has no wind file.
  void GraphDrawn();
  // The pointer at (x, y) over the map: the tip of the manoeuvre mark under it. True when a tip
  // is shown.
  bool MapPointerMoved(int x, int y);

  QCheckBox* chkManoeuvres = nullptr;
  QPushButton* btnKeepWind = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The renderer gets the manoeuvres while the switch is on and a race is ready.
  void ApplySwitch();

  FormContext& f_;
};

}  // namespace kw
