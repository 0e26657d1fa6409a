// The chart and the view controls: the pictures built once per race (overview, compass card,
// wind strip), the still map and the switch to it ("Auto Trace"), the orientation buttons, the
// mouse wheel's trace zoom, and the overview's markers and view rectangle after each frame.
#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimeEdit>
#include <QTimer>
#include <QWheelEvent>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "race/numbers.h"
#include "view/artwork.h"
#include "view/geometry.h"
#include "view/overview_map.h"
#include "view/still_map.h"
#include "view/wind_overlays.h"

namespace kw {

void TForm1::RebuildViewPictures() {
  const RaceData& r = session_.race;
  DrawOverview();
  rs_.WindStrip = BuildWindStripImage(r);
  rs_.WindStripTop = findChild<QFrame*>(QStringLiteral("PnlWindGr"))->y();
  rs_.WindowHeight = height();
  if (session_.view.TraceMode == 0) BuildStillMap();
}

void TForm1::DrawOverview() {
  const RaceData& r = session_.race;
  rs_.Overview = DrawOverviewImage(r, session_.view);
  Image1->setPixmap(QPixmap::fromImage(rs_.Overview));
  rs_.CompassCard = RotateCompass(FormPicture(QStringLiteral("compasss")), CompassAngle(r));
  compasst->setPixmap(QPixmap::fromImage(rs_.CompassCard));
}

void TForm1::BuildStillMap() {
  if (session_.view.TraceMode != 0 || session_.play.Page != 1 || !raceReady_) return;
  const int beeps =
      kw::BuildStillMap(session_.race, session_.view, session_.play, rs_, backgroundBitmap_);
  for (int i = 0; i < beeps; ++i) services_.sound->Beep();
  if (rs_.HoverBoat != 0)
    BuildHighlight(session_.race, session_.view, session_.play, rs_.HoverBoat, backgroundBitmap_,
                   highlightBitmap_);
  mapBitmap_ = backgroundBitmap_.copy();
  CopyMapToForm();
}

void TForm1::CheckBox1Click() {
  services_.sound->Beep();
  SetTraceMode();
}

void TForm1::SetTraceMode() {
  ViewState& v = session_.view;
  PlaybackState& p = session_.play;
  ResetPlayButtons();
  if (CheckBox1->isChecked()) {
    up_t->show();
    p.PlayDirection = 1;
    v.TraceMode = 1;
    pnlEDIT1->hide();
    if (raceReady_) SetPlaying(true);
    return;
  }
  if (session_.race.EditMode == 1 && p.Page == 1) pnlEDIT1->show();
  stop_t->show();
  SetPlaying(false);
  v.TraceMode = 0;
  EnterStillMap(v);
  btnStopWatch->hide();
  if (!raceReady_) return;
  BuildStillMap();
  if (PrepareFrame()) DrawFrame();
  Panel2->move(pnlCTRL->x(), pnlCTRL->y() - Panel2->height());
  SetPickers(session_.race.StartTime + RoundHalfEven(p.RaceClock) / 86400.0);
  Panel2->show();
  Panel2->raise();
}

void TForm1::SetNorthUp(int northUp) {
  RaceData& r = session_.race;
  // Clicking the orientation already shown redraws nothing.
  if ((northUp == 1) == (r.NorthUp >= 1)) return;
  r.NorthUp = northUp;
  if (!raceReady_) return;
  DrawOverview();
  if (session_.view.TraceMode == 0 && session_.play.Page == 1) {
    BuildStillMap();
    if (PrepareFrame()) DrawFrame();
  }
}

void TForm1::RadioNClick() {
  SetNorthUp(1);
}

void TForm1::RadioWClick() {
  SetNorthUp(0);
}

void TForm1::FormMouseWheel(bool up) {
  if (session_.play.Page != 1 || session_.view.TraceMode != 1) return;
  const int pos = ScrollBar2->value();
  ScrollBar2->setValue(up ? std::min(100, pos + 2) : std::max(1, pos - 2));
}

void TForm1::wheelEvent(QWheelEvent* e) {
  if (e->angleDelta().y() != 0) FormMouseWheel(e->angleDelta().y() > 0);
  e->accept();
}

void TForm1::PlaceOverviewMarkers() {
  const RaceData& r = session_.race;
  const FrameBoats& fb = session_.frame;
  // Over the time bar the bar moves the markers to the time under the pointer.
  if (!overTimeBar_) {
    for (int b = r.BoatCount; b >= 1; --b) {
      if (b >= static_cast<int>(boatMarkers_.size()) || !boatMarkers_[b]) continue;
      if (b >= static_cast<int>(fb.BoatLatNow.size())) continue;
      const Point2 o = ToOverview(r, session_.view, fb.BoatLatNow[b], fb.BoatLonNow[b]);
      boatMarkers_[b]->move(RoundInt(o.x), RoundInt(o.y));
    }
  }
  const QRect view = ViewRectangle(r, session_.view);
  Shape1->setGeometry(view.left(), view.top(), view.width(), 1);
  Shape2->setGeometry(view.left(), view.top(), 1, view.height());
  Shape3->setGeometry(view.left(), view.top() + view.height(), view.width(), 1);
  Shape4->setGeometry(view.left() + view.width(), view.top(), 1, view.height());
  Memo3->setText(QString::number(rs_.Wind.WindDirNow));
}

}  // namespace kw
