#include "app/boat_list.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/hint_box.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/replay_controller.h"
#include "race/text.h"
#include "view/pointer_tips.h"
#include "view/window_layout.h"

namespace kw {

BoatList::BoatList(FormContext& f, QWidget* form) : QFrame(form), f_(f) {
  setObjectName(QStringLiteral("pnlBOATlist"));
  SetColours(this, QColor(212, 208, 200), Qt::black);
  QFont listFont = font();
  listFont.setPixelSize(10);
  setFont(listFont);
  Label1 = Make<QLabel>(this, "Label1", QStringLiteral("Boat Name                  Boat Name"));
  Label1->setGeometry(9, 0, 250, 14);
  for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Label1)}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
  f_.named.Add({this, Label1});
}

void BoatList::BuildFocusLists() {
  RaceData& r = f_.session.race;
  WindowState& ws = f_.ws;
  const FocusListLayout lay = LayoutFocusLists(r, ws.BoatListRows, ws.ClassPanelHeight);
  ws.BoatListMinHeight = lay.BoatListMinHeight;
  classBoxes.assign(static_cast<size_t>(r.ClassCount) + 1, nullptr);
  for (int i = 1; i <= r.ClassCount; ++i) {
    auto* box = new QCheckBox(DisplayText(r.ClassName[i]) + QStringLiteral(" class"), this);
    box->setObjectName(QStringLiteral("ClassCheckBox%1").arg(i));
    SetColours(box, Qt::white, Qt::red);
    box->setChecked(true);
    box->setGeometry(lay.classBox[i]);
    box->show();
    classBoxes[i] = box;
  }
  Label1->move(lay.label1);
  boatBoxes.assign(static_cast<size_t>(r.BoatCount) + 1, nullptr);
  for (int b = 1; b <= r.BoatCount; ++b) {
    auto* box = new QCheckBox(DisplayText(r.BoatName[b]), this);
    box->setObjectName(QStringLiteral("BoatCheckBox%1").arg(b));
    SetColours(box, ToQColor(r.BoatColor[b]), Qt::white);
    box->setChecked(r.BoatShown[b] >= 1);
    box->setGeometry(lay.boatBox[b]);
    // A click focuses or unfocuses the boat; the next frame shows it.
    connect(box, &QCheckBox::clicked, this, [this, b](bool on) {
      if (b <= f_.session.race.BoatCount) f_.session.race.BoatShown[b] = on ? 1 : 0;
    });
    box->show();
    boatBoxes[b] = box;
  }
  WireFocusBoxes();
}

void BoatList::FreeLists() {
  for (QWidget* w : classBoxes) delete w;
  for (QWidget* w : boatBoxes) delete w;
  classBoxes.clear();
  boatBoxes.clear();
}

void BoatList::TickAll() {
  for (QCheckBox* box : boatBoxes)
    if (box) box->setChecked(true);
  for (QCheckBox* box : classBoxes)
    if (box) box->setChecked(true);
}

void BoatList::WireFocusBoxes() {
  for (QCheckBox* box : classBoxes) {
    if (!box) continue;
    box->setMouseTracking(true);
    box->installEventFilter(this);
    connect(box, &QCheckBox::clicked, this, [this, box] {
      for (size_t c = 1; c < classBoxes.size(); ++c)
        if (classBoxes[c] == box) clsMouseup(static_cast<int>(c), Qt::LeftButton);
    });
  }
  for (QCheckBox* box : boatBoxes) {
    if (!box) continue;
    box->setMouseTracking(true);
    box->installEventFilter(this);
    // The box has set BoatShown already (its first handler).
    connect(box, &QCheckBox::clicked, this, [this] { RedrawFocus(true); });
  }
}

bool BoatList::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  const bool release = type == QEvent::MouseButtonRelease;
  const bool move = type == QEvent::MouseMove;
  if (!press && !release && !move) return false;
  if (watched == Label1) {
    if (press) Label1MouseDown();
    if (release) Label1MouseUp();
    if (move) Label1MouseMove();
    return true;
  }
  if (watched == this) {
    if (move) pnlBOATlistMouseMove();
    return false;
  }
  return BoxEvent(watched, event);
}

bool BoatList::BoxEvent(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  const bool release = type == QEvent::MouseButtonRelease;
  const bool move = type == QEvent::MouseMove;
  const auto* me = static_cast<QMouseEvent*>(event);
  const QPoint pos = me->position().toPoint();
  const bool shift = me->modifiers() & Qt::ShiftModifier;
  const bool left = me->button() == Qt::LeftButton && !shift;
  for (size_t b = 1; b < boatBoxes.size(); ++b) {
    if (boatBoxes[b] != watched) continue;
    // A plain left click toggles the box as any check box; its clicked signal redraws.
    if (press && !left) sBoatMouseDown(static_cast<int>(b), me->button(), shift);
    if (move) sboatMouseMove(static_cast<int>(b), pos.x(), pos.y());
    // Moves without a button would reach the list panel below, which ends the hover.
    return ((press || release) && !left) || (move && me->buttons() == Qt::NoButton);
  }
  for (size_t c = 1; c < classBoxes.size(); ++c) {
    if (classBoxes[c] != watched) continue;
    if (release && me->button() != Qt::LeftButton) clsMouseup(static_cast<int>(c), me->button());
    if (move) clsMouseMove(static_cast<int>(c));
    return ((press || release) && me->button() != Qt::LeftButton) ||
           (move && me->buttons() == Qt::NoButton);
  }
  return false;
}

void BoatList::RedrawFocus(bool recount) {
  RaceData& r = f_.session.race;
  if (recount) {
    r.HiddenBoatCount = 0;
    for (int b = 1; b <= r.BoatCount; ++b) r.HiddenBoatCount += r.BoatShown[b] < 1;
  }
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  if (f_.canvas->StillMapShown()) {
    f_.canvas->RedrawStillMap();
  } else if (f_.ws.Page == 2 || f_.ws.Page == 3) {
    f_.canvas->DrawPage();
  }
}

void BoatList::sBoatMouseDown(int c, Qt::MouseButton button, bool shift) {
  RaceData& r = f_.session.race;
  if (f_.replay->loading() || c < 1 || c > r.BoatCount || c >= static_cast<int>(boatBoxes.size()))
    return;
  if (shift) {
    // Marking leaves the boat's focus as it is.
    f_.rs.MarkedBoat = f_.rs.MarkedBoat == c ? 0 : c;
  } else if (button == Qt::RightButton) {
    for (int b = 1; b <= r.BoatCount && b < static_cast<int>(boatBoxes.size()); ++b) {
      r.BoatShown[b] = b == c ? 1 : 0;
      if (boatBoxes[b]) boatBoxes[b]->setChecked(b == c);
    }
    for (QCheckBox* box : classBoxes)
      if (box) box->setChecked(false);
  } else if (button == Qt::LeftButton) {
    QCheckBox* box = boatBoxes[c];
    const bool was = box && box->isChecked();
    if (box) box->setChecked(!was);
    r.BoatShown[c] = was ? 0 : 1;
  } else {
    return;
  }
  RedrawFocus(true);
}

void BoatList::clsMouseup(int cls, Qt::MouseButton button) {
  RaceData& r = f_.session.race;
  if (f_.replay->loading() || cls < 1 || cls >= static_cast<int>(classBoxes.size())) return;
  f_.services.sound->Beep();
  if (button == Qt::RightButton) {
    for (QCheckBox* box : classBoxes)
      if (box) box->setChecked(false);
    classBoxes[cls]->setChecked(true);
  }
  for (int i = 1; i <= r.ClassCount && i < static_cast<int>(classBoxes.size()); ++i) {
    const bool on = classBoxes[i] && classBoxes[i]->isChecked();
    for (int b = 1; b <= r.BoatCount && b < static_cast<int>(boatBoxes.size()); ++b) {
      if (r.BoatClass[b] != i) continue;
      r.BoatShown[b] = on ? 1 : 0;
      // The marked boat keeps its check mark, though out of focus with its class.
      if (boatBoxes[b] && (on || b != f_.rs.MarkedBoat)) boatBoxes[b]->setChecked(on);
    }
  }
  // The count of boats out of focus follows (the Google Earth question reads it).
  RedrawFocus(true);
}

void BoatList::sboatMouseMove(int c, int x, int y) {
  const RaceData& r = f_.session.race;
  if (!f_.ws.RaceReady || f_.replay->loading() || c < 1 || c > r.BoatCount) return;
  HandsOnState& ho = f_.ws.HandsOn;
  const int page = f_.ws.Page;
  f_.canvas->SetHoverBoat(c);
  const bool moved = x != ho.LastListMouseX || y != ho.LastListMouseY;
  if ((page == 2 || page == 3) && moved) f_.canvas->HighlightBoatOnPage(c);
  ho.LastListMouseX = x;
  ho.LastListMouseY = y;
  if (f_.ws.HintsOn && page == 1 && c < static_cast<int>(boatBoxes.size()) && boatBoxes[c]) {
    const PointerTip tip = BoatEntryTip(f_.ws.Language, DisplayText(r.BoatName[c]));
    // At the list's left edge, unless the tip would run out of the window there.
    f_.ws.HintLeft = std::max(0, std::min(this->x(), parentWidget()->width() - tip.width));
    f_.ws.HintTop = this->y() + boatBoxes[c]->y() + 30;
    f_.tips->ShowHintBox(tip.Text(), tip.width, tip.height);
  }
  CheckPanelRoom();
}

void BoatList::clsMouseMove(int cls) {
  const RaceData& r = f_.session.race;
  if (!f_.ws.RaceReady || f_.replay->loading() || cls < 1 || cls > r.ClassCount) return;
  if (f_.ws.HintsOn && f_.ws.Page == 1 && cls < static_cast<int>(classBoxes.size())) {
    const PointerTip tip = ClassEntryTip(f_.ws.Language, DisplayText(r.ClassName[cls]));
    f_.ws.HintLeft = std::max(0, std::min(this->x(), parentWidget()->width() - tip.width));
    f_.ws.HintTop = this->y() + classBoxes[cls]->y() + 30;
    f_.tips->ShowHintBox(tip.Text(), tip.width, tip.height);
  }
  CheckPanelRoom();
}

void BoatList::Label1MouseDown() {
  RaceData& r = f_.session.race;
  if (f_.replay->loading()) return;
  TickAll();
  for (int b = 1; b <= r.BoatCount; ++b) r.BoatShown[b] = 1;
  r.HiddenBoatCount = 0;
  f_.canvas->RedrawStillMap();
}

void BoatList::Label1MouseUp() {
  if (f_.ws.RaceReady && !f_.replay->loading() && (f_.ws.Page == 2 || f_.ws.Page == 3))
    f_.canvas->DrawPage();
}

void BoatList::Label1MouseMove() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  f_.canvas->SetHoverBoat(0);
  if (!f_.ws.HintsOn) return;
  const PointerTip tip = FocusAllTip(f_.ws.Language);
  f_.ws.HintLeft = x() - 225;
  f_.ws.HintTop = y() + Label1->y();
  f_.tips->ShowHintBox(tip.Text(), tip.width, tip.height);
}

void BoatList::pnlBOATlistMouseMove() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  f_.tips->hide();
  if (f_.ws.Page == 2 || f_.ws.Page == 3) {
    f_.canvas->CopyGraphToForm();
    f_.canvas->DrawWindOverlayOnForm();  // page 2 with a wind file
  } else {
    // The picked-out track goes; the still map shows again as it was.
    f_.canvas->SetHoverBoat(0);
    f_.canvas->RepaintMap();
  }
  CheckPanelRoom();
}

void BoatList::CheckPanelRoom() {
  if (y() == 0) f_.logo->hide();
  const int room = parentWidget()->height() - f_.logo->height() - f_.controls->height();
  if (room < f_.ws.BoatListMinHeight) f_.controls->hide();
}

}  // namespace kw
