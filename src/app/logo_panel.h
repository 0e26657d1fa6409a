// The logo panel at the top right: the overview map with the main map's view on it and a dot
// per boat, the clock, the logo, the window size and two commands.
//
//   name          caption / what it is
//   pnlLOGO       this panel
//   Image1        the overview map; a click re-centres the still map (small screen: puts the
//                 overview on the map or takes it away)
//   Memo1         the date and time of the clock (or of the time bar under the pointer)
//   imgLOGO       the logo; a click opens the data folder's about page
//   Memo14        the window's size, "1280x800"
//   Shape1..4     the main map's view on the overview: top, left, bottom, right edges
//   BoatMarker<n> boat n's dot on the overview
//   Button5       "Retouch": the picture shown saved as NoName.bmp and opened
//   btnHELP       "?": the help pages of the language shown
//   chkHint       "Tips": the tips switch (hidden, so tips are always on)
#pragma once

#include <QFrame>

#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kw {

struct FormContext;

class LogoPanel : public QFrame {
 public:
  LogoPanel(FormContext& f, QWidget* form);
  // The commands under the window size, created after the rest of the form.
  void BuildCommandButtons();

  // The overview picture and the compass card for the loaded race and orientation.
  void DrawOverview();
  // After a frame: the boat markers, the view rectangle, the wind direction on the card.
  void PlaceOverviewMarkers();
  // A freshly loaded race: the panel's places, a blank overview and the boats' markers.
  void PrepareForRace();
  // The markers of a freshly loaded race, the last boat first so that boat 1 lies on top.
  void BuildBoatMarkers();
  void FreeBoatMarkers();
  // Marker of boat b, or null.
  QWidget* Marker(int b) const;
  // The markers where the boats were at clock time t (the time bar under the pointer).
  void PlaceMarkersAt(double t);

  void Image1MouseDown(Qt::MouseButton button, int x, int y);
  void pnlLOGOMouseMove();
  void imgLOGOClick();
  void btnHELPClick();
  void chkHintClick();
  void Button5Click();

  QLabel* Image1 = nullptr;
  QLabel* Memo1 = nullptr;
  QLabel* imgLOGO = nullptr;
  QLabel* Memo14 = nullptr;
  QFrame* Shape1 = nullptr;
  QFrame* Shape2 = nullptr;
  QFrame* Shape3 = nullptr;
  QFrame* Shape4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* btnHELP = nullptr;
  QCheckBox* chkHint = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The pointer over the overview, the logo or the help button: their tips.
  bool Hover(QObject* watched, QPoint pointer);

  FormContext& f_;
  std::vector<QWidget*> boatMarkers_;  // [boat], 0 unused
};

}  // namespace kw
