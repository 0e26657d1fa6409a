// The control panel at the bottom right: the race to show, the page, the orientation, the play
// buttons, the sea colour, zoom and speed, the switches and the commands.
//
//   name          caption / what it does
//   pnlCTRL       this panel
//   Label5        "Race File Name"
//   ComboBox1     the race files of raceadmin/; the choice is shown by SHOW
//   Button4       "SHOW": loads the race chosen in ComboBox1
//   chkAutoNext   "AutoNext": the end of a replay loads the next race of the list
//   Label14       "SCR": a screenshot of the map (also the S key)
//   Label12       "?": the Japanese help pages (shown only when they exist)
//   GroupBox2     "Page": RadioButton1 "Track", RadioButton2 "Graph", RadioButton3 "Anlys"
//   GroupBox1     "Orientation": RadioN "Northwd" (north up), RadioW "Windwd" (wind up)
//   pnlDIR        the play buttons: up_f/up_t play forward, stop_f/stop_t stop, dn_f/dn_t play
//                 backward (the lit _t picture lies over its unlit _f twin), plus "+1" and
//                 minus "-1" a second's step
//   GroupBox4     "Sea Color": CheckBox3 "AUTO" follows the time of day, ScrollBar3 brightness
//   Label3        "ZOOM";  ScrollBar2 how far the moving map zooms out around the boats
//   Label2        "SPEED"; ScrollBar1 the play speed, shown in Memo2 ("8X")
//   usa, jpn      the flags: English or Japanese captions (the other flag is shown)
//   CheckBox1     "Auto Trace": the map follows the boats; off: the still map
//   chkLL         "Lay Line": laylines at the marks
//   ChkRefLine    "Comp Line": the comparison lines
//   CheckBox2     "Show Name": the boats' names on the map and the analysis page
//   ChkBigBoat    "Big Boat": hulls drawn larger
//   CheckBox4     "Small Scr": small-screen mode with its size bar
//   Button3       "Google Earth": KML of the whole race (right button: of the moment shown)
//   Button2       "Att Files": the race's attachments (ListBox1 lists several)
//   Button1       "EXIT": saves a changed course, then ends the program
#pragma once

#include <QFrame>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kw {

struct FormContext;

class ControlPanel : public QFrame {
 public:
  ControlPanel(FormContext& f, QWidget* form);
  // The sea colour, the speed bar and their switches at their first values.
  void SetFirstValues();

  // Speed, sea colour, the race to show.
  void ScrollBar1Change();
  void SetSpeedBar(float position);
  void ScrollBar3Change();
  void Button4Click();
  // View controls and the still map.
  void CheckBox1Click();
  void SetTraceMode();
  void RadioNClick();
  void RadioWClick();
  void CheckBox2Click();
  // Pages.
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  // Languages and help.
  void jpnClick();
  void usaClick();
  // Every caption of the caption table in the language shown.
  void ApplyLanguage();
  void Label12Click();
  // Attachments, Google Earth, small screen, leaving.
  void button2Click();
  void ListBox1Click();
  void Button3MouseDown(Qt::MouseButton button);
  void CheckBox4Click();
  void Button1Click();
  void pnlCTRLMouseMove();

  QLabel* Label5 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QCheckBox* chkAutoNext = nullptr;
  QLabel* Label12 = nullptr;
  QLabel* Label14 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button4 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* RadioN = nullptr;
  QRadioButton* RadioW = nullptr;
  QFrame* pnlDIR = nullptr;
  QLabel* up_t = nullptr;
  QLabel* up_f = nullptr;
  QLabel* stop_t = nullptr;
  QLabel* stop_f = nullptr;
  QLabel* dn_t = nullptr;
  QLabel* dn_f = nullptr;
  QLabel* plus = nullptr;
  QLabel* minus = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QScrollBar* ScrollBar3 = nullptr;
  QLabel* Label3 = nullptr;
  QScrollBar* ScrollBar2 = nullptr;
  QLabel* usa = nullptr;
  QLabel* jpn = nullptr;
  QLabel* Label2 = nullptr;
  QScrollBar* ScrollBar1 = nullptr;
  QLabel* Memo2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* chkLL = nullptr;
  QCheckBox* ChkRefLine = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* ChkBigBoat = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button2 = nullptr;
  QListWidget* ListBox1 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildCaptionsAndButtons();
  void BuildGroups();
  void BuildPlayButtons();
  void BuildBars();
  void BuildSwitches();
  // Every child at its place in the panel, from the one table.
  void PlaceControls();
  void WatchCommands();
  bool Press(QObject* watched, Qt::MouseButton button);
  bool Hover(QObject* watched, QPoint pointer);
  void SetNorthUp(int northUp);
  // The frame at the clock drawn again when nothing replays (a switch the frame reads changed).
  void RedrawStoppedMap();
  void ShowPage(int page);

  FormContext& f_;
};

}  // namespace kw
