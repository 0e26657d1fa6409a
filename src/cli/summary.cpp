#include "cli/summary.h"

#include <QJsonArray>
#include <QTextStream>

#include "analysis/standings.h"
#include "race/datetime.h"
#include "race/text.h"
#include "session/session.h"

namespace kw {

namespace {

QString Dt(double dayCount) {
  return QString::fromStdString(FormatDateTime(dayCount));
}

}  // namespace

QString ReasonText(DroppedBoat::Reason r) {
  switch (r) {
    case DroppedBoat::MissingFile:
      return QStringLiteral("missing file");
    case DroppedBoat::TooFewSamples:
      return QStringLiteral("too few samples");
    case DroppedBoat::Unreadable:
      return QStringLiteral("unreadable");
  }
  return {};
}

namespace {

QString KindText(int kind) {
  return kind == 1 ? QStringLiteral("UP") : kind == 2 ? QStringLiteral("DN") : QStringLiteral("-");
}

QString ClassOf(const RaceData& r, int b) {
  const int c = r.BoatClass[b];
  return c >= 1 && c <= r.ClassCount ? DisplayText(r.ClassName[c]) : QString();
}

QString ColourText(const Rgb& c) {
  return QStringLiteral("#%1%2%3")
      .arg(c.r, 2, 16, QLatin1Char('0'))
      .arg(c.g, 2, 16, QLatin1Char('0'))
      .arg(c.b, 2, 16, QLatin1Char('0'));
}

QJsonObject Sample(const RaceData& r, int b, int i) {
  return {{"t", r.TrackTime[b][i]}, {"lat", r.TrackLat[b][i]}, {"lon", r.TrackLon[b][i]}};
}

bool HasPassing(const RaceSession& s) {
  return s.race.CourseCount >= 1 && s.passing.EntryCount >= s.race.CourseCount;
}

// The race's settings as loaded.
void PutRace(const RaceSession& s, QJsonObject& o) {
  const RaceData& r = s.race;
  o["caption"] = r.RaceCaption;
  o["caption2"] = r.RaceCaption2;
  o["raceFile"] = r.RaceFileName;
  o["startTime"] = Dt(r.StartTime);
  o["finishTime"] = Dt(r.FinishTime);
  o["timeZoneHours"] = r.TimeZoneHours;
  o["clockFirst"] = r.ClockFirst;
  o["clockLast"] = r.ClockLast;
  o["magneticVariation"] = r.MagneticVariation;
  o["windDirection"] = r.WindDirection;
  o["windwardBearing"] = r.WindwardBearing;
  o["cosCentreLat"] = s.view.CosCentreLat;
  o["correctedTimeMode"] = r.CorrectedTimeMode;
}

// The course entries, the legs and the course length.
void PutCourse(const RaceSession& s, QJsonObject& o) {
  const RaceData& r = s.race;
  const PassingResults& p = s.passing;
  const bool passing = HasPassing(s);
  QJsonArray course;
  for (int e = 1; e <= r.CourseCount; ++e) {
    course.append(QJsonObject{{"entry", DisplayText(r.CourseEntry[e - 1])},
                              {"lat", passing ? p.EntryLat[e] : 0.0},
                              {"lon", passing ? p.EntryLon[e] : 0.0}});
  }
  o["course"] = course;
  QJsonArray legs;
  for (int k = 1; passing && k <= r.CourseCount - 1; ++k) {
    legs.append(QJsonObject{{"bearing", p.LegBearing[k]},
                            {"length", p.LegLength[k]},
                            {"kind", KindText(p.LegKind[k])}});
  }
  o["legs"] = legs;
  o["courseLength"] = passing ? p.LegLength[r.CourseCount] : 0.0;
}

QJsonArray DroppedJson(const RaceData& r) {
  QJsonArray dropped;
  for (const DroppedBoat& d : r.DroppedBoats) {
    dropped.append(QJsonObject{{"file", DisplayText(d.file)},
                               {"name", DisplayText(d.name)},
                               {"reason", ReasonText(d.reason)},
                               {"samples", d.samples}});
  }
  return dropped;
}

// Boat b as loaded, and what the mark passing found for it.
QJsonObject BoatJson(const RaceSession& s, int b) {
  const RaceData& r = s.race;
  const PassingResults& p = s.passing;
  const bool passing = HasPassing(s);
  const int n = r.BoatSampleCount[b];
  QJsonObject bo{{"name", DisplayText(r.BoatName[b])},
                 {"file", DisplayText(r.BoatTrackFile[b])},
                 {"class", ClassOf(r, b)},
                 {"factor", r.BoatFactor[b]},
                 {"offset", r.BoatTimeOffset[b]},
                 {"samples", n},
                 {"interval", r.BoatSampleInterval[b]},
                 {"shown", r.BoatShown[b] == 1},
                 {"skipped", r.BoatSkippedRecords[b]},
                 {"colour", ColourText(r.BoatColor[b])},
                 {"length", static_cast<double>(r.BoatLength[b])}};
  if (n >= 1) {
    bo["first"] = Sample(r, b, 1);
    bo["last"] = Sample(r, b, n);
  }
  QJsonArray pass, dist;
  for (int e = 1; e <= r.CourseCount; ++e) {
    if (passing && p.Passed(b, e)) {
      pass.append(p.MarkPassTime[b][e]);
    } else {
      pass.append(QJsonValue::Null);
    }
    dist.append(passing ? p.LegSailedDistance[b][e] : 0.0);
  }
  bo["passing"] = pass;
  bo["legDistance"] = dist;
  bo["finishRank"] = passing ? p.FinishRank[b] : 0;
  bo["upTime"] = passing ? p.UpTime[b] : 0.0;
  bo["downTime"] = passing ? p.DownTime[b] : 0.0;
  bo["upDistance"] = passing ? p.UpDistance[b] : 0.0;
  bo["downDistance"] = passing ? p.DownDistance[b] : 0.0;
  return bo;
}

// The finish displays' order: elapsed or corrected seconds, as the race was loaded.
QJsonObject RankingsJson(const RaceData& r, const PassingResults& p) {
  QJsonArray list;
  for (const StandingRow& row : Standings(r, p)) {
    list.append(QJsonObject{{"rank", row.rank},
                            {"name", DisplayText(r.BoatName[row.boat])},
                            {"file", DisplayText(r.BoatTrackFile[row.boat])},
                            {"gap", row.gap}});
  }
  QJsonArray classes;
  const auto byClass = ClassStandings(r, p);
  for (size_t c = 1; c < byClass.size(); ++c) {
    QJsonArray files;
    for (int b : byClass[c]) files.append(DisplayText(r.BoatTrackFile[b]));
    classes.append(QJsonObject{{"class", DisplayText(r.ClassName[c])}, {"boats", files}});
  }
  return QJsonObject{{"list", list}, {"classes", classes}};
}

QString Num(double v, int decimals) {
  return QString::number(v, 'f', decimals);
}

QString PassingTime(double t) {
  return t >= 999999 ? QStringLiteral("-") : QString::number(t, 'f', 1);
}

void RaceText(const RaceData& r, QTextStream& ts) {
  ts << r.RaceCaption << '\n';
  if (!r.RaceCaption2.isEmpty()) ts << r.RaceCaption2 << '\n';
  ts << "Race file   " << r.RaceFileName << '\n';
  ts << "Start       " << Dt(r.StartTime) << "   Finish " << Dt(r.FinishTime) << "   TD "
     << r.TimeZoneHours << '\n';
  ts << "Clock       " << r.ClockFirst << " .. " << r.ClockLast << " s\n";
  ts << "Wind        " << r.WindDirection << " deg, variation " << r.MagneticVariation
     << ", windward " << r.WindwardBearing << " deg true\n\n";
}

void BoatsText(const RaceData& r, QTextStream& ts) {
  ts << "Boats (" << r.BoatCount << ")\n";
  for (int b = 1; b <= r.BoatCount; ++b) {
    ts << QStringLiteral("%1 %2  %3  class %4  factor %5  offset %6 s  %7 samples @ %8 s  %9  %10")
              .arg(b, 3)
              .arg(DisplayText(r.BoatName[b]), -16)
              .arg(DisplayText(r.BoatTrackFile[b]), -14)
              .arg(ClassOf(r, b).isEmpty() ? QStringLiteral("-") : ClassOf(r, b), -10)
              .arg(Num(r.BoatFactor[b], 3))
              .arg(r.BoatTimeOffset[b])
              .arg(r.BoatSampleCount[b])
              .arg(r.BoatSampleInterval[b])
              .arg(r.BoatShown[b] ? QStringLiteral("shown") : QStringLiteral("hidden"))
              .arg(ColourText(r.BoatColor[b]));
    if (r.BoatSkippedRecords[b] > 0) ts << "  skipped " << r.BoatSkippedRecords[b];
    ts << '\n';
  }
  if (!r.DroppedBoats.empty()) {
    ts << "\nDropped\n";
    for (const DroppedBoat& d : r.DroppedBoats)
      ts << "    " << DisplayText(d.name) << "  " << DisplayText(d.file) << "  "
         << ReasonText(d.reason) << '\n';
  }
}

void CourseText(const RaceSession& s, QTextStream& ts) {
  const RaceData& r = s.race;
  const PassingResults& p = s.passing;
  const bool passing = HasPassing(s);
  ts << "\nCourse\n";
  for (int e = 1; e <= r.CourseCount; ++e) {
    ts << QStringLiteral("%1 %2  %3 %4")
              .arg(e, 3)
              .arg(DisplayText(r.CourseEntry[e - 1]), -5)
              .arg(Num(passing ? p.EntryLat[e] : 0, 4))
              .arg(Num(passing ? p.EntryLon[e] : 0, 4));
    if (passing && e < r.CourseCount) {
      ts << QStringLiteral("   leg %1: %2 deg  %3 m  %4")
                .arg(e)
                .arg(Num(p.LegBearing[e], 1))
                .arg(Num(p.LegLength[e], 0))
                .arg(KindText(p.LegKind[e]));
    }
    ts << '\n';
  }
}

void PassingText(const RaceData& r, const PassingResults& p, QTextStream& ts) {
  ts << "\nPassing times (s from the gun), rank, sailed distance per leg (m)\n";
  for (int b = 1; b <= r.BoatCount; ++b) {
    QStringList times, dists;
    for (int e = 1; e <= r.CourseCount; ++e) {
      times << PassingTime(p.MarkPassTime[b][e]);
      dists << Num(p.LegSailedDistance[b][e], 0);
    }
    ts << QStringLiteral("%1 %2  %3  rank %4\n      dist %5  up %6 s %7 nm  down %8 s %9 nm\n")
              .arg(b, 3)
              .arg(DisplayText(r.BoatName[b]), -16)
              .arg(times.join(QStringLiteral("  ")))
              .arg(p.FinishRank[b])
              .arg(dists.join(QStringLiteral("  ")))
              .arg(Num(p.UpTime[b], 0))
              .arg(Num(p.UpDistance[b], 3))
              .arg(Num(p.DownTime[b], 0))
              .arg(Num(p.DownDistance[b], 3));
  }
}

void RankingText(const RaceData& r, const PassingResults& p, QTextStream& ts) {
  const std::vector<StandingRow> rows = Standings(r, p);
  if (rows.empty()) return;
  ts << "\nRanking" << (r.CorrectedTimeMode > 0 ? " (corrected time)" : "") << '\n';
  for (const StandingRow& row : rows)
    ts << QStringLiteral("%1  %2  (+%3sec)\n")
              .arg(row.rank, 3)
              .arg(DisplayText(r.BoatName[row.boat]), -16)
              .arg(row.gap);
  const auto byClass = ClassStandings(r, p);
  for (size_t c = 1; c < byClass.size(); ++c) {
    QStringList names;
    for (int b : byClass[c]) names << DisplayText(r.BoatName[b]);
    ts << "    " << DisplayText(r.ClassName[c]) << " class: " << names.join(QStringLiteral(", "))
       << '\n';
  }
}

}  // namespace

QJsonObject SummaryJson(const RaceSession& s) {
  const RaceData& r = s.race;
  QJsonObject o;
  PutRace(s, o);
  PutCourse(s, o);
  o["dropped"] = DroppedJson(r);
  QJsonArray boats;
  for (int b = 1; b <= r.BoatCount; ++b) boats.append(BoatJson(s, b));
  o["boats"] = boats;
  o["rankings"] = RankingsJson(r, s.passing);
  return o;
}

QString SummaryText(const RaceSession& s) {
  QString out;
  QTextStream ts(&out);
  RaceText(s.race, ts);
  BoatsText(s.race, ts);
  CourseText(s, ts);
  if (HasPassing(s)) PassingText(s.race, s.passing, ts);
  RankingText(s.race, s.passing, ts);
  return out;
}

}  // namespace kw
