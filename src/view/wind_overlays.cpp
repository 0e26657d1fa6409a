#include "view/wind_overlays.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/numbers.h"
#include "view/geometry.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/view_state.h"

namespace kw {

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;
const QColor kStripLine(192, 192, 225);
const QColor kStripGreen(0, 128, 0);

// Turned with the map, as every direction drawn on it.
Point2 Turned(const RaceData& race, double x, double y) {
  return RotateView(race, x, y, -race.WindwardBearing * kRad);
}

}  // namespace

double CompassAngle(const RaceData& race) {
  return race.NorthUp == 1 ? race.MagneticVariation : race.MagneticVariation - race.WindwardBearing;
}

QImage RotateCompass(const QImage& source, double angle) {
  QImage card(100, 120, QImage::Format_RGB32);
  card.fill(Qt::black);
  if (angle < 0) angle += 360;
  if (!source.isNull()) {
    const int w = source.width();
    const double half = w / 2.0;
    if (angle != 0) {
      const double c = std::cos(angle * kRad), s = std::sin(angle * kRad);
      for (int j = 0; j < source.height(); ++j) {
        for (int i = 0; i < w; ++i) {
          const double dx = i - half, dy = j - half;
          if (dx * dx + dy * dy >= half * half) continue;
          const QRgb colour = source.pixel(i, j);
          const int x = RoundInt(dx * c - dy * s + 50), y = RoundInt(dx * s + dy * c + 50);
          for (int k = 0; k < 2; ++k)
            if (x >= 0 && x < 100 && y + k >= 0 && y + k < 120) card.setPixel(x, y + k, colour);
        }
      }
    } else {
      QPainter p(&card);
      p.drawImage(RoundInt(50 - half), RoundInt(50 - half), source);
    }
  }
  QPainter p(&card);
  SetFontPoints(p, 9);
  PlainText(p, 5, 103, QStringLiteral("keelway"), Qt::white);
  return card;
}

QImage BuildWindStripImage(const RaceData& race) {
  QImage img(100, 120, QImage::Format_RGB32);
  img.fill(kStripGreen);
  QPainter p(&img);
  p.setPen(kStripLine);
  p.drawRect(5, 5, 90, 90);
  const double first = race.ClockFirst, span = race.ClockLast - race.ClockFirst;
  if (!(span > 0)) return img;
  auto y = [&](double t) { return RoundInt(95 - (t - first) * 90 / span); };
  double r = 300;
  for (double next : {600.0, 1800.0, 3600.0, 7200.0, 18000.0})
    if (span / r > 15) r = next;
  const int lines = RoundInt(race.ClockLast / r);
  for (int i = 0; i < lines && i < 10000; ++i) p.drawLine(5, y(i * r), 95, y(i * r));
  const int n = race.WindCount;
  if (n < 1) return img;
  const int mid = std::clamp(RoundInt(n / 2.0), 1, n);
  const double m = race.WindDir[mid];
  double hi = -1e9, lo = 1e9;
  for (int i = 1; i <= n; ++i) {
    const double d = ToHalfTurn(race.WindDir[i] - m);
    hi = std::max(hi, d);
    lo = std::min(lo, d);
  }
  const double axis = ToHalfTurn(m + (hi + lo) / 2);
  double b = -1e9, c = 1e9;
  for (int i = 1; i <= n; ++i) {
    const double d = ToHalfTurn(race.WindDir[i] - axis);
    b = std::max(b, d);
    c = std::min(c, d);
  }
  const double range = (b + 10) - (c - 10);
  auto x = [&](double d) { return RoundInt(ToHalfTurn(d - axis) / range * 90 + 50); };
  for (int d = 0; d < 360; d += 10) {
    const int xd = x(d);
    if (5 < xd && xd < 95) p.drawLine(xd, 5, xd, 95);
  }
  QPolygon curve;
  for (int i = 1; i <= n; ++i) curve << QPoint(x(race.WindDir[i]), y(race.WindTime[i]));
  p.setPen(QColor(0, 255, 225));
  p.drawPolyline(curve);
  return img;
}

void DrawWindArrow(QPainter& p, const RaceData& race, const ViewState& v, const RenderState& rs) {
  if (race.WindFileName.empty() || !rs.ShowWindArrow) return;
  const WindState& w = rs.Wind;
  double deg = w.SmoothWindDir + race.MagneticVariation;
  if (race.NorthUp != 1) deg -= race.WindwardBearing;
  const double i = deg * kRad, ci = std::cos(i), si = std::sin(i);
  const int P = RoundInt(v.MapHeight / 2.0 * 0.8), O = RoundInt(0.1 * P);
  int c = w.SmoothWindSpeed > 2 ? RoundInt(P * w.SmoothWindSpeed / 20) : RoundInt(0.3 * P);
  c = std::min(c, 2 * P);
  const int mid = RoundInt(P - c / 2.0);
  auto at = [&](double u, double vv) {
    return QPoint(RoundInt(v.MapWidth / 2.0 + u * ci + vv * si),
                  RoundInt(v.MapHeight / 2.0 + u * si - vv * ci));
  };
  p.setPen(QPen(ToQColor(rs.GridColor), 3));
  QPolygon outline;
  outline << at(-O, P) << at(-O, mid) << at(-2 * O, mid) << at(0, P - c) << at(2 * O, mid)
          << at(O, mid) << at(O, P) << at(-O, P);
  p.drawPolyline(outline);
  QString text = QString::number(RoundInt(w.SmoothWindDir)) + QChar(0x00B0);
  if (w.SmoothWindSpeed > 2)
    text += QStringLiteral("/ ") +
            QString::fromStdString(ShortestReal(RoundHalfEven(w.SmoothWindSpeed * 10) / 10));
  SetFontPoints(p, 9);
  const QPoint label = at(0, mid);
  PlainText(p, label.x() - 20, label.y() - 4, text, QColor(255, 255, 0));
  if (w.WindTrend != 0) {
    int a = RoundInt(0.1 * O), b = RoundInt(0.2 * O);
    if (w.WindTrend == -1) a = -a, b = -b;
    p.setPen(QPen(ToQColor(rs.GridColor), 3));
    QPolygon mark;
    mark << at(a, P - 20) << at(b, P - 15) << at(a, P - 10);
    p.drawPolyline(mark);
    p.drawLine(at(b, P - 15), at(-b, P - 15));
  }
  p.setPen(QPen(Qt::black, 1));
}

void DrawCompassOnMap(QPainter& p, const RaceData& race, const RenderState& rs) {
  if (rs.CompassCard.isNull()) return;
  p.drawImage(5, 5, rs.CompassCard);
  SetFontPoints(p, 9);
  const QString text = QStringLiteral(" %1 ").arg(rs.Wind.WindDirNow);
  TextOut(p, 57 - RoundInt(3.0 * text.size()), 51, text, Qt::black, QColor(0, 255, 128));
  const double w = rs.Wind.TrueWindNow * kRad;
  const Point2 d = Turned(race, RoundInt(45 * std::sin(w)), RoundInt(-45 * std::cos(w)));
  const int dx = RoundInt(d.x), dy = RoundInt(d.y);
  p.setPen(QPen(Qt::red, 1));
  p.setBrush(Qt::red);
  p.drawEllipse(QRect(QPoint(55 + dx - 4, 55 + dy - 4), QPoint(55 + dx + 4, 55 + dy + 4)));
  p.setBrush(Qt::NoBrush);
}

void DrawWindStripOnMap(QPainter& p, const RaceData& race, const PlaybackState& play,
                        const RenderState& rs) {
  if (race.WindFileName.empty() || rs.WindStrip.isNull()) return;
  const int top = rs.WindStripTop;
  p.drawImage(5, top, rs.WindStrip);
  const double span = race.ClockLast - race.ClockFirst;
  if (span > 0) {
    const int y = top + RoundInt(95 - (play.RaceClock - race.ClockFirst) / span * 90);
    p.setPen(QPen(Qt::red, 1));
    p.drawLine(5, y, rs.WindStrip.width() + 5, y);
  }
  QString text = QStringLiteral("TWD:%1").arg(rs.Wind.WindDirNow);
  if (rs.Wind.WindSpeedNow > 0)
    text += QStringLiteral(" TWS:") + QString::fromStdString(ShortestReal(rs.Wind.WindSpeedNow));
  SetFontPoints(p, 9);
  TextOut(p, 7, top + 102, text, Qt::white, kStripGreen);
}

void DrawClock(QPainter& p, const ViewState& v, const RenderState& rs, double timeOfDay) {
  const int W = v.MapWidth, H = v.MapHeight;
  const double cx = W - 40, cy = H - 65;
  const QColor fill = rs.SeaBrightness > 50
                          ? QColor::fromRgb(RoundInt(2.0 * rs.SeaBrightness + 55) * 0x010101)
                          : QColor(192, 192, 55);
  p.setPen(QPen(QColor(128, 128, 128), 5));
  p.setBrush(fill);
  p.drawEllipse(QRect(QPoint(W - 70, H - 95), QPoint(W - 10, H - 35)));
  p.setBrush(Qt::NoBrush);
  const double t = timeOfDay;
  const struct {
    double theta;
    double length;
    QColor colour;
    int width;
  } hands[] = {
      {t * 6.28 / 12 / 3600, 18, Qt::black, 4},
      {(t - 3600 * std::trunc(t / 3600)) * 6.28 / 3600, 26, QColor(128, 128, 128), 2},
      {(t - 1440 * std::trunc(t / 1440)) * 6.28 / 60, 27, Qt::red, 1},
  };
  for (const auto& h : hands) {
    p.setPen(QPen(h.colour, h.width));
    const double s = std::sin(h.theta), c = std::cos(h.theta);
    p.drawLine(Rounded({cx + h.length * s, cy - h.length * c}), Rounded({cx - 3 * s, cy + 3 * c}));
  }
  // The digital time stays a time of day before midnight and after the next one.
  const long long n = (static_cast<long long>(RoundHalfEven(t)) % 86400 + 86400) % 86400;
  const QString text = QStringLiteral("%1:%2:%3")
                           .arg(n / 3600)
                           .arg(n / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(n % 60, 2, 10, QLatin1Char('0'));
  SetFontPoints(p, 9);
  // On the face's colour, so that it reads on a night sea too, and its right edge five pixels
  // inside the map whatever the font's widths.
  const int width = p.fontMetrics().horizontalAdvance(text);
  TextOut(p, W - width - 5, H - 115, text, Qt::black, fill);
}

void DrawStreamer(QPainter& p, const RaceData& race, const RenderState& rs, double size, double x,
                  double y) {
  const double w = rs.Wind.TrueWindNow * kRad, five = 5 * kRad;
  const Point2 w0 = Turned(race, std::sin(w) * size, -std::cos(w) * size);
  const Point2 w1 = Turned(race, std::sin(w - five) * 2 * size, -std::cos(w - five) * 2 * size);
  const Point2 w2 = Turned(race, std::sin(w + five) * 2 * size, -std::cos(w + five) * 2 * size);
  QPolygon wedge;
  for (const Point2& q : {w0, w1, w2, w0}) wedge << Rounded({x + q.x, y + q.y});
  p.setPen(QPen(QColor(255, 255, 0), 1));
  p.drawPolyline(wedge);
}

}  // namespace kw
