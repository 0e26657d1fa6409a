#include "output/html_tracks.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "analysis/boat_state.h"
#include "race/model.h"

namespace kw {

namespace {

// Two kept samples further apart than a gap would hide the boat between them; a little below
// the gap, so that times rounded to the page's unit keep the boat shown.
constexpr double kLongestKeptSpan = kMaxSampleGap - 10;

// Samples that must stay whatever the tolerance: the ends, the ends of gaps, and samples whose
// time does not rise from the one before or to the one after.
std::vector<char> FixedSamples(const TrackSamples& s) {
  std::vector<char> fixed(static_cast<size_t>(s.n) + 1, 0);
  if (s.n < 1) return fixed;
  fixed[1] = fixed[static_cast<size_t>(s.n)] = 1;
  for (int i = 1; i < s.n; ++i) {
    const double step = s.time[i + 1] - s.time[i];
    if (!(step > 0) || step > kMaxSampleGap) fixed[i] = fixed[i + 1] = 1;
  }
  return fixed;
}

// The sample of (a, b) that strays furthest, in metres, from the straight run between a and b at
// its own time; {0, 0} when none lies between.
std::pair<int, double> FurthestBetween(const TrackSamples& s, int a, int b, double cosLat) {
  std::pair<int, double> worst{0, 0.0};
  const double span = s.time[b] - s.time[a];
  for (int i = a + 1; i < b; ++i) {
    const double f = (s.time[i] - s.time[a]) / span;
    const double dLat = s.lat[a] + (s.lat[b] - s.lat[a]) * f - s.lat[i];
    const double dLon = (s.lon[a] + (s.lon[b] - s.lon[a]) * f - s.lon[i]) * cosLat;
    const double metres = std::hypot(dLat, dLon) * 1852;
    if (metres >= worst.second) worst = {i, metres};
  }
  return worst;
}

// Keeps in (a, b), whose times rise strictly, the samples a straight run cannot replace: the
// furthest astray first, then each half again (an explicit stack: a long track would recurse
// deeply).
void Thin(const TrackSamples& s, int a, int b, double cosLat, double tolerance,
          std::vector<char>& keep) {
  std::vector<std::pair<int, int>> todo{{a, b}};
  while (!todo.empty()) {
    const auto [from, to] = todo.back();
    todo.pop_back();
    if (to - from < 2) continue;
    int split = 0;
    if (s.time[to] - s.time[from] > kLongestKeptSpan) {
      split = from + (to - from) / 2;
    } else {
      const auto [i, metres] = FurthestBetween(s, from, to, cosLat);
      if (metres > tolerance) split = i;
    }
    if (split == 0) continue;
    keep[static_cast<size_t>(split)] = 1;
    todo.push_back({from, split});
    todo.push_back({split, to});
  }
}

void PutUnsigned(std::string& out, std::uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7F) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}

void PutSigned(std::string& out, std::int64_t v) {
  PutUnsigned(out, v < 0 ? (static_cast<std::uint64_t>(-(v + 1)) << 1) | 1
                         : static_cast<std::uint64_t>(v) << 1);
}

// A value in whole units; a non-finite or absurd value (no position is that far from the centre)
// becomes 0 rather than undefined behaviour.
std::int64_t Units(double value, double unit) {
  const double u = std::nearbyint(value / unit);
  return std::isfinite(u) && std::abs(u) < 1e15 ? static_cast<std::int64_t>(u) : 0;
}

// One column: the values at `at` in whole units of `unit` from `origin`, each as the step from
// the one before.
template <typename At>
void PutColumn(std::string& out, const std::vector<int>& at, At value, double origin, double unit) {
  std::int64_t previous = 0;
  for (int i : at) {
    const std::int64_t v = Units(value(i) - origin, unit);
    PutSigned(out, v - previous);
    previous = v;
  }
}

// The coastline's polylines as index lists into CoastLat/CoastLon: a latitude above 6000 starts
// one (and carries 20000 more).
std::vector<std::vector<int>> CoastPolylines(const RaceData& race) {
  std::vector<std::vector<int>> lines;
  const int n = std::min<int>(race.CoastCount, static_cast<int>(race.CoastLat.size()) - 1);
  for (int i = 1; i <= n; ++i) {
    if (race.CoastLat[i] > 6000 || lines.empty()) lines.emplace_back();
    lines.back().push_back(i);
  }
  return lines;
}

}  // namespace

std::vector<int> KeptSamples(const TrackSamples& s, double cosLat, double toleranceMetres) {
  std::vector<char> keep = FixedSamples(s);
  // Between two fixed samples the times rise strictly: thin each such run.
  int from = 1;
  for (int i = 2; i <= s.n; ++i) {
    if (!keep[static_cast<size_t>(i)]) continue;
    Thin(s, from, i, cosLat, toleranceMetres, keep);
    from = i;
  }
  std::vector<int> kept;
  for (int i = 1; i <= s.n; ++i)
    if (keep[static_cast<size_t>(i)]) kept.push_back(i);
  return kept;
}

std::string PackRacePositions(const RaceData& race, double centreLat, double centreLon,
                              double cosLat, double toleranceMetres) {
  std::string out;
  PutUnsigned(out, kHtmlPackFormat);
  const int boats = std::max(0, race.BoatCount);
  PutUnsigned(out, static_cast<std::uint64_t>(boats));
  for (int b = 1; b <= boats; ++b) {
    const auto& times = race.TrackTime[b];
    const auto& lats = race.TrackLat[b];
    const auto& lons = race.TrackLon[b];
    const int stored = static_cast<int>(std::min({times.size(), lats.size(), lons.size()}));
    const int n = std::clamp(race.BoatSampleCount[b], 0, std::max(0, stored - 1));
    // The samples as plain numbers, once: the thinning reads each of them many times.
    std::vector<double> time(static_cast<size_t>(n) + 1), lat(time.size()), lon(time.size());
    for (int i = 1; i <= n; ++i) time[i] = times[i], lat[i] = lats[i], lon[i] = lons[i];
    const std::vector<int> kept = KeptSamples({time, lat, lon, n}, cosLat, toleranceMetres);
    PutUnsigned(out, kept.size());
    PutColumn(
        out, kept, [&](int i) { return time[i]; }, 0, kHtmlTimeUnit);
    PutColumn(
        out, kept, [&](int i) { return lat[i]; }, centreLat, kHtmlPositionUnit);
    PutColumn(
        out, kept, [&](int i) { return lon[i]; }, centreLon, kHtmlPositionUnit);
  }
  const std::vector<std::vector<int>> coast = CoastPolylines(race);
  PutUnsigned(out, coast.size());
  for (const std::vector<int>& line : coast) {
    PutUnsigned(out, line.size());
    PutColumn(
        out, line,
        [&](int i) {
          return race.CoastLat[i] > 6000 ? race.CoastLat[i] - 20000 : race.CoastLat[i];
        },
        centreLat, kHtmlPositionUnit);
    PutColumn(
        out, line, [&](int i) { return race.CoastLon[i]; }, centreLon, kHtmlPositionUnit);
  }
  return out;
}

std::string DeflateForBrowser(std::string_view bytes) {
  // qCompress writes the length as four bytes before the zlib stream; the browser wants the
  // stream alone.
  const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(bytes.data()),
                                      static_cast<qsizetype>(bytes.size()), 9);
  return packed.size() > 4
             ? std::string(packed.constData() + 4, static_cast<size_t>(packed.size() - 4))
             : std::string();
}

}  // namespace kw
