#include "output/keep_wind.h"

#include <QDir>
#include <QFileInfo>

#include "analysis/wind_estimate.h"
#include "output/insight_tables.h"
#include "race/model.h"
#include "race/racefile_save.h"
#include "race/wind.h"

namespace kw {

namespace {

struct WindSeries {
  int count = 0;
  std::vector<double> time, speed;
  std::vector<int> dir;
  double speedMax = 0;
  std::string fileName;
};

WindSeries SeriesOf(const RaceData& r) {
  return {r.WindCount, r.WindTime, r.WindSpeed, r.WindDir, r.WindSpeedMax, r.WindFileName};
}

void Restore(RaceData& r, const WindSeries& w) {
  r.WindCount = w.count;
  r.WindTime = w.time;
  r.WindSpeed = w.speed;
  r.WindDir = w.dir;
  r.WindSpeedMax = w.speedMax;
  r.WindFileName = w.fileName;
}

}  // namespace

KeptWind KeepEstimatedWind(RaceData& race, const WindEstimate& estimate, QStringList& backedUp) {
  KeptWind k;
  if (!estimate.enough || estimate.series.empty()) {
    k.message = QStringLiteral("no wind file written: the estimate has too little to go on (%1)")
                    .arg(QString::fromStdString(estimate.why));
    return k;
  }
  const QString folder = race.ProgramFolder + QStringLiteral("winddat");
  const QString name = QString::fromStdString(WindFileNameFor(race.RaceFileName));
  k.path = folder + QLatin1Char('/') + name;
  QDir().mkpath(folder);
  const bool existed = QFileInfo(k.path).isFile();
  const WriteResult backup = KeepBackupOnce(k.path, backedUp);
  if (!backup.ok) {
    k.message = backup.message;
    return k;
  }
  if (existed)
    k.notices
        << QStringLiteral("replaced %1; the file as it was is kept as %2.bak").arg(k.path, name);
  const WindSeries before = SeriesOf(race);
  TakeEstimateAsWindSeries(estimate, race);
  const WriteResult wind = WriteWindFile(race);
  if (!wind.ok) {
    Restore(race, before);
    k.message = QStringLiteral("the wind file was not written: %1").arg(wind.message);
    return k;
  }
  if (!before.fileName.empty() && before.fileName != race.WindFileName)
    k.notices << QStringLiteral("the race file named the wind file %1; it now names %2")
                     .arg(QString::fromStdString(before.fileName), name);
  const WriteResult rf = SaveRaceFile(race, backedUp);
  if (!rf.ok) {
    k.message = QStringLiteral("%1 was written, but the race file does not name it: %2")
                    .arg(k.path, rf.message);
    return k;
  }
  k.ok = true;
  return k;
}

}  // namespace kw
