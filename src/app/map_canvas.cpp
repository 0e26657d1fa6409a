// The map canvas's pictures: the frame, the still map and the pages drawn into the off-screen
// bitmaps and copied to the canvas, and the screenshot of the map as shown.
#include "app/map_canvas.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

#include "app/boat_list.h"
#include "app/control_panel.h"
#include "app/form_context.h"
#include "app/insight_part.h"
#include "app/logo_panel.h"
#include "app/map_panels.h"
#include "app/replay_controller.h"
#include "app/small_screen_bar.h"
#include "app/time_bar_panel.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/analysis_page.h"
#include "view/graph_page.h"
#include "view/map_pointer.h"
#include "view/paint.h"
#include "view/renderer.h"
#include "view/still_map.h"

namespace kw {

MapCanvas::MapCanvas(FormContext& f, QWidget* form) : QWidget(form), f_(f) {
  setObjectName(QStringLiteral("MapCanvas"));
  setMouseTracking(true);
}

void MapCanvas::FitToForm() {
  const QWidget* form = parentWidget();
  setGeometry(form->rect());
  if (Canvas.size() == form->size() || form->size().isEmpty()) return;
  QImage next(form->size(), QImage::Format_RGB32);
  next.fill(form->palette().color(QPalette::Window));
  if (!Canvas.isNull()) {
    QPainter p(&next);
    p.drawImage(0, 0, Canvas);
  }
  Canvas = next;
}

void MapCanvas::paintEvent(QPaintEvent*) {
  if (Canvas.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, Canvas);
}

void MapCanvas::ResizeBitmaps(int width, int height) {
  const QSize size(std::max(1, width), std::max(1, height));
  for (QImage* img : {&MapBitmap, &BackgroundBitmap, &HighlightBitmap, &GraphBitmap}) {
    if (img->size() != size) {
      *img = QImage(size, QImage::Format_RGB32);
      img->fill(ToQColor(f_.rs.SeaColor));
    }
  }
}

void MapCanvas::ClearFormWhite() {
  if (Canvas.isNull()) return;
  Canvas.fill(Qt::white);
  update();
}

void MapCanvas::RedrawAfterResize() {
  if (!f_.ws.RaceReady || f_.replay->loading()) return;
  BuildStillMap();
  if (f_.ws.Page == 1) {
    if (PrepareFrame()) DrawFrame();
  } else {
    DrawPage();
  }
}

bool MapCanvas::PrepareFrame() {
  if (!f_.replay->CanDraw() || MapBitmap.isNull()) return false;
  if (f_.session.view.TraceMode == 1)
    MapBitmap.fill(ToQColor(f_.rs.SeaColor));
  else
    MapBitmap = f_.rs.HoverBoat != 0 ? HighlightBitmap.copy() : BackgroundBitmap.copy();
  return true;
}

bool MapCanvas::DrawFrame() {
  if (!f_.replay->CanDraw()) return true;
  RaceSession& s = f_.session;
  const ControlPanel& c = *f_.controls;
  s.race.NorthUp = c.RadioN->isChecked() ? 1 : 0;
  // "Show Name" lifts the label level from 0 to 1 for the frame.
  RenderState frameState = f_.rs;
  if (c.CheckBox2->isChecked() && frameState.LabelLevel == 0) frameState.LabelLevel = 1;
  const SceneResult res = DrawScene(s, frameState, MapBitmap, s.play.RaceClock);
  f_.rs.Wind = frameState.Wind;
  s.play.BoatsOnScreen = res.BoatsOnScreen;
  s.play.BoatsWithPosition = s.frame.BoatsWithPosition;
  f_.timeBar->MovePointer(res.TimePointerTop);
  if (res.TickedAllBoats) f_.boats->TickAll();
  if (!res.RaceEnded) f_.logo->PlaceOverviewMarkers();
  f_.small->ShowPlaySpeed();
  CopyMapToForm();
  // The still map was built with no boat in focus: build it again with every boat's track.
  if (res.TickedAllBoats && StillMapShown()) RedrawStillMap();
  return !res.RaceEnded;
}

void MapCanvas::CopyMapToForm() {
  if (Canvas.isNull()) return;
  QPainter p(&Canvas);
  p.drawImage(0, 0, MapBitmap);
  p.end();
  update(0, 0, MapBitmap.width(), MapBitmap.height());
}

void MapCanvas::RepaintMap() {
  if (f_.ws.Page == 1 && f_.session.view.TraceMode == 0 && !f_.replay->FramesRunning())
    CopyMapToForm();
}

void MapCanvas::BuildStillMap(bool show) {
  RaceSession& s = f_.session;
  if (s.view.TraceMode != 0 || f_.ws.Page != 1 || !f_.ws.RaceReady) return;
  const int beeps = kw::BuildStillMap(s.race, s.view, s.play, f_.rs, BackgroundBitmap);
  for (int i = 0; i < beeps; ++i) f_.services.sound->Beep();
  if (f_.rs.HoverBoat != 0)
    BuildHighlight(s.race, s.view, s.play, f_.rs.HoverBoat, BackgroundBitmap, HighlightBitmap);
  if (!show) return;
  MapBitmap = BackgroundBitmap.copy();
  CopyMapToForm();
}

bool MapCanvas::StillMapShown() const {
  return f_.ws.RaceReady && !f_.replay->loading() && f_.ws.Page == 1 &&
         f_.session.view.TraceMode == 0;
}

void MapCanvas::RedrawStillFrame() {
  if (StillMapShown() && PrepareFrame()) DrawFrame();
}

void MapCanvas::RedrawStillMap() {
  if (!StillMapShown()) return;
  BuildStillMap();
  RedrawStillFrame();
}

void MapCanvas::SetHoverBoat(int boat) {
  if (f_.rs.HoverBoat == boat) return;
  f_.rs.HoverBoat = boat;
  if (!StillMapShown()) return;
  // The still map shows the boat's track picked out; the frame is drawn over it.
  if (boat != 0) {
    const RaceSession& s = f_.session;
    BuildHighlight(s.race, s.view, s.play, boat, BackgroundBitmap, HighlightBitmap);
  }
  RedrawStillFrame();
}

void MapCanvas::DrawPage() {
  const int page = f_.ws.Page;
  if ((page != 2 && page != 3) || !f_.ws.RaceReady || GraphBitmap.isNull()) return;
  MapPanels& panels = *f_.panels;
  if (page == 2) {
    panels.btnExcell->hide();
    panels.btnSaveEx->hide();
    graphGeometry =
        DrawGraphs(GraphBitmap, f_.session.race, parentWidget()->height(), f_.rs.SeaColor);
    f_.insight->GraphDrawn();
  } else {
    panels.btnExcell->move(5, 5);
    panels.btnExcell->show();
    panels.btnExcell->raise();
    // "Show Name" lifts the level from the pointer to 1, as on the map.
    const int level = f_.rs.LabelLevel;
    const int names = f_.controls->CheckBox2->isChecked() ? std::max(level, 1) : level;
    figures = DrawAnalysisFigures(GraphBitmap, f_.session.race, f_.session.passing, names);
  }
  CopyGraphToForm();
}

void MapCanvas::CopyGraphToForm() {
  if (Canvas.isNull() || GraphBitmap.isNull()) return;
  const int page = f_.ws.Page;
  if (page != 2 && page != 3) return;
  QPainter p(&Canvas);
  p.drawImage(0, 0, GraphBitmap);
  p.end();
  update(0, 0, GraphBitmap.width(), GraphBitmap.height());
}

void MapCanvas::DrawWindOverlayOnForm() {
  if (f_.ws.Page != 2 || f_.session.race.WindFileName.empty() || Canvas.isNull()) return;
  QPainter p(&Canvas);
  DrawWindOverlay(p, f_.session.race, graphGeometry, f_.session.view.MapWidth);
  p.end();
  update();
}

void MapCanvas::HighlightBoatOnPage(int boat) {
  const int page = f_.ws.Page;
  if ((page != 2 && page != 3) || Canvas.isNull()) return;
  CopyGraphToForm();
  QPainter p(&Canvas);
  p.setClipRect(0, 0, GraphBitmap.width(), GraphBitmap.height());
  if (page == 2) {
    DrawBoatOnGraphs(p, f_.session.race, graphGeometry, f_.session.view.MapWidth, boat);
  } else {
    MarkBoatOnFigures(p, f_.session.race, figures, boat);
  }
  p.end();
  update();
}

void MapCanvas::DrawAnalysisNamesOnForm() {
  if (f_.ws.Page != 3 || Canvas.isNull()) return;
  QPainter p(&Canvas);
  DrawAnalysisNames(p, f_.session.race, figures);
  p.end();
  update();
}

void MapCanvas::DrawOnGraph(QPoint from, QPoint to) {
  QPainter p(&GraphBitmap);
  p.setPen(QPen(Qt::red, 2));
  p.drawLine(from, to);
}

void MapCanvas::DrawWindCursor(int x, int y) {
  const WindInputArea area = WindInputAreaFor(f_.session.view.MapWidth, parentWidget()->height());
  const int w = area.width;
  if (!(area.left < x && x < area.left + w) || Canvas.isNull()) return;
  // w pixels are 360 degrees: -45 and +45 degrees from the pointer, then +150 and +210.
  const struct {
    double dx;
    QColor colour;
  } strokes[] = {{-w / 8.0, Qt::red},
                 {w / 8.0, QColor(0, 128, 0)},
                 {5.0 * w / 12.0, Qt::red},
                 {7.0 * w / 12.0, QColor(0, 128, 0)}};
  QPainter p(&Canvas);
  for (const auto& s : strokes) {
    p.setPen(QPen(s.colour, 5));
    const int sx = RoundInt(x + s.dx);
    p.drawLine(sx, y - 10, sx, y + 10);
  }
  p.end();
  update(0, 0, f_.session.view.MapWidth, f_.session.view.MapHeight);
}

bool MapCanvas::SaveImageAndOpen(const QImage& image, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  WriteResult w;
  if (image.isNull() || !image.save(&buffer, "BMP"))
    w = {false, QStringLiteral("%1: the picture could not be encoded").arg(path)};
  else if (!QDir().mkpath(QFileInfo(path).absolutePath()))
    w = {false, QStringLiteral("%1: the folder could not be created").arg(path)};
  else
    w = WriteWholeFile(path,
                       std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!w.ok) {
    f_.services.dialogs->Message(QStringLiteral("keelway"), w.message);
    return false;
  }
  f_.services.shell->Open(path);
  return true;
}

void MapCanvas::TakeScreenshot() {
  // Frames are drawn whole within one event, so none is ever half drawn here.
  const ViewState& v = f_.session.view;
  if (v.MapWidth < 1 || v.MapHeight < 1) return;
  // The map as shown, with the tip box and the panels over it.
  const QImage shot = parentWidget()->grab(QRect(0, 0, v.MapWidth, v.MapHeight)).toImage();
  SaveImageAndOpen(shot, f_.documentsFolder + QStringLiteral("/keelway.bmp"));
}

}  // namespace kw
