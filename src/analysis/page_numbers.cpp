#include "analysis/page_numbers.h"
#include "analysis/trace_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

#include "analysis/mark_passing.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/track_outline.h"

namespace kw {

using trace_rows::CourseBlockInside;
using trace_rows::RowCollapser;
using trace_rows::UsableBlocks;
using trace_rows::WalkBlocks;
using trace_rows::WindowRange;

namespace {

template <typename T>
bool Has(const std::vector<T>& v, int i) {
  return i >= 0 && static_cast<size_t>(i) < v.size();
}

// A boat's upwind (kind 1) or downwind (kind 2) sums mean something only when it passed both
// ends of every such leg: a missed mark leaves the "not passed" time in the sum.
bool LegsTimed(const PassingResults& passing, int b, int n, int kind) {
  if (!Has(passing.MarkPassTime, b)) return false;
  const auto& pass = passing.MarkPassTime[b];
  for (int j = 1; j <= n - 1; ++j) {
    if (!Has(passing.LegKind, j) || passing.LegKind[j] != kind) continue;
    if (!Has(pass, j + 1) || !(pass[j + 1] < 999999)) return false;
    if (j > 1 && !(pass[j] < 999999)) return false;
  }
  return true;
}

bool Shown(const RaceData& race, int b) {
  return Has(race.BoatShown, b) && race.BoatShown[b] >= 1;
}

// The samples of boat b that the tables really hold.
int SampleCount(const RaceData& race, int b) {
  if (!Has(race.BoatSampleCount, b) || !Has(race.TrackTime, b)) return 0;
  int n = race.BoatSampleCount[b];
  n = std::min<int>(n, static_cast<int>(race.TrackTime[b].size()) - 1);
  return std::max(n, 0);
}

int WindSamples(const RaceData& race) {
  const int held = static_cast<int>(std::min(
                       {race.WindTime.size(), race.WindSpeed.size(), race.WindDir.size()})) -
                   1;
  return std::clamp(race.WindCount, 0, std::max(held, 0));
}

}  // namespace

double MaxBoatSpeed(const RaceData& race) {
  double best = 3;
  for (int b = 1; b <= race.BoatCount && Has(race.TrackSpeed, b); ++b) {
    const auto& speed = race.TrackSpeed[b];
    const int n = std::min<int>(SampleCount(race, b), static_cast<int>(speed.size()) - 1);
    int i = 1;
    if (const TrackBlocks* t = UsableBlocks(race, b, n)) {
      // Whole blocks by their highest speed, blocks with a value kept aside sample by sample.
      for (const TrackBlocks::Block& k : t->coarse) {
        if (i + TrackBlocks::kCoarse - 1 > n) break;
        if (k.plain) {
          best = std::max(best, k.speedHi / 100.0);
        } else {
          for (int j = i; j < i + TrackBlocks::kCoarse; ++j) best = std::max(best, speed[j]);
        }
        i += TrackBlocks::kCoarse;
      }
    }
    for (; i <= n; ++i) best = std::max(best, speed[i]);
  }
  return best;
}

int SpeedTicksFor(double maxBoatSpeed) {
  return std::clamp(RoundInt(1.5 * maxBoatSpeed), 5, 16);
}

int TimeGridInterval(double clockSpan) {
  if (clockSpan <= 3 * 3600) return 300;
  if (clockSpan <= 6 * 3600) return 600;
  if (clockSpan <= 12 * 3600) return 900;
  if (clockSpan <= 24 * 3600) return 1800;
  return 3600;
}

GraphGeometry MakeGraphGeometry(const RaceData& race, int mapWidth, int clientHeight) {
  GraphGeometry g;
  g.H = clientHeight - 77;
  g.W1 = RoundInt(mapWidth / 2.0 - 45);
  g.x1 = RoundInt(mapWidth / 2.0) + 10;
  g.W2 = RoundInt(mapWidth / 2.0 - 20);
  g.clockFirst = race.ClockFirst;
  // A window of no length would divide by zero; one second draws everything on one row.
  g.clockSpan = race.ClockSpan > 0 ? race.ClockSpan : 1;
  g.speedTicks = SpeedTicksFor(MaxBoatSpeed(race));
  g.yScale = g.H / g.clockSpan;
  g.dirScale = g.W1 / 360.0;
  g.speedScale = static_cast<double>(g.W2) / g.speedTicks;
  return g;
}

std::vector<TimeGridLine> TimeGrid(const GraphGeometry& g) {
  std::vector<TimeGridLine> lines;
  const int interval = TimeGridInterval(g.clockSpan);
  const int last = RoundInt(g.clockSpan / interval) + 1;
  for (int i = 0; i <= last; ++i) {
    TimeGridLine l;
    l.seconds = interval * i;
    l.y = g.TimeY(l.seconds);
    if (l.y <= g.y0) continue;
    l.gun = i == 0;
    l.hour = l.seconds % 3600 == 0;
    const int hours = RoundInt(l.seconds / 3600.0 - 0.49999);
    const int minutes = RoundInt((l.seconds - 3600.0 * hours) / 60);
    l.label = QString::number(hours) + QLatin1Char(':') +
              QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0'));
    lines.push_back(l);
  }
  return lines;
}

Runs CourseTrace(const RaceData& race, const GraphGeometry& g, int boat, bool rowsOnly) {
  Runs runs;
  if (!Has(race.TrackCourse, boat)) return runs;
  const auto& time = race.TrackTime[boat];
  const auto& course = race.TrackCourse[boat];
  const int n = std::min<int>(SampleCount(race, boat), static_cast<int>(course.size()) - 1);
  const double turn = 90.0 - race.WindwardBearing - race.MagneticVariation;
  runs.emplace_back();
  auto row = std::make_unique<RowCollapser>(runs.back());
  bool started = false;
  QPoint prev;
  // The x of every whole degree, worked out once: a long race has millions of samples.
  std::array<int, 361> xOf;
  for (int c = 0; c <= 360; ++c) xOf[static_cast<size_t>(c)] = g.DirectionX(c + turn);
  // Sample i on row y.
  auto add = [&](int i, int y) {
    const int c = course[i];
    const QPoint q(c >= 0 && c <= 360 ? xOf[static_cast<size_t>(c)] : g.DirectionX(c + turn), y);
    if (started && std::abs(q.x() - prev.x()) * 2 > g.W1) {
      // The course went through north of the plot's edge: out at one side, in at the other.
      const int ym = RoundInt((prev.y() + q.y()) / 2.0);
      const bool rightward = prev.x() < q.x();
      row->Add(QPoint(rightward ? g.x0 : g.x0 + g.W1, ym));
      row.reset();
      runs.emplace_back();
      row = std::make_unique<RowCollapser>(runs.back());
      row->Add(QPoint(rightward ? g.x0 + g.W1 : g.x0, ym));
    }
    row->Add(q);
    prev = q;
    started = true;
  };
  const TrackBlocks* blocks = UsableBlocks(race, boat, n);
  if (!blocks) {
    for (int i = 1; i <= n; ++i) {
      if (time[i] < race.ClockFirst || time[i] > race.ClockLast) continue;
      add(i, g.TimeY(time[i]));
    }
  } else {
    // A long race puts hundreds of samples on a row: a block whose samples share one row is
    // taken as its extremes (what the row keeps of them anyway), when no crossing of the edge
    // can hide among them.
    const auto [ia, ib] = WindowRange(time, n, race.ClockFirst, race.ClockLast);
    WalkBlocks(
        *blocks, time, g, ia, ib, add,
        [&](const TrackBlocks::Block& k, int last, int y) {
          int lo, hi;
          if (!CourseBlockInside(k, turn, g, lo, hi) || !row->TakesExtremes(y, lo, hi, rowsOnly))
            return false;
          prev = QPoint(g.DirectionX(course[last] + turn), y);
          row->AddExtremes(lo, hi, prev);
          return true;
        },
        [&](const TrackBlocks::Block& k) {
          int lo, hi;
          return CourseBlockInside(k, turn, g, lo, hi) && lo == hi;
        },
        [&](size_t at) { course.Prefetch(at); });
  }
  row.reset();
  if (runs.back().empty()) runs.pop_back();
  return runs;
}

std::vector<QPoint> SpeedTrace(const RaceData& race, const GraphGeometry& g, int boat,
                               bool rowsOnly) {
  std::vector<QPoint> line;
  if (!Has(race.TrackSpeed, boat)) return line;
  const auto& time = race.TrackTime[boat];
  const auto& speed = race.TrackSpeed[boat];
  const int n = std::min<int>(SampleCount(race, boat), static_cast<int>(speed.size()) - 1);
  RowCollapser row(line);
  const TrackBlocks* blocks = UsableBlocks(race, boat, n);
  if (!blocks) {
    for (int i = 1; i <= n; ++i) {
      if (time[i] < race.ClockFirst || time[i] > race.ClockLast) continue;
      row.Add(QPoint(g.SpeedX(speed[i]), g.TimeY(time[i])));
    }
  } else {
    // As the course trace: a block on one row taken as its extremes.
    const auto [ia, ib] = WindowRange(time, n, race.ClockFirst, race.ClockLast);
    // The x of every speed up to the fastest, worked out once.
    // (A plain block of any size is made of plain fine blocks: its extremes are in the table.)
    const int fastest = blocks->fastest;
    std::vector<int> xOf(static_cast<size_t>(fastest) + 1);
    for (int q = 0; q <= fastest; ++q) xOf[static_cast<size_t>(q)] = g.SpeedX(q / 100.0);
    auto x = [&](int i) {
      const uint16_t q = speed.Hundredths(static_cast<size_t>(i));
      return q <= fastest ? xOf[q] : g.SpeedX(speed[i]);
    };
    WalkBlocks(
        *blocks, time, g, ia, ib, [&](int i, int y) { row.Add(QPoint(x(i), y)); },
        [&](const TrackBlocks::Block& k, int last, int y) {
          const int lo = xOf[k.speedLo], hi = xOf[k.speedHi];
          if (!row.TakesExtremes(y, lo, hi, rowsOnly)) return false;
          row.AddExtremes(lo, hi, QPoint(x(last), y));
          return true;
        },
        [&](const TrackBlocks::Block& k) { return xOf[k.speedLo] == xOf[k.speedHi]; },
        [&](size_t at) { speed.Prefetch(at); });
  }
  row.Flush();
  return line;
}

std::vector<QPoint> WindDirectionTrace(const RaceData& race, const GraphGeometry& g) {
  std::vector<QPoint> line;
  const int n = WindSamples(race);
  for (int i = 1; i <= n; ++i) {
    const double t = race.WindTime[i];
    if (t < race.ClockFirst || t > race.ClockLast) continue;
    line.emplace_back(g.DirectionX(race.WindDir[i] - race.WindwardBearing + 90.0), g.TimeY(t));
  }
  return line;
}

std::vector<QPoint> WindSpeedTrace(const RaceData& race, const GraphGeometry& g) {
  std::vector<QPoint> line;
  const int n = WindSamples(race);
  for (int i = 1; i <= n; ++i) {
    const double t = race.WindTime[i];
    if (t < race.ClockFirst) continue;
    line.emplace_back(RoundInt(g.x1 + g.W2 * (race.WindSpeed[i] / 2) / g.speedTicks), g.TimeY(t));
  }
  return line;
}

// ---- Analysis page ---------------------------------------------------------------------------

double FigureGridStep(double range) {
  if (!(range > 0)) return 1;
  const int k = RoundInt(std::log10(range));
  const double q = range / std::pow(10.0, k);
  if (q > 6) return std::pow(10.0, k);
  if (q > 3) return 5 * std::pow(10.0, k - 1);
  if (q > 1.5) return 2 * std::pow(10.0, k - 1);
  return std::pow(10.0, k - 1);
}

int FigureFrame::X(double d) const {
  return RoundInt(cx + (d - dc) * sx);
}

int FigureFrame::Y(double t) const {
  return RoundInt(cy - (t - tc) * sy);
}

bool FigureFrame::Inside(QPoint q) const {
  return q.x() > ox + ML && q.x() < ox + ML + PW && q.y() > oy + MT && q.y() < oy + MT + PH;
}

std::optional<IsoSpeedLine> IsoSpeed(const FigureFrame& f, int tenths) {
  const double v = tenths * 0.1 * 1852 / 3600;  // metres per second
  if (!(v > 0)) return std::nullopt;
  IsoSpeedLine line;
  line.tenths = tenths;
  const double tLeft = f.dL / v;
  const double dBottom = v * f.tB;
  bool fromBottom = false;
  if (tLeft > f.tB && tLeft < f.tT) {
    line.from = QPoint(f.X(f.dL), f.Y(tLeft));
  } else if (dBottom > f.dL && dBottom < f.dR) {
    line.from = QPoint(f.X(dBottom), f.Y(f.tB));
    fromBottom = true;
  } else {
    return std::nullopt;
  }
  const double dTop = v * f.tT;
  if (dTop <= f.dR) {
    line.to = QPoint(f.X(dTop), f.Y(f.tT));
  } else {
    const double tRight = f.dR / v;
    if (fromBottom && tRight < f.tB) return std::nullopt;
    line.to = QPoint(f.X(f.dR), f.Y(tRight));
  }
  return line;
}

namespace {

FigureFrame QuarterFrame(int ox, int oy, int mapWidth, int mapHeight) {
  FigureFrame f;
  f.ox = ox;
  f.oy = oy;
  f.QW = RoundInt(0.5 * mapWidth);
  f.QH = RoundInt(0.5 * mapHeight);
  f.PW = RoundInt(0.8 * f.QW);
  f.PH = RoundInt(0.8 * f.QH);
  f.ML = RoundInt(0.1 * f.QW);
  f.MT = RoundInt(0.1 * f.QH);
  f.SW = RoundInt(0.6 * f.QW);
  f.SH = RoundInt(0.6 * f.QH);
  f.cx = RoundInt(ox + f.ML + 0.5 * f.PW);
  f.cy = RoundInt(oy + f.MT + 0.5 * f.PH);
  return f;
}

// The axis ranges from the admitted boats, a range under 100 widened to 100 about its centre,
// and the scale and plot edges that follow.
void ScaleFrame(FigureFrame& f, const std::vector<FigurePoint>& boats, bool& drawn) {
  f.dmax = f.tmax = 0;
  f.dmin = f.tmin = 1.0e7;
  for (const FigurePoint& p : boats) {
    if (!p.inRanges) continue;
    f.dmax = std::max(f.dmax, p.distance);
    f.dmin = std::min(f.dmin, p.distance);
    f.tmax = std::max(f.tmax, p.time);
    f.tmin = std::min(f.tmin, p.time);
  }
  drawn = f.dmax > 0;
  if (!drawn) return;
  f.dc = (f.dmax + f.dmin) / 2;
  f.tc = (f.tmax + f.tmin) / 2;
  if (f.dmax - f.dmin < 100) {
    f.dmax = f.dc + 50;
    f.dmin = f.dc - 50;
  }
  if (f.tmax - f.tmin < 100) {
    f.tmax = f.tc + 50;
    f.tmin = f.tc - 50;
  }
  f.sx = f.SW / (f.dmax - f.dmin);
  f.sy = f.SH / (f.tmax - f.tmin);
  const double kx = f.SW > 0 ? static_cast<double>(f.PW) / f.SW : 1;
  const double ky = f.SH > 0 ? static_cast<double>(f.PH) / f.SH : 1;
  f.dL = f.dc - (f.dc - f.dmin) * kx;
  f.dR = f.dc + (f.dmax - f.dc) * kx;
  f.tB = f.tc - (f.tc - f.tmin) * ky;
  f.tT = f.tc - (f.tc - f.tmax) * ky;
}

}  // namespace

std::array<Figure, 3> ComputeFigures(const RaceData& race, const PassingResults& passing,
                                     int mapWidth, int mapHeight, bool noteShown) {
  std::array<Figure, 3> figs;
  const int N = noteShown ? 20 : 0;
  const int lowerTop = RoundInt((mapHeight - N) / 2.0);
  const QPoint origin[3] = {{0, N}, {0, lowerTop}, {RoundInt(mapWidth / 2.0), lowerTop}};
  const int boats = std::max(race.BoatCount, 0);
  const int n = race.CourseCount;
  for (int f = 0; f < 3; ++f) {
    Figure& fig = figs[f];
    fig.number = f + 1;
    fig.frame = QuarterFrame(origin[f].x(), origin[f].y(), mapWidth, mapHeight);
    fig.boats.assign(static_cast<size_t>(boats) + 1, FigurePoint{});
    for (int b = 1; b <= boats; ++b) {
      FigurePoint& p = fig.boats[b];
      const bool passed = n >= 1 && Has(passing.MarkPassTime, b) &&
                          Has(passing.MarkPassTime[b], n) && Has(passing.LegSailedDistance, b) &&
                          Has(passing.LegSailedDistance[b], n);
      const double start = passed ? passing.MarkPassTime[b][1] : NotPassed;
      if (f == 0) {
        if (!passed) continue;
        p.distance = passing.LegSailedDistance[b][n];
        p.time = passing.MarkPassTime[b][n];
        p.drawn = p.distance > 0 && p.time < 999999;
        p.inRanges = p.drawn && Shown(race, b) && start < 99999;
      } else {
        const auto& d = f == 1 ? passing.UpDistance : passing.DownDistance;
        const auto& t = f == 1 ? passing.UpTime : passing.DownTime;
        if (!Has(d, b) || !Has(t, b)) continue;
        p.distance = d[b] * 1852;
        p.time = t[b];
        p.drawn = p.distance > 0 && p.time > 0 && LegsTimed(passing, b, n, f);
        p.inRanges = p.drawn && Shown(race, b) && (f == 2 || start < 99999);
      }
    }
    ScaleFrame(fig.frame, fig.boats, fig.drawn);
    if (!fig.drawn) continue;
    for (int b = 1; b <= boats; ++b) {
      FigurePoint& p = fig.boats[b];
      if (!p.drawn) continue;
      const QPoint q(fig.frame.X(p.distance), fig.frame.Y(p.time));
      if (fig.frame.Inside(q)) p.centre = q;
    }
  }
  return figs;
}

}  // namespace kw
