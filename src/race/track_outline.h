// Coarser copies of each track for the pictures that show whole tracks, so that a picture costs
// what its pixels hold rather than what the race's length holds: the track's polyline at a few
// levels of detail with boxes to skip what lies off the picture, and, per 32 samples, the
// extremes of speed and course that the graph page's rows need. Made once at load (when
// pictures will be drawn); each is used only while the columns it was made from are unchanged,
// else the pictures walk every sample as before.
#pragma once

#include <cstdint>
#include <vector>

#include "race/track_columns.h"

namespace kw {

struct RaceData;

// A box of positions in minutes of arc, rounded outwards to floats.
struct GeoBox {
  float latMin = 0, latMax = 0, lonMin = 0, lonMax = 0;
};

struct TrackOutline {
  static constexpr double kFinest = 0.005;         // minutes of latitude, about 9 m
  static constexpr int kSpaced = 2;                // spaced levels: every kFinest x 4^k
  static constexpr double kStraightest = 0.00125;  // about 2.3 m
  static constexpr int kStraight = 6;              // straightened levels: kStraightest x 4^k
  static constexpr int kChunk = 64;                // points under one box

  // spaced[k]: the samples kept with a spacing of kFinest x 4^k: ascending, the first and the
  // last always among them, each one left out within the spacing x 4/3 of the last one kept
  // before it. Cut anywhere, their polyline stays near the track.
  std::vector<std::vector<uint32_t>> spaced;
  // straight[k]: only the turns: each point left out within kStraightest x 4^k x 1.42 of the
  // segment between the two kept round it (from the samples for k = 0, else from level k - 1).
  // For the whole track (first to last sample).
  std::vector<std::vector<uint32_t>> straight;
  // Boxes over runs of points: spacedBoxes[k][j] holds points j x kChunk .. (j + 1) x kChunk of
  // spaced[k] (the next run's first point included, so that the segment between runs is in
  // one), and so on; sampleBoxes[j] the same over samples 1 + j x kChunk .. 1 + (j + 1) x kChunk.
  std::vector<std::vector<GeoBox>> spacedBoxes, straightBoxes;
  std::vector<GeoBox> sampleBoxes;
  double cosLat = 1;  // longitudes measured at this length against latitudes
  int count = 0;      // samples 1..count
  ColumnStamp lat, lon;

  // How far the track can stray from the polyline through a level's points: minutes of
  // latitude (longitudes at their length). Spaced levels: also when cut at any two samples.
  static double SpacedError(int level);
  static double StraightError(int level);
  bool UsableFor(const RaceData& race, int boat) const;
};

struct TrackBlocks {
  static constexpr int kFine = 16, kMiddle = 64, kCoarse = 256;
  struct Block {
    uint16_t speedLo = 0, speedHi = 0;  // hundredths of a knot
    int16_t course0 = 0;                // the block's first course
    int16_t turnLo = 0, turnHi = 0;     // the courses as turns from course0, unwrapped
    uint16_t step = 0;                  // the largest turn between neighbours in the block
    bool plain = false;                 // no value in the block kept aside
    bool has360 = false;                // north written 360 (as derived courses may be)
  };
  // fine[j]: samples 1 + j x kFine .. (j + 1) x kFine, the full blocks of 1..count; middle and
  // coarse the same with kMiddle and kCoarse.
  std::vector<Block> fine, middle, coarse;
  uint16_t fastest = 0;  // the highest speed of the plain fine blocks, hundredths of a knot
  int count = 0;
  ColumnStamp time, speed, course;

  bool UsableFor(const RaceData& race, int boat) const;
};

// Both, for every boat (the boats shared among the cores); after speeds and courses.
void BuildTrackOutlines(RaceData& race, double cosCentreLat);
TrackOutline MakeTrackOutline(const RaceData& race, int boat, double cosCentreLat);
TrackBlocks MakeTrackBlocks(const RaceData& race, int boat);

}  // namespace kw
