#include <gtest/gtest.h>

#include "analysis/boat_state.h"
#include "analysis/frame_state.h"
#include "race/model.h"

using namespace kw;

namespace {

struct Sample {
  double time, lat, lon, speed;
  int course;
};

void SetTrack(RaceData& r, int b, const std::vector<Sample>& samples) {
  SetTrackCapacity(r, b, static_cast<int>(samples.size()) + 1);
  r.BoatSampleCount[b] = static_cast<int>(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    r.TrackTime[b][i + 1] = s.time, r.TrackLat[b][i + 1] = s.lat, r.TrackLon[b][i + 1] = s.lon;
    r.TrackSpeed[b][i + 1] = s.speed, r.TrackCourse[b][i + 1] = s.course;
  }
}

const std::vector<Sample> kTrack = {{0, 2100, 8400, 5, 350},
                                    {10, 2101, 8402, 6, 10},
                                    {20, 2102, 8404, 7, 90},
                                    {30, 2103, 8406, 8, 180},
                                    {40, 2104, 8408, 9, 270}};

RaceData Fleet(int boats) {
  RaceData r;
  r.BoatCount = boats;
  SetBoatTableCapacity(r);
  for (int b = 1; b <= boats; ++b) SetTrack(r, b, kTrack), r.BoatShown[b] = 1;
  return r;
}

}  // namespace

TEST(BoatState, InterpolatesPositionHeadingAndWindAngle) {
  RaceData r = Fleet(1);
  FrameBoats f;
  ComputeBoatState(r, 12.5, 45, f);
  ASSERT_EQ(f.BoatPresent[1], 1);
  EXPECT_EQ(f.BoatSampleIndex[1], 2);
  EXPECT_DOUBLE_EQ(f.BoatLatNow[1], 2101.25);
  EXPECT_DOUBLE_EQ(f.BoatLonNow[1], 8402.5);
  EXPECT_DOUBLE_EQ(f.BoatSpeedNow[1], 6);
  EXPECT_DOUBLE_EQ(f.BoatHeadingNow[1], 10);
  EXPECT_DOUBLE_EQ(f.BoatWindAngleNow[1], 35);
  ComputeBoatState(r, 5, 20, f);  // heading 350: wind 30 degrees to starboard
  EXPECT_DOUBLE_EQ(f.BoatWindAngleNow[1], 30);

  // At a sample's time the boat is at that sample, still on the previous course; through the
  // first second it turns the short way round (350 to 10 through north) in whole degrees.
  ComputeBoatState(r, 30, 0, f);
  EXPECT_DOUBLE_EQ(f.BoatLatNow[1], 2103);
  EXPECT_DOUBLE_EQ(f.BoatHeadingNow[1], 90);
  for (auto [t, heading] : {std::pair{10.5, 0.0},
                            {10.25, 355.0},
                            {30 + 1.0 / 3, 120.0},
                            {30.999, 180.0},
                            {0.5, 350.0} /* no previous course */}) {
    ComputeBoatState(r, t, 0, f);
    EXPECT_DOUBLE_EQ(f.BoatHeadingNow[1], heading) << t;
  }
  SetTrack(r, 1, {{0, 0, 0, 0, 0}, {10, 0, 0, 0, 359}, {20, 0, 0, 0, 1}, {30, 0, 0, 0, 1}});
  ComputeBoatState(r, 20.3, 0, f);  // 359.6 rounds to north, written 0
  EXPECT_DOUBLE_EQ(f.BoatHeadingNow[1], 0);
}

TEST(BoatState, AbsentOutsideTheTrackAndAcrossLongGaps) {
  RaceData r = Fleet(1);
  FrameBoats f;
  for (auto [t, present] : {std::pair{-0.1, 0}, {39.9, 1}, {40.0, 0} /* the last sample */}) {
    ComputeBoatState(r, t, 0, f);
    EXPECT_EQ(f.BoatPresent[1], present) << t;
  }
  // A gap of 3610 s is still interpolated; 3611 s hides the boat for the whole gap.
  SetTrack(r, 1, {{0, 0, 0, 1, 0}, {3610, 10, 0, 1, 0}, {7221, 20, 0, 1, 0}, {7222, 21, 0, 1, 0}});
  for (auto [t, present] : {std::pair{1805.0, 1}, {3610.0, 0}, {7220.9, 0}, {7221.5, 1}}) {
    ComputeBoatState(r, t, 0, f);
    EXPECT_EQ(f.BoatPresent[1], present) << t;
  }
  SetTrack(r, 1, {{0, 0, 0, 1, 0}});  // one sample: never present
  ComputeBoatState(r, 0, 0, f);
  EXPECT_EQ(f.BoatPresent[1], 0);
}

TEST(BoatState, SearchStartsAtTheRememberedIndexAndWrapsRound) {
  RaceData r = Fleet(1);
  FrameBoats f;
  f.Resize(1);
  f.BoatSampleIndex[1] = 3;
  ComputeBoatState(r, 35, 0, f);
  EXPECT_EQ(f.BoatSampleIndex[1], 4);
  ComputeBoatState(r, 5, 0, f);  // behind the hint: wraps past the end to 1
  EXPECT_EQ(f.BoatSampleIndex[1], 1);
  EXPECT_DOUBLE_EQ(f.BoatLatNow[1], 2100.5);
  ComputeBoatState(r, 100, 0, f);  // no hit keeps the hint
  EXPECT_EQ(f.BoatSampleIndex[1], 1);
  f.BoatSampleIndex[1] = 99;  // out of range (rows moved by a reload): starts at 1
  ComputeBoatState(r, 25, 0, f);
  EXPECT_EQ(f.BoatSampleIndex[1], 3);
}

TEST(BoatState, CountsPresentAndFocusedBoats) {
  RaceData r = Fleet(6);
  SetTrack(r, 3, {{100, 0, 0, 0, 0}, {110, 0, 0, 0, 0}});
  r.BoatShown[2] = 0;
  FrameBoats f;
  ComputeBoatState(r, 5, 0, f);
  EXPECT_EQ(f.BoatsWithPosition, 5);
  EXPECT_EQ(f.FocusedBoatCount, 4);  // 2 not ticked, 3 not present
  EXPECT_EQ(f.FocusedBoats, (std::array<int, 4>{1, 4, 5, 6}));
  ComputeBoatState(r, 0, 0, f);  // up to the gun the count starts at 1
  EXPECT_EQ(f.BoatsWithPosition, 1 + 5);
  ComputeBoatState(r, -5, 0, f);
  EXPECT_EQ(f.BoatsWithPosition, 1);
  ComputeBoatState(r, 50, 0, f);
  EXPECT_EQ(f.BoatsWithPosition, 0);
  EXPECT_EQ(f.FocusedBoatCount, 0);
}
