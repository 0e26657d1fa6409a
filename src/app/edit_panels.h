// Course editing, in the mode that ctrl/editfile.edt switches on: marks, lines and the course
// sequence placed with Shift-clicks on the still map, the mean wind direction, and a wind
// history drawn on the graph page. Changes stay in memory until the race file is saved; this
// part also saves it (with its backup) and asks before a load would replace an edited course.
//
//   name          caption / what it does
//   pnlEDIT1      the course panel on the still map
//   optMK         "Mark Pos Setting": Shift-click places a mark (right: deletes the nearest)
//   Edit1         the marks placed, "MK1  MK2"
//   optLINE       "Line Pos Setting": two Shift-clicks place a line's ends
//   Edit2         the lines placed, "line1  line2"
//   RadioButton9  "Course Setting": Shift-clicks append the nearest mark or line to the course
//   Edit3         the course, "L1  MK1  MK2  L1"
//   Button7       "Reset Course": the course emptied
//   Label11       " Mean Wind Direction (Mag)"
//   Edit4         the mean wind direction typed; UpDown1 steps it
//   Button8       "Wind Direction OK": the chart turned to the wind and the race file saved
//   pnlEDIT2      the wind panel on the graph page
//   CheckBox5     "Make Wind Data": clicks on the graph page draw a wind history
//   Button9       "Save Wind Data": the history written to winddat/ and named in the race file
#pragma once

#include <QObject>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kw {

struct FormContext;
class UpDown;

class EditPanels : public QObject {
 public:
  EditPanels(FormContext& f, QWidget* form);
  // The panels' controls, created after the rest of the form.
  void BuildEditPanels();

  // After a race has loaded: the editing panel filled, the tools' leftovers forgotten.
  void AfterLoad();
  void RefreshEditPanel();
  // pnlEDIT1 and pnlEDIT2 for the page, the map mode and the editing mode.
  void UpdateEditPanels();
  // A Shift-click on the still map in editing mode, at a position of the chart.
  void EditingClick(Qt::MouseButton button, double lat, double lon);
  // A click on the graph page while the wind is drawn.
  void WindInputClick(int x, int y);

  // The race file rewritten (with its backup); a failure is said in a message box and the
  // course stays in memory.
  bool SaveRaceFileOrSay();
  // Before a load replaces an edited course: the rewrite question, and the save when asked
  // for. False when the save failed and the load must not go on.
  bool SettleCourseBeforeLoad();

  void optMKClick();
  void optLINEClick();
  void RadioButton9Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void CheckBox5Click(bool checked);
  void Edit4Change();
  void UpDown1Changing(int position);
  // The pointer over either panel: the tip box goes, the still map shows without its marks.
  void pnlEDIT1MouseMove();

  QFrame* pnlEDIT1 = nullptr;
  QFrame* pnlEDIT2 = nullptr;
  QRadioButton* optMK = nullptr;
  QRadioButton* optLINE = nullptr;
  QRadioButton* RadioButton9 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QPushButton* Button7 = nullptr;
  QLabel* Label11 = nullptr;
  QLineEdit* Edit4 = nullptr;
  UpDown* UpDown1 = nullptr;
  QPushButton* Button8 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QPushButton* Button9 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildCoursePanel();
  void BuildWindPanel();

  FormContext& f_;
};

}  // namespace kw
