// Saving the course into the race file: the file as it was before the first rewrite of a
// program run is kept beside it (<name>.bak), so that a wrong course saved can be taken back.
#pragma once

#include <QString>
#include <QStringList>

#include "race/errors.h"

namespace kw {

struct RaceData;

// Before the first rewrite of `path` in a run (not yet in `backedUp`): its bytes are kept in
// path + ".bak" and the path is added. A missing file needs no backup. The message of a
// failure names the file.
WriteResult KeepBackupOnce(const QString& path, QStringList& backedUp);

// True when the course in memory (WD, MK, LN, CRS) differs from what the race file gave.
bool CourseChanged(const RaceData& race);

// Rewrites RaceFilePath (WriteRaceFile). Before the first rewrite of a file named in
// `backedUp`, the file's bytes go to the same path + ".bak" and the path is added; when that
// backup cannot be written, the race file is left alone. On success the course in memory
// counts as the file's. The message of a failure names the file.
WriteResult SaveRaceFile(RaceData& race, QStringList& backedUp);

}  // namespace kw
