// The window's layout: every part placed for the current size, and the view set up after a
// load.
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "app/boat_list.h"
#include "app/control_panel.h"
#include "app/hint_box.h"
#include "app/jump_panel.h"
#include "app/loading_cover.h"
#include "app/logo_panel.h"
#include "app/map_canvas.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "app/result_panels.h"
#include "app/small_screen_bar.h"
#include "app/tform1.h"
#include "app/time_bar_panel.h"
#include "view/wind_overlays.h"
#include "view/window_layout.h"

namespace kw {

void TForm1::LayoutWindow() {
  const RaceData& r = f_.session.race;
  ViewState& v = f_.session.view;
  MapPanels& p = *f_.panels;
  LayoutInput in;
  in.formWidth = width();
  in.clientHeight = height();
  in.screenHeight = f_.ws.ScreenHeight > 0 ? f_.ws.ScreenHeight : height();
  in.boatListMinHeight = f_.ws.BoatListMinHeight;
  in.boatsLoaded = f_.ws.RaceReady || (loading() && r.BoatCount > 0);
  in.smallScreen = f_.rs.SmallScreen;
  in.flagSize = p.pnlFLAG->size();
  in.currentMapWidth = v.MapWidth;
  in.currentMapHeight = v.MapHeight;
  const WindowLayout lay = ComputeWindowLayout(in);
  f_.rs.WindowHeight = frameGeometry().height();
  f_.ws.ClassPanelFits = lay.ClassPanelFits;
  f_.logo->Memo14->setText(QStringLiteral("%1x%2").arg(width()).arg(height()));
  f_.cover->setGeometry(lay.pnlSPLITE);
  f_.logo->setGeometry(lay.pnlLOGO);
  f_.controls->setGeometry(lay.pnlCTRL);
  p.ShowCorrectedTimeBanner();
  f_.controls->Label12->setVisible(f_.ws.HelpExists);
  f_.small->Memo11->hide();
  f_.small->Memo12->hide();
  f_.boats->setGeometry(lay.pnlBOATlist);
  f_.timeBar->setGeometry(lay.pnlTimeBar);
  if (lay.mapResized) {
    v.MapWidth = lay.MapWidth;
    v.MapHeight = lay.MapHeight;
    f_.canvas->ResizeBitmaps(v.MapWidth, v.MapHeight);
    f_.timeBar->DrawTimeBar();
    f_.canvas->BuildStillMap();
    p.btnStopWatch->setGeometry(lay.btnStopWatch);
    p.Memo8->setGeometry(lay.Memo8);
    if (r.HasHandicap) p.pnlCT->setGeometry(lay.pnlCT);
  }
  p.pnlFLAG->move(v.MapWidth - p.pnlFLAG->width() - 5, 5);
  // The final board covers the map where it is until its hold ends.
  f_.results->Place();
  // Panels over the map stay above it; the cover above all.
  for (QWidget* w : std::initializer_list<QWidget*>{
           p.pnlFLAG, p.pnlCT, f_.results->pnlScore, f_.results->pnlScore2, p.btnStopWatch, p.Memo8,
           p.Memo10, f_.small->Memo13, f_.jump, f_.tips, p.Memo6, f_.cover})
    w->raise();
  f_.canvas->FitToForm();
  // Small screen keeps its title and size bar through resizes and loads.
  if (f_.rs.SmallScreen && (f_.ws.RaceReady || loading())) f_.small->ShowSmallScreenBar();
  // The graph and analysis pages are drawn for the new size.
  if (f_.ws.Page != 1) f_.canvas->DrawPage();
}

void TForm1::SetUpView() {
  ViewState& v = f_.session.view;
  const RaceData& r = f_.session.race;
  v.OverviewWidth = v.OverviewHeight = 170;
  f_.ws.BoatListMinHeight =
      LayoutFocusLists(r, f_.ws.BoatListRows, f_.ws.ClassPanelHeight).BoatListMinHeight;
  LayoutWindow();
  f_.logo->PrepareForRace();
  f_.boats->BuildFocusLists();
  f_.ws.HelpExists = QFileInfo::exists(r.ProgramFolder + QStringLiteral("help/index.html"));
  f_.controls->Label12->setVisible(f_.ws.HelpExists);
}

void TForm1::RebuildViewPictures() {
  const RaceData& r = f_.session.race;
  f_.logo->DrawOverview();
  f_.rs.WindStrip = BuildWindStripImage(r);
  f_.rs.WindStripTop = f_.panels->PnlWindGr->y();
  f_.rs.WindowHeight = frameGeometry().height();
  if (f_.session.view.TraceMode == 0) f_.canvas->BuildStillMap();
}

}  // namespace kw
