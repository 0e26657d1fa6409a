#include "view/polar_picture.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "view/paint.h"

namespace kw {

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;
constexpr int kBinDegrees = 5;
constexpr int kLegendWidth = 230;
constexpr int kMargin = 50;

struct HalfDisc {
  QPointF centre;
  double radius = 1;  // pixels of the outer ring
  double knots = 1;   // speed of the outer ring
  QPointF At(double angle, double speed) const {
    const double r = radius * speed / knots;
    return {centre.x() + r * std::sin(angle * kRad), centre.y() - r * std::cos(angle * kRad)};
  }
};

void DrawGrid(QPainter& p, const HalfDisc& d) {
  const QColor grid(200, 200, 215), label(90, 90, 110);
  SetFontPoints(p, 9);
  const int every = d.knots > 10 ? 2 : 1;
  for (int k = every; k <= d.knots; k += every) {
    const double r = d.radius * k / d.knots;
    p.setPen(QPen(grid, 1));
    p.drawArc(QRectF(d.centre.x() - r, d.centre.y() - r, 2 * r, 2 * r), 90 * 16, -180 * 16);
    PlainText(p, static_cast<int>(d.centre.x()) - 22, static_cast<int>(d.centre.y() - r) - 7,
              QString::number(k), label);
  }
  for (int a = 0; a <= 180; a += 30) {
    p.setPen(QPen(grid, 1));
    p.drawLine(d.centre, d.At(a, d.knots));
    const QPointF at = d.At(a, d.knots * 1.06);
    PlainText(p, static_cast<int>(at.x()) - 8, static_cast<int>(at.y()) - 7,
              QString::number(a) + QChar(0x00B0), label);
  }
  PlainText(p, static_cast<int>(d.centre.x()) - 40, static_cast<int>(d.centre.y()) + 12,
            QStringLiteral("knots"), label);
}

void DrawCurve(QPainter& p, const HalfDisc& d, const PolarCurve& c) {
  p.setPen(QPen(c.colour, 2));
  QPolygonF run;
  auto flush = [&] {
    if (run.size() > 1) p.drawPolyline(run);
    run.clear();
  };
  for (size_t bin = 0; bin < c.speed.size(); ++bin) {
    if (c.speed[bin] <= 0) {
      flush();
      continue;
    }
    const QPointF q = d.At((bin + 0.5) * kBinDegrees, c.speed[bin]);
    run << q;
    p.setBrush(c.colour);
    p.drawEllipse(q, 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
  }
  flush();
}

void DrawLegend(QPainter& p, int x, int y, const std::vector<PolarCurve>& curves) {
  SetFontPoints(p, 9);
  const int row = p.fontMetrics().height() + 4;
  for (const PolarCurve& c : curves) {
    p.setPen(QPen(c.colour, 3));
    p.drawLine(x, y + row / 2, x + 24, y + row / 2);
    PlainText(p, x + 32, y, c.name, Qt::black);
    y += row;
  }
}

}  // namespace

void DrawPolarPicture(QImage& image, const QString& title, const std::vector<PolarCurve>& curves) {
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  double fastest = 1;
  for (const PolarCurve& c : curves)
    for (double v : c.speed) fastest = std::max(fastest, v);
  HalfDisc d;
  d.knots = std::ceil(fastest);
  const double h = image.height() - 2.0 * kMargin - 20;
  const double w = image.width() - 2.0 * kMargin - kLegendWidth;
  d.radius = std::max(10.0, std::min(h / 2, w));
  d.centre = QPointF(kMargin + 20, kMargin + 20 + d.radius);
  SetFontPoints(p, 12);
  PlainText(p, kMargin, 12, title, Qt::black);
  DrawGrid(p, d);
  for (const PolarCurve& c : curves) DrawCurve(p, d, c);
  DrawLegend(p, image.width() - kLegendWidth, kMargin + 20, curves);
}

}  // namespace kw
