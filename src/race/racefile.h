// The race file: a plain-text list of KEYWORD,value,... lines describing one race.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "race/errors.h"

namespace kw {

struct RaceData;

struct RaceFileResult {
  bool ok = true;
  ReadError error;      // when !ok: reading stopped at this line
  CapacityNotes notes;  // lines or values ignored because a table was full
};

// Resets the tables, reads every line of `path` and derives the values that follow from them.
// A missing file reads nothing (the tables stay as reset). `modeChosenByUser` keeps the
// ET/CT buttons as the user set them.
RaceFileResult ReadRaceFile(RaceData& race, const QString& path, bool modeChosenByUser = false);

// Rewrites RaceFilePath: every line but MK, LN, WF, CRS and WD kept byte for byte, then WF, WD,
// MK, LN and CRS from the tables, each followed by what its table had no room for, as read. The
// WF line is written from memory only when a wind series is in memory; else the file's own WF
// line stays as it is. Written to a temporary file and renamed over the old one.
WriteResult WriteRaceFile(const RaceData& race);

// The WD, MK, LN and CRS lines the rewrite writes, each ended by `eol`.
std::string CourseBlock(const RaceData& race, std::string_view eol);

// ScrollBar1 position of a replay speed (single precision, not rounded).
float SpeedToPosition(float v);

}  // namespace kw
