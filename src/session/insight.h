// The analyses beyond the replay, made on demand from a loaded race and kept until the next
// load: every boat's motion, the wind estimated from the fleet's turns, the wind the manoeuvres
// are measured against (the wind file, else the estimate, else the race file's direction), and
// every boat's manoeuvres and legs. Made once per load, the first time something asks.
#pragma once

#include <vector>

#include "analysis/manoeuvres.h"
#include "analysis/track_motion.h"
#include "analysis/wind_estimate.h"
#include "analysis/wind_used.h"

namespace kw {

struct RaceSession;

struct RaceInsight {
  bool made = false;
  std::vector<BoatMotion> fleet;  // by boat, 0 unused
  WindEstimate estimate;
  WindUsed wind;
  std::vector<BoatManoeuvres> manoeuvres;  // by boat, 0 unused
};

// The session's insight, made first when it is not (or no longer) made.
const RaceInsight& InsightOf(RaceSession& s);

// Forgets it: the next InsightOf makes it again (a new load, a wind file kept).
void ForgetInsight(RaceSession& s);

}  // namespace kw
