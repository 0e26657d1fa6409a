#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/mark_passing.h"
#include "race/model.h"

using namespace kw;

namespace {

struct Waypoint {
  double t, lat, lon;
};

// Boat b sails straight between waypoints, sampled once a second.
void Sail(RaceData& r, int b, const std::vector<Waypoint>& w) {
  std::vector<Waypoint> samples;
  for (size_t k = 0; k + 1 < w.size(); ++k) {
    for (double t = w[k].t; t < w[k + 1].t; t += 1) {
      const double f = (t - w[k].t) / (w[k + 1].t - w[k].t);
      samples.push_back(
          {t, w[k].lat + f * (w[k + 1].lat - w[k].lat), w[k].lon + f * (w[k + 1].lon - w[k].lon)});
    }
  }
  samples.push_back(w.back());
  SetTrackCapacity(r, b, static_cast<int>(samples.size()) + 100);
  for (size_t i = 0; i < samples.size(); ++i) {
    r.TrackTime[b][i + 1] = samples[i].t;
    r.TrackLat[b][i + 1] = samples[i].lat;
    r.TrackLon[b][i + 1] = samples[i].lon;
  }
  r.BoatSampleCount[b] = static_cast<int>(samples.size());
}

// Start line at latitude 10' from 10' to 11' east; mark 1 up at 12', mark 2 at 10.5'; finish
// line at 9.5'. Course L1, MK1, MK2, L2.
RaceData Course(int boats) {
  RaceData r;
  r.BoatCount = boats;
  SetBoatTableCapacity(r);
  for (int b = 1; b <= boats; ++b) r.BoatShown[b] = 1;
  r.LineCount = 2;
  r.LineLatA[1] = 10, r.LineLonA[1] = 10, r.LineLatB[1] = 10, r.LineLonB[1] = 11;
  r.LineLatA[2] = 9.5, r.LineLonA[2] = 10, r.LineLatB[2] = 9.5, r.LineLonB[2] = 11;
  r.MarkCount = 2;
  r.MarkLat[1] = 12, r.MarkLon[1] = 10.52;
  r.MarkLat[2] = 10.5, r.MarkLon[2] = 10.52;
  r.CourseCount = 4;
  r.CourseEntry[0] = "L1";
  r.CourseEntry[1] = "MK1";
  r.CourseEntry[2] = "MK2";
  r.CourseEntry[3] = "L2";
  r.ClockFirst = -190;
  r.ClockLast = 3630;
  UpdateClockSpan(r);
  return r;
}

// Up through the start line at t0 + 10, round mark 1 at t0 + 210 and mark 2 at t0 + 360, finish
// at t0 + 460.
std::vector<Waypoint> Race(double t0, double lon = 10.5) {
  return {{t0 - 90, 9.0, lon},
          {t0 + 210, 12.0, lon},
          {t0 + 360, 10.5, lon},
          {t0 + 460, 9.5, lon},
          {t0 + 520, 8.9, lon}};
}

}  // namespace

TEST(MarkPassing, CourseOfStartTwoMarksAndFinish) {
  RaceData r = Course(3);
  Sail(r, 1, Race(0));
  Sail(r, 2, Race(5));
  Sail(r, 3, Race(-2));
  PassingResults p;
  DetectMarkPassing(r, p);
  EXPECT_NEAR(p.MarkPassTime[1][1], 10, 1e-9);
  EXPECT_EQ(p.MarkPassTime[1][2], 210);  // closest approach, whole seconds
  EXPECT_EQ(p.MarkPassTime[1][3], 360);
  EXPECT_NEAR(p.MarkPassTime[1][4], 460, 1e-9);
  EXPECT_NEAR(p.MarkPassTime[2][4], 465, 1e-9);
  EXPECT_EQ(p.EntryLeader[1], 3);
  EXPECT_NEAR(p.EntryLeadTime[4], 458, 1e-9);
  EXPECT_EQ(p.FinishRank[3], 1);
  EXPECT_EQ(p.FinishRank[1], 2);
  EXPECT_EQ(p.FinishRank[2], 3);
  EXPECT_NEAR(r.ClockLast, 465 + 60, 1e-9);
  EXPECT_EQ(r.ClockSpan, 715);
  EXPECT_DOUBLE_EQ(p.FinishLine.LatA, 9.5);
  EXPECT_DOUBLE_EQ(p.StartLine.LonB, 11);

  // Legs: end A of the start line to mark 1, mark to mark, mark 2 to the finish's midpoint.
  BuildLegs(r, 1.0, p);
  EXPECT_NEAR(p.LegLength[1], std::hypot(2.0, 0.52) * 1852, 1e-6);
  EXPECT_NEAR(p.LegBearing[2], 180, 1e-9);
  EXPECT_NEAR(p.LegLength[3], std::hypot(1.0, 0.02) * 1852, 1e-6);
  EXPECT_NEAR(p.LegLength[4], p.LegLength[1] + p.LegLength[2] + p.LegLength[3], 1e-6);
  EXPECT_DOUBLE_EQ(p.EntryLat[1], 10);
  EXPECT_DOUBLE_EQ(p.EntryLon[1], 10.5);  // a line's point is its midpoint
}

TEST(MarkPassing, LegDistancesOnAStraightTrack) {
  RaceData r = Course(1);
  Sail(r, 1, Race(0));
  PassingResults p;
  DetectMarkPassing(r, p);
  ComputeLegDistances(r, 0.5, p);
  // From the gun (9.9') to mark 1 (12'), then 1.5' down, then 1' down to the finish.
  EXPECT_NEAR(p.LegSailedDistance[1][1], 2.1 * 1852, 1e-6);
  EXPECT_NEAR(p.LegSailedDistance[1][2], 1.5 * 1852, 1e-6);
  EXPECT_NEAR(p.LegSailedDistance[1][3], 1.0 * 1852, 1e-6);
  EXPECT_NEAR(p.LegSailedDistance[1][4], 4.6 * 1852, 1e-6);  // the whole race

  r.WindDirection = 0;
  r.WindwardBearing = 0;
  BuildLegs(r, 0.5, p);
  EXPECT_EQ(p.LegKind[1], 1);  // towards the wind
  EXPECT_EQ(p.LegKind[2], 2);
  EXPECT_EQ(p.LegKind[3], 2);
  EXPECT_NEAR(p.UpTime[1], 210, 1e-9);  // leg 1 counts from the gun
  EXPECT_NEAR(p.DownTime[1], 250, 1e-9);
  EXPECT_NEAR(p.UpDistance[1], 2.1, 1e-9);
  EXPECT_NEAR(p.DownDistance[1], 2.5, 1e-9);

  TrimTracksAtFinish(r, p);
  EXPECT_DOUBLE_EQ(r.TrackTime[1][r.BoatSampleCount[1]], 519);  // last sample before 460 + 60
}

TEST(MarkPassing, CrossingOutsideTheEndsIsRejected) {
  RaceData r = Course(2);
  // Up through the start line's extension at 11.5', back down, then up inside at t = 80.
  Sail(r, 1,
       {{-90, 9.0, 11.5},
        {10, 10.0 + 1e-9, 11.5},
        {20, 10.1, 11.5},
        {40, 9.9, 11.5},
        {50, 9.9, 10.5},
        {80, 10.0, 10.5},
        {400, 11.5, 10.5},
        {700, 11.5, 10.5}});
  Sail(r, 2, Race(0));
  PassingResults p;
  DetectMarkPassing(r, p);
  EXPECT_NEAR(p.MarkPassTime[1][1], 80, 1e-6);
}

TEST(MarkPassing, CrossingBeforeTheGunFallsBackToClosestApproach) {
  RaceData r = Course(2);
  r.LineLonA[1] = 10.45;  // end A 0.05' west of the boat's path
  r.LineLonB[1] = 11.45;
  Sail(r, 1,
       {{-90, 9.7, 10.5},
        {-30, 10.0, 10.5},
        {-10, 10.2, 10.5},
        {5, 9.9, 10.5},
        {30, 10.4, 10.5},
        {400, 12.0, 10.5},
        {800, 12.0, 10.5}});
  Sail(r, 2, Race(0));
  PassingResults p;
  DetectMarkPassing(r, p);
  EXPECT_EQ(p.MarkPassTime[1][1], -30);  // rounded sample time, may be before the gun
}

TEST(MarkPassing, NearMissLeavesTheMarkUnpassedAndSearchesTheNextFromTheStart) {
  RaceData r = Course(1);
  r.MarkLon[1] = 10.75;  // 0.25' from the path
  Sail(r, 1, Race(0));
  PassingResults p;
  DetectMarkPassing(r, p);
  EXPECT_GE(p.MarkPassTime[1][2], 999999);
  // Mark 2 (10.5') is searched from the first sample: first met on the way up at t = 60.
  EXPECT_EQ(p.MarkPassTime[1][3], 60);
  EXPECT_EQ(p.EntryLeader[2], 0);
  EXPECT_EQ(p.EntryLeadTime[2], NotPassed);

  ComputeLegDistances(r, 1.0, p);
  EXPECT_EQ(p.LegSailedDistance[1][1], 0);  // entry 2 not passed
  EXPECT_EQ(p.LegSailedDistance[1][2], 0);
}

TEST(MarkPassing, TiedFinishersShareARankAndNobodyFinishingKeepsTheClock) {
  RaceData r = Course(3);
  Sail(r, 1, Race(0));
  Sail(r, 2, Race(0));
  Sail(r, 3, Race(3));
  PassingResults p;
  DetectMarkPassing(r, p);
  EXPECT_EQ(p.FinishRank[1], 1);
  EXPECT_EQ(p.FinishRank[2], 1);
  EXPECT_EQ(p.FinishRank[3], 3);
  EXPECT_EQ(p.EntryLeader[4], 1);

  RaceData q = Course(1);
  Sail(q, 1, {{-90, 9.0, 10.5}, {300, 11.0, 10.5}});
  DetectMarkPassing(q, p);
  EXPECT_GE(p.MarkPassTime[1][4], 999999);
  EXPECT_EQ(q.ClockLast, 3630);
  EXPECT_EQ(p.FinishRank[1], 1);
}

TEST(MarkPassing, EntriesNamingNothingAndLongCourses) {
  EXPECT_TRUE(ParseEntry("L2").isLine);
  EXPECT_EQ(ParseEntry("L2").number, 2);
  EXPECT_EQ(ParseEntry("MK13").number, 13);
  EXPECT_FALSE(ParseEntry("MK1").isLine);
  EXPECT_EQ(ParseEntry("0").number, 0);

  // A course of 20 entries, some naming marks that do not exist: nothing breaks.
  RaceData r = Course(1);
  r.CourseCount = 20;
  for (int i = 0; i < 20; ++i) r.CourseEntry[i] = i % 2 ? "MK2" : "MK1";
  r.CourseEntry[0] = "L1";
  r.CourseEntry[5] = "MK99";
  r.CourseEntry[19] = "L2";
  Sail(r, 1, Race(0));
  PassingResults p;
  DetectMarkPassing(r, p);
  ComputeLegDistances(r, 1.0, p);
  BuildLegs(r, 1.0, p);
  EXPECT_EQ(p.EntryCount, 20);
  EXPECT_GE(p.MarkPassTime[1][6], 999999);
  EXPECT_NEAR(p.MarkPassTime[1][20], 460, 1e-9);
}
