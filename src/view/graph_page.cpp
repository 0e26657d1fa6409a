#include "view/graph_page.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "race/text.h"
#include "view/paint.h"

namespace kw {

namespace {

const QColor kPlotFill(225, 225, 255);
const QColor kGrid(192, 192, 225);
const QColor kHourLine(142, 142, 225);
const QColor kThirtyDegrees(162, 162, 225);

// One-pixel lines in one colour written straight into the picture: the page holds millions of
// short strokes, and the painter's general path costs ten times more per stroke. Each row a
// segment crosses gets the run of pixels between the midpoints to the rows beside it, so a
// shallow stroke is a staircase and a steep one a pixel a row, as a thin pen draws them.
class StrokePlotter {
 public:
  // Draws only into columns xFirst..xLast of the pixels at `bits`.
  StrokePlotter(uchar* bits, const QImage& img, int xFirst, int xLast)
      : bits_(bits),
        stride_(img.bytesPerLine()),
        xFirst_(std::max(xFirst, 0)),
        xLast_(std::min(xLast, img.width() - 1)),
        h_(img.height()) {}

  // Points on one row make one span; rows are joined by slanted segments.
  void Polyline(const std::vector<QPoint>& pts, QRgb colour) {
    for (size_t i = 0; i < pts.size();) {
      size_t j = i;
      int lo = pts[i].x(), hi = lo;
      while (j + 1 < pts.size() && pts[j + 1].y() == pts[i].y()) {
        ++j;
        lo = std::min(lo, pts[j].x());
        hi = std::max(hi, pts[j].x());
      }
      Span(pts[i].y(), lo, hi, colour);
      if (j + 1 < pts.size()) Segment(pts[j], pts[j + 1], colour);
      i = j + 1;
    }
  }

 private:
  void Span(int y, int xa, int xb, QRgb colour) {
    if (y < 0 || y >= h_) return;
    if (xa > xb) std::swap(xa, xb);
    xa = std::max(xa, xFirst_);
    xb = std::min(xb, xLast_);
    if (xa > xb) return;
    QRgb* row = reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_);
    std::fill(row + xa, row + xb + 1, colour);
  }

  void Segment(QPoint a, QPoint b, QRgb colour) {
    const int dy = b.y() - a.y();
    if (dy == 0) {
      Span(a.y(), a.x(), b.x(), colour);
      return;
    }
    const int steps = std::abs(dy), dir = dy > 0 ? 1 : -1;
    const double dx = b.x() - a.x();
    // Only the rows inside the picture are visited, however far the ends lie.
    int kFirst = 0, kLast = steps;
    if (dir > 0) {
      kFirst = std::max(kFirst, -a.y());
      kLast = std::min(kLast, h_ - 1 - a.y());
    } else {
      kFirst = std::max(kFirst, a.y() - (h_ - 1));
      kLast = std::min(kLast, a.y());
    }
    const int lo = std::min(a.x(), b.x()), hi = std::max(a.x(), b.x());
    for (int k = kFirst; k <= kLast; ++k) {
      const int from =
          k == 0 ? a.x() : std::clamp(PixelRound(a.x() + dx * (k - 0.5) / steps), lo, hi);
      const int to =
          k == steps ? b.x() : std::clamp(PixelRound(a.x() + dx * (k + 0.5) / steps), lo, hi);
      Span(a.y() + dir * k, from, to, colour);
    }
  }

  uchar* bits_;
  qsizetype stride_;
  int xFirst_, xLast_, h_;
};

void Polyline(QPainter& p, const std::vector<QPoint>& points) {
  if (points.size() >= 2) p.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void CourseRuns(QPainter& p, const Runs& runs) {
  for (const auto& run : runs) Polyline(p, run);
}

bool ShownBoat(const RaceData& race, int b) {
  return static_cast<size_t>(b) < race.BoatShown.size() && race.BoatShown[b] >= 1 &&
         static_cast<size_t>(b) < race.BoatColor.size();
}

// Text centred on x the way the labels are measured: six pixels a character.
int CentredX(int x, const QString& text) {
  return x - 3 * static_cast<int>(text.size());
}

// The left plot's labels: every 10 degrees a grid line, every 30 a darker one with its label.
void DrawDirectionAxis(QPainter& p, const RaceData& race, const GraphGeometry& g,
                       const QColor& seaColour) {
  const int bottom = g.y0 + g.H;
  PlainText(p, 60, g.y0 - 14, QStringLiteral("Boat course and Wind Direction (Deg in Mag)"),
            Qt::white);
  for (int d = 0; d < 360; d += 10) {
    const int x = g.DirectionX(d - race.WindwardBearing + 90.0);
    const bool thirty = d % 30 == 0;
    p.setPen(thirty ? kThirtyDegrees : kGrid);
    p.drawLine(x, g.y0, x, bottom);
    if (thirty) {
      const QString label = QString::number(d);
      TextOut(p, CentredX(x, label), bottom + 5, label, Qt::white, seaColour);
    }
  }
}

// The right plot's labels: a grid line every knot of boat speed, and the wind speed's scale
// (twice the boat's) under it when the race has wind speeds.
void DrawSpeedAxis(QPainter& p, const RaceData& race, const GraphGeometry& g,
                   const QColor& seaColour) {
  const int bottom = g.y0 + g.H;
  PlainText(p, g.x1 + 60, g.y0 - 14, QStringLiteral("Boat Speed (KTS)"), Qt::white);
  TextOut(p, g.x1, bottom + 5, QStringLiteral("BSP"), Qt::white, seaColour);
  const bool windSpeed = race.WindSpeedMax > 0;
  if (windSpeed) TextOut(p, g.x1, bottom + 19, QStringLiteral("TWS"), Qt::blue, seaColour);
  for (int k = 1; k <= g.speedTicks; ++k) {
    const int x = g.SpeedX(k);
    p.setPen(QPen(kGrid, 1));
    p.drawLine(x, g.y0, x, bottom);
    const QString label = QString::number(k);
    TextOut(p, CentredX(x, label), bottom + 5, label, Qt::white, seaColour);
    if (windSpeed) {
      const QString wind = QString::number(2 * k);
      TextOut(p, CentredX(x, wind), bottom + 19, wind, Qt::blue, seaColour);
    }
  }
}

// The traces go into the picture's memory with no painter working on it meanwhile, in two
// steps on two threads. First both threads take the boats' traces, a course or a speed trace at
// a time from one count, so that neither waits for the other (a course trace costs more than a
// speed trace). Then the courses are plotted on this thread and the speeds on the second, each
// in boat order; each keeps to its own plot's columns (course directions never leave the left
// plot, speeds never come left of the right one), so the two never write the same pixel.
void PlotTraces(QImage& bitmap, const RaceData& race, const GraphGeometry& g) {
  // Taken once here: asking the image for its pixels from two threads would race.
  uchar* const pixels = bitmap.bits();
  const int boats = std::min<int>(race.BoatCount, static_cast<int>(race.BoatShown.size()) - 1);
  std::vector<Runs> courses(static_cast<size_t>(std::max(boats, 0)) + 1);
  std::vector<std::vector<QPoint>> speeds(courses.size());
  std::atomic<int> next{0};
  auto trace = [&] {
    for (int k; (k = next.fetch_add(1)) < 2 * boats;) {
      const int b = boats - k / 2;  // the courses first, the dearer half of each pair
      if (!ShownBoat(race, b)) continue;
      if (k % 2 == 0) {
        courses[static_cast<size_t>(b)] = CourseTrace(race, g, b, true);
      } else {
        speeds[static_cast<size_t>(b)] = SpeedTrace(race, g, b, true);
      }
    }
  };
  std::thread worker(trace);
  trace();
  worker.join();
  worker = std::thread([&] {
    StrokePlotter plot(pixels, bitmap, g.x1, bitmap.width() - 1);
    for (int b = boats; b >= 1; --b)
      if (ShownBoat(race, b))
        plot.Polyline(speeds[static_cast<size_t>(b)], ToQColor(race.BoatColor[b]).rgb());
  });
  StrokePlotter plot(pixels, bitmap, 0, g.x1 - 1);
  for (int b = boats; b >= 1; --b) {
    if (!ShownBoat(race, b)) continue;
    for (const auto& run : courses[static_cast<size_t>(b)])
      plot.Polyline(run, ToQColor(race.BoatColor[b]).rgb());
  }
  worker.join();
}

}  // namespace

QString CorrectedTimeNote() {
  return QStringLiteral(" NOTE: All data related \"time\" including BSP are corrected by TCC/TMF ");
}

GraphGeometry DrawGraphs(QImage& bitmap, const RaceData& race, int clientHeight, Rgb sea) {
  const int mapWidth = bitmap.width();
  const GraphGeometry g = MakeGraphGeometry(race, mapWidth, clientHeight);
  const QColor seaColour = ToQColor(sea);
  // The traces are written as 32-bit pixels.
  if (bitmap.format() != QImage::Format_RGB32) bitmap = QImage(bitmap.size(), QImage::Format_RGB32);
  bitmap.fill(seaColour);
  QPainter p(&bitmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);

  if (race.CorrectedTimeMode > 0) {
    const QString note = CorrectedTimeNote();
    TextOut(p, RoundInt((mapWidth - 6.0 * note.size()) / 2), 4, note, Qt::white, Qt::red);
  }
  const int bottom = g.y0 + g.H;
  p.fillRect(QRect(QPoint(g.x0 - 1, g.y0 - 1), QPoint(g.x0 + g.W1, bottom + 1)), kPlotFill);
  p.fillRect(QRect(QPoint(g.x1 - 1, g.y0 - 1), QPoint(g.x1 + g.W2, bottom + 1)), kPlotFill);

  for (const TimeGridLine& l : TimeGrid(g)) {
    p.setPen(l.gun ? QColor(Qt::red) : l.hour ? kHourLine : kGrid);
    p.drawLine(g.x0, l.y, g.x0 + g.W1, l.y);
    p.drawLine(g.x1, l.y, g.x1 + g.W2, l.y);
    // "10:00" and later in a smaller font, so that they end before the plot's edge.
    FitFontPoints(p, l.label, g.x0 - 12, 9, 6);
    TextOut(p, 10, l.y - 4, l.label, Qt::white, seaColour);
    SetFontPoints(p, 9);
  }
  DrawDirectionAxis(p, race, g, seaColour);
  DrawSpeedAxis(p, race, g, seaColour);

  p.end();
  PlotTraces(bitmap, race, g);
  p.begin(&bitmap);
  p.setPen(QPen(Qt::red, 3));
  Polyline(p, WindDirectionTrace(race, g));
  return g;
}

void DrawWindOverlay(QPainter& p, const RaceData& race, const GraphGeometry& g, int mapWidth) {
  if (race.WindSpeedMax > 0) {
    SetFontPoints(p, 12);
    PlainText(p, 340, 18, QStringLiteral("TWD"), Qt::red);
    PlainText(p, RoundInt(mapWidth / 2.0) + 210, 18, QStringLiteral("TWS"), Qt::red);
    SetFontPoints(p, 9);
    const std::vector<QPoint> speed = WindSpeedTrace(race, g);
    p.setPen(QPen(Qt::white, 6));
    Polyline(p, speed);
    p.setPen(QPen(Qt::blue, 2));
    Polyline(p, speed);
  }
  const std::vector<QPoint> direction = WindDirectionTrace(race, g);
  p.setPen(QPen(Qt::white, 6));
  Polyline(p, direction);
  p.setPen(QPen(Qt::red, 2));
  Polyline(p, direction);
}

void DrawBoatOnGraphs(QPainter& p, const RaceData& race, const GraphGeometry& g, int mapWidth,
                      int boat) {
  if (boat < 1 || boat > race.BoatCount || static_cast<size_t>(boat) >= race.BoatColor.size() ||
      static_cast<size_t>(boat) >= race.BoatName.size())
    return;
  SetFontPoints(p, 12);
  const QString name = DisplayText(race.BoatName[boat]);
  PlainText(p, RoundInt((mapWidth - p.fontMetrics().horizontalAdvance(name)) / 2.0), 18, name,
            Qt::red);
  SetFontPoints(p, 9);
  const Runs course = CourseTrace(race, g, boat);
  const std::vector<QPoint> speed = SpeedTrace(race, g, boat);
  for (const QPen& pen : {QPen(Qt::white, 6), QPen(ToQColor(race.BoatColor[boat]), 2)}) {
    p.setPen(pen);
    CourseRuns(p, course);
    Polyline(p, speed);
  }
}

}  // namespace kw
