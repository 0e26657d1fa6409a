#include "view/renderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

#include "analysis/boat_state.h"
#include "analysis/frame_state.h"
#include "analysis/mark_passing.h"
#include "analysis/playback.h"
#include "analysis/playback_state.h"
#include "analysis/wind_now.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/chart_overlays.h"
#include "view/geometry.h"
#include "view/insight_overlays.h"
#include "view/overview_map.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/time_bar.h"
#include "view/view_state.h"
#include "view/wind_overlays.h"

namespace kw {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;

QString Hundredths(double v) {
  return QString::fromStdString(ShortestReal(RoundHalfEven(v * 100) / 100));
}

// Reference boat size in pixels for a length in metres.
double BoatPixels(const ViewState& v, double length, bool bigBoat) {
  double s = v.ScaleLat * length / 1852;
  if (bigBoat && s < 14) s = 14;
  if (s < 6) s = 6;
  return s;
}

struct Frame {
  SceneParts s;
  RenderState& rs;
  QPainter& p;
  std::vector<Point2> at;  // screen position of each boat at t
  double S = 6;
};

void DrawComparison(Frame& f) {
  const RaceData& race = f.s.race;
  const FrameBoats& fb = f.s.frame;
  if (fb.FocusedBoatCount != 2 || f.rs.LabelLevel <= 2) return;
  const int b1 = fb.FocusedBoats[0], b2 = fb.FocusedBoats[1];
  const Point2 a = f.at[b1], b = f.at[b2];
  f.p.setPen(QPen(QColor(255, 255, 0), 1));
  f.p.drawLine(Rounded(a), Rounded(b));
  // A copy, so that the user's own range-and-bearing measurement is left alone.
  ViewState v = f.s.view;
  v.RbFromLat = fb.BoatLatNow[b1], v.RbFromLon = fb.BoatLonNow[b1];
  v.RbToLat = fb.BoatLatNow[b2], v.RbToLon = fb.BoatLonNow[b2];
  RangeAndBearing(race, v);
  double ang = v.RbBearingMag + race.MagneticVariation - f.rs.Wind.TrueWindNow;
  if (ang >= 180) ang -= 180;
  if (ang < 0) ang += 180;
  const int along = std::abs(RoundInt(v.RbRange * std::cos(ang * kRad)));
  const QString text = QStringLiteral("%1m( %2m)").arg(RoundInt(v.RbRange)).arg(along);
  SetFontPoints(f.p, 9);
  f.p.setPen(Qt::white);
  const QFontMetrics fm(f.p.font());
  f.p.drawText(RoundInt((a.x + b.x) / 2 - 35), RoundInt((a.y + b.y) / 2 - 5) + fm.ascent(), text);
}

void DrawWakesAndLabels(Frame& f) {
  const RaceData& race = f.s.race;
  const FrameBoats& fb = f.s.frame;
  const ViewState& v = f.s.view;
  const RenderState& rs = f.rs;
  const double turn = MapTurn(race);
  const QColor sea = ToQColor(rs.SeaColor);
  SetFontPoints(f.p, 9);
  for (int b = race.BoatCount; b >= 1; --b) {
    if (!fb.BoatPresent[b]) continue;
    const Point2 pos = f.at[b];
    const bool ticked = race.BoatShown[b] == 1;
    const int k = fb.BoatSampleIndex[b];
    if (ticked) {
      // A missing sample interval would divide by zero; one second is the loggers' finest.
      const int interval = std::max(1, race.BoatSampleInterval[b]);
      const double raw = v.ScaleLat > 0 ? 10000.0 / (v.ScaleLat * interval) : 1;
      const int step = std::max(1, static_cast<int>(std::min(raw, 1.0e6)));
      QPolygon wake;
      wake << Rounded(pos);
      for (int i = 0; i < 4; ++i) {
        const int j = std::max(1, k - i * step);
        wake << Rounded(ToScreen(race, v, race.TrackLat[b][j], race.TrackLon[b][j]));
      }
      QColor colour = Qt::white;
      if (rs.SpeedWakes) {
        const double mean =
            std::abs(fb.BoatWindAngleNow[b]) >= 90 ? rs.MeanDownwindSpeed : rs.MeanUpwindSpeed;
        if (race.TrackSpeed[b][k] > mean) colour = QColor(255, 0, 0);
      }
      f.p.setPen(QPen(colour, 1));
      f.p.setBrush(Qt::NoBrush);
      f.p.drawPolyline(wake);
      for (int i = 1; i <= 3; ++i) f.p.fillRect(wake[i].x() - 1, wake[i].y() - 1, 3, 3, colour);

      if (rs.CompLine || rs.LabelLevel > 2) {
        const double w = rs.Wind.SmoothWindDir - turn + race.MagneticVariation;
        const Point2 e1 = PolarOffset(v, w + 90), e2 = PolarOffset(v, w - 90);
        f.p.setPen(QPen(ToQColor(race.BoatColor[b]), 1));
        f.p.drawLine(Rounded({pos.x + e1.x, pos.y + e1.y}), Rounded({pos.x + e2.x, pos.y + e2.y}));
      }
    }

    const int lx = RoundInt(pos.x) + RoundInt(f.S / 2) + 7;
    const int ly = RoundInt(pos.y - 6);
    const QString name = DisplayText(race.BoatName[b]);
    if (rs.LabelLevel > 0) {
      QString text;
      QColor colour = Qt::white;
      if (!ticked) {
        if (rs.LabelLevel >= 2) text = name;
      } else if (rs.LabelLevel == 1) {
        text = name;
      } else {
        text = name + QStringLiteral("  ") + Hundredths(fb.BoatSpeedNow[b]) + QStringLiteral("Kts");
        if (rs.LabelLevel == 3 && fb.FocusedBoatCount == 2) {
          const int other = fb.FocusedBoats[0] == b   ? fb.FocusedBoats[1]
                            : fb.FocusedBoats[1] == b ? fb.FocusedBoats[0]
                                                      : 0;
          if (other != 0) {
            const double diff = fb.BoatSpeedNow[b] - fb.BoatSpeedNow[other];
            const double shown = RoundHalfEven(diff * 100) / 100;
            text += QStringLiteral(" (") + (shown > 0 ? QStringLiteral("+") : QString()) +
                    Hundredths(diff) + QStringLiteral("kts)");
            if (shown > 0) colour = QColor(255, 0, 0);
          }
        }
      }
      if (!text.isEmpty()) TextOut(f.p, lx, ly, text, colour, sea);
    } else if (rs.HoverNames && rs.NameBlink == 1) {
      TextOut(f.p, lx, ly, name, Qt::white, sea);
    }
  }
}

void DrawHighlights(Frame& f) {
  RaceData& race = f.s.race;
  FrameBoats& fb = f.s.frame;
  const RenderState& rs = f.rs;
  const int radius = RoundInt(f.S * 0.5 + 3);
  auto present = [&](int b) { return b >= 1 && b <= race.BoatCount && fb.BoatPresent[b]; };
  auto circle = [&](int b, QColor outline) {
    f.p.setPen(QPen(outline, 1));
    f.p.setBrush(QColor(192, 255, 255));
    const QPoint c = Rounded(f.at[b]);
    f.p.drawEllipse(c, radius, radius);
  };
  if (present(rs.HoverBoat)) {
    const int b = rs.HoverBoat;
    fb.BoatSpeedNow[b] = RoundHalfEven(fb.BoatSpeedNow[b] * 100) / 100;
    circle(b, Qt::black);
    SetFontPoints(f.p, 9);
    const QString text = DisplayText(race.BoatName[b]) + QStringLiteral("  ") +
                         Hundredths(fb.BoatSpeedNow[b]) + QStringLiteral("Kts");
    TextOut(f.p, RoundInt(f.at[b].x) + RoundInt(f.S / 2) + 7, RoundInt(f.at[b].y - 6), text,
            ToQColor(race.BoatColor[b]), Qt::white);
  }
  if (rs.MarkedBoat != rs.HoverBoat && present(rs.MarkedBoat)) circle(rs.MarkedBoat, Qt::red);
  f.p.setBrush(Qt::NoBrush);
}

// A step of length l in screen direction theta (degrees from the top).
Point2 Step(Point2 from, double l, double theta) {
  return {from.x + l * std::sin(theta * kRad), from.y - l * std::cos(theta * kRad)};
}

void DrawSail(Frame& f, int b, QPoint mast, double size) {
  const FrameBoats& fb = f.s.frame;
  const double sigma = fb.BoatWindAngleNow[b] > 0 ? 1 : -1;
  const double a = std::abs(fb.BoatWindAngleNow[b]) * kRad;
  const double u = fb.BoatSpeedNow[b] + 10 * std::cos(a);
  const double v = 10 * std::sin(a);
  // Apparent wind dead ahead at exactly the wind's speed has no angle; the sail lies amidships.
  double alpha = u != 0 ? std::atan(v / u) / kRad : (v != 0 ? 90 : 0);
  if (alpha < 0) alpha += 180;
  alpha *= sigma;
  double sail = alpha / 2 + 180;
  if (sail > 180) sail -= 360;
  const double d = fb.BoatHeadingNow[b] + sail - MapTurn(f.s.race);
  const Point2 m{static_cast<double>(mast.x()), static_cast<double>(mast.y())};
  QPolygon poly;
  poly << mast << Rounded(Step(m, 0.1 * size, d + 40 * sigma))
       << Rounded(Step(m, 0.25 * size, d + 16 * sigma)) << Rounded(Step(m, 0.5 * size, d));
  f.p.setPen(QPen(Qt::white, 1));
  f.p.setBrush(Qt::white);
  f.p.drawPolygon(poly);
}

int DrawHulls(Frame& f) {
  const RaceData& race = f.s.race;
  const FrameBoats& fb = f.s.frame;
  const ViewState& v = f.s.view;
  const RenderState& rs = f.rs;
  const double turn = MapTurn(race);
  const QColor outline = rs.SeaBrightness > 75 ? QColor(Qt::black) : QColor(192, 192, 192);
  int onScreen = 0;
  for (int b = race.BoatCount; b >= 1; --b) {
    if (!fb.BoatPresent[b]) continue;
    const Point2 pos = f.at[b];
    if (!(pos.x > 0 && pos.x < v.MapWidth && pos.y > 0 && pos.y < v.MapHeight)) continue;
    const double size = BoatPixels(v, race.BoatLength[b], rs.BigBoat);
    ++onScreen;
    const double h = ToHalfTurn(fb.BoatHeadingNow[b] - turn) * kRad;
    const double c = std::cos(h) * size / 100, sn = std::sin(h) * size / 100;
    QPolygon hull;
    for (int i = 1; i <= 9; ++i) {
      const double px = race.HullX[i], py = race.HullY[i];
      hull << Rounded({pos.x + px * c - py * sn, pos.y + px * sn + py * c});
    }
    const QPoint mast = hull[8];
    hull.resize(8);
    const bool ticked = race.BoatShown[b] == 1;
    if (ticked || rs.ShowAllHulls) {
      f.p.setPen(QPen(outline, 1));
      f.p.setBrush(ticked ? ToQColor(race.BoatColor[b]) : ToQColor(rs.SeaColor));
      f.p.drawPolygon(hull);
    }
    if (rs.ShowWindTicks) DrawWindStreamer(f.s, rs, f.p, b, pos.x, pos.y, size);
    if (size > 8 && ticked && rs.ShowSails) DrawSail(f, b, mast, size);
  }
  f.p.setBrush(Qt::NoBrush);
  return onScreen;
}

void DrawRaceTime(Frame& f, double clock) {
  const ViewState& v = f.s.view;
  const QString text = RaceTimeText(clock);
  const QColor bg = clock > 0 ? QColor(0, 0, 255) : QColor(255, 0, 0);
  if (clock > 20) {
    SetFontPoints(f.p, 15);
    TextOut(f.p, v.MapWidth - 9 * static_cast<int>(text.size()) - 15, v.MapHeight - 25, text,
            Qt::white, bg);
  } else {
    SetFontPoints(f.p, 50);
    TextOut(f.p, RoundInt(v.MapWidth / 2.0 - 50) + 5, 15, text, Qt::white, bg);
  }
  SetFontPoints(f.p, 9);
  f.p.setPen(Qt::black);
}

}  // namespace

QString RaceTimeText(double clock) {
  const long long n = std::llabs(static_cast<long long>(RoundHalfEven(clock)));
  if (n <= 59) return QString::number(n);
  const QString ss = QStringLiteral("%1").arg(n % 60, 2, 10, QLatin1Char('0'));
  if (n <= 3000) return QStringLiteral("%1:%2").arg(n / 60, 2, 10, QLatin1Char('0')).arg(ss);
  return QStringLiteral("%1:%2:%3").arg(n / 3600).arg(n / 60 % 60, 2, 10, QLatin1Char('0')).arg(ss);
}

void UpdateWindAtTime(SceneParts s, RenderState& rs, double t) {
  WindAt(s.race, t, rs.Wind);
}

void DrawTraceOverlays(SceneParts s, const RenderState& rs, QPainter& p) {
  DrawLights(p, s.race, s.view, s.play, rs);
  DrawGrid(p, s.race, s.view, rs);
  DrawWindArrow(p, s.race, s.view, rs);
}

void DrawOverviewMap(SceneParts s, const RenderState& rs, QPainter& p) {
  // The window moves the overview's markers and rectangle after the frame.
  if (rs.SmallScreen && rs.OverviewOnMap)
    DrawOverviewCorner(p, s.race, s.view, s.play, s.frame, rs);
}

void DrawCourseOverlays(SceneParts s, const RenderState& rs, QPainter& p) {
  DrawCoastline(p, s.race, s.view);
  DrawScaleBar(p, s.view, rs);
  DrawCourse(p, s.race, s.view, s.passing, rs);
}

void DrawWindClockOverlays(SceneParts s, const RenderState& rs, QPainter& p) {
  // Drawn in every frame: the map under it was cleared, so skipping an unchanged time would
  // leave a redraw of the same moment without its clock.
  DrawClock(p, s.view, rs, TimeOfDay(s.view.StartSecondOfDay, s.play.RaceClock));
  DrawCompassOnMap(p, s.race, rs);
  DrawWindStripOnMap(p, s.race, s.play, rs);
}

void DrawWindStreamer(SceneParts s, const RenderState& rs, QPainter& p, int, double x, double y,
                      double) {
  DrawStreamer(p, s.race, rs, BoatPixels(s.view, s.race.DefaultBoatLength, rs.BigBoat), x, y);
}

SceneResult DrawScene(SceneParts s, RenderState& rs, QImage& map, double t) {
  SceneResult out;
  RaceData& race = s.race;
  ViewState& v = s.view;
  FrameBoats& fb = s.frame;

  // The speed ramp starts again at the gun.
  if (s.play.RaceClock < 0) s.play.SpeedRampStep = 0;
  UpdateWindAtTime(s, rs, t);
  ComputeBoatState(race, t, rs.Wind.TrueWindNow, fb);
  out.TimePointerTop = TimePointerTop(race, s.play.RaceClock, rs.TimeBarHeight);

  if (fb.BoatsWithPosition >= 1) {
    bool anyTicked = false;
    bool anyPresent = false;
    for (int b = 1; b <= race.BoatCount; ++b) {
      anyPresent = anyPresent || fb.BoatPresent[b];
      anyTicked = anyTicked || (fb.BoatPresent[b] && race.BoatShown[b] == 1);
    }
    if (anyPresent && !anyTicked) {
      for (int b = 1; b <= race.BoatCount; ++b) race.BoatShown[b] = 1;
      out.TickedAllBoats = true;
      ComputeBoatState(race, t, rs.Wind.TrueWindNow, fb);  // count the newly focused boats
    }
  }

  QPainter p(&map);
  SetFontPoints(p, 9);
  if (fb.BoatsWithPosition < 1) {
    out.RaceEnded = true;
  } else {
    FitFrameView(race, s.passing, fb, t, rs.AutoTrace, v);
    Frame f{s, rs, p, {}, BoatPixels(v, race.DefaultBoatLength, rs.BigBoat)};
    f.at.assign(static_cast<size_t>(race.BoatCount) + 1, Point2{});
    for (int b = 1; b <= race.BoatCount; ++b)
      if (fb.BoatPresent[b]) f.at[b] = ToScreen(race, v, fb.BoatLatNow[b], fb.BoatLonNow[b]);

    if (v.TraceMode == 1) DrawTraceOverlays(s, rs, p);
    DrawOverviewMap(s, rs, p);
    if (v.TraceMode == 1) DrawCourseOverlays(s, rs, p);
    DrawComparison(f);
    DrawManoeuvresOnFrame(s, rs, p, t);
    DrawWindClockOverlays(s, rs, p);
    DrawWakesAndLabels(f);
    DrawHighlights(f);
    out.BoatsOnScreen = DrawHulls(f);
    DrawRaceTime(f, t);
    ++s.play.FrameCount;
  }
  return out;
}

QString PlaySpeedText(double playSpeed) {
  return QStringLiteral("Play SPD= ") + QString::fromStdString(ShortestReal(playSpeed)) +
         QStringLiteral("x");
}

}  // namespace kw
