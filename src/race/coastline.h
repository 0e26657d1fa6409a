// Coastline maps and navigation lights, read once per race load after the race extent is known.
//
// Files live in "coastline/" beside the program, in three coastline formats:
// - grid-square files "<code>.cst" named by the first-level regional grid code (4 digits):
//   "M" lines open a second-level square (code in characters 3..8: pp uu q v), "L" lines open a
//   polyline (point count in characters 50..55), other lines carry up to seven points in fixed
//   columns of 5 + 5 characters, x and y in 0..10000 across the square; Tokyo datum;
// - plain files, one point per line: "lat,lon" or "R,lat,lon" (R starts a polyline), minutes;
// - the whole-coast binary "jcoast.cst": float32 latitude and longitude pairs in minutes,
//   little-endian, a negative latitude starting a polyline; only the part near the tracks is kept.
// Lights come from "jlh.lh" (or "toba.lh"): name, DDMM.mmm, DDDMM.mmm, period, on-seconds,
// colours, size.
#pragma once

#include <QString>

#include <optional>
#include <string_view>

#include "race/errors.h"

namespace kw {

struct RaceData;
struct RaceExtent;

// A coastline latitude above this carries the +20000 polyline-start marker.
constexpr double kCoastMarkerThreshold = 6000;
constexpr double kCoastMarker = 20000;

// What a coastline or light reader returns: nothing, or the value that did not convert.
using CoastError = std::optional<ReadError>;

// The race box widened by AddArea (1.4 times that in longitude), minutes of arc.
struct CoastBox {
  double LatMin = 0, LatMax = 0, LonMin = 0, LonMax = 0;
};
CoastBox ExtendedRaceBox(const RaceData& race, const RaceExtent& v);

// Offsets (minutes) that take a Tokyo-datum position near (lat, lon) (minutes) to WGS84.
struct DatumOffset {
  double Lat = 0, Lon = 0;
};
DatumOffset DatumShift(double centreLat, double centreLon);

// Appends one point to the coastline list, growing its storage by the list's rule.
void AddCoastPoint(RaceData& race, double lat, double lon);

// Fills MapFileName with "jcoast.cst" for a large race, else the first-level grid squares
// covering the extended race box.
void ChooseMapFiles(RaceData& race, const RaceExtent& v);

// Adds the points of the in-area second-level squares of one grid-square file ("coastline/" +
// name + ".cst"; missing: nothing).
CoastError ReadGridSquareFile(RaceData& race, std::string_view name, const CoastBox& box,
                              const DatumOffset& shift);

// Adds the points of a plain coordinate file (".cst" appended unless the name has it).
CoastError ReadPlainCoastFile(RaceData& race, std::string_view name);

// Adds the polylines of the whole-coast file that touch the band around the boats' tracks.
CoastError ReadWholeCoast(RaceData& race, const RaceExtent& v);

// Reads the light list, keeping the lights around the race.
CoastError LoadLights(RaceData& race, const RaceExtent& v);

// The whole step: chooses the map files when the race file named none, reads them into the
// point list (grid squares clipped to the area), then the lights.
CoastError LoadCoastline(RaceData& race, const RaceExtent& v);

}  // namespace kw
