#include "app/result_panels.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

#include "app/form_context.h"
#include "app/form_widgets.h"
#include "app/time_bar_panel.h"
#include "view/rankings.h"

namespace kw {

ResultPanels::ResultPanels(FormContext& f, QWidget* form) : QObject(form), f_(f) {
  pnlScore = Make<QFrame>(form, "pnlScore");
  SetColours(pnlScore, Qt::black, Qt::white);
  Image5 = Make<QLabel>(pnlScore, "Image5");
  Image5->move(0, 0);
  Image6 = Make<QLabel>(pnlScore, "Image6");
  Image6->move(0, 0);
  Image6->hide();
  pnlScore->resize(185, 6);
  pnlScore->hide();
  pnlScore2 = Make<QFrame>(form, "pnlScore2");
  SetColours(pnlScore2, QColor(0, 0, 255), Qt::white);
  Image4 = Make<QLabel>(pnlScore2, "Image4");
  Image4->move(0, 0);
  pnlScore2->hide();
  for (QWidget* w : {static_cast<QWidget*>(pnlScore), static_cast<QWidget*>(Image5),
                     static_cast<QWidget*>(pnlScore2), static_cast<QWidget*>(Image4)}) {
    w->installEventFilter(this);
    w->setMouseTracking(true);
  }
  f_.named.Add({pnlScore, Image5, Image6, pnlScore2, Image4});
}

bool ResultPanels::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseMove) return false;
  // A drag belongs to the control itself.
  if (static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton) return false;
  if (watched == pnlScore || watched == Image5) return pnlScoreMouseMove(), true;
  if (watched == pnlScore2 || watched == Image4) return pnlScore2MouseMove(), true;
  return false;
}

void ResultPanels::SetRankingList(const QImage& list) {
  Image5->setPixmap(QPixmap::fromImage(list));
  Image5->resize(list.size());
  pnlScore->resize(185, 6);
}

void ResultPanels::RevealFinish(int finishedCount) {
  const RaceData& r = f_.session.race;
  pnlScore->resize(pnlScore->width(), 15 * finishedCount + 6);
  // A race without course lines has no ranking list to reveal.
  if (!Image5->pixmap().isNull()) pnlScore->show();
  if (!f_.rs.SmallScreen && f_.ws.ClassPanelFits && r.ClassesDeclared) {
    const QImage classes = DrawClassRanking(r, f_.session.passing, f_.session.play.FinishShown);
    Image4->setPixmap(QPixmap::fromImage(classes));
    Image4->resize(classes.size());
    pnlScore2->resize(classes.size());
    pnlScore2->move(5, std::max(0, f_.session.view.MapHeight - pnlScore2->height() - 5));
    pnlScore2->show();
  }
}

void ResultPanels::HideRankings() {
  pnlScore->hide();
  pnlScore2->hide();
}

void ResultPanels::ShowBoard(const QImage& board) {
  const ViewState& v = f_.session.view;
  Image6->setPixmap(QPixmap::fromImage(board));
  Image6->resize(board.size());
  pnlScore->setGeometry(0, 0, v.MapWidth, v.MapHeight);
  Image5->hide();
  Image6->show();
  pnlScore->show();
  pnlScore->raise();
}

void ResultPanels::TakeDownBoard() {
  // The ranking list gets its panel back, hidden until the next finishes.
  pnlScore->hide();
  Image6->hide();
  Image5->show();
  pnlScore->resize(185, 6);
}

bool ResultPanels::BoardShown() const {
  return Image6->isVisibleTo(pnlScore);
}

void ResultPanels::Place() {
  const ViewState& v = f_.session.view;
  if (!BoardShown()) pnlScore->move(std::max(0, v.MapWidth - pnlScore->width() - 10), 130);
  pnlScore2->move(5, std::max(0, v.MapHeight - pnlScore2->height() - 5));
}

void ResultPanels::pnlScoreMouseMove() {
  const int mapHeight = f_.session.view.MapHeight;
  const int barLeft = f_.timeBar->x();
  if (pnlScore->x() <= 50) {
    pnlScore->move(barLeft - pnlScore->width() - 5, pnlScore->y());
    return;
  }
  pnlScore->move(5, pnlScore->y());
  if (pnlScore2->y() < 50) pnlScore2->move(pnlScore2->x(), mapHeight - pnlScore2->height() - 5);
}

void ResultPanels::pnlScore2MouseMove() {
  const int mapHeight = f_.session.view.MapHeight;
  if (pnlScore2->y() < 50)
    pnlScore2->move(pnlScore2->x(), mapHeight - pnlScore2->height() - 5);
  else
    pnlScore2->move(pnlScore2->x(), 5);
  pnlScore->move(f_.timeBar->x() - pnlScore->width() - 5, pnlScore->y());
}

}  // namespace kw
