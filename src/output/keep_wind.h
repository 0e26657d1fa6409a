// Keeping the wind estimated from the fleet as the race's wind file: written to winddat/ as the
// hand-made wind series are (<race>_wind.csv), named on the race file's WF line. A wind file of
// that name is replaced only with its old bytes kept beside it (.bak), and the race file gets
// its backup before the run's first rewrite, as every rewrite of it does.
#pragma once

#include <QString>
#include <QStringList>

namespace kw {

struct RaceData;
struct WindEstimate;

struct KeptWind {
  bool ok = false;
  QString message;      // on failure: why, and what stayed as it was
  QString path;         // the wind file written
  QStringList notices;  // what was replaced or renamed, to be said
};

// Writes the estimate's series (whole degrees, speed 0) and rewrites the race file to name it.
// `backedUp` lists the files this run has backed up already. On failure nothing is lost: the
// estimate without a value writes nothing, a wind file that cannot be written leaves the race's
// wind series in memory as it was, and a race file that cannot be rewritten is said to be so.
KeptWind KeepEstimatedWind(RaceData& race, const WindEstimate& estimate, QStringList& backedUp);

}  // namespace kw
