// The window's layout: the panels placed for the current size, the view set up after a load,
// the overview's boat markers, the boat and class lists, and the off-screen bitmaps.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "race/text.h"
#include "view/window_layout.h"

namespace kw {

void TForm1::LayoutWindow() {
  RaceData& r = session_.race;
  ViewState& v = session_.view;
  LayoutInput in;
  in.formWidth = width();
  in.clientHeight = height();
  in.screenHeight = screenHeight_ > 0 ? screenHeight_ : height();
  in.boatListMinHeight = boatListMinHeight_;
  in.boatsLoaded = raceReady_ || (loading_ && r.BoatCount > 0);
  in.smallScreen = rs_.SmallScreen;
  in.flagSize = pnlFLAG->size();
  in.currentMapWidth = v.MapWidth;
  in.currentMapHeight = v.MapHeight;
  const WindowLayout lay = ComputeWindowLayout(in);
  rs_.WindowHeight = height();
  classPanelFits_ = lay.ClassPanelFits;
  Memo14->setText(QStringLiteral("%1x%2").arg(width()).arg(height()));
  pnlSPLITE->setGeometry(lay.pnlSPLITE);
  pnlLOGO->setGeometry(lay.pnlLOGO);
  pnlCTRL->setGeometry(lay.pnlCTRL);
  ShowCorrectedTimeBanner();
  Label12->setVisible(helpExists_);
  Memo11->hide();
  Memo12->hide();
  pnlBOATlist->setGeometry(lay.pnlBOATlist);
  pnlTimeBar->setGeometry(lay.pnlTimeBar);
  if (lay.mapResized) {
    v.MapWidth = lay.MapWidth;
    v.MapHeight = lay.MapHeight;
    ResizeBitmaps(v.MapWidth, v.MapHeight);
    DrawTimeBar();
    BuildStillMap();
    btnStopWatch->setGeometry(lay.btnStopWatch);
    Memo8->setGeometry(lay.Memo8);
    if (r.HasHandicap) pnlCT->setGeometry(lay.pnlCT);
  }
  pnlFLAG->move(v.MapWidth - pnlFLAG->width() - 5, 5);
  // The final board covers the map where it is until its hold ends.
  if (!inBoard_) pnlScore->move(std::max(0, v.MapWidth - pnlScore->width() - 10), 130);
  pnlScore2->move(5, std::max(0, v.MapHeight - pnlScore2->height() - 5));
  // Panels over the map stay above it; the cover above all.
  for (QWidget* w : {static_cast<QWidget*>(pnlFLAG), static_cast<QWidget*>(pnlCT),
                     static_cast<QWidget*>(pnlScore), static_cast<QWidget*>(pnlScore2),
                     static_cast<QWidget*>(btnStopWatch), static_cast<QWidget*>(Memo8),
                     static_cast<QWidget*>(Memo10), static_cast<QWidget*>(Memo13),
                     static_cast<QWidget*>(Panel2), static_cast<QWidget*>(hintbox),
                     static_cast<QWidget*>(Memo6), static_cast<QWidget*>(pnlSPLITE)})
    w->raise();
  if (canvas_.size() != size() && !size().isEmpty()) {
    QImage next(size(), QImage::Format_RGB32);
    next.fill(palette().color(QPalette::Window));
    if (!canvas_.isNull()) {
      QPainter p(&next);
      p.drawImage(0, 0, canvas_);
    }
    canvas_ = next;
  }
  // Small screen keeps its title and size bar through resizes and loads.
  if (rs_.SmallScreen && (raceReady_ || loading_)) ShowSmallScreenBar();
  // The graph and analysis pages are drawn for the new size.
  if (session_.play.Page != 1) DrawPage();
}

void TForm1::SetUpView() {
  ViewState& v = session_.view;
  const RaceData& r = session_.race;
  v.OverviewWidth = v.OverviewHeight = 170;
  boatListMinHeight_ = LayoutFocusLists(r).BoatListMinHeight;
  LayoutWindow();
  Image1->setGeometry(3, 3, 170, 170);
  Memo1->setGeometry(3, Image1->y() + 170 + 3, 170, 18);
  imgLOGO->move(Image1->x() + 170 + 7, 3);
  Memo14->move(imgLOGO->x(), imgLOGO->geometry().bottom() + 1 + 8);
  helpPageJa_ = r.ProgramFolder + QStringLiteral("help/index.html");
  helpPageEn_ = r.ProgramFolder + QStringLiteral("help-e/index.html");
  // Boat markers of the overview, the last boat first so that boat 1 lies on top.
  boatMarkers_.assign(static_cast<size_t>(r.BoatCount) + 1, nullptr);
  for (int b = r.BoatCount; b >= 1; --b) {
    auto* m = new BoatMarker(pnlLOGO, ToQColor(r.BoatColor[b]));
    m->setObjectName(QStringLiteral("BoatMarker%1").arg(b));
    m->move(70, 4 * b);
    m->show();
    boatMarkers_[b] = m;
  }
  BuildFocusLists();
  QImage overview(170, 170, QImage::Format_RGB32);
  overview.fill(ToQColor(rs_.SeaColor));
  Image1->setPixmap(QPixmap::fromImage(overview));
  helpExists_ = QFileInfo::exists(helpPageJa_);
  Label12->setVisible(helpExists_);
}

void TForm1::BuildFocusLists() {
  RaceData& r = session_.race;
  const FocusListLayout lay = LayoutFocusLists(r);
  boatListMinHeight_ = lay.BoatListMinHeight;
  r.Controls.BoatListMinHeight = lay.BoatListMinHeight;
  classBoxes_.assign(static_cast<size_t>(r.ClassCount) + 1, nullptr);
  for (int i = 1; i <= r.ClassCount; ++i) {
    auto* box = new QCheckBox(DisplayText(r.ClassName[i]) + QStringLiteral(" class"), pnlBOATlist);
    box->setObjectName(QStringLiteral("ClassCheckBox%1").arg(i));
    SetColours(box, Qt::white, Qt::red);
    box->setChecked(true);
    box->setGeometry(lay.classBox[i]);
    box->show();
    classBoxes_[i] = box;
  }
  Label1->move(lay.label1);
  boatBoxes_.assign(static_cast<size_t>(r.BoatCount) + 1, nullptr);
  for (int b = 1; b <= r.BoatCount; ++b) {
    auto* box = new QCheckBox(DisplayText(r.BoatName[b]), pnlBOATlist);
    box->setObjectName(QStringLiteral("BoatCheckBox%1").arg(b));
    SetColours(box, ToQColor(r.BoatColor[b]), Qt::white);
    box->setChecked(r.BoatShown[b] >= 1);
    box->setGeometry(lay.boatBox[b]);
    // A click focuses or unfocuses the boat; the next frame shows it.
    connect(box, &QCheckBox::clicked, this, [this, b](bool on) {
      if (b <= session_.race.BoatCount) session_.race.BoatShown[b] = on ? 1 : 0;
    });
    box->show();
    boatBoxes_[b] = box;
  }
  WireFocusBoxes();
}

void TForm1::ResizeBitmaps(int width, int height) {
  const QSize size(std::max(1, width), std::max(1, height));
  for (QImage* img : {&mapBitmap_, &backgroundBitmap_, &highlightBitmap_, &graphBitmap_}) {
    if (img->size() != size) {
      *img = QImage(size, QImage::Format_RGB32);
      img->fill(ToQColor(rs_.SeaColor));
    }
  }
}

}  // namespace kw
