// The manoeuvre and polar tables as CSV for a spreadsheet (UTF-8, LF line ends, names decoded
// for display), and the estimated wind as the race's wind series.
#pragma once

#include <string>
#include <vector>

#include "analysis/manoeuvres.h"
#include "analysis/polar.h"

namespace kw {

struct RaceData;
struct PassingResults;
struct WindUsed;
struct WindEstimate;

// Two tables one after the other: every manoeuvre (file, name, t, kind, lat, lon in degrees,
// durationSeconds, speedIn, speedMin, speedOut, lossMetres), then every leg of every boat. The
// first line says which wind they were measured against.
std::string ManoeuvresCsv(const RaceData& race, const std::vector<BoatManoeuvres>& boats,
                          const WindUsed& wind);

// One row per polar and wind band: name, file, class, wind speed band (empty: every wind),
// samples, then the speed of each 5° bin of true wind angle (empty where too few samples).
std::string PolarCsv(const RaceData& race, const std::vector<Polar>& polars, const WindUsed& wind);

// "UP", "DN", "-".
const char* LegKindText(int kind);

// Puts the estimate's series into the race's wind series (whole degrees, speed 0), ready for
// WriteWindFile; false (and nothing changed) when the estimate has nothing to give.
bool TakeEstimateAsWindSeries(const WindEstimate& estimate, RaceData& race);

}  // namespace kw
