// keelway-cli wind, manoeuvres and polar, run on a loaded race: the wind estimated from the
// fleet's tracks (and kept as the race's wind file with --write), every boat's manoeuvres and
// legs, and the boats' polars.
#pragma once

#include "cli/options.h"

namespace kw {

struct RaceSession;

// True for the three commands.
bool IsInsightCommand(const CliOptions& o);

// Runs one of them; the exit status (the usage text's table).
int RunInsightCommand(const CliOptions& o, RaceSession& s);

}  // namespace kw
