// The map canvas: the form's drawing surface under every panel. It holds the map bitmap and the
// other off-screen pictures, draws the replay's frames, the still map and the graph and
// analysis pages into them, copies them onto its form-sized canvas (paintEvent only blits it),
// and takes the pointer, the wheel and the keys over the maps.
//
//   name        what it is
//   MapCanvas   this widget, as large as the form and below all of it (objectName "MapCanvas")
#pragma once

#include <QImage>
#include <QWidget>

#include <array>

#include "analysis/page_numbers.h"

namespace kw {

struct FormContext;

class MapCanvas : public QWidget {
 public:
  MapCanvas(FormContext& f, QWidget* form);

  // The form-sized picture the window shows; the map, the pages and the pointer's marks are
  // copied or drawn into it.
  QImage Canvas;
  QImage MapBitmap, BackgroundBitmap, HighlightBitmap, GraphBitmap;
  GraphGeometry graphGeometry;    // of the graph page last drawn
  std::array<Figure, 3> figures;  // of the analysis page last drawn

  // The canvas follows the form's size, keeping what was drawn.
  void FitToForm();
  void ResizeBitmaps(int width, int height);
  void ClearFormWhite();
  // After the map's size changed: the still map built again, then the frame or the page.
  void RedrawAfterResize();

  // The frame: background prepared, scene drawn, copied to the form. DrawFrame returns false
  // when the race has run out (the caller runs the end-of-race step).
  bool PrepareFrame();
  bool DrawFrame();
  void CopyMapToForm();
  // The still map copied again (what the pointer drew over it goes), when nothing replays.
  void RepaintMap();

  // The still map's background and highlight (only on the still map page), shown at once
  // unless `show` is false (a running replay draws its next frame over them).
  void BuildStillMap(bool show = true);
  bool StillMapShown() const;
  // The still map's background built again, and the frame at RaceClock over it.
  void RedrawStillMap();
  // The frame at RaceClock over the still map's background (or its highlight).
  void RedrawStillFrame();
  void SetHoverBoat(int boat);

  // The graph page (2) and the analysis page (3): drawn again into the graph bitmap and
  // copied to the form; nothing on the track page.
  void DrawPage();
  void CopyGraphToForm();
  // One boat picked out over the graph or analysis page, drawn on the form only.
  void HighlightBoatOnPage(int boat);
  // The wind series over the copied graph page (a race with a wind file).
  void DrawWindOverlayOnForm();
  // The boats' names beside their circles on the analysis page, on the form only.
  void DrawAnalysisNamesOnForm();
  // A red stroke of the wind drawn on the graph page, on the graph bitmap.
  void DrawOnGraph(QPoint from, QPoint to);
  // The cursor of the wind drawn on the graph page: four strokes around the pointer.
  void DrawWindCursor(int x, int y);

  // A move of the pointer at `at` (form coordinates), over the map or over a panel that let it
  // through to the form.
  void PointerMoved(QPoint at, Qt::KeyboardModifiers modifiers);
  // The pointer and keys over the maps (the window's handlers of the design's names).
  void FormMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
  void FormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void FormKeyDown(int key, bool autoRepeat = false);
  void FormKeyUp(int key);
  void FormMouseWheel(bool up);
  // No panel lies over `pos` (form coordinates): the map itself is under the pointer.
  bool OwnsPoint(QPoint pos) const;

  // The map area as shown on screen, saved into the documents folder and opened.
  void TakeScreenshot();
  // `image` as BMP replacing `path` whole, then opened; a failed write is shown with the
  // file's name and nothing is opened.
  bool SaveImageAndOpen(const QImage& image, const QString& path);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  // Keys arrive through the window, before any control sees them.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyHoverZones(int x, int y);
  void ShowPointerCaption(int x, int y);
  // Shift on the still map outside course editing: range and bearing from the base point.
  void RangeBearingTool(int x, int y);
  void NearestCoursePointLabel(int x, int y);
  void PointerTips(int x, int y, bool tipShown);

  FormContext& f_;
};

}  // namespace kw
