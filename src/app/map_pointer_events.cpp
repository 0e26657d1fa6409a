// The pointer and the keys over the maps: the position in the caption, click zoom on the still
// map, the range-and-bearing tool, the nearest mark or line while the course is edited, the
// zones that ask the renderer for more detail, the map's tips, the wheel's trace zoom and the
// screenshot key.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>

#include "app/control_panel.h"
#include "app/edit_panels.h"
#include "app/form_context.h"
#include "app/hint_box.h"
#include "app/insight_part.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "app/time_bar_panel.h"
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

bool MapCanvas::OwnsPoint(QPoint pos) const {
  return parentWidget()->childAt(pos) == this;
}

void MapCanvas::PointerMoved(QPoint at, Qt::KeyboardModifiers modifiers) {
  // Leaving the time bar straight onto the map ends its hint and its hold on the date-time.
  if (f_.ws.OverTimeBar) f_.timeBar->pnlTimeBarMouseMove();
  if (OwnsPoint(at))
    FormMouseMove(modifiers, at.x(), at.y());
  else
    f_.panels->Memo6->hide();  // the map's floating label stays on the map
}

void MapCanvas::mouseMoveEvent(QMouseEvent* e) {
  PointerMoved(e->position().toPoint(), e->modifiers());
  e->accept();
}

void MapCanvas::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (OwnsPoint(at)) FormMouseDown(e->button(), e->modifiers(), at.x(), at.y());
  e->accept();
}

void MapCanvas::wheelEvent(QWheelEvent* e) {
  if (e->angleDelta().y() != 0) FormMouseWheel(e->angleDelta().y() > 0);
  e->accept();
}

bool MapCanvas::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  if (watched != window()->windowHandle()) return false;
  const auto* k = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyPress)
    FormKeyDown(k->key(), k->isAutoRepeat());
  else if (!k->isAutoRepeat())
    FormKeyUp(k->key());
  return false;
}

void MapCanvas::ApplyHoverZones(int x, int y) {
  RenderState& rs = f_.rs;
  const ViewState& v = f_.session.view;
  HoverZones z = HoverZonesAt(x, y, f_.ws.Page, v.TraceMode, v.MapWidth, v.MapHeight,
                              f_.controls->CheckBox2->isChecked());
  // Over the compass card every boat shows its wind, and its centre clears the names away.
  const QImage& card = rs.CompassCard;
  if (f_.ws.Page == 1 && !card.isNull() && QRect(QPoint(5, 5), card.size()).contains(x, y)) {
    z.ShowWindTicks = true;
    z.LabelLevel = CompassLabelLevel(x - 5, y - 5, card.width());
  }
  const HoverZones before{rs.LabelLevel,    rs.ShowAllHulls, rs.ShowWindArrow,
                          rs.ShowWindTicks, rs.SpeedWakes,   rs.HoverNames};
  rs.LabelLevel = z.LabelLevel;
  rs.ShowAllHulls = z.ShowAllHulls;
  rs.ShowWindArrow = z.ShowWindArrow;
  rs.ShowWindTicks = z.ShowWindTicks;
  rs.SpeedWakes = z.SpeedWakes;
  rs.HoverNames = z.HoverNames;
  // The moving map shows the change with its next frame; the still map has no next frame.
  if (!(z == before) && !f_.replay->FramesRunning()) RedrawStillFrame();
}

void MapCanvas::FormMouseMove(Qt::KeyboardModifiers modifiers, int x, int y) {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  const RaceData& r = f_.session.race;
  const ViewState& v = f_.session.view;
  WindowState& ws = f_.ws;
  HandsOnState& ho = ws.HandsOn;
  ho.ShiftHeld = modifiers & Qt::ShiftModifier ? 1 : 0;
  const bool still = ws.Page == 1 && v.TraceMode == 0;
  if (ws.Page == 2) {
    CopyGraphToForm();
    if (ho.EditStep == 5) DrawWindCursor(x, y);
  }
  bool tipShown = false;
  if (still && ws.HintsOn) {
    const PointerTip tip = StillMapTip(ws.Language, ho.EditStep, r.EditMode != 0);
    // Centred over the pointer, inside the window.
    ws.HintLeft =
        std::max(0, std::min(RoundInt(x - tip.width / 2.0), parentWidget()->width() - tip.width));
    ws.HintTop = y - tip.height - 100;
    if (ws.HintTop < 0) ws.HintTop = y + 100;
    f_.tips->ShowHintBox(tip.Text(), tip.width, tip.height);
    tipShown = true;
  }
  // The pointer is over no boat's entry (it may have jumped here without crossing the panels).
  if (ws.Page == 1) SetHoverBoat(0);
  ApplyHoverZones(x, y);
  f_.logo->show();
  f_.controls->show();
  ShowPointerCaption(x, y);

  if (still && ho.ShiftHeld == 1 && r.EditMode == 0) {
    RangeBearingTool(x, y);
    return;
  }
  if (r.EditMode == 0) f_.panels->Memo6->hide();
  ho.NearestMark = ho.NearestLine = 0;
  if (still && ho.ShiftHeld == 1 && r.EditMode == 1)
    NearestCoursePointLabel(x, y);
  else
    f_.panels->Memo6->hide();
  PointerTips(x, y, tipShown);
}

void MapCanvas::ShowPointerCaption(int x, int y) {
  const RaceData& r = f_.session.race;
  QString caption = r.RaceCaption;
  if (f_.ws.Page != 1) {
    caption += QStringLiteral("     ") + DisplayText(r.RaceNote);
  } else if (!f_.rs.SmallScreen) {
    const LatLon at = ToLatLon(r, f_.session.view, x, y);
    caption += QStringLiteral("       ") + LatitudeText(at.lat) + QStringLiteral("    ") +
               LongitudeText(at.lon) + QStringLiteral("      ") + DisplayText(r.RaceNote);
  }
  parentWidget()->setWindowTitle(caption);
}

void MapCanvas::RangeBearingTool(int x, int y) {
  // Range and bearing: the tip box stays as it is.
  const RaceData& r = f_.session.race;
  ViewState& v = f_.session.view;
  const HandsOnState& ho = f_.ws.HandsOn;
  QString text;
  int width = 180;
  if (HasBasePoint(ho.BaseLat)) {
    const LatLon at = StillMapPosition(r, v, x, y);
    v.RbToLat = at.lat;
    v.RbToLon = at.lon;
    RangeAndBearing(r, v);
    text = RangeBearingText(v.RbRange, v.RbBearingMag);
    width = 200;
    // The measuring line lies over the map until the map is copied to the form again.
    CopyMapToForm();
    QPainter paint(&Canvas);
    paint.setPen(QPen(Qt::red, 2));
    paint.drawLine(ho.BasePixelX, ho.BasePixelY, x, y);
    paint.end();
    update();
  } else {
    const PointerTip tip = BasePointTip(f_.ws.Language);
    text = tip.Text();
    width = tip.width;
  }
  QLabel* label = f_.panels->Memo6;
  label->setText(text);
  label->setGeometry(x + 10, y - 20, width, 17);
  label->show();
  label->raise();
}

void MapCanvas::NearestCoursePointLabel(int x, int y) {
  HandsOnState& ho = f_.ws.HandsOn;
  const NearestCoursePoint n = FindNearestCoursePoint(f_.session.race, f_.session.view, x, y);
  ho.NearestMark = n.mark;
  ho.NearestLine = n.line;
  QLabel* label = f_.panels->Memo6;
  if (n.distance >= 30) {
    label->hide();
    label->clear();
  } else {
    label->setText(n.label);
    label->setGeometry(x, y - 25, 40, 17);
    label->show();
    label->raise();
  }
}

void MapCanvas::PointerTips(int x, int y, bool tipShown) {
  const RaceData& r = f_.session.race;
  const ViewState& v = f_.session.view;
  RenderState& rs = f_.rs;
  const int page = f_.ws.Page;
  // The analysis page names its boats on the window while names are on.
  if (page == 3 && rs.LabelLevel > 0) DrawAnalysisNamesOnForm();
  // Over the wind strip of the moving map (a race with a wind file): its tip, always.
  const QRect strip(5, rs.WindStripTop, 100, 100);
  if (page == 1 && v.TraceMode == 1 && !r.WindFileName.empty() && strip.contains(x, y)) {
    rs.ShowWindTicks = true;
    tipShown = f_.tips->ShowTip(TipId::WindStrip, QPoint(x, y)) || tipShown;
  }
  if (rs.SpeedWakes && page == 1 && v.TraceMode > 0) {
    const PointerTip tip = SpeedWakeTip(f_.ws.Language);
    f_.ws.HintLeft = v.MapWidth - 275;
    f_.ws.HintTop = 5;
    f_.tips->ShowHintBox(tip.Text(), tip.width, tip.height);
    tipShown = true;
  }
  tipShown = f_.insight->MapPointerMoved(x, y) || tipShown;
  if (!tipShown) f_.tips->hide();
}

void MapCanvas::FormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                              int y) {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  const RaceData& r = f_.session.race;
  ViewState& v = f_.session.view;
  HandsOnState& ho = f_.ws.HandsOn;
  ho.ShiftHeld = modifiers & Qt::ShiftModifier ? 1 : 0;
  if (f_.ws.Page == 2 && r.EditMode > 0 && ho.EditStep == 5) {
    f_.edit->WindInputClick(x, y);
    return;
  }
  if (v.TraceMode != 0 || f_.ws.Page != 1) return;
  // Beside the map (between the panels) there is nothing to zoom to.
  if (x < 0 || y < 0 || x >= v.MapWidth || y >= v.MapHeight) return;
  const LatLon at = StillMapPosition(r, v, x, y);
  if (ho.ShiftHeld == 0) {
    v.UserCentreLat = at.lat;
    v.UserCentreLon = at.lon;
    v.ZoomFactor = ZoomAfterClick(v.ZoomFactor, button == Qt::LeftButton);
    BuildStillMap();
    if (!f_.replay->FramesRunning()) RedrawStillFrame();
  } else if (!(ho.EditStep > 0 && r.EditMode > 0)) {
    ho.BaseLat = v.RbFromLat = at.lat;
    ho.BaseLon = v.RbFromLon = at.lon;
    ho.BasePixelX = x;
    ho.BasePixelY = y;
  } else {
    f_.edit->EditingClick(button, at.lat, at.lon);
  }
}

void MapCanvas::FormKeyDown(int key, bool autoRepeat) {
  f_.ws.HandsOn.ShiftHeld = key == Qt::Key_Shift ? 1 : 0;
  if (key == Qt::Key_S && !autoRepeat) TakeScreenshot();
}

void MapCanvas::FormKeyUp(int) {
  HandsOnState& ho = f_.ws.HandsOn;
  const bool hadBase = HasBasePoint(ho.BaseLat);
  ho.ShiftHeld = 0;
  ho.BaseLat = kNoBaseLat;
  ho.BaseLon = kNoBaseLon;
  // The measuring line and its label go with the base point; the nearest mark's label too.
  f_.panels->Memo6->hide();
  if (hadBase && StillMapShown() && !f_.replay->FramesRunning()) CopyMapToForm();
}

void MapCanvas::FormMouseWheel(bool up) {
  if (f_.ws.Page != 1 || f_.session.view.TraceMode != 1) return;
  QScrollBar* zoom = f_.controls->ScrollBar2;
  const int pos = zoom->value();
  zoom->setValue(up ? std::min(100, pos + 2) : std::max(1, pos - 2));
}

}  // namespace kw
