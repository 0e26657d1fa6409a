// The order of the finish displays: finishers by rank (equal ranks in boat order) with their gap
// to the winner, and the same order split by class. Elapsed or corrected seconds, as the race
// was loaded.
#pragma once

#include <vector>

namespace kw {

struct RaceData;
struct PassingResults;

struct StandingRow {
  int boat = 0, rank = 0;
  int gap = 0;  // whole seconds behind the first finisher
};

// Whole seconds from the first finish to boat's passing of entry n, bounded before rounding so
// that a stray sentinel cannot overflow the integer.
int FinishGap(const PassingResults& passing, int n, int boat);

// Boats whose finish passing time is below 864000 s, by rank.
std::vector<StandingRow> Standings(const RaceData& race, const PassingResults& passing);

// [class] -> its finishers in the order above; index 0 unused. Empty without declared classes.
std::vector<std::vector<int>> ClassStandings(const RaceData& race, const PassingResults& passing);

}  // namespace kw
