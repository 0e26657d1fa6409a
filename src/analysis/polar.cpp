#include "analysis/polar.h"

#include <algorithm>
#include <cmath>

#include "analysis/wind_used.h"
#include "race/model.h"

namespace kw {

namespace {

constexpr double kPercentile = 0.9;

// Speeds gathered per band (0: every wind) and bin.
using Gathered = std::vector<std::vector<std::vector<double>>>;

bool InManoeuvre(const std::vector<Manoeuvre>& list, double t, size_t& k) {
  while (k < list.size() && list[k].end < t) ++k;
  for (size_t j = k; j < list.size() && list[j].start <= t; ++j)
    if (t <= list[j].end) return true;
  return false;
}

void Gather(const RaceData& race, const PassingResults& passing, const BoatMotion& m,
            const std::vector<Manoeuvre>& list, const WindUsed& wind, Gathered& into) {
  const RacingSpan span = RacingSpanOf(race, passing, m.boat);
  const double minSpeed = std::max(1.0, 0.3 * m.typicalSpeed);
  size_t k = 0;
  for (int i = 0; i < m.size(); ++i) {
    if (!m.fitted[i] || m.speed[i] < minSpeed || m.t[i] < span.from || m.t[i] > span.to) continue;
    if (InManoeuvre(list, m.t[i], k)) continue;
    const double twa = std::abs(Wrap180(m.course[i] - wind.DirectionAt(m.t[i])));
    const int bin = std::min(kPolarBins - 1, static_cast<int>(twa / kPolarBinDegrees));
    into[0][bin].push_back(m.speed[i]);
    const double tws = wind.SpeedAt(m.t[i]);
    if (tws < 0) continue;
    const size_t band = 1 + static_cast<size_t>(tws / kPolarBandKnots);
    if (band >= into.size()) into.resize(band + 1, std::vector<std::vector<double>>(kPolarBins));
    into[band][bin].push_back(m.speed[i]);
  }
}

PolarBand BandOf(std::vector<std::vector<double>>& bins, double from, double to) {
  PolarBand band;
  band.windFrom = from, band.windTo = to;
  band.speed.assign(kPolarBins, 0);
  band.samples.assign(kPolarBins, 0);
  for (int b = 0; b < kPolarBins; ++b) {
    std::vector<double>& v = bins[b];
    band.samples[b] = static_cast<int>(v.size());
    if (band.samples[b] < kPolarMinSamples) continue;
    const auto at = v.begin() + static_cast<std::ptrdiff_t>(kPercentile * (v.size() - 1));
    std::nth_element(v.begin(), at, v.end());
    band.speed[b] = *at;
  }
  return band;
}

}  // namespace

int PolarBand::Samples() const {
  int n = 0;
  for (int s : samples) n += s;
  return n;
}

Polar BuildPolar(const RaceData& race, const PassingResults& passing,
                 const std::vector<BoatMotion>& fleet,
                 const std::vector<BoatManoeuvres>& manoeuvres, const WindUsed& wind,
                 const std::vector<int>& boats) {
  Gathered gathered(1, std::vector<std::vector<double>>(kPolarBins));
  static const std::vector<Manoeuvre> kNone;
  for (int b : boats) {
    if (b < 1 || static_cast<size_t>(b) >= fleet.size()) continue;
    const auto& list = static_cast<size_t>(b) < manoeuvres.size() ? manoeuvres[b].list : kNone;
    Gather(race, passing, fleet[b], list, wind, gathered);
  }
  Polar polar;
  polar.bands.push_back(BandOf(gathered[0], -1, -1));
  for (size_t band = 1; band < gathered.size(); ++band) {
    const double from = (band - 1) * kPolarBandKnots;
    PolarBand p = BandOf(gathered[band], from, from + kPolarBandKnots);
    if (p.Samples() > 0) polar.bands.push_back(std::move(p));
  }
  return polar;
}

std::vector<Polar> BuildFleetPolars(const RaceData& race, const PassingResults& passing,
                                    const std::vector<BoatMotion>& fleet,
                                    const std::vector<BoatManoeuvres>& manoeuvres,
                                    const WindUsed& wind) {
  std::vector<Polar> polars;
  for (int b = 1; b <= race.BoatCount; ++b) {
    Polar p = BuildPolar(race, passing, fleet, manoeuvres, wind, {b});
    p.name = race.BoatName[b];
    p.boat = b;
    p.boatClass = race.BoatClass[b];
    polars.push_back(std::move(p));
  }
  const int classes = std::max(race.ClassCount, 0);
  for (int c = classes > 0 ? 1 : 0; c <= classes; ++c) {
    std::vector<int> members;
    for (int b = 1; b <= race.BoatCount; ++b)
      if (classes == 0 || race.BoatClass[b] == c) members.push_back(b);
    if (members.empty()) continue;
    Polar p = BuildPolar(race, passing, fleet, manoeuvres, wind, members);
    p.name = classes > 0 ? race.ClassName[c] : std::string("fleet");
    p.boatClass = c;
    polars.push_back(std::move(p));
  }
  return polars;
}

}  // namespace kw
