// The wind series of a race: a comma-separated file in winddat/ named by the race file's WF line.
// Line 1 is a header; every further line is "date-time, TWS, TWD" in the race's local time.
#pragma once

#include <QString>

#include "race/errors.h"

namespace kw {

struct RaceData;

struct WindReadResult {
  bool ok = true;
  ReadError error;  // when !ok: reading stopped at this line; the samples before it stay
};

// Fills WindTime/WindSpeed/WindDir (1..WindCount, seconds from StartTime) and WindSpeedMax from
// ProgramFolder + "winddat/" + WindFileName (name matched ignoring case). A missing file clears
// WindFileName and reads nothing. Blank lines carry no sample and are skipped.
WindReadResult ReadWindFile(RaceData& race);

// The name a saved wind series gets: RaceFileName up to its first "." + "_wind.csv".
std::string WindFileNameFor(const QString& raceFileName);

// Sorts the samples by time (speed and direction move with their time) and writes them to
// winddat/ under WindFileNameFor(RaceFileName): header "DATE TIME, TWS,TWD", then per sample
// "yyyy/MM/dd HH:mm:ss,0,direction". The folder must exist. Written to a temporary file and
// renamed over an old one; WindFileName is set only when the file was written.
WriteResult WriteWindFile(RaceData& race);

}  // namespace kw
