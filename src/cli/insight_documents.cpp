#include "cli/insight_documents.h"

#include <QJsonArray>
#include <QTextStream>

#include <cmath>

#include "output/insight_tables.h"
#include "race/numbers.h"
#include "race/text.h"
#include "session/session.h"
#include "view/insight_overlays.h"

namespace kw {

namespace {

double Rounded(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return RoundHalfEven(v * scale) / scale;
}

QString Fixed(double v, int decimals) {
  return QString::number(Rounded(v, decimals), 'f', decimals);
}

QString Signed(double v, int decimals) {
  return (Rounded(v, decimals) > 0 ? QStringLiteral("+") : QString()) + Fixed(v, decimals);
}

QJsonObject ManoeuvreJson(const Manoeuvre& x) {
  return {{"t", Rounded(x.t, 1)},
          {"kind", ManoeuvreKindName(x.kind)},
          {"lat", Rounded(x.lat / 60, 6)},
          {"lon", Rounded(x.lon / 60, 6)},
          {"durationSeconds", Rounded(x.end - x.start, 1)},
          {"speedIn", Rounded(x.speedIn, 2)},
          {"speedMin", Rounded(x.speedMin, 2)},
          {"speedOut", Rounded(x.speedOut, 2)},
          {"lossMetres", Rounded(x.lossMetres, 1)}};
}

QJsonObject LegJson(const RaceData& r, const LegFigures& f) {
  return {{"leg", f.leg},
          {"from", DisplayText(r.CourseEntry[f.leg - 1])},
          {"to", DisplayText(r.CourseEntry[f.leg])},
          {"kind", LegKindText(f.kind)},
          {"seconds", Rounded(f.seconds, 1)},
          {"sailedMetres", Rounded(f.sailedMetres, 0)},
          {"lengthMetres", Rounded(f.lengthMetres, 0)},
          {"vmgKnots", Rounded(f.madeGoodKnots, 2)},
          {"portSeconds", Rounded(f.portSeconds, 0)},
          {"starboardSeconds", Rounded(f.starboardSeconds, 0)},
          {"portMetres", Rounded(f.portMetres, 0)},
          {"starboardMetres", Rounded(f.starboardMetres, 0)},
          {"tacks", f.tacks},
          {"gybes", f.gybes},
          {"meanLossMetres", Rounded(f.meanLossMetres, 1)}};
}

void LegLine(QTextStream& ts, const RaceData& r, const LegFigures& f) {
  ts << "  leg " << f.leg << ' ' << DisplayText(r.CourseEntry[f.leg - 1]) << "->"
     << DisplayText(r.CourseEntry[f.leg]) << ' ' << LegKindText(f.kind) << "  "
     << Fixed(f.seconds, 0) << " s  sailed " << Fixed(f.sailedMetres, 0) << " m of "
     << Fixed(f.lengthMetres, 0) << " m  VMG " << Fixed(f.madeGoodKnots, 2) << " kn  port "
     << Fixed(f.portSeconds, 0) << " s / starboard " << Fixed(f.starboardSeconds, 0) << " s  tacks "
     << f.tacks << "  gybes " << f.gybes << "  mean loss " << Fixed(f.meanLossMetres, 1) << " m\n";
}

}  // namespace

QJsonObject WindEstimateJson(const RaceSession& s, const RaceInsight& in) {
  const WindEstimate& e = in.estimate;
  QJsonObject o{{"raceFile", s.race.RaceFileName},
                {"enough", e.enough},
                {"why", QString::fromStdString(e.why)},
                {"turnsUsed", e.turnsUsed},
                {"boatsUsed", e.boatsUsed},
                {"convention", "as the race file's WD: true minus round(MG)"}};
  o["meanDirection"] = e.enough ? QJsonValue(Rounded(e.meanDirection, 1)) : QJsonValue();
  QJsonArray series;
  for (const WindEstimatePoint& p : e.series)
    series.append(QJsonObject{{"t", Rounded(p.t, 0)},
                              {"direction", Rounded(p.direction, 1)},
                              {"confidence", Rounded(p.confidence, 2)}});
  o["series"] = series;
  o["windFile"] = s.race.WindFileName.empty()
                      ? QJsonValue()
                      : QJsonValue(QString::fromStdString(s.race.WindFileName));
  if (e.compared) {
    o["meanDifference"] = Rounded(e.meanDifference, 2);
    o["rmsDifference"] = Rounded(e.rmsDifference, 2);
  }
  return o;
}

QString WindEstimateText(const RaceSession& s, const RaceInsight& in) {
  const WindEstimate& e = in.estimate;
  QString text;
  QTextStream ts(&text);
  ts << s.race.RaceCaption << "  (" << s.race.RaceFileName << ")\n";
  if (!e.enough) {
    ts << "no wind estimate: " << QString::fromStdString(e.why) << '\n';
    return text;
  }
  ts << "wind estimated from " << e.turnsUsed << " tacks and gybes of " << e.boatsUsed
     << " boats\nmean direction " << Fixed(e.meanDirection, 1)
     << " (as the race file's WD: true minus round(MG))\n";
  if (e.compared)
    ts << "against wind file " << QString::fromStdString(s.race.WindFileName)
       << ": mean difference " << Signed(e.meanDifference, 1) << ", RMS "
       << Fixed(e.rmsDifference, 1) << '\n';
  ts << "\n     time  direction  confidence\n";
  for (const WindEstimatePoint& p : e.series)
    ts << QStringLiteral("%1  %2  %3\n")
              .arg(SignedClockText(p.t), 9)
              .arg(Fixed(p.direction, 1), 9)
              .arg(Fixed(p.confidence, 2), 10);
  return text;
}

QJsonObject ManoeuvresJson(const RaceSession& s, const RaceInsight& in) {
  const RaceData& r = s.race;
  QJsonArray boats;
  for (size_t b = 1; b < in.manoeuvres.size(); ++b) {
    const BoatManoeuvres& bm = in.manoeuvres[b];
    QJsonArray list, legs;
    for (const Manoeuvre& x : bm.list) list.append(ManoeuvreJson(x));
    for (const LegFigures& f : bm.legs) legs.append(LegJson(r, f));
    boats.append(QJsonObject{{"file", DisplayText(r.BoatTrackFile[b])},
                             {"name", DisplayText(r.BoatName[b])},
                             {"manoeuvres", list},
                             {"legs", legs}});
  }
  const QJsonObject wind{{"source", WindSourceKey(in.wind)},
                         {"text", QString::fromStdString(WindSourceText(r, in.wind))}};
  return {{"raceFile", r.RaceFileName}, {"wind", wind}, {"boats", boats}};
}

QString ManoeuvresText(const RaceSession& s, const RaceInsight& in) {
  const RaceData& r = s.race;
  QString text;
  QTextStream ts(&text);
  ts << r.RaceCaption << "  (" << r.RaceFileName
     << ")\nwind: " << QString::fromStdString(WindSourceText(r, in.wind)) << '\n';
  for (size_t b = 1; b < in.manoeuvres.size(); ++b) {
    const BoatManoeuvres& bm = in.manoeuvres[b];
    ts << '\n' << DisplayText(r.BoatName[b]) << "  " << DisplayText(r.BoatTrackFile[b]) << '\n';
    for (const Manoeuvre& x : bm.list)
      ts << QStringLiteral("  %1  %2 %3 s  %4 -> %5 -> %6 kn  lost %7 m\n")
                .arg(SignedClockText(x.t), 9)
                .arg(QString::fromLatin1(ManoeuvreKindName(x.kind)), -9)
                .arg(Fixed(x.end - x.start, 1), 5)
                .arg(Fixed(x.speedIn, 2))
                .arg(Fixed(x.speedMin, 2))
                .arg(Fixed(x.speedOut, 2))
                .arg(Fixed(x.lossMetres, 1));
    for (const LegFigures& f : bm.legs) LegLine(ts, r, f);
  }
  return text;
}

}  // namespace kw
