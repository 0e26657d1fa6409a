#include "view/chart_overlays.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/mark_passing.h"
#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/geometry.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/view_state.h"

namespace kw {

namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

}  // namespace

double GridSpacingKm(int windowHeight, double pixelsPerKm) {
  const double tenths = pixelsPerKm > 0 ? windowHeight / pixelsPerKm * 10 : 0;
  const double q = std::trunc(std::min(tenths, 1.0e9));
  const double v = RoundHalfEven(q / 4) / 10;
  double n = v;
  if (v > 0.5) n = 0.5;
  if (v > 1) n = 1;
  if (v > 2) n = 2;
  if (v > 5) n = 5;
  if (v > 10) n = 10 * std::trunc(v / 10);
  if (n < 0.1) n = 0.05;
  return n;
}

int ZoneRadius(double defaultBoatLength, double pixelsPerMinute) {
  return std::max(10, RoundInt(defaultBoatLength / 1852 * 2 * pixelsPerMinute));
}

void DrawLaylines(QPainter& p, const RaceData& race, const ViewState& v, const RenderState& rs,
                  double x, double y) {
  double c = rs.Wind.TrueWindNow - MapTurn(race);
  if (c < 0) c += 360;
  const struct {
    Rgb colour;
    double angle;
  } lines[] = {
      {race.WindAxisColor, c + 180},
      {race.WindAxisColor, c},
      {race.LaylineColor1, c + race.LaylineAngle1 - 180},
      {race.LaylineColor2, c - race.LaylineAngle1 + 180},
      {race.LaylineColor1, c + race.LaylineAngle2 - 180},
      {race.LaylineColor2, c - race.LaylineAngle2 + 180},
  };
  for (const auto& l : lines) {
    p.setPen(QPen(ToQColor(l.colour), 1, Qt::DotLine));
    const Point2 d = PolarOffset(v, l.angle);
    p.drawLine(Rounded({x, y}), Rounded({x + d.x, y + d.y}));
  }
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
}

void DrawLights(QPainter& p, const RaceData& race, const ViewState& v, const PlaybackState& play,
                const RenderState& rs) {
  const double z = v.TraceZoomOut;
  SetFontPoints(p, 9);
  struct Ring {
    Point2 at;
    int radius = -1;  // -1: no ring this frame
  };
  std::vector<Ring> rings(static_cast<size_t>(race.LightCount) + 1);
  // The lights are the first thing a trace frame draws on its bare sea, so a ring whose disc
  // holds the whole map leaves bare sea behind it: nothing before it can show, and the many
  // rings of a night over a wide bay cost one map-sized fill each if drawn anyway.
  int covering = 0;  // the last light whose ring holds the whole map
  for (int i = 1; i <= race.LightCount; ++i) {
    const double lat = race.LightLat[i], lon = race.LightLon[i];
    rings[i].at = ToScreen(race, v, lat, lon);
    const bool lit = i < static_cast<int>(play.LightState.size()) && play.LightState[i] > 0;
    if (play.Night && lit && v.ViewBottomLat - 5 * z < lat && lat < v.ViewTopLat + 5 * z &&
        v.ViewLeftLon - 6 * z < lon && lon < v.ViewRightLon + 6 * z) {
      rings[i].radius = RoundInt(race.LightSize[i] / 2 * v.ScaleLat * play.LightPhaseSeconds);
      const QPoint c = Rounded(rings[i].at);
      const double r = rings[i].radius, w = v.MapWidth + 1.0, h = v.MapHeight + 1.0;
      const double dx = std::max(c.x() + 1.0, w - c.x()), dy = std::max(c.y() + 1.0, h - c.y());
      if (dx * dx + dy * dy < r * r) covering = i;
    }
  }
  for (int i = std::max(1, covering); i <= race.LightCount; ++i) {
    const Ring& ring = rings[i];
    if (ring.radius >= 0 && i != covering) {
      const unsigned pen = i < static_cast<int>(play.LightPen.size()) ? play.LightPen[i] : 0xFFFFFF;
      Disc(p, Rounded(ring.at), ring.radius, QColor::fromRgb(pen), ToQColor(rs.SeaColor));
    }
    const QPoint c = Rounded(ring.at);
    if (c.x() > 0 && c.x() < v.MapWidth && c.y() > 0 && c.y() < v.MapHeight) {
      Disc(p, c, 3, kRed, kYellow);
      if (rs.LabelLevel > 1)
        PlainText(p, RoundInt(ring.at.x + 10), RoundInt(ring.at.y - 5),
                  DisplayText(race.LightName[i]), Qt::white);
    }
  }
}

void DrawGrid(QPainter& p, const RaceData& race, const ViewState& v, const RenderState& rs) {
  const int height = rs.WindowHeight > 0 ? rs.WindowHeight : v.MapHeight;
  const double n = GridSpacingKm(height, v.PixelsPerKm);
  const double lat0 = std::trunc(v.ViewCentreLat / n + 0.5) * n;
  const double lon0 = std::trunc(v.ViewCentreLon / n + 0.5) * n;
  const QPoint anchor = Rounded(ToScreen(race, v, lat0, lon0));
  const double d = n * v.PixelsPerKm;
  if (!(d > 0)) return;
  p.setPen(QPen(ToQColor(rs.GridColor), 1));
  const int w = v.MapWidth, h = v.MapHeight;
  for (int i = 0; i <= 100; ++i) {
    const double y = anchor.y() + i * d;
    if (y > h) break;
    if (y > 0) p.drawLine(0, RoundInt(y), w, RoundInt(y));
  }
  for (int j = 1; j <= 100; ++j) {
    const double y = anchor.y() - j * d;
    if (y < 0) break;
    if (y < h) p.drawLine(0, RoundInt(y), w, RoundInt(y));
  }
  for (int i = 0; i <= 100; ++i) {
    const double x = anchor.x() + i * d;
    if (x > w) break;
    if (x > 0) p.drawLine(RoundInt(x), 0, RoundInt(x), h);
  }
  for (int j = 1; j <= 100; ++j) {
    const double x = anchor.x() - j * d;
    if (x < 0) break;
    if (x < w) p.drawLine(RoundInt(x), 0, RoundInt(x), h);
  }
}

void DrawCoastline(QPainter& p, const RaceData& race, const ViewState& v) {
  p.setPen(QPen(Qt::white, 1));
  const ScreenProjector project(race, v);
  DrawCoastPolylines(
      p, race, [&](double lat, double lon) { return Rounded(project(lat, lon)); },
      QRect(-2, -2, v.MapWidth + 4, v.MapHeight + 4));
}

void DrawScaleBar(QPainter& p, const ViewState& v, const RenderState& rs) {
  const int height = rs.WindowHeight > 0 ? rs.WindowHeight : v.MapHeight;
  const double n = GridSpacingKm(height, v.PixelsPerKm);
  const int h = v.MapHeight, x1 = 20, x2 = RoundInt(n * v.PixelsPerKm + 20);
  p.setPen(QPen(Qt::white, 1));
  p.drawLine(x1, h - 15, x1, h - 5);
  p.drawLine(x2, h - 15, x2, h - 5);
  p.drawLine(x1, h - 10, x2, h - 10);
  SetFontPoints(p, 9);
  const QString text =
      n >= 1 ? QString::fromStdString(ShortestReal(n)) + QStringLiteral("Km")
             : QString::fromStdString(ShortestReal(RoundHalfEven(n * 1000))) + QStringLiteral("M");
  PlainText(p, 50, h - 25, text, Qt::white);
}

int DrawMarksAndLines(QPainter& p, const RaceData& race,
                      const std::function<QPoint(double, double)>& project, int zone, QColor sea,
                      bool alwaysEndB, const std::function<void(QPoint)>& laylines) {
  SetFontPoints(p, 9);
  auto symbol = [&](QPoint c, const QString& label) {
    p.setPen(QPen(kYellow, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, zone, zone);
    Disc(p, c, 4, Qt::black, kYellow);
    TextOut(p, c.x() + 8, c.y() - 6, label, kRed, sea);
  };
  for (int n = 1; n <= race.MarkCount; ++n) {
    const QPoint c = project(race.MarkLat[n], race.MarkLon[n]);
    if (laylines) laylines(c);
    symbol(c, QStringLiteral("MK%1").arg(n));
  }
  int unfinished = 0;
  for (int n = 1; n <= race.LineCount; ++n) {
    const QPoint a = project(race.LineLatA[n], race.LineLonA[n]);
    const QPoint b = project(race.LineLatB[n], race.LineLonB[n]);
    const bool hasB = race.LineLatB[n] != 0;
    if (laylines) {
      laylines(a);
      laylines(b);
    }
    if (hasB) {
      p.setPen(QPen(kYellow, 1));
      p.drawLine(a, b);
    } else {
      ++unfinished;
    }
    const QString label = QStringLiteral("L%1").arg(n);
    symbol(a, label);
    if (hasB || alwaysEndB) symbol(b, label);
  }
  return unfinished;
}

void DrawCourse(QPainter& p, const RaceData& race, const ViewState& v,
                const PassingResults& passing, const RenderState& rs) {
  auto project = [&](double lat, double lon) { return Rounded(ToScreen(race, v, lat, lon)); };
  std::function<void(QPoint)> laylines;
  if (rs.LayLines) laylines = [&](QPoint c) { DrawLaylines(p, race, v, rs, c.x(), c.y()); };
  DrawMarksAndLines(p, race, project, ZoneRadius(race.DefaultBoatLength, v.ScaleLat),
                    ToQColor(rs.SeaColor), true, laylines);
  if (race.RefLineCount < 1) {
    if (rs.LabelLevel > 2 || rs.LayLines) {
      QPolygon route;
      const int n = std::min<int>(race.CourseCount, static_cast<int>(passing.EntryLat.size()) - 1);
      for (int e = 1; e <= n; ++e) route << project(passing.EntryLat[e], passing.EntryLon[e]);
      p.setPen(QPen(kYellow, 1, Qt::DotLine));
      p.drawPolyline(route);
    }
  } else {
    p.setPen(QPen(kRed, 1, Qt::DotLine));
    for (int n = 1; n <= race.RefLineCount; ++n)
      p.drawLine(project(race.RefLineLatA[n], race.RefLineLonA[n]),
                 project(race.RefLineLatB[n], race.RefLineLonB[n]));
  }
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
}

}  // namespace kw
