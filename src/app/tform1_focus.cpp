// The boat and class focus lists: a click toggles a boat, a right click keeps one boat or one
// class alone in focus, Shift-click marks a boat for good, Label1 focuses all again, and the
// pointer over a boat's entry picks the boat out on whichever page is shown.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QTimer>

#include <algorithm>

#include "app/tform1.h"
#include "race/text.h"
#include "view/pointer_tips.h"
#include "view/still_map.h"

namespace kw {

void TForm1::WireFocusBoxes() {
  for (QCheckBox* box : classBoxes_) {
    if (!box) continue;
    box->setMouseTracking(true);
    box->installEventFilter(this);
    connect(box, &QCheckBox::clicked, this, [this, box] {
      for (size_t c = 1; c < classBoxes_.size(); ++c)
        if (classBoxes_[c] == box) clsMouseup(static_cast<int>(c), Qt::LeftButton);
    });
  }
  for (QCheckBox* box : boatBoxes_) {
    if (!box) continue;
    box->setMouseTracking(true);
    box->installEventFilter(this);
    // The box has set BoatShown already (its first handler).
    connect(box, &QCheckBox::clicked, this, [this] { RedrawFocus(true); });
  }
}

void TForm1::RedrawFocus(bool recount) {
  RaceData& r = session_.race;
  if (recount) {
    r.HiddenBoatCount = 0;
    for (int b = 1; b <= r.BoatCount; ++b) r.HiddenBoatCount += r.BoatShown[b] < 1;
  }
  if (!raceReady_ || loading_) return;
  if (StillMapShown()) {
    RedrawStillMap();
  } else if (session_.play.Page == 2 || session_.play.Page == 3) {
    DrawPage();
  }
}

void TForm1::sBoatMouseDown(int c, Qt::MouseButton button, bool shift) {
  RaceData& r = session_.race;
  if (loading_ || c < 1 || c > r.BoatCount || c >= static_cast<int>(boatBoxes_.size())) return;
  if (shift) {
    // Marking leaves the boat's focus as it is.
    rs_.MarkedBoat = rs_.MarkedBoat == c ? 0 : c;
  } else if (button == Qt::RightButton) {
    for (int b = 1; b <= r.BoatCount && b < static_cast<int>(boatBoxes_.size()); ++b) {
      r.BoatShown[b] = b == c ? 1 : 0;
      if (boatBoxes_[b]) boatBoxes_[b]->setChecked(b == c);
    }
    for (QCheckBox* box : classBoxes_)
      if (box) box->setChecked(false);
  } else if (button == Qt::LeftButton) {
    QCheckBox* box = boatBoxes_[c];
    const bool was = box && box->isChecked();
    if (box) box->setChecked(!was);
    r.BoatShown[c] = was ? 0 : 1;
  } else {
    return;
  }
  RedrawFocus(true);
}

void TForm1::clsMouseup(int cls, Qt::MouseButton button) {
  RaceData& r = session_.race;
  if (loading_ || cls < 1 || cls >= static_cast<int>(classBoxes_.size())) return;
  services_.sound->Beep();
  if (button == Qt::RightButton) {
    for (QCheckBox* box : classBoxes_)
      if (box) box->setChecked(false);
    classBoxes_[cls]->setChecked(true);
  }
  for (int i = 1; i <= r.ClassCount && i < static_cast<int>(classBoxes_.size()); ++i) {
    const bool on = classBoxes_[i] && classBoxes_[i]->isChecked();
    for (int b = 1; b <= r.BoatCount && b < static_cast<int>(boatBoxes_.size()); ++b) {
      if (r.BoatClass[b] != i) continue;
      r.BoatShown[b] = on ? 1 : 0;
      // The marked boat keeps its check mark, though out of focus with its class.
      if (boatBoxes_[b] && (on || b != rs_.MarkedBoat)) boatBoxes_[b]->setChecked(on);
    }
  }
  // The count of boats out of focus follows (the Google Earth question reads it).
  RedrawFocus(true);
}

void TForm1::sboatMouseMove(int c, int x, int y) {
  const RaceData& r = session_.race;
  if (!raceReady_ || loading_ || c < 1 || c > r.BoatCount) return;
  const PlaybackState& p = session_.play;
  SetHoverBoat(c);
  const bool moved = x != ho_.LastListMouseX || y != ho_.LastListMouseY;
  if ((p.Page == 2 || p.Page == 3) && moved) HighlightBoatOnPage(c);
  ho_.LastListMouseX = x;
  ho_.LastListMouseY = y;
  if (hintsOn_ && p.Page == 1 && c < static_cast<int>(boatBoxes_.size()) && boatBoxes_[c]) {
    const PointerTip tip = BoatEntryTip(p.Language, DisplayText(r.BoatName[c]));
    // At the list's left edge, unless the tip would run out of the window there.
    HintLeft = std::max(0, std::min(pnlBOATlist->x(), width() - tip.width));
    HintTop = pnlBOATlist->y() + boatBoxes_[c]->y() + 30;
    ShowHintBox(tip.Text(), tip.width, tip.height);
  }
  CheckPanelRoom();
}

void TForm1::SetHoverBoat(int boat) {
  if (rs_.HoverBoat == boat) return;
  rs_.HoverBoat = boat;
  if (!StillMapShown()) return;
  // The still map shows the boat's track picked out; the frame is drawn over it.
  if (boat != 0) {
    BuildHighlight(session_.race, session_.view, session_.play, boat, backgroundBitmap_,
                   highlightBitmap_);
  }
  RedrawStillFrame();
}

void TForm1::clsMouseMove(int cls) {
  const RaceData& r = session_.race;
  if (!raceReady_ || loading_ || cls < 1 || cls > r.ClassCount) return;
  if (hintsOn_ && session_.play.Page == 1 && cls < static_cast<int>(classBoxes_.size())) {
    const PointerTip tip = ClassEntryTip(session_.play.Language, DisplayText(r.ClassName[cls]));
    HintLeft = std::max(0, std::min(pnlBOATlist->x(), width() - tip.width));
    HintTop = pnlBOATlist->y() + classBoxes_[cls]->y() + 30;
    ShowHintBox(tip.Text(), tip.width, tip.height);
  }
  CheckPanelRoom();
}

void TForm1::Label1MouseDown() {
  RaceData& r = session_.race;
  if (loading_) return;
  for (QCheckBox* box : classBoxes_)
    if (box) box->setChecked(true);
  for (QCheckBox* box : boatBoxes_)
    if (box) box->setChecked(true);
  for (int b = 1; b <= r.BoatCount; ++b) r.BoatShown[b] = 1;
  r.HiddenBoatCount = 0;
  RedrawStillMap();
}

void TForm1::Label1MouseUp() {
  if (raceReady_ && !loading_ && (session_.play.Page == 2 || session_.play.Page == 3)) DrawPage();
}

void TForm1::Label1MouseMove() {
  if (!raceReady_ || loading_) return;
  SetHoverBoat(0);
  if (!hintsOn_) return;
  const PointerTip tip = FocusAllTip(session_.play.Language);
  HintLeft = pnlBOATlist->x() - 225;
  HintTop = pnlBOATlist->y() + Label1->y();
  ShowHintBox(tip.Text(), tip.width, tip.height);
}

void TForm1::pnlBOATlistMouseMove() {
  if (!raceReady_ || loading_) return;
  const PlaybackState& p = session_.play;
  hintbox->hide();
  if (p.Page == 2 || p.Page == 3) {
    CopyGraphToForm();
    DrawWindOverlayOnForm();  // page 2 with a wind file
  } else {
    // The picked-out track goes; the still map shows again as it was.
    SetHoverBoat(0);
    RepaintMap();
  }
  CheckPanelRoom();
}

void TForm1::pnlLOGOMouseMove() {
  if (!raceReady_ || loading_) return;
  SetHoverBoat(0);
  RepaintMap();
  hintbox->hide();
  Memo6->hide();
  overTimeBar_ = false;
  if (session_.play.Page == 2) CopyGraphToForm();
  setWindowTitle(session_.race.RaceCaption);
  if (!CheckBox2->isChecked()) rs_.LabelLevel = 0;
}

void TForm1::CheckPanelRoom() {
  if (pnlBOATlist->y() == 0) pnlLOGO->hide();
  if (height() - pnlLOGO->height() - pnlCTRL->height() < boatListMinHeight_) pnlCTRL->hide();
}

}  // namespace kw
