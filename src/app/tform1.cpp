// The main form: its parts created in the order of the window's design, the window's own
// events, leaving, and what the tests read of its state.
#include "app/tform1.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "app/boat_list.h"
#include "app/control_panel.h"
#include "app/edit_panels.h"
#include "app/hint_box.h"
#include "app/insight_part.h"
#include "app/jump_panel.h"
#include "app/loading_cover.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "app/result_panels.h"
#include "app/small_screen_bar.h"
#include "app/time_bar_panel.h"
#include "race/racefile_save.h"

namespace kw {

TForm1::TForm1(const Services& services, const QString& programFolder,
               const QString& documentsFolder, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("keelway v3.1"));
  setMouseTracking(true);
  f_.services = services;
  f_.documentsFolder = documentsFolder;
  f_.form = this;
  f_.ws.JapaneseLocale = QLocale::system().language() == QLocale::Japanese;
  f_.session.race.ProgramFolder = programFolder.endsWith('/') ? programFolder : programFolder + '/';
  f_.canvas = new MapCanvas(f_, this);
  f_.replay = new ReplayController(f_);
  f_.logo = new LogoPanel(f_, this);
  f_.boats = new BoatList(f_, this);
  f_.controls = new ControlPanel(f_, this);
  f_.timeBar = new TimeBarPanel(f_, this);
  f_.panels = new MapPanels(f_, this);
  f_.results = new ResultPanels(f_, this);
  f_.jump = new JumpPanel(f_, this);
  f_.edit = new EditPanels(f_, this);
  f_.small = new SmallScreenBar(f_, this);
  f_.insight = new InsightPart(f_, this);
  f_.tips = new HintBox(f_, this);
  f_.cover = new LoadingCover(f_, this);
  f_.controls->SetFirstValues();
  f_.logo->BuildCommandButtons();
  f_.edit->BuildEditPanels();
  StackParts();
}

TForm1::~TForm1() {
  f_.replay->BeginClose();
}

void TForm1::StackParts() {
  const MapPanels& p = *f_.panels;
  const ResultPanels& r = *f_.results;
  const SmallScreenBar& s = *f_.small;
  f_.canvas->lower();
  for (QWidget* w : std::initializer_list<QWidget*>{
           f_.logo,           f_.boats,       f_.controls, f_.timeBar,  p.pnlFLAG,
           p.pnlCT,           r.pnlScore,     r.pnlScore2, p.Panel1,    p.PnlWindGr,
           f_.jump,           p.btnStopWatch, p.btnExcell, p.btnSaveEx, f_.edit->pnlEDIT1,
           f_.edit->pnlEDIT2, p.Memo8,        p.Memo6,     p.Memo10,    s.Memo11,
           s.Memo12,          s.Memo13,       s.pnlUsize,  f_.tips,     f_.cover})
    w->raise();
}

const QImage& TForm1::canvas() const {
  return f_.canvas->Canvas;
}

const QImage& TForm1::mapBitmap() const {
  return f_.canvas->MapBitmap;
}

const QImage& TForm1::graphBitmap() const {
  return f_.canvas->GraphBitmap;
}

const TimeBarGeometry& TForm1::timeBarGeometry() const {
  return f_.timeBar->barGeometry();
}

bool TForm1::loading() const {
  return f_.replay->loading();
}

bool TForm1::closed() const {
  return f_.replay->closing();
}

void TForm1::SetCoverNotice(const QString& text) {
  f_.cover->SetCoverNotice(text);
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
  f_.canvas->PointerMoved(e->position().toPoint(), e->modifiers());
  QWidget::mouseMoveEvent(e);
}

void TForm1::mousePressEvent(QMouseEvent* e) {
  // Presses that panels and labels let through reach the form too; only the map's count.
  const QPoint at = e->position().toPoint();
  if (f_.canvas->OwnsPoint(at))
    f_.canvas->FormMouseDown(e->button(), e->modifiers(), at.x(), at.y());
  e->accept();
}

void TForm1::wheelEvent(QWheelEvent* e) {
  if (e->angleDelta().y() != 0) f_.canvas->FormMouseWheel(e->angleDelta().y() > 0);
  e->accept();
}

void TForm1::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // The window sees every key before the control that has the focus.
  if (QWindow* w = windowHandle()) w->installEventFilter(f_.canvas);
}

void TForm1::resizeEvent(QResizeEvent*) {
  f_.cover->setGeometry(rect());
  f_.cover->LayOutCover();
  f_.canvas->setGeometry(rect());
  // During a load the map keeps its size; the load lays the window out when it is done.
  if (loading()) return;
  LayoutWindow();
  if (f_.ws.RaceReady && f_.canvas->PrepareFrame()) f_.canvas->DrawFrame();
}

void TForm1::closeEvent(QCloseEvent* e) {
  if (!FormClose()) {
    e->ignore();
    return;
  }
  // Closing during a load abandons it at the next boat; the load then returns.
  f_.replay->BeginClose();
  f_.replay->Timer3->stop();
  e->accept();
}

bool TForm1::FormClose() {
  // A second close while the question is open waits for its answer.
  if (f_.replay->closing()) return false;
  const QString kml = f_.documentsFolder + QStringLiteral("/KeelwayMap5.kml");
  if (QFile::exists(kml)) QFile::remove(kml);
  const RaceData& r = f_.session.race;
  if (r.EditMode == 1 && f_.ws.RaceReady && !loading() && CourseChanged(r)) {
    // No frame runs behind the question; the window closes or stays as it was.
    f_.replay->BeginClose();
    if (f_.services.dialogs->Ask(QStringLiteral("Race Admin Data"),
                                 QStringLiteral("Rewrite File? (instead of old data)")) &&
        !f_.edit->SaveRaceFileOrSay()) {
      f_.replay->CancelClose();
      return false;
    }
  }
  f_.services.sound->Beep();
  return true;
}

}  // namespace kw
