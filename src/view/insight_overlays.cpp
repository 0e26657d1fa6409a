#include "view/insight_overlays.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>

#include "analysis/wind_estimate.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/text.h"
#include "view/geometry.h"
#include "view/language_texts.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/view_state.h"

namespace kw {

namespace {

constexpr int kMarkSize = 5;       // pixels from the middle to a corner
constexpr double kValueGap = 150;  // s between two values that the trace does not bridge
const QColor kEstimate(200, 0, 0);

bool Ticked(const RaceData& race, int b) {
  return static_cast<size_t>(b) < race.BoatShown.size() && race.BoatShown[b] == 1;
}

QPolygon Symbol(ManoeuvreKind kind, QPoint c) {
  const int s = kMarkSize;
  switch (kind) {
    case ManoeuvreKind::Tack:
      return QPolygon({c + QPoint(0, -s), c + QPoint(s, s - 1), c + QPoint(-s, s - 1)});
    case ManoeuvreKind::Gybe:
      return QPolygon({c + QPoint(0, s), c + QPoint(s, 1 - s), c + QPoint(-s, 1 - s)});
    case ManoeuvreKind::Rounding:
      return QPolygon({c + QPoint(0, -s), c + QPoint(s, 0), c + QPoint(0, s), c + QPoint(-s, 0)});
    case ManoeuvreKind::Penalty:
      break;
  }
  return {};
}

QString EstimateLabel(const WindEstimate& e, int language) {
  if (IsJapanese(language))
    return e.enough ? QStringLiteral("- - - 推定風向（各艇のタック・ジャイブから）")
                    : QStringLiteral("風向を推定できません（タック・ジャイブが足りません）");
  return e.enough ? QStringLiteral("- - - Estimated wind (from the boats' tacks and gybes)")
                  : QStringLiteral("No wind estimate: too few tacks or gybes");
}

}  // namespace

std::vector<ManoeuvreMark> ManoeuvreMarks(const RaceData& race, const ViewState& v,
                                          const std::vector<BoatManoeuvres>& boats, double clock) {
  std::vector<ManoeuvreMark> marks;
  const bool still = v.TraceMode == 0;
  const ScreenProjector project(race, v);
  for (int b = 1; b <= race.BoatCount && static_cast<size_t>(b) < boats.size(); ++b) {
    if (!Ticked(race, b)) continue;
    const std::vector<Manoeuvre>& list = boats[b].list;
    for (size_t k = 0; k < list.size(); ++k) {
      if (!still && list[k].t > clock) break;
      const QPoint at = Rounded(project(list[k].lat, list[k].lon));
      if (at.x() < 0 || at.y() < 0 || at.x() >= v.MapWidth || at.y() >= v.MapHeight) continue;
      marks.push_back({b, k, at});
    }
  }
  return marks;
}

void DrawManoeuvreMarks(QPainter& p, const RaceData& race, const std::vector<BoatManoeuvres>& boats,
                        const std::vector<ManoeuvreMark>& marks) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  for (const ManoeuvreMark& m : marks) {
    const Manoeuvre& x = boats[m.boat].list[m.index];
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(ToQColor(race.BoatColor[m.boat]));
    if (x.kind == ManoeuvreKind::Penalty) {
      p.drawEllipse(m.at, kMarkSize, kMarkSize);
      p.drawLine(m.at + QPoint(-3, -3), m.at + QPoint(3, 3));
      p.drawLine(m.at + QPoint(-3, 3), m.at + QPoint(3, -3));
    } else {
      p.drawPolygon(Symbol(x.kind, m.at));
    }
  }
  p.restore();
}

void DrawManoeuvresOnFrame(SceneParts s, const RenderState& rs, QPainter& p, double t) {
  if (!rs.Manoeuvres || rs.Manoeuvres->empty()) return;
  DrawManoeuvreMarks(p, s.race, *rs.Manoeuvres, ManoeuvreMarks(s.race, s.view, *rs.Manoeuvres, t));
}

const ManoeuvreMark* MarkUnder(const std::vector<ManoeuvreMark>& marks, QPoint pointer,
                               int radius) {
  const ManoeuvreMark* best = nullptr;
  int bestDistance = radius * radius + 1;
  for (const ManoeuvreMark& m : marks) {
    const QPoint d = m.at - pointer;
    const int distance = d.x() * d.x() + d.y() * d.y();
    if (distance < bestDistance) best = &m, bestDistance = distance;
  }
  return best;
}

QString ManoeuvreKindText(ManoeuvreKind kind, int language) {
  const bool ja = IsJapanese(language);
  switch (kind) {
    case ManoeuvreKind::Tack:
      return ja ? QStringLiteral("タック") : QStringLiteral("Tack");
    case ManoeuvreKind::Gybe:
      return ja ? QStringLiteral("ジャイブ") : QStringLiteral("Gybe");
    case ManoeuvreKind::Rounding:
      return ja ? QStringLiteral("マーク回航") : QStringLiteral("Mark rounding");
    case ManoeuvreKind::Penalty:
      break;
  }
  return ja ? QStringLiteral("ペナルティターン") : QStringLiteral("Penalty turn");
}

QString ManoeuvreTipText(const RaceData& race, int boat, const Manoeuvre& m, int language) {
  const QString lost = QString::number(RoundHalfEven(m.lossMetres * 10) / 10, 'f', 1);
  const QString seconds = QString::number(RoundHalfEven((m.end - m.start) * 10) / 10, 'f', 1);
  const QString head = DisplayText(race.BoatName[boat]) + QStringLiteral("\n") +
                       ManoeuvreKindText(m.kind, language) + QStringLiteral("  ") +
                       SignedClockText(m.t);
  if (IsJapanese(language)) return head + QStringLiteral("\n損失 %1 m（%2 秒）").arg(lost, seconds);
  return head + QStringLiteral("\nlost %1 m (%2 s)").arg(lost, seconds);
}

void DrawEstimatedWind(QImage& graph, const RaceData& race, const GraphGeometry& g,
                       const WindEstimate& estimate, int language) {
  QPainter p(&graph);
  p.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(kEstimate, 2, Qt::DashLine);
  p.setPen(pen);
  QPolygon run;
  double lastT = 0;
  auto flush = [&] {
    if (run.size() > 1) p.drawPolyline(run);
    run.clear();
  };
  for (const WindEstimatePoint& v : estimate.series) {
    if (v.t < race.ClockFirst || v.t > race.ClockLast) continue;
    const QPoint at(g.DirectionX(v.direction - race.WindwardBearing + 90.0), g.TimeY(v.t));
    // A gap in time, or the trace leaving one side of the plot for the other: a new stroke.
    if (!run.isEmpty() && (v.t - lastT > kValueGap || std::abs(at.x() - run.last().x()) > g.W1 / 2))
      flush();
    run << at;
    lastT = v.t;
  }
  flush();
  SetFontPoints(p, 9);
  TextOut(p, g.x0 + 4, g.y0 + 4, EstimateLabel(estimate, language), kEstimate,
          QColor(225, 225, 255));
}

QString SignedClockText(double seconds) {
  const long long n = std::llabs(static_cast<long long>(RoundHalfEven(seconds)));
  return QStringLiteral("%1%2:%3:%4")
      .arg(seconds < 0 && n > 0 ? '-' : '+')
      .arg(n / 3600)
      .arg(n / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(n % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace kw
