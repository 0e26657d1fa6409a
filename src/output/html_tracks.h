// The positions a replay page carries: each boat's track thinned to the samples the drawing needs,
// and the coastline, as whole numbers packed for a browser to unpack (web/data.js reads them).
//
// Packed layout, every number a base-128 varint (7 bits a byte, low bits first), signed numbers
// zig-zag coded (0, -1, 1, -2 ... as 0, 1, 2, 3 ...):
//   format (1), boat count
//   per boat: sample count n; n time steps; n latitude steps; n longitude steps
//   polyline count; per coastline polyline: point count m; m latitude steps; m longitude steps
// Times are counted in kHtmlTimeUnit seconds from the gun, positions in kHtmlPositionUnit minutes
// of arc from the race centre; a step is the difference to the previous value of its column (the
// first one to zero). Columns rather than records: deflate finds the repeats of each column.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

struct RaceData;

inline constexpr int kHtmlPackFormat = 1;
inline constexpr double kHtmlTimeUnit = 0.01;        // seconds
inline constexpr double kHtmlPositionUnit = 1e-5;    // minutes of arc: 1.9 cm of latitude
inline constexpr double kHtmlToleranceMetres = 0.1;  // a thinned track's largest error

// One track as the race tables hold it: samples 1..n of time (seconds from the gun), latitude and
// longitude (minutes of arc); slot 0 unused.
struct TrackSamples {
  std::span<const double> time, lat, lon;
  int n = 0;
};

// The samples (1-based, ascending) a replay keeps so that, at every clock time, the position
// interpolated between kept samples lies within `toleranceMetres` of the one interpolated between
// all of them, and the boat is shown at exactly the same times: the first and last samples, both
// ends of every gap too long to interpolate, and every sample whose time does not rise (a
// logger's clock fault) are always kept, and two kept samples are never further apart in time
// than a gap. `cosLat` turns minutes of longitude into minutes of latitude.
std::vector<int> KeptSamples(const TrackSamples& track, double cosLat, double toleranceMetres);

// Every boat's kept samples and the coastline of `race`, packed as above around the centre
// (centreLat, centreLon) in minutes of arc.
std::string PackRacePositions(const RaceData& race, double centreLat, double centreLon,
                              double cosLat, double toleranceMetres = kHtmlToleranceMetres);

// `bytes` as a zlib stream, which a browser's DecompressionStream("deflate") unpacks.
std::string DeflateForBrowser(std::string_view bytes);

}  // namespace kw
