// The main form: its creation, the window's own events and the routing of mouse events from
// the pictures and bars it watches. The rest of the form lives beside this file by concern:
// controls, loading, layout, replay and time bar.
#include "app/tform1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "race/numbers.h"

namespace kw {

TForm1::TForm1(const Services& services, const QString& programFolder,
               const QString& documentsFolder, QWidget* parent)
    : QWidget(parent), services_(services), documentsFolder_(documentsFolder) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("keelway v3.1"));
  setMouseTracking(true);
  session_.race.ProgramFolder = programFolder.endsWith('/') ? programFolder : programFolder + '/';
  BuildControls();
  BuildHandsOn();
}

TForm1::~TForm1() {
  closing_ = true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (HandsOnEvent(watched, event)) return true;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return QWidget::eventFilter(watched, event);
  auto* me = static_cast<QMouseEvent*>(event);
  const int y = RoundInt(me->position().y());
  if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
    if (watched == up_f) return up_fClick(), true;
    if (watched == dn_f) return dn_fClick(), true;
    if (watched == stop_f) return stop_fClick(), true;
    if (watched == plus) return plusClick(), true;
    if (watched == minus) return minusClick(), true;
    if (watched == up_t || watched == dn_t || watched == stop_t) return true;
  }
  if (watched == TimeBar) {
    if (type == QEvent::MouseButtonPress) TimeBarMouseDown(me->button(), y);
    if (type == QEvent::MouseMove) TimeBarMouseMove(y);
    if (type == QEvent::MouseButtonRelease) TimeBarMouseUp(me->button(), y);
    return true;
  }
  if (watched == BackTimeBar) {
    if (type == QEvent::MouseButtonPress) BackTimeBarMouseDown(y);
    if (type == QEvent::MouseMove) pnlTimeBarMouseMove();
    return true;
  }
  if (type == QEvent::MouseMove && watched == pnlTimeBar) pnlTimeBarMouseMove();
  if (type == QEvent::MouseMove && watched == pnlCTRL) pnlCTRLMouseMove();
  return QWidget::eventFilter(watched, event);
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
  // Leaving the time bar straight onto the map ends its hint and its hold on the date-time.
  if (overTimeBar_) pnlTimeBarMouseMove();
  const QPoint at = e->position().toPoint();
  if (OwnsPoint(at))
    FormMouseMove(e->modifiers(), at.x(), at.y());
  else
    Memo6->hide();  // the map's floating label stays on the map
  QWidget::mouseMoveEvent(e);
}

void TForm1::paintEvent(QPaintEvent*) {
  if (canvas_.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

void TForm1::resizeEvent(QResizeEvent*) {
  pnlSPLITE->setGeometry(rect());
  LayOutCover();
  // During a load the map keeps its size; the load lays the window out when it is done.
  if (loading_) return;
  LayoutWindow();
  if (raceReady_ && PrepareFrame()) DrawFrame();
}

void TForm1::closeEvent(QCloseEvent* e) {
  if (!FormClose()) {
    e->ignore();
    return;
  }
  // Closing during a load abandons it at the next boat; the load then returns.
  closing_ = true;
  Timer1->stop();
  Timer2->stop();
  Timer3->stop();
  e->accept();
}

}  // namespace kw
