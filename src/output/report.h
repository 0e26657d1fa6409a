// The sailing performance report: the results of the loaded race as comma-separated tables for a
// spreadsheet (leg times, positions, course, sailed distances, speeds, upwind/downwind summary
// and the differences from the best boat). Computed on demand from the race data and the passing
// results of the load; nothing of it is stored.
#pragma once

#include <QString>

#include <string>

#include "race/errors.h"

namespace kw {

struct RaceData;
struct PassingResults;
class Dialogs;
class Shell;
class Sound;

// Cell formats; the decimal point is always ".". The general form of a number is its shortest
// decimal text with up to 15 significant digits, never with an exponent.
std::string GeneralNumber(double v);
std::string WholeCell(double v);        // rounded half to even: 74.5 -> 74
std::string FourPlaceCell(double v);    // 1.5 -> 1.5000, 0.123456 -> 0.1234 (cut), 2 -> 2
std::string FiveCharCell(double v);     // general form cut to five characters
std::string IntegerPartCell(double v);  // general form cut before its "."

// The whole report; every line ends in CR LF. Names are written as the race file gave them.
std::string BuildReport(const RaceData& race, const PassingResults& passing);

// Writes the report to `path` (replaced as a whole, or left as it was on failure).
WriteResult WriteReport(const RaceData& race, const PassingResults& passing, const QString& path);

// "NoName.csv" in the documents folder.
QString ReportPath(const QString& documentsFolder);

// The text shown when the report cannot be written (the spreadsheet still holds the old one).
QString ReportLockedText();

// The command shared by the window and the CLI: writes NoName.csv in `documentsFolder`; when
// that fails, shows ReportLockedText() and opens nothing; else beeps (when a sound is given) and
// asks the shell to open the file. The result carries the system's reason on failure.
WriteResult ShowReport(const RaceData& race, const PassingResults& passing,
                       const QString& documentsFolder, Dialogs& dialogs, Shell& shell,
                       Sound* sound = nullptr);

}  // namespace kw
