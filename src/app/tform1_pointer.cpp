// The pointer and the keys over the maps: the position in the caption, click zoom on the still
// map, re-centring from the overview, the range-and-bearing tool, the nearest mark or line while
// the course is edited, the zones that ask the renderer for more detail, and the map's tips.
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include "app/tform1.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/geometry.h"
#include "view/language_texts.h"
#include "view/map_pointer.h"
#include "view/pointer_tips.h"
#include "view/still_map.h"

namespace kw {

namespace {

// No base point for the range-and-bearing tool.
constexpr double kNoBaseLat = -6000, kNoBaseLon = -12000;

bool HasBasePoint(double baseLat) {
  return baseLat > -5400 && baseLat != 0;
}

}  // namespace

void TForm1::BuildHandsOn() {
  // The floating label never takes the pointer away from the map it labels.
  Memo6->setAttribute(Qt::WA_TransparentForMouseEvents);
  Image1->installEventFilter(this);
  for (QWidget* w : {static_cast<QWidget*>(pnlBOATlist), static_cast<QWidget*>(Label1)}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  for (QRadioButton* page : {RadioButton1, RadioButton2, RadioButton3})
    connect(page, &QRadioButton::toggled, this, [this] { UpdateEditPanels(); });
  BuildEditPanels();
}

void TForm1::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // The window sees every key before the control that has the focus.
  if (QWindow* w = windowHandle()) w->installEventFilter(this);
}

bool TForm1::OwnsPoint(QPoint pos) const {
  return childAt(pos) == nullptr;
}

bool TForm1::StillMapShown() const {
  return raceReady_ && !loading_ && session_.play.Page == 1 && session_.view.TraceMode == 0;
}

void TForm1::RedrawStillFrame() {
  if (StillMapShown() && PrepareFrame()) DrawFrame();
}

void TForm1::RedrawStillMap() {
  if (!StillMapShown()) return;
  BuildStillMap();
  RedrawStillFrame();
}

bool TForm1::HandsOnEvent(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
    if (!windowHandle() || watched != windowHandle()) return false;
    const auto* k = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyPress)
      FormKeyDown(k->key(), k->isAutoRepeat());
    else if (!k->isAutoRepeat())
      FormKeyUp(k->key());
    return false;
  }
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  const bool release = type == QEvent::MouseButtonRelease;
  const bool move = type == QEvent::MouseMove;
  if (!press && !release && !move) return false;
  const auto* me = static_cast<QMouseEvent*>(event);
  const QPoint pos = me->position().toPoint();
  if (watched == Image1) {
    if (type == QEvent::MouseButtonPress) Image1MouseDown(me->button(), pos.x(), pos.y());
    return false;
  }
  if (watched == Label1) {
    if (press) Label1MouseDown();
    if (release) Label1MouseUp();
    if (move) Label1MouseMove();
    return true;
  }
  if (watched == pnlBOATlist || watched == pnlLOGO) {
    if (move) watched == pnlLOGO ? pnlLOGOMouseMove() : pnlBOATlistMouseMove();
    return false;
  }
  if (watched->parent() != pnlBOATlist) return false;
  const bool shift = me->modifiers() & Qt::ShiftModifier;
  const bool left = me->button() == Qt::LeftButton && !shift;
  for (size_t b = 1; b < boatBoxes_.size(); ++b) {
    if (boatBoxes_[b] != watched) continue;
    // A plain left click toggles the box as any check box; its clicked signal redraws.
    if (press && !left) sBoatMouseDown(static_cast<int>(b), me->button(), shift);
    if (move) sboatMouseMove(static_cast<int>(b), pos.x(), pos.y());
    // Moves without a button would reach the list panel below, which ends the hover.
    return ((press || release) && !left) || (move && me->buttons() == Qt::NoButton);
  }
  for (size_t c = 1; c < classBoxes_.size(); ++c) {
    if (classBoxes_[c] != watched) continue;
    if (release && me->button() != Qt::LeftButton) clsMouseup(static_cast<int>(c), me->button());
    if (move) clsMouseMove(static_cast<int>(c));
    return ((press || release) && me->button() != Qt::LeftButton) ||
           (move && me->buttons() == Qt::NoButton);
  }
  return false;
}

void TForm1::mousePressEvent(QMouseEvent* e) {
  // Presses that panels and labels let through reach the form too; only the map's count.
  const QPoint at = e->position().toPoint();
  if (OwnsPoint(at)) FormMouseDown(e->button(), e->modifiers(), at.x(), at.y());
  e->accept();
}

void TForm1::ApplyHoverZones(int x, int y) {
  const ViewState& v = session_.view;
  HoverZones z = HoverZonesAt(x, y, session_.play.Page, v.TraceMode, v.MapWidth, v.MapHeight,
                              CheckBox2->isChecked());
  // Over the compass card every boat shows its wind, and its centre clears the names away.
  const QImage& card = rs_.CompassCard;
  if (session_.play.Page == 1 && !card.isNull() &&
      QRect(QPoint(5, 5), card.size()).contains(x, y)) {
    z.ShowWindTicks = true;
    z.LabelLevel = CompassLabelLevel(x - 5, y - 5, card.width());
  }
  const HoverZones before{rs_.LabelLevel,    rs_.ShowAllHulls, rs_.ShowWindArrow,
                          rs_.ShowWindTicks, rs_.SpeedWakes,   rs_.HoverNames};
  rs_.LabelLevel = z.LabelLevel;
  rs_.ShowAllHulls = z.ShowAllHulls;
  rs_.ShowWindArrow = z.ShowWindArrow;
  rs_.ShowWindTicks = z.ShowWindTicks;
  rs_.SpeedWakes = z.SpeedWakes;
  rs_.HoverNames = z.HoverNames;
  // The moving map shows the change with its next frame; the still map has no next frame.
  if (!(z == before) && !Timer1->isActive()) RedrawStillFrame();
}

void TForm1::FormMouseMove(Qt::KeyboardModifiers modifiers, int x, int y) {
  if (!raceReady_ || loading_) return;
  const RaceData& r = session_.race;
  ViewState& v = session_.view;
  const PlaybackState& p = session_.play;
  ho_.ShiftHeld = modifiers & Qt::ShiftModifier ? 1 : 0;
  const bool still = p.Page == 1 && v.TraceMode == 0;
  if (p.Page == 2) {
    CopyGraphToForm();
    if (ho_.EditStep == 5) DrawWindCursor(x, y);
  }
  bool tipShown = false;
  if (still && hintsOn_) {
    const PointerTip tip = StillMapTip(p.Language, ho_.EditStep, r.EditMode != 0);
    // Centred over the pointer, inside the window.
    HintLeft = std::max(0, std::min(RoundInt(x - tip.width / 2.0), width() - tip.width));
    HintTop = y - tip.height - 100;
    if (HintTop < 0) HintTop = y + 100;
    ShowHintBox(tip.Text(), tip.width, tip.height);
    tipShown = true;
  }
  // The pointer is over no boat's entry (it may have jumped here without crossing the panels).
  if (p.Page == 1) SetHoverBoat(0);
  ApplyHoverZones(x, y);
  pnlLOGO->show();
  pnlCTRL->show();

  QString caption = r.RaceCaption;
  if (p.Page != 1) {
    caption += QStringLiteral("     ") + DisplayText(r.RaceNote);
  } else if (!rs_.SmallScreen) {
    const LatLon at = ToLatLon(r, v, x, y);
    caption += QStringLiteral("       ") + LatitudeText(at.lat) + QStringLiteral("    ") +
               LongitudeText(at.lon) + QStringLiteral("      ") + DisplayText(r.RaceNote);
  }
  setWindowTitle(caption);

  if (still && ho_.ShiftHeld == 1 && r.EditMode == 0) {
    // Range and bearing: the tip box stays as it is.
    QString text;
    int width = 180;
    if (HasBasePoint(ho_.BaseLat)) {
      const LatLon at = StillMapPosition(r, v, x, y);
      v.RbToLat = at.lat;
      v.RbToLon = at.lon;
      RangeAndBearing(r, v);
      text = RangeBearingText(v.RbRange, v.RbBearingMag);
      width = 200;
      // The measuring line lies over the map until the map is copied to the form again.
      CopyMapToForm();
      QPainter paint(&canvas_);
      paint.setPen(QPen(Qt::red, 2));
      paint.drawLine(ho_.BasePixelX, ho_.BasePixelY, x, y);
      paint.end();
      update();
    } else {
      const PointerTip tip = BasePointTip(p.Language);
      text = tip.Text();
      width = tip.width;
    }
    Memo6->setText(text);
    Memo6->setGeometry(x + 10, y - 20, width, 17);
    Memo6->show();
    Memo6->raise();
    return;
  }

  if (r.EditMode == 0) Memo6->hide();
  ho_.NearestMark = ho_.NearestLine = 0;
  if (still && ho_.ShiftHeld == 1 && r.EditMode == 1) {
    const NearestCoursePoint n = FindNearestCoursePoint(r, v, x, y);
    ho_.NearestMark = n.mark;
    ho_.NearestLine = n.line;
    if (n.distance >= 30) {
      Memo6->hide();
      Memo6->clear();
    } else {
      Memo6->setText(n.label);
      Memo6->setGeometry(x, y - 25, 40, 17);
      Memo6->show();
      Memo6->raise();
    }
  } else {
    Memo6->hide();
  }
  // The analysis page names its boats on the window while names are on.
  if (p.Page == 3 && rs_.LabelLevel > 0) DrawAnalysisNamesOnForm();
  // Over the wind strip of the moving map (a race with a wind file): its tip, always.
  const QRect strip(5, rs_.WindStripTop, 100, 100);
  if (p.Page == 1 && v.TraceMode == 1 && !r.WindFileName.empty() && strip.contains(x, y)) {
    rs_.ShowWindTicks = true;
    tipShown = ShowTip(TipId::WindStrip, QPoint(x, y)) || tipShown;
  }
  if (rs_.SpeedWakes && p.Page == 1 && v.TraceMode > 0) {
    const PointerTip tip = SpeedWakeTip(p.Language);
    HintLeft = v.MapWidth - 275;
    HintTop = 5;
    ShowHintBox(tip.Text(), tip.width, tip.height);
    tipShown = true;
  }
  if (!tipShown) hintbox->hide();
}

void TForm1::FormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
  if (!raceReady_ || loading_) return;
  const RaceData& r = session_.race;
  ViewState& v = session_.view;
  ho_.ShiftHeld = modifiers & Qt::ShiftModifier ? 1 : 0;
  if (session_.play.Page == 2 && r.EditMode > 0 && ho_.EditStep == 5) {
    WindInputClick(x, y);
    return;
  }
  if (v.TraceMode != 0 || session_.play.Page != 1) return;
  // Beside the map (between the panels) there is nothing to zoom to.
  if (x < 0 || y < 0 || x >= v.MapWidth || y >= v.MapHeight) return;
  const LatLon at = StillMapPosition(r, v, x, y);
  if (ho_.ShiftHeld == 0) {
    v.UserCentreLat = at.lat;
    v.UserCentreLon = at.lon;
    v.ZoomFactor = ZoomAfterClick(v.ZoomFactor, button == Qt::LeftButton);
    BuildStillMap();
    if (!Timer1->isActive()) RedrawStillFrame();
  } else if (!(ho_.EditStep > 0 && r.EditMode > 0)) {
    ho_.BaseLat = v.RbFromLat = at.lat;
    ho_.BaseLon = v.RbFromLon = at.lon;
    ho_.BasePixelX = x;
    ho_.BasePixelY = y;
  } else {
    EditingClick(button, at.lat, at.lon);
  }
}

void TForm1::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  if (!raceReady_ || loading_) return;
  // In small-screen mode a click on the overview puts it on the map or takes it away.
  if (rs_.SmallScreen) {
    rs_.OverviewOnMap = !rs_.OverviewOnMap;
    if (session_.play.Page == 1 && !Timer1->isActive() && PrepareFrame()) DrawFrame();
    return;
  }
  if (session_.race.EditMode > 0 && button == Qt::RightButton) return;
  if (session_.view.TraceMode != 0 || session_.play.Page != 1) return;
  RecentreFromOverview(session_.race, session_.view, x, y);
  RedrawStillMap();
}

void TForm1::FormKeyDown(int key, bool autoRepeat) {
  ho_.ShiftHeld = key == Qt::Key_Shift ? 1 : 0;
  if (key == Qt::Key_S && !autoRepeat) TakeScreenshot();
}

void TForm1::FormKeyUp(int) {
  const bool hadBase = HasBasePoint(ho_.BaseLat);
  ho_.ShiftHeld = 0;
  ho_.BaseLat = kNoBaseLat;
  ho_.BaseLon = kNoBaseLon;
  // The measuring line and its label go with the base point; the nearest mark's label too.
  Memo6->hide();
  if (hadBase && StillMapShown() && !Timer1->isActive()) CopyMapToForm();
}

}  // namespace kw
