// The page buttons and the graph and analysis pages: drawn into the graph bitmap, copied to the
// form, with the wind and one boat drawn over the copy.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

#include "app/tform1.h"
#include "view/analysis_page.h"
#include "view/graph_page.h"

namespace kw {

void TForm1::RadioButton1Click() {
  PlaybackState& p = session_.play;
  p.Page = 1;
  pnlEDIT2->hide();
  ComboBox1->setEnabled(true);
  Button4->setEnabled(true);
  CheckBox4->setEnabled(true);
  if (!rs_.SmallScreen) btnStopWatch->show();
  btnExcell->hide();
  btnSaveEx->hide();
  ShowCorrectedTimeBanner();
  // Ticking "Auto Trace" sets the map following the boats (and starts a stopped replay).
  CheckBox1->setChecked(true);
  if (!raceReady_) return;
  if (Timer2->isActive()) {
    Timer1->start(p.FrameInterval);
  } else if (PrepareFrame()) {
    // Stopped: the map comes back at once instead of the page staying on the form.
    DrawFrame();
  }
}

void TForm1::ShowPage(int page) {
  PlaybackState& p = session_.play;
  pnlEDIT1->hide();
  pnlEDIT2->setVisible(page == 2 && session_.race.EditMode == 1);
  ComboBox1->setEnabled(false);
  Button4->setEnabled(false);
  CheckBox4->setEnabled(false);
  Panel1->hide();
  btnStopWatch->hide();
  Memo10->hide();
  Panel2->hide();
  p.Page = page;
  DrawPage();
}

void TForm1::RadioButton2Click() {
  ShowPage(2);
}

void TForm1::RadioButton3Click() {
  ShowPage(3);
}

void TForm1::CheckBox2Click() {
  rs_.LabelLevel = CheckBox2->isChecked() ? 1 : 0;
  if (session_.play.Page == 3) DrawPage();
}

void TForm1::DrawPage() {
  const int page = session_.play.Page;
  if ((page != 2 && page != 3) || !raceReady_ || graphBitmap_.isNull()) return;
  if (page == 2) {
    btnExcell->hide();
    btnSaveEx->hide();
    graphGeometry_ = DrawGraphs(graphBitmap_, session_.race, height(), rs_.SeaColor);
  } else {
    btnExcell->move(5, 5);
    btnExcell->show();
    btnExcell->raise();
    // "Show Name" lifts the level from the pointer to 1, as on the map.
    const int names = CheckBox2->isChecked() ? std::max(rs_.LabelLevel, 1) : rs_.LabelLevel;
    figures_ = DrawAnalysisFigures(graphBitmap_, session_.race, session_.passing, names);
  }
  CopyGraphToForm();
}

void TForm1::CopyGraphToForm() {
  if (canvas_.isNull() || graphBitmap_.isNull()) return;
  const int page = session_.play.Page;
  if (page != 2 && page != 3) return;
  QPainter p(&canvas_);
  p.drawImage(0, 0, graphBitmap_);
  p.end();
  update(0, 0, graphBitmap_.width(), graphBitmap_.height());
}

void TForm1::DrawWindOverlayOnForm() {
  if (session_.play.Page != 2 || session_.race.WindFileName.empty() || canvas_.isNull()) return;
  QPainter p(&canvas_);
  DrawWindOverlay(p, session_.race, graphGeometry_, session_.view.MapWidth);
  p.end();
  update();
}

void TForm1::HighlightBoatOnPage(int boat) {
  const int page = session_.play.Page;
  if ((page != 2 && page != 3) || canvas_.isNull()) return;
  CopyGraphToForm();
  QPainter p(&canvas_);
  p.setClipRect(0, 0, graphBitmap_.width(), graphBitmap_.height());
  if (page == 2) {
    DrawBoatOnGraphs(p, session_.race, graphGeometry_, session_.view.MapWidth, boat);
  } else {
    MarkBoatOnFigures(p, session_.race, figures_, boat);
  }
  p.end();
  update();
}

void TForm1::DrawAnalysisNamesOnForm() {
  if (session_.play.Page != 3 || canvas_.isNull()) return;
  QPainter p(&canvas_);
  DrawAnalysisNames(p, session_.race, figures_);
  p.end();
  update();
}

}  // namespace kw
