#include "app/logo_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "race/numbers.h"
#include "view/artwork.h"
#include "view/geometry.h"
#include "view/language_texts.h"
#include "view/map_pointer.h"
#include "view/overview_map.h"
#include "view/wind_overlays.h"

namespace kw {

LogoPanel::LogoPanel(FormContext& f, QWidget* form) : QFrame(form), f_(f) {
  setObjectName(QStringLiteral("pnlLOGO"));
  SetColours(this, QColor(212, 208, 200), Qt::black);
  setMouseTracking(true);
  installEventFilter(this);
  Image1 = Make<QLabel>(this, "Image1");
  Image1->setGeometry(3, 3, 170, 170);
  Memo1 = MakeMemo(this, "Memo1");
  Memo1->setGeometry(3, 176, 170, 18);
  imgLOGO = MakePicture(this, "imgLOGO");
  imgLOGO->move(180, 3);
  for (auto [slot, name] :
       {std::pair{&LogoPanel::Shape1, "Shape1"}, std::pair{&LogoPanel::Shape2, "Shape2"},
        std::pair{&LogoPanel::Shape3, "Shape3"}, std::pair{&LogoPanel::Shape4, "Shape4"}}) {
    QFrame* edge = this->*slot = Make<QFrame>(this, name);
    SetColours(edge, Qt::white, Qt::white);
    edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    edge->resize(0, 0);
  }
  Memo14 = Make<QLabel>(this, "Memo14");
  Memo14->setGeometry(180, imgLOGO->geometry().bottom() + 9, 80, 16);
  f_.named.Add({this, Image1, Memo1, imgLOGO, Memo14});
}

void LogoPanel::BuildCommandButtons() {
  // Under the window size: the retouch and help buttons, and the tips switch, which stays
  // hidden so that tips are always on.
  Button5 = Make<QPushButton>(this, "Button5", QStringLiteral("Retouch"));
  Button5->setGeometry(181, 128, 78, 22);
  btnHELP = Make<QPushButton>(this, "btnHELP", QStringLiteral("?"));
  btnHELP->setGeometry(181, 154, 78, 22);
  chkHint = Make<QCheckBox>(this, "chkHint", QStringLiteral("Tips"));
  chkHint->setGeometry(181, 180, 78, 16);
  chkHint->setChecked(true);
  chkHint->hide();
  for (QPushButton* b : {Button5, btnHELP}) {
    QFont font = b->font();
    font.setPixelSize(11);
    b->setFont(font);
  }
  connect(Button5, &QPushButton::clicked, this, &LogoPanel::Button5Click);
  connect(btnHELP, &QPushButton::clicked, this, &LogoPanel::btnHELPClick);
  connect(chkHint, &QCheckBox::toggled, this, &LogoPanel::chkHintClick);
  for (QWidget* w : {static_cast<QWidget*>(imgLOGO), static_cast<QWidget*>(Image1),
                     static_cast<QWidget*>(btnHELP)}) {
    w->installEventFilter(this);
    // Moves without a button reach a widget only when it tracks the mouse.
    w->setMouseTracking(true);
  }
  imgLOGO->setCursor(Qt::PointingHandCursor);
  f_.named.Add({Button5, btnHELP, chkHint});
}

bool LogoPanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove) return false;
  auto* me = static_cast<QMouseEvent*>(event);
  const QPoint pos = me->position().toPoint();
  if (watched == this) {
    if (type == QEvent::MouseMove) pnlLOGOMouseMove();
    return false;
  }
  if (type == QEvent::MouseButtonPress) {
    if (watched == Image1) Image1MouseDown(me->button(), pos.x(), pos.y());
    if (watched == imgLOGO && me->button() == Qt::LeftButton) return imgLOGOClick(), true;
    return false;
  }
  // A drag belongs to the control itself.
  if (me->buttons() != Qt::NoButton) return false;
  return Hover(watched, pos);
}

bool LogoPanel::Hover(QObject* watched, QPoint pointer) {
  if (watched == Image1 || watched == imgLOGO) {
    f_.canvas->SetHoverBoat(0);
    f_.canvas->RepaintMap();
  }
  if (watched == imgLOGO) return f_.tips->ShowTip(TipId::Logo, pointer), true;
  if (watched == btnHELP) return f_.tips->ShowTip(TipId::Help, pointer), true;
  if (watched != Image1) return false;
  if (f_.rs.SmallScreen)
    f_.tips->ShowTip(TipId::OverviewSmall, pointer);
  else if (f_.ws.Page == 1 && f_.session.view.TraceMode == 0)
    f_.tips->ShowTip(TipId::OverviewStill, pointer);
  else
    f_.tips->hide();
  return true;
}

void LogoPanel::DrawOverview() {
  const RaceData& r = f_.session.race;
  f_.rs.Overview = DrawOverviewImage(r, f_.session.view);
  Image1->setPixmap(QPixmap::fromImage(f_.rs.Overview));
  f_.rs.CompassCard = RotateCompass(FormPicture(QStringLiteral("compasss")), CompassAngle(r));
  f_.panels->compasst->setPixmap(QPixmap::fromImage(f_.rs.CompassCard));
}

void LogoPanel::PlaceOverviewMarkers() {
  const RaceData& r = f_.session.race;
  const FrameBoats& fb = f_.session.frame;
  // Over the time bar the bar moves the markers to the time under the pointer.
  if (!f_.ws.OverTimeBar) {
    for (int b = r.BoatCount; b >= 1; --b) {
      QWidget* marker = Marker(b);
      if (!marker || b >= static_cast<int>(fb.BoatLatNow.size())) continue;
      const Point2 o = ToOverview(r, f_.session.view, fb.BoatLatNow[b], fb.BoatLonNow[b]);
      marker->move(RoundInt(o.x), RoundInt(o.y));
    }
  }
  const QRect view = ViewRectangle(r, f_.session.view);
  Shape1->setGeometry(view.left(), view.top(), view.width(), 1);
  Shape2->setGeometry(view.left(), view.top(), 1, view.height());
  Shape3->setGeometry(view.left(), view.top() + view.height(), view.width(), 1);
  Shape4->setGeometry(view.left() + view.width(), view.top(), 1, view.height());
  f_.panels->Memo3->setText(QString::number(f_.rs.Wind.WindDirNow));
}

void LogoPanel::PrepareForRace() {
  Image1->setGeometry(3, 3, 170, 170);
  Memo1->setGeometry(3, Image1->y() + 170 + 3, 170, 18);
  imgLOGO->move(Image1->x() + 170 + 7, 3);
  Memo14->move(imgLOGO->x(), imgLOGO->geometry().bottom() + 1 + 8);
  BuildBoatMarkers();
  QImage overview(170, 170, QImage::Format_RGB32);
  overview.fill(ToQColor(f_.rs.SeaColor));
  Image1->setPixmap(QPixmap::fromImage(overview));
}

void LogoPanel::BuildBoatMarkers() {
  const RaceData& r = f_.session.race;
  boatMarkers_.assign(static_cast<size_t>(r.BoatCount) + 1, nullptr);
  for (int b = r.BoatCount; b >= 1; --b) {
    auto* m = new BoatMarker(this, ToQColor(r.BoatColor[b]));
    m->setObjectName(QStringLiteral("BoatMarker%1").arg(b));
    m->move(70, 4 * b);
    m->show();
    boatMarkers_[b] = m;
  }
}

void LogoPanel::FreeBoatMarkers() {
  for (QWidget* w : boatMarkers_) delete w;
  boatMarkers_.clear();
}

QWidget* LogoPanel::Marker(int b) const {
  return b >= 1 && b < static_cast<int>(boatMarkers_.size()) ? boatMarkers_[b] : nullptr;
}

void LogoPanel::PlaceMarkersAt(double t) {
  const RaceData& r = f_.session.race;
  for (int b = 1; b <= r.BoatCount; ++b) {
    QWidget* marker = Marker(b);
    if (!marker) continue;
    if (r.BoatShown[b] != 1) {
      marker->hide();
      continue;
    }
    const int j = FindSamplePair(r.TrackTime[b], r.BoatSampleCount[b], 1, t);
    if (j > 0) {
      const Point2 o = ToOverview(r, f_.session.view, r.TrackLat[b][j], r.TrackLon[b][j]);
      marker->move(RoundInt(o.x), RoundInt(o.y));
      marker->show();
    }
  }
}

void LogoPanel::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  // In small-screen mode a click on the overview puts it on the map or takes it away.
  if (f_.rs.SmallScreen && button == Qt::LeftButton) {
    f_.rs.OverviewOnMap = !f_.rs.OverviewOnMap;
    if (f_.ws.Page == 1 && !f_.replay->FramesRunning() && f_.canvas->PrepareFrame())
      f_.canvas->DrawFrame();
  }
  if (f_.session.race.EditMode > 0 && button == Qt::RightButton) return;
  if (f_.session.view.TraceMode != 0 || f_.ws.Page != 1) return;
  RecentreFromOverview(f_.session.race, f_.session.view, x, y);
  f_.canvas->RedrawStillMap();
}

void LogoPanel::pnlLOGOMouseMove() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  f_.canvas->SetHoverBoat(0);
  f_.canvas->RepaintMap();
  f_.tips->hide();
  f_.panels->Memo6->hide();
  f_.ws.OverTimeBar = false;
  if (f_.ws.Page == 2) f_.canvas->CopyGraphToForm();
  parentWidget()->setWindowTitle(f_.session.race.RaceCaption);
  if (!f_.controls->CheckBox2->isChecked()) f_.rs.LabelLevel = 0;
}

void LogoPanel::imgLOGOClick() {
  // The product's own page is the data folder's "about" page, never an outside site.
  const int language = f_.ws.Language;
  OpenDataPage(f_, AboutPage(language), AboutPage(language, true));
}

void LogoPanel::btnHELPClick() {
  const int language = f_.ws.Language;
  OpenDataPage(f_, HelpPage(language), HelpPage(language, true));
  f_.tips->ShowTip(TipId::Help);
}

void LogoPanel::chkHintClick() {
  f_.ws.HintsOn = chkHint->isChecked();
}

void LogoPanel::Button5Click() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  MapCanvas& c = *f_.canvas;
  QImage image;
  if (f_.ws.Page != 1) {
    image = c.GraphBitmap;
  } else if (f_.session.view.TraceMode == 0) {
    image = c.MapBitmap;
  } else {
    // The frame at the clock, drawn with the frames held.
    QTimer* frames = f_.replay->Timer1;
    const bool running = frames->isActive();
    frames->stop();
    if (c.PrepareFrame()) c.DrawFrame();
    image = c.MapBitmap.copy();
    if (running) frames->start();
  }
  c.SaveImageAndOpen(image, f_.documentsFolder + QStringLiteral("/NoName.bmp"));
}

}  // namespace kw
