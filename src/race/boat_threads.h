// Work on many boats' tracks shared among the machine's cores: each boat's part reads the race
// and writes only that boat's rows, so the result is the same whatever the threads' timing.
#pragma once

#include <functional>

namespace kw {

struct RaceData;

// Runs work(b) for every boat b in 1..race.BoatCount, on several threads when the tracks hold
// enough samples to pay for them (a short race is done at once on the caller's thread).
void ForEachBoat(const RaceData& race, const std::function<void(int boat)>& work);

}  // namespace kw
