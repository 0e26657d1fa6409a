#include "view/time_bar.h"

#include <QColor>
#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "analysis/playback.h"
#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/numbers.h"
#include "view/view_state.h"

namespace kw {

namespace {

const QColor kBarColor(225, 225, 255);
const QColor kDownwindColor(192, 192, 255);

// A rectangle given by two corners with the right and bottom edges excluded, filled and
// outlined in one colour; the corners may come in either order.
void FillBox(QPainter& p, int x1, int y1, int x2, int y2, const QColor& colour) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 == x1 || y2 == y1) return;
  p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), colour);
}

// Row of a clock value on the panel behind the bar (the bar's own rows shifted by its top).
int PanelRow(const RaceData& race, const TimeBarGeometry& g, double t) {
  return RoundInt((race.ClockLast - t) * g.barHeight / race.ClockSpan + g.barTop);
}

}  // namespace

TimeBarGeometry TimeBarGeometryFor(int panelWidth, int panelHeight) {
  TimeBarGeometry g;
  g.panelWidth = std::max(0, panelWidth);
  g.panelHeight = std::max(0, panelHeight);
  g.barHeight = std::max(0, g.panelHeight - 60);
  return g;
}

QImage DrawTimeBarImage(const RaceData& race, const TimeBarGeometry& g) {
  if (g.barWidth <= 0 || g.barHeight <= 0) return QImage();
  QImage img(g.barWidth, g.barHeight, QImage::Format_RGB32);
  img.fill(kBarColor);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::black);
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, g.barWidth - 1, g.barHeight - 1);
  if (race.ClockSpan <= 0) return img;

  const int h = g.barHeight - 1;
  auto rowOf = [&](double t) { return RoundInt((race.ClockLast - t) * h / race.ClockSpan); };

  // Each sample paints from the top down to its own row, in time order, so a stretch between
  // two samples keeps the colour of the earlier one. Walked from the last sample back, a row
  // takes the colour of the last sample that reaches it: the same picture in one pass over
  // the rows, whatever the track's length.
  if (race.BoatCount >= 1 && race.TrackTime.size() > 1) {
    const auto& time = race.TrackTime[1];
    const auto& course = race.TrackCourse[1];
    const int n = std::min({race.BoatSampleCount[1], static_cast<int>(time.size()) - 1,
                            static_cast<int>(course.size()) - 1});
    int decided = 0;  // rows 1 .. decided - 1 have their colour
    auto paint = [&](int i) {
      const int row = rowOf(time[i]);
      if (row <= std::max(decided, 1)) return;
      int off = course[i] - race.WindwardBearing;
      if (off < -180) off += 360;
      if (off > 180) off -= 360;
      FillBox(p, 1, std::max(decided, 1), 28, row,
              std::abs(off) < 90 ? QColor(Qt::white) : kDownwindColor);
      decided = row;
    };
    auto inside = [&](double t) { return race.ClockFirst < t && t < race.ClockLast; };
    if (time.RisesThrough(n)) {
      // Times that never go back: the samples inside the window are one stretch, and the next
      // sample back that reaches a row not yet coloured is found by halving (the picture's
      // rows, not the track's length, set the cost).
      auto last = [&](int lo, int hi, auto pass) {  // the last i in lo..hi that passes, or lo - 1
        int found = lo - 1;
        while (lo <= hi) {
          const int mid = lo + (hi - lo) / 2;
          if (pass(mid)) {
            found = mid, lo = mid + 1;
          } else {
            hi = mid - 1;
          }
        }
        return found;
      };
      const int wa = last(1, n, [&](int i) { return !(time[i] > race.ClockFirst); }) + 1;
      const int wb = last(1, n, [&](int i) { return time[i] < race.ClockLast; });
      for (int i = wb; i >= wa && i >= 1;) {
        if (inside(time[i])) paint(i);
        const int limit = std::max(decided, 1);
        i = last(wa, i - 1, [&](int k) { return rowOf(time[k]) > limit; });
      }
    } else {
      for (int i = n; i >= 1; --i)
        if (inside(time[i])) paint(i);
    }
  }

  const int y0 = RoundInt(static_cast<double>(h) * race.ClockLast / race.ClockSpan);
  FillBox(p, 0, y0 - 1, 30, y0 + 1, Qt::red);
  return img;
}

QImage DrawBackTimeBarImage(const RaceData& race, const ViewState& view, const PlaybackState& play,
                            const TimeBarGeometry& g, double dragFrom, double dragTo) {
  const int w = g.panelWidth, c = g.panelHeight;
  if (w <= 0 || c <= 0) return QImage();
  QImage img(w, c, QImage::Format_RGB32);
  img.fill(Qt::yellow);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);

  // Day and night: each row takes the sea brightness of its time.
  if (g.barHeight > 0) {
    for (int r = 0; r < c; ++r) {
      const double t = RoundHalfEven(race.ClockLast - static_cast<double>(c - r - 31) /
                                                          g.barHeight * race.ClockSpan);
      const double s =
          DaylightBrightness(TimeOfDay(view.StartSecondOfDay, t), view.Sunrise, view.Sunset);
      const int v = std::clamp(RoundInt(s * 2.55), 0, 255);
      p.fillRect(0, c - r - 1, w, 1, QColor(v, v, 192));
    }
  }

  FillBox(p, 5, c - 25, w - 5, c - 5, Qt::red);
  QFont font = p.font();
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(7, c - 19, std::max(0, w - 7), 19), Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("START"));

  if (play.RepeatActive && race.ClockSpan > 0)
    FillBox(p, 5, PanelRow(race, g, dragFrom), w - 4, PanelRow(race, g, dragTo), Qt::blue);
  return img;
}

void DrawDragBox(QImage& back, const TimeBarGeometry& g, int startY, int y) {
  if (back.isNull()) return;
  QPainter p(&back);
  p.setRenderHint(QPainter::Antialiasing, false);
  FillBox(p, 5, g.barTop + startY, back.width() - 4, g.barTop + y, Qt::blue);
}

int TimePointerTop(const RaceData& race, double clock, int barHeight) {
  if (race.ClockSpan <= 0) return 28;
  return RoundInt((race.ClockLast - clock) * barHeight / race.ClockSpan) + 28;
}

double TimeAtRow(const RaceData& race, int y, int barHeight) {
  if (barHeight <= 0) return race.ClockLast;
  return RoundHalfEven(race.ClockLast - static_cast<double>(y) / barHeight * race.ClockSpan);
}

double ClampBarTime(const RaceData& race, double t) {
  if (t > race.ClockLast) t = race.ClockLast - 100;
  // Also catches a window shorter than 100 s, where the jump above would leave it.
  if (t < race.ClockFirst) t = race.ClockFirst;
  return t;
}

bool InStartBox(const TimeBarGeometry& g, int y) {
  return y > g.panelHeight - 30;
}

TimeBarHint TimeBarHintFor(int language, const QString& dateTimeText) {
  TimeBarHint h;
  const QString when = QStringLiteral("(") + dateTimeText + QStringLiteral(")");
  if (language < 1) {
    h.width = 220;
    h.height = 90;
    h.lines = {QStringLiteral("左クリックで時間を瞬時に変更します"),
               QStringLiteral("(白はUpWind、灰色はDownWind )"),
               when,
               QString(),
               QStringLiteral("右ドラッグすると選択した範囲の時間帯"),
               QStringLiteral("を繰り返し表示します。"),
               QStringLiteral("（右ｸﾘｯｸで範囲指定か解除します）")};
  } else {
    h.width = 200;
    h.height = 93;
    h.lines = {QStringLiteral("Left click to change the time."),
               when,
               QStringLiteral("(White zone = UpWind   )"),
               QStringLiteral("(Gray zone   = DownWind )"),
               QString(),
               QStringLiteral("Right drag to repeat selected"),
               QStringLiteral("time span")};
  }
  return h;
}

}  // namespace kw
