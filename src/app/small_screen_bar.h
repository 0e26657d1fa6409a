// Small-screen mode: a fixed, smaller map for recording, its title and play speed over the map,
// and the size bar under it.
//
//   name           caption / what it is
//   pnlUsize       the size bar under the map
//   RadioButton4   "800 x 600"
//   RadioButton7   "800 x 480" (the size small screen starts with)
//   RadioButton5   "640 x 480"
//   RadioButton6   "480 x 320"
//   RadioButton8   "Preferance": the width and height of ComboBox2 and ComboBox3
//   ComboBox2      width, 300 .. 1280
//   ComboBox3      height, 240 .. 640
//   Memo11         the race's caption over the map
//   Memo12         "CT mode" beside it in corrected time
//   Memo13         "Play SPD= 8x" at the map's bottom right
#pragma once

#include <QObject>

class QComboBox;
class QFrame;
class QLabel;
class QRadioButton;
class QWidget;

namespace kw {

struct FormContext;

class SmallScreenBar : public QObject {
 public:
  SmallScreenBar(FormContext& f, QWidget* form);

  // "Small Scr" ticked and unticked.
  void Enter();
  void Leave();
  void SmallScreenSizeClick();
  void ShowSmallScreenBar();
  // After a frame: the play speed over the map in small-screen mode, nothing otherwise.
  void ShowPlaySpeed();

  QLabel* Memo11 = nullptr;
  QLabel* Memo12 = nullptr;
  QLabel* Memo13 = nullptr;
  QFrame* pnlUsize = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QRadioButton* RadioButton5 = nullptr;
  QRadioButton* RadioButton6 = nullptr;
  QRadioButton* RadioButton7 = nullptr;
  QRadioButton* RadioButton8 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QComboBox* ComboBox3 = nullptr;

 private:
  void BuildSizeBar(QWidget* form);

  FormContext& f_;
};

}  // namespace kw
