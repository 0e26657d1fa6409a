// Every boat's manoeuvres between its start and its finish, and what each cost: tacks (the
// course crossing the direction the wind comes from), gybes (crossing the direction it blows
// to), mark roundings (at the passing times of the marks between start and finish) and penalty
// turns (a full turn). The loss of a manoeuvre is the distance the boat would have made good
// in the direction it was making progress in, at its speed made good of the 20 s before the
// manoeuvre, over the manoeuvre's duration, minus the distance it did make good. The direction
// of progress is the wind's axis on upwind and downwind legs (towards the wind, away from it)
// and the leg's bearing on reaches; a rounding counts the leg before the mark up to the
// passing and the leg after it from there, each at its own speed made good.
#pragma once

#include <vector>

#include "analysis/track_motion.h"

namespace kw {

struct RaceData;
struct PassingResults;
struct WindUsed;

enum class ManoeuvreKind { Tack, Gybe, Rounding, Penalty };

struct Manoeuvre {
  ManoeuvreKind kind = ManoeuvreKind::Tack;
  double t = 0;               // seconds from the gun: the crossing, the passing, the turn's middle
  double lat = 0, lon = 0;    // minutes of arc, where the boat was at t
  double start = 0, end = 0;  // seconds from the gun
  double speedIn = 0, speedMin = 0, speedOut = 0;  // knots
  double lossMetres = 0;
  int entry = 0;  // a rounding: the course entry passed
};

// One leg of a boat's race, from its passing of entry `leg` to that of entry `leg` + 1 (its own
// start crossing for the first leg).
struct LegFigures {
  int leg = 0;
  int kind = 3;  // against the wind used: 1 upwind, 2 downwind, 3 reach (as the legs' kinds)
  double seconds = 0, sailedMetres = 0, lengthMetres = 0;
  // Knots made good: along the wind's axis on upwind and downwind legs, along the leg's
  // bearing on reaches.
  double madeGoodKnots = 0;
  // Port: the wind on the port side (over the port bow or quarter); starboard the other.
  double portSeconds = 0, starboardSeconds = 0, portMetres = 0, starboardMetres = 0;
  int tacks = 0, gybes = 0;
  double meanLossMetres = 0;  // over its tacks and gybes; 0 without any
};

struct BoatManoeuvres {
  int boat = 0;
  std::vector<Manoeuvre> list;   // in time order
  std::vector<LegFigures> legs;  // the legs the boat sailed from end to end
};

// The manoeuvres and legs of one boat, measured against `wind`.
BoatManoeuvres DetectManoeuvres(const RaceData& race, const PassingResults& passing,
                                const BoatMotion& motion, const WindUsed& wind);

// Every boat's (index 0 unused).
std::vector<BoatManoeuvres> DetectFleetManoeuvres(const RaceData& race,
                                                  const PassingResults& passing,
                                                  const std::vector<BoatMotion>& fleet,
                                                  const WindUsed& wind);

// "tack", "gybe", "rounding", "penalty".
const char* ManoeuvreKindName(ManoeuvreKind kind);

// Leg kind of the race's leg k (1-based) against the wind at t: 1 upwind, 2 downwind, 3 reach,
// by the legs' own rule (within 45° of the wind upwind, beyond 135° downwind).
int LegKindAgainst(const PassingResults& passing, int leg, double trueWind);

}  // namespace kw
