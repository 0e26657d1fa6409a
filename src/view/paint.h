// Small drawing helpers every picture of the map shares.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QString>

#include "race/model.h"
#include "race/numbers.h"
#include "view/geometry.h"

namespace kw {

inline QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

inline QPoint Rounded(Point2 q) {
  return {PixelRound(q.x), PixelRound(q.y)};
}

// Fonts are sized in points on a 96-dpi screen, whatever resolution the image claims.
inline void SetFontPoints(QPainter& p, int points) {
  QFont f = p.font();
  f.setPixelSize(RoundInt(points * 96.0 / 72.0));
  p.setFont(f);
}

// Text with its top left corner at (x, y) on a filled background.
// The painter's own metrics and the baseline form of drawText: eighty labels a frame make the
// layout path of the rectangle form the costliest step of the frame.
inline void TextOut(QPainter& p, int x, int y, const QString& text, QColor fg, QColor bg) {
  const QFontMetrics fm = p.fontMetrics();
  p.fillRect(x, y, fm.horizontalAdvance(text), fm.height(), bg);
  p.setPen(fg);
  p.drawText(x, y + fm.ascent(), text);
}

// The largest font from `points` down to `minPoints` in which `text` is at most `width` pixels
// wide (the smallest when none is).
inline void FitFontPoints(QPainter& p, const QString& text, int width, int points,
                          int minPoints) {
  for (int pt = points;; --pt) {
    SetFontPoints(p, pt);
    if (pt <= minPoints || p.fontMetrics().horizontalAdvance(text) <= width) return;
  }
}

// Text without a background, its top left corner at (x, y).
inline void PlainText(QPainter& p, int x, int y, const QString& text, QColor fg) {
  p.setPen(fg);
  p.drawText(x, y + p.fontMetrics().ascent(), text);
}

// Text at (x, y) kept inside `box`: in a smaller font (down to 7 points) when the 9-point one
// is too wide, and cut at the box's edge when even that is. The painter's font is 9 points
// again afterwards.
inline void FittedText(QPainter& p, const QRect& box, int x, int y, const QString& text,
                       QColor fg) {
  FitFontPoints(p, text, box.right() + 1 - x, 9, 7);
  p.save();
  p.setClipRect(box);
  PlainText(p, x, y, text, fg);
  p.restore();
  SetFontPoints(p, 9);
}

// A circle of radius r around c, outlined and filled.
inline void Disc(QPainter& p, QPoint c, int r, QColor outline, QColor fill) {
  p.setPen(QPen(outline, 1));
  p.setBrush(fill);
  p.drawEllipse(c, r, r);
  p.setBrush(Qt::NoBrush);
}

// Appends q unless it repeats the last point: a long track on a small picture lands on the
// same pixel many times over, and the painter would draw every one of those empty segments.
inline void AppendPoint(QPolygon& line, QPoint q) {
  if (line.isEmpty() || line.constLast() != q) line << q;
}

// The coastline's polylines: a latitude above the marker threshold starts a new one. Each
// polyline goes to the painter whole (tens of thousands of single lines cost ten times more),
// cut where a stretch runs outside `clip` on one side, which the painter would only throw away.
template <typename Project>
void DrawCoastPolylines(QPainter& p, const RaceData& race, Project project, QRect clip) {
  auto outside = [&](QPoint q) {
    return (q.x() < clip.left() ? 1 : 0) | (q.x() > clip.right() ? 2 : 0) |
           (q.y() < clip.top() ? 4 : 0) | (q.y() > clip.bottom() ? 8 : 0);
  };
  QPolygon line;
  int prevCode = 0;
  for (int i = 1; i <= race.CoastCount; ++i) {
    double lat = race.CoastLat[i];
    const bool start = lat > 6000;
    if (start) lat -= 20000;
    const QPoint q = project(lat, race.CoastLon[i]);
    const int code = outside(q);
    if (start || (code & prevCode) != 0) {
      if (line.size() > 1) p.drawPolyline(line);
      line.clear();
    }
    line << q;
    prevCode = code;
  }
  if (line.size() > 1) p.drawPolyline(line);
}

}  // namespace kw
