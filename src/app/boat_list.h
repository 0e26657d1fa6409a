// The boat list beside the map: a check box per class and per boat, in the boats' colours.
// A click toggles a boat, a right click keeps one boat or one class alone in focus, Shift-click
// marks a boat for good, Label1 focuses all again, and the pointer over a boat's entry picks
// the boat out on whichever page is shown.
//
//   name             caption / what it is
//   pnlBOATlist      this panel
//   Label1           "Boat Name   Boat Name": a press focuses every boat again
//   ClassCheckBox<c> "<class> class": class c in or out of focus
//   BoatCheckBox<b>  the boat's name: boat b in or out of focus
#pragma once

#include <QFrame>

#include <vector>

class QCheckBox;
class QLabel;

namespace kw {

struct FormContext;

class BoatList : public QFrame {
 public:
  BoatList(FormContext& f, QWidget* form);

  // The boxes of a freshly loaded race, and their removal before the next load.
  void BuildFocusLists();
  void FreeLists();
  // Every box ticked (a frame found no boat in focus and focused them all).
  void TickAll();
  // After a change of focus: the count of boats out of focus (when `recount`), then the page
  // shown drawn again.
  void RedrawFocus(bool recount);
  // Panels over the list step aside when the list needs the room.
  void CheckPanelRoom();

  void sBoatMouseDown(int boat, Qt::MouseButton button, bool shift);
  void sboatMouseMove(int boat, int x, int y);
  void clsMouseup(int cls, Qt::MouseButton button);
  void clsMouseMove(int cls);
  void Label1MouseDown();
  void Label1MouseMove();
  void Label1MouseUp();
  void pnlBOATlistMouseMove();

  QLabel* Label1 = nullptr;
  std::vector<QCheckBox*> classBoxes, boatBoxes;  // [class], [boat]; 0 unused

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WireFocusBoxes();
  bool BoxEvent(QObject* watched, QEvent* event);

  FormContext& f_;
};

}  // namespace kw
