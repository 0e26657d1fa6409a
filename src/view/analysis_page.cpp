#include "view/analysis_page.h"

#include <QPainter>

#include <algorithm>

#include "race/numbers.h"
#include "race/text.h"
#include "view/graph_page.h"
#include "view/paint.h"

namespace kw {

namespace {

const QColor kGridGrey(192, 192, 192);

const char* const kTitles[3] = {
    " Fig.1  Total/Time and Sailed Distance ",
    " Fig.2  UP WIND / Time and Sailed Distance ",
    " Fig.3 DOWN WIND / Time and Sailed Distance ",
};

QString Shortest(double v) {
  return QString::fromStdString(ShortestReal(v));
}

int Len(const QString& s) {
  return static_cast<int>(s.size());
}

// Grid values from round(lo / step) to round(hi / step) + 3; a damaged range could ask for
// millions, and no picture holds more than a few hundred lines.
template <typename Each>
void GridValues(double lo, double hi, double step, Each each) {
  const int first = RoundInt(lo / step);
  const int last = std::min(RoundInt(hi / step) + 3, first + 1000);
  for (int i = first; i <= last; ++i) each(i, i * step);
}

void DrawFigure(QPainter& p, const RaceData& race, const Figure& fig, int labelLevel) {
  const FigureFrame& f = fig.frame;
  const int left = f.ox + f.ML, top = f.oy + f.MT, right = left + f.PW, bottom = top + f.PH;
  const QString title = QString::fromLatin1(kTitles[fig.number - 1]);
  TextOut(p, f.ox + RoundInt((f.QW - 6.0 * Len(title)) / 2), top - 20, title, Qt::white,
          QColor(0, 128, 0));
  TextOut(p, left - 30, top - 5, QStringLiteral(" TIME "), Qt::white, Qt::blue);
  TextOut(p, f.ox + RoundInt((f.QW - 66) / 2.0), bottom + 18, QStringLiteral(" Distance(m) "),
          Qt::white, Qt::blue);
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(left, top, left, bottom);
  p.drawLine(left, bottom, right, bottom);

  const double tStep = FigureGridStep(f.tmax - f.tmin);
  GridValues(f.tmin, f.tmax, tStep, [&](int, double value) {
    const int y = f.Y(value);
    if (y <= top || y >= bottom) return;
    p.setPen(kGridGrey);
    p.drawLine(left, y, right, y);
    // " TIME " heads the axis; a value that would lie under it is left out.
    if (y - 5 < top - 5 + p.fontMetrics().height()) return;
    const QString label = Shortest(value);
    TextOut(p, left - 6 * Len(label) - 3, y - 5, label, Qt::black, Qt::white);
  });
  const double dStep = FigureGridStep(f.dmax - f.dmin);
  GridValues(f.dmin, f.dmax, dStep, [&](int i, double value) {
    const int x = f.X(value);
    if (x <= left || x >= right) return;
    p.setPen(kGridGrey);
    p.drawLine(x, top, x, bottom);
    if (i % 2 == 0) {
      const QString label = Shortest(value);
      TextOut(p, x - 3 * Len(label), bottom + 5, label, Qt::black, Qt::white);
    }
  });

  for (int s = 1; s <= 120; ++s) {
    const auto line = IsoSpeed(f, s);
    if (!line) continue;
    const bool half = s % 5 == 0;
    p.setPen(QPen(Qt::red, 1, half ? Qt::SolidLine : Qt::DotLine));
    p.drawLine(line->from, line->to);
    if (half)
      PlainText(p, line->to.x() + 2, line->to.y() - 5, Shortest(s * 0.1) + QStringLiteral("kt"),
                Qt::red);
  }

  for (int b = static_cast<int>(fig.boats.size()) - 1; b >= 1; --b) {
    const FigurePoint& pt = fig.boats[b];
    if (pt.centre.isNull() || static_cast<size_t>(b) >= race.BoatColor.size()) continue;
    const bool shown = static_cast<size_t>(b) < race.BoatShown.size() && race.BoatShown[b] >= 1;
    const QColor colour = ToQColor(race.BoatColor[b]);
    Disc(p, pt.centre, 4, colour, shown ? colour : QColor(Qt::white));
    if (labelLevel > 0 && shown && static_cast<size_t>(b) < race.BoatName.size())
      TextOut(p, pt.centre.x() + 5, pt.centre.y() - 5, DisplayText(race.BoatName[b]), Qt::black,
              Qt::white);
  }
}

}  // namespace

Figures DrawAnalysisFigures(QImage& bitmap, const RaceData& race, const PassingResults& passing,
                            int labelLevel) {
  const bool note = race.CorrectedTimeMode > 0;
  Figures figs = ComputeFigures(race, passing, bitmap.width(), bitmap.height(), note);
  bitmap.fill(Qt::white);
  QPainter p(&bitmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  SetFontPoints(p, 9);
  if (note) {
    const QString text = CorrectedTimeNote();
    TextOut(p, RoundInt((bitmap.width() - 6.0 * Len(text)) / 2), 4, text, Qt::white, Qt::red);
  }
  for (const Figure& fig : figs)
    if (fig.drawn) DrawFigure(p, race, fig, labelLevel);
  return figs;
}

void DrawAnalysisNames(QPainter& p, const RaceData& race, const Figures& figures) {
  SetFontPoints(p, 9);
  for (const Figure& fig : figures) {
    for (int b = static_cast<int>(fig.boats.size()) - 1; b >= 1; --b) {
      const QPoint c = fig.boats[b].centre;
      if (c.x() > 0 && c.y() > 0 && static_cast<size_t>(b) < race.BoatName.size())
        TextOut(p, c.x() + 5, c.y() - 5, DisplayText(race.BoatName[b]), Qt::black, Qt::white);
    }
  }
}

QString FigurePointText(const QString& name, double distance, double time) {
  const double speed = time > 0 ? RoundHalfEven(distance / time * 360 / 1.852) / 100 : 0;
  return QStringLiteral(" ") + name + QStringLiteral("  ") + QString::number(RoundInt(distance)) +
         QStringLiteral("m / ") + QString::number(RoundInt(time)) + QStringLiteral("sec / ") +
         Shortest(speed) + QStringLiteral("kts");
}

void MarkBoatOnFigures(QPainter& p, const RaceData& race, const Figures& figures, int boat) {
  if (boat < 1 || static_cast<size_t>(boat) >= race.BoatColor.size() ||
      static_cast<size_t>(boat) >= race.BoatName.size())
    return;
  SetFontPoints(p, 9);
  const QColor colour = ToQColor(race.BoatColor[boat]);
  const QString name = DisplayText(race.BoatName[boat]);
  for (const Figure& fig : figures) {
    if (static_cast<size_t>(boat) >= fig.boats.size()) continue;
    const FigurePoint& pt = fig.boats[boat];
    if (pt.centre.y() <= 0) continue;
    Disc(p, pt.centre, 6, Qt::black, colour);
    // The text sits on the boat's colour: white on the page's white would not show.
    TextOut(p, pt.centre.x() + 8, pt.centre.y() - 6, FigurePointText(name, pt.distance, pt.time),
            Qt::white, colour);
  }
}

}  // namespace kw
