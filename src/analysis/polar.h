// A boat's polar as its track shows it: boat speed against the true wind angle, in bins of 5°,
// the 90th percentile of the speeds sailed in each bin (what the boat does when sailed well, not
// its average through waves and manoeuvres). Samples come from the boat's race only, moving,
// outside its manoeuvres; with wind speeds (a wind file that has them) also by wind speed.
#pragma once

#include <string>
#include <vector>

#include "analysis/manoeuvres.h"
#include "analysis/track_motion.h"

namespace kw {

struct RaceData;
struct PassingResults;
struct WindUsed;

constexpr int kPolarBinDegrees = 5;
constexpr int kPolarBins = 180 / kPolarBinDegrees;
constexpr int kPolarMinSamples = 10;   // a bin with fewer has no speed
constexpr double kPolarBandKnots = 4;  // wind speed bands: 0-4, 4-8 ... knots

struct PolarBand {
  double windFrom = -1, windTo = -1;  // knots; -1: every wind speed together
  std::vector<double> speed;          // per bin, knots; 0 where fewer than kPolarMinSamples
  std::vector<int> samples;           // per bin
  int Samples() const;
};

struct Polar {
  std::string name;  // the boat's name (race file bytes) or the class's
  int boat = 0;      // 0 for a class
  int boatClass = 0;
  std::vector<PolarBand> bands;  // every wind together first, then each band with samples
};

// The polar of the boats `boats` together (1-based rows), each sampled against `wind` with its
// manoeuvres (from `manoeuvres`, indexed by boat) left out.
Polar BuildPolar(const RaceData& race, const PassingResults& passing,
                 const std::vector<BoatMotion>& fleet,
                 const std::vector<BoatManoeuvres>& manoeuvres, const WindUsed& wind,
                 const std::vector<int>& boats);

// Every boat's polar, then each class's (the whole fleet's when the race has no classes).
std::vector<Polar> BuildFleetPolars(const RaceData& race, const PassingResults& passing,
                                    const std::vector<BoatMotion>& fleet,
                                    const std::vector<BoatManoeuvres>& manoeuvres,
                                    const WindUsed& wind);

}  // namespace kw
