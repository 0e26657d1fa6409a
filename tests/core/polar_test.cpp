// The polars of the demo's main race against the polar table the simulator sails by (boat speed
// at 10 knots of wind against the true wind angle, scaled by the wind's strength to the power
// 0.4, by class and by each boat's skill of 0.93 to 1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/manoeuvres.h"
#include "analysis/polar.h"
#include "analysis/track_motion.h"
#include "analysis/wind_estimate.h"
#include "analysis/wind_used.h"
#include "demo_truth.h"

using namespace kw;

namespace {

// tools/demo_sim/simulate.py's POLAR.
double SimulatorPolar(double twa) {
  static const double kTable[][2] = {{0, 0.0},   {20, 0.4},  {30, 2.6},  {36, 4.2}, {42, 5.1},
                                     {50, 5.6},  {60, 6.0},  {75, 6.3},  {90, 6.4}, {110, 6.5},
                                     {130, 6.3}, {150, 5.7}, {165, 5.0}, {180, 4.6}};
  for (size_t k = 1; k < std::size(kTable); ++k)
    if (twa <= kTable[k][0])
      return kTable[k - 1][1] + (kTable[k][1] - kTable[k - 1][1]) * (twa - kTable[k - 1][0]) /
                                    (kTable[k][0] - kTable[k - 1][0]);
  return kTable[std::size(kTable) - 1][1];
}

// The bin with the most samples between two angles.
int BusiestBin(const PolarBand& band, double from, double to) {
  int best = -1;
  for (int b = static_cast<int>(from / kPolarBinDegrees); b * kPolarBinDegrees < to; ++b)
    if (best < 0 || band.samples[b] > band.samples[best]) best = b;
  return best;
}

double Centre(int bin) {
  return (bin + 0.5) * kPolarBinDegrees;
}

}  // namespace

TEST(Polar, FollowsTheSimulatorsPolarOnTheMainDemoRace) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  RaceSession s;
  ASSERT_TRUE(kwtest::LoadDemoRace(s, "enoshima-r1"));
  const auto fleet = MeasureFleet(s.race, s.view.CosCentreLat);
  const WindUsed wind = ChooseWind(s.race, EstimateWind(s.race, s.passing, fleet));
  ASSERT_EQ(wind.source, WindUsed::WindFile);  // its log has the wind speeds
  const auto manoeuvres = DetectFleetManoeuvres(s.race, s.passing, fleet, wind);
  const std::vector<Polar> polars = BuildFleetPolars(s.race, s.passing, fleet, manoeuvres, wind);
  ASSERT_EQ(polars.size(), static_cast<size_t>(s.race.BoatCount + s.race.ClassCount));

  struct Case {
    const char* klass;
    double perf;  // the simulator's class factor
  };
  for (const Case& c : {Case{"J/24", 1.0}, Case{"Yamaha 30S", 1.07}}) {
    SCOPED_TRACE(c.klass);
    auto it = std::find_if(polars.begin(), polars.end(),
                           [&](const Polar& p) { return p.boat == 0 && p.name == c.klass; });
    ASSERT_NE(it, polars.end());
    auto band = std::find_if(it->bands.begin(), it->bands.end(),
                             [](const PolarBand& b) { return b.windFrom == 8; });
    ASSERT_NE(band, it->bands.end());
    // Boats beat at 41-45 degrees and run at 146-156: nearly every sample lies there.
    int sailed = 0;
    for (int b = 0; b < kPolarBins; ++b)
      if ((Centre(b) > 30 && Centre(b) < 60) || (Centre(b) > 135 && Centre(b) < 170))
        sailed += band->samples[b];
    EXPECT_GT(sailed, 0.95 * band->Samples());
    const int beat = BusiestBin(*band, 30, 60), run = BusiestBin(*band, 135, 170);
    const double up = band->speed[beat], down = band->speed[run];
    // In the 8-12 knot band: between the slowest boat in 8 knots and the best in 12.
    const double model = SimulatorPolar(Centre(beat)) * c.perf;
    EXPECT_GT(up, model * std::pow(0.8, 0.4) * 0.93);
    EXPECT_LT(up, model * std::pow(1.2, 0.4) * 1.0);
    // Running against beating as the table has it.
    EXPECT_NEAR(down / up, SimulatorPolar(Centre(run)) / SimulatorPolar(Centre(beat)), 0.08);
    // Stronger wind, faster boats: the 12-16 knot band beats the 8-12 one.
    auto stronger = std::find_if(it->bands.begin(), it->bands.end(),
                                 [](const PolarBand& b) { return b.windFrom == 12; });
    ASSERT_NE(stronger, it->bands.end());
    if (stronger->speed[beat] > 0) {
      EXPECT_GT(stronger->speed[beat], up);
    }
  }
}
