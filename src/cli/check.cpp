#include "cli/check.h"

#include <QJsonArray>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/summary.h"
#include "race/datetime.h"
#include "race/text.h"
#include "session/session.h"

namespace kw {

namespace {

// Seconds from the gun as "+h:mm:ss" (and the plain seconds), as race officers read the replay.
QString RaceTime(double seconds) {
  const long long s = static_cast<long long>(std::llround(std::fabs(seconds)));
  return QStringLiteral("%1%2:%3:%4")
      .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
      .arg(s / 3600)
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

long long FinishSeconds(const RaceData& r) {
  return SecondsBetween(r.StartTime, r.FinishTime);
}

struct ReasonField {
  const char* key;
  const char* text;
  int SkipReasons::*count;
};

constexpr ReasonField kReasons[] = {
    {"badChecksum", "bad checksum", &SkipReasons::badChecksum},
    {"statusVoid", "status V", &SkipReasons::statusVoid},
    {"emptyPosition", "empty position", &SkipReasons::emptyPosition},
    {"notConverted", "fields that do not convert", &SkipReasons::notConverted},
    {"outsideWindow", "outside the storing window", &SkipReasons::outsideWindow},
    {"truncated", "glued or truncated", &SkipReasons::truncated},
    {"noTime", "no time", &SkipReasons::noTime},
};

// Fixes before the storing window are ordinary (loggers run before the warning signal), so
// they do not make a boat look worse.
int FaultCount(const BoatCheck& b) {
  const TrackQuality& q = b.quality;
  return b.why.Total() - b.why.outsideWindow + q.gaps + q.backwardSteps + q.repeatedTimes +
         q.jumps + (b.hasFinishLine && !b.finished ? 1 : 0);
}

}  // namespace

long long CheckSeverity(const BoatCheck& b) {
  const bool lost = b.dropped || !b.error.isEmpty() || !b.readDone;
  return (lost ? 1LL << 40 : 0) + FaultCount(b);
}

bool CheckHooks::TrackProgress(int, int n, const QString& text) {
  report_.boatsToRead = n;
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  return true;
}

void CheckHooks::TrackRead(int i, int row, const LoadTrackResult& t, const DroppedBoat* dropped) {
  const RaceData& r = race_;
  BoatCheck b;
  b.boatNumber = i;
  b.row = row;
  b.name = r.BoatName[row];
  b.file = r.BoatTrackFile[row];
  b.readDone = t.fileFound;
  b.recordsRead = t.recordsRead;
  b.kept = r.BoatSampleCount[row];
  b.why = t.why;
  if (t.quality) b.quality = *t.quality;
  b.clockCorrection = r.BoatTimeOffset[row];
  b.handicap = r.BoatFactor[row];
  // The rule ApplyCorrectedTime follows.
  b.correctedTime = r.CorrectedTimeMode > 0 && b.kept > 100 && b.handicap > 0;
  b.anyFix = t.anyFix;
  b.firstFix = t.firstFix;
  b.lastFix = t.lastFix;
  if (dropped) {
    b.dropped = true;
    b.droppedReason = ReasonText(dropped->reason);
  }
  if (!t.ok) b.error = t.error.Text();
  report_.boats.push_back(b);
}

void FinishCheck(CheckReport& report, const RaceSession& s, const LoadOutcome& outcome) {
  const RaceData& r = s.race;
  // Rows of kept boats are final once every track is read.
  const PassingResults& p = s.passing;
  const int finish = r.CourseCount;
  if (outcome.status == LoadOutcome::Loaded && finish > 1 && p.EntryCount >= finish) {
    for (BoatCheck& b : report.boats) {
      if (b.dropped || b.row < 1 || b.row > r.BoatCount) continue;
      b.hasFinishLine = true;
      b.finished = p.Passed(b.row, finish);
      if (b.finished) b.finishPassed = p.MarkPassTime[b.row][finish];
    }
  }
  // A failure no boat carries: the wind file, or the coastline after every track was read.
  const bool onABoat = std::any_of(report.boats.begin(), report.boats.end(),
                                   [](const BoatCheck& b) { return !b.error.isEmpty(); });
  if (outcome.status == LoadOutcome::ConversionError && !onABoat)
    report.raceError = outcome.error.Text();
  // Rows after a track that stopped the load were never moved: boat k is still in row k.
  const int readUpTo = report.boats.empty() ? 0 : report.boats.back().boatNumber;
  for (int k = readUpTo + 1; k <= report.boatsToRead; ++k) {
    BoatCheck b;
    b.boatNumber = k;
    b.name = r.BoatName[k];
    b.file = r.BoatTrackFile[k];
    b.error = QStringLiteral("not read: the load stopped at an earlier boat");
    report.boats.push_back(b);
  }
  // The race file's missing files come first in DroppedBoats: they were found before loading.
  int droppedWhileLoading = 0;
  for (const BoatCheck& b : report.boats) droppedWhileLoading += b.dropped ? 1 : 0;
  const int missing = static_cast<int>(r.DroppedBoats.size()) - droppedWhileLoading;
  for (int k = 0; k < missing; ++k) {
    BoatCheck b;
    b.name = r.DroppedBoats[k].name;
    b.file = r.DroppedBoats[k].file;
    b.dropped = true;
    b.droppedReason = ReasonText(r.DroppedBoats[k].reason);
    report.boats.push_back(b);
  }
}

QString CheckText(const CheckReport& report, const RaceSession& s) {
  const RaceData& r = s.race;
  QString out;
  QTextStream ts(&out);
  ts << r.RaceCaption << "  (" << r.RaceFileName << ")\n";
  ts << "race window: opens " << RaceTime(-r.PreStartSeconds) << ", gun "
     << QString::fromStdString(FormatDateTime(r.StartTime)) << ", finish "
     << RaceTime(static_cast<double>(FinishSeconds(r))) << '\n';
  if (!report.raceError.isEmpty()) ts << "not loaded: " << report.raceError << '\n';
  std::vector<const BoatCheck*> order;
  for (const BoatCheck& b : report.boats) order.push_back(&b);
  std::stable_sort(order.begin(), order.end(), [](const BoatCheck* a, const BoatCheck* b) {
    return CheckSeverity(*a) > CheckSeverity(*b);
  });
  for (const BoatCheck* p : order) {
    const BoatCheck& b = *p;
    const TrackQuality& q = b.quality;
    ts << '\n' << DisplayText(b.name) << "  " << DisplayText(b.file);
    if (b.dropped) ts << "  DROPPED: " << b.droppedReason;
    ts << '\n';
    if (!b.error.isEmpty()) ts << "  " << b.error << '\n';
    if (!b.readDone) continue;
    ts << "  samples: " << b.recordsRead << " read, " << b.kept << " kept";
    QStringList reasons;
    for (const ReasonField& f : kReasons) {
      if (b.why.*f.count > 0) reasons << QStringLiteral("%1 %2").arg(f.text).arg(b.why.*f.count);
    }
    if (!reasons.isEmpty()) ts << ", " << b.why.Total() << " skipped: " << reasons.join(", ");
    ts << '\n';
    if (b.anyFix) {
      ts << "  fixes: first " << RaceTime(static_cast<double>(b.firstFix)) << ", last "
         << RaceTime(static_cast<double>(b.lastFix));
      if (b.firstFix > 0) ts << "  (starts after the gun)";
      ts << '\n';
    }
    if (b.hasFinishLine) {
      if (b.finished)
        ts << "  finish passed at " << RaceTime(b.finishPassed) << '\n';
      else
        ts << "  no finish passing found\n";
    }
    if (q.gaps > 0) {
      ts << "  gaps over " << kGapSeconds << " s: " << q.gaps << ", longest " << q.longestGap
         << " s at " << RaceTime(q.longestGapAt) << '\n';
    }
    if (q.backwardSteps > 0 || q.repeatedTimes > 0) {
      ts << "  time steps backwards: " << q.backwardSteps << ", repeated times: " << q.repeatedTimes
         << '\n';
    }
    if (q.jumps > 0) {
      ts << "  jumps over " << kJumpKnots << " kn: " << q.jumps << ", fastest "
         << QString::number(q.fastestJumpKnots, 'f', 1) << " kn at " << RaceTime(q.fastestJumpAt)
         << '\n';
    }
    ts << "  clock correction: " << (b.clockCorrection > 0 ? "+" : "") << b.clockCorrection << " s";
    if (b.handicap > 0) {
      ts << "; handicap " << b.handicap
         << (b.correctedTime ? " (corrected time applied)" : " (not applied)");
    }
    ts << '\n';
  }
  return out;
}

QJsonObject CheckJson(const CheckReport& report, const RaceSession& s) {
  const RaceData& r = s.race;
  QJsonObject o;
  o["caption"] = r.RaceCaption;
  o["raceFile"] = r.RaceFileName;
  o["raceError"] = report.raceError;
  o["startTime"] = QString::fromStdString(FormatDateTime(r.StartTime));
  o["windowOpens"] = -r.PreStartSeconds;
  o["finish"] = static_cast<double>(FinishSeconds(r));
  o["gapSeconds"] = kGapSeconds;
  o["jumpKnots"] = kJumpKnots;
  QJsonArray boats;
  for (const BoatCheck& b : report.boats) {
    const TrackQuality& q = b.quality;
    QJsonObject skipped;
    for (const ReasonField& f : kReasons) skipped[f.key] = b.why.*f.count;
    QJsonObject j;
    j["name"] = DisplayText(b.name);
    j["file"] = DisplayText(b.file);
    j["read"] = b.readDone;
    j["samplesRead"] = b.recordsRead;
    j["samplesKept"] = b.kept;
    j["skipped"] = skipped;
    j["gaps"] = QJsonObject{{"count", q.gaps}, {"longest", q.longestGap}, {"at", q.longestGapAt}};
    j["backwardSteps"] = q.backwardSteps;
    j["repeatedTimes"] = q.repeatedTimes;
    j["jumps"] = QJsonObject{
        {"count", q.jumps}, {"fastestKnots", q.fastestJumpKnots}, {"at", q.fastestJumpAt}};
    j["clockCorrection"] = b.clockCorrection;
    j["handicap"] = b.handicap;
    j["correctedTime"] = b.correctedTime;
    j["firstFix"] = b.anyFix ? QJsonValue(static_cast<double>(b.firstFix)) : QJsonValue();
    j["lastFix"] = b.anyFix ? QJsonValue(static_cast<double>(b.lastFix)) : QJsonValue();
    j["finishPassed"] = b.finished ? QJsonValue(b.finishPassed) : QJsonValue();
    j["dropped"] = b.dropped;
    j["droppedReason"] = b.droppedReason;
    j["error"] = b.error;
    boats.append(j);
  }
  o["boats"] = boats;
  return o;
}

}  // namespace kw
