#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "analysis/frame_state.h"
#include "analysis/mark_passing.h"
#include "analysis/playback.h"
#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/racefile.h"

using namespace kw;

namespace {

RaceData Race(int boats = 3) {
  RaceData r;
  r.BoatCount = boats;
  SetBoatTableCapacity(r);
  r.ClockFirst = -300;
  r.ClockLast = 3000;
  UpdateClockSpan(r);
  return r;
}

}  // namespace

TEST(PlaybackSpeed, ScrollBarPositionsMapToSpeeds) {
  const std::pair<int, double> cases[] = {{0, 1},    {3, 1},    {4, 2},     {30, 8},
                                          {39, 10},  {40, 10},  {44, 20},   {79, 100},
                                          {80, 100}, {84, 200}, {136, 1500}};
  for (auto [pos, speed] : cases) EXPECT_EQ(SpeedFromPosition(pos), speed) << pos;
  // Every speed the race file can name comes back from its own position.
  for (double v : {1.0, 5.0, 10.0, 20.0, 90.0, 100.0, 300.0, 1500.0})
    EXPECT_EQ(SpeedFromPosition(static_cast<int>(std::lround(SpeedToPosition(v)))), v) << v;
}

TEST(PlaybackClock, AdvancesByTheStepAndSkipsWhenNothingIsOnScreen) {
  PlaybackState p;
  p.RaceClock = 10;
  p.ClockStep = 0;  // none measured yet
  p.BoatsOnScreen = 2;
  EXPECT_FALSE(AdvanceClock(p));
  EXPECT_DOUBLE_EQ(p.RaceClock, 10.03);

  p.ClockStep = 0.5;
  p.BoatsOnScreen = 0;
  EXPECT_TRUE(AdvanceClock(p));  // the window beeps
  EXPECT_DOUBLE_EQ(p.RaceClock, 30.03);

  p.PlayDirection = -1;
  p.BoatsOnScreen = 1;
  AdvanceClock(p);
  EXPECT_DOUBLE_EQ(p.RaceClock, 29.53);
  EXPECT_NEAR(p.LightPhaseSeconds, 0.15, 1e-12);
}

TEST(PlaybackClock, WrapsBackwardAndEndsForward) {
  RaceData r = Race();
  PlaybackState p;
  p.RaceClock = -300.2;
  p.PlayDirection = -1;
  WrapBackward(r, p);
  EXPECT_EQ(p.RaceClock, 3000);
  // Backward play goes on from the end instead of ending the race there.
  EXPECT_FALSE(EndOfRaceDue(r, p));
  p.PlayDirection = 1;
  EXPECT_TRUE(EndOfRaceDue(r, p));
  p.RaceClock = 2999;
  p.BoatsWithPosition = 1;
  EXPECT_FALSE(EndOfRaceDue(r, p));
  // Nobody on the water after ten minutes of racing ends the race early ...
  p.RaceClock = 601;
  p.BoatsWithPosition = 0;
  EXPECT_TRUE(EndOfRaceDue(r, p));
  // ... but not earlier.
  p.RaceClock = 600;
  EXPECT_FALSE(EndOfRaceDue(r, p));
}

TEST(PlaybackClock, RepeatSpanLoopsInBothDirections) {
  PlaybackState p;
  p.RepeatActive = 1;
  p.RepeatFrom = 100;
  p.RepeatTo = 200;
  p.RaceClock = 200.4;
  EXPECT_EQ(ApplyRepeatSpan(p), 1);
  EXPECT_EQ(p.RaceClock, 100);
  p.RaceClock = 99.9;
  EXPECT_EQ(ApplyRepeatSpan(p), 1);
  EXPECT_EQ(p.RaceClock, 200);
  p.RaceClock = 150;
  EXPECT_EQ(ApplyRepeatSpan(p), 0);
  p.RepeatActive = 0;
  p.RaceClock = 500;
  EXPECT_EQ(ApplyRepeatSpan(p), 0);
  EXPECT_EQ(p.RaceClock, 500);
}

TEST(PlaybackClock, StartGunOnlyWhenCrossingTheGunWithinAMinute) {
  PlaybackState p;
  p.PrevRaceClock = -0.2;
  p.RaceClock = 0.3;
  EXPECT_TRUE(StartGunDue(p));
  p.PrevRaceClock = -0.2;
  p.RaceClock = 0;
  EXPECT_TRUE(StartGunDue(p));
  p.PrevRaceClock = 0.3;  // the next tick: no second gun
  p.RaceClock = 0.6;
  EXPECT_FALSE(StartGunDue(p));
  p.PrevRaceClock = -100;  // a jump past the first minute
  p.RaceClock = 61;
  EXPECT_FALSE(StartGunDue(p));
}

TEST(PlaybackClock, FinishGunsWaitForThreeTenthsOfTheRace) {
  RaceData r = Race(3);
  r.CourseCount = 2;
  PassingResults passing;
  passing.Resize(3, 2);
  passing.MarkPassTime[1][2] = 500;  // before 0.3 * ClockLast = 900
  passing.MarkPassTime[2][2] = 1200;
  passing.MarkPassTime[3][2] = NotPassed;
  passing.EntryLeadTime[2] = 500;
  PlaybackState p;
  p.FinishShown.assign(4, 0);

  p.RaceClock = 899;
  EXPECT_TRUE(DueFinishes(r, passing, p).empty());
  EXPECT_TRUE(HideRankings(r, p));
  p.RaceClock = 901;
  EXPECT_EQ(DueFinishes(r, passing, p), std::vector<int>{1});
  EXPECT_EQ(p.FinishedCount, 1);
  EXPECT_TRUE(DueFinishes(r, passing, p).empty());  // once per replay
  EXPECT_FALSE(HideRankings(r, p));
  p.RaceClock = 1199.6;  // Round(1200) <= 1199.6 is false
  EXPECT_TRUE(DueFinishes(r, passing, p).empty());
  p.RaceClock = 1200;
  EXPECT_EQ(DueFinishes(r, passing, p), std::vector<int>{2});
  EXPECT_EQ(p.FinishedCount, 2);

  // Back before 0.3 of the race: the rankings hide and nobody counts; before the first
  // finish the guns are re-armed.
  p.RaceClock = 400;
  EXPECT_TRUE(HideRankings(r, p));
  EXPECT_EQ(p.FinishedCount, 0);
  p.FinishedCount = 2;  // as if played back from the finishes
  EXPECT_TRUE(RearmFinishGuns(passing, r.CourseCount, p));
  EXPECT_EQ(p.FinishShown, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(p.FinishedCount, 0);  // the guns fire again, so nobody counts twice
  p.RaceClock = 950;
  EXPECT_EQ(DueFinishes(r, passing, p), std::vector<int>{1});
}

TEST(PlaybackClock, SpeedRampMovesTheBarFromPreStartToRaceSpeed) {
  RaceData r = Race();
  r.PreStartSpeed = 10;
  r.RaceSpeed = 100;
  PlaybackState p;
  p.PreStartSpeedPosition = SpeedToPosition(10);
  p.RaceSpeedPosition = SpeedToPosition(100);
  EXPECT_EQ(p.PreStartSpeedPosition, 39);
  EXPECT_EQ(p.RaceSpeedPosition, 80);
  p.PlaySpeed = 10;
  p.ClockStep = 0.5;
  p.BoatsOnScreen = 1;
  p.RaceClock = -0.2;
  p.PrevRaceClock = -0.7;
  EXPECT_FALSE(SpeedRampPosition(r, p));  // before the gun

  std::vector<int> positions;
  for (int tick = 0; tick < 120; ++tick) {
    p.PrevRaceClock = p.RaceClock;
    AdvanceClock(p);
    if (auto pos = SpeedRampPosition(r, p)) {
      positions.push_back(*pos);
      p.PlaySpeed = SpeedFromPosition(*pos);  // what the bar's change handler does
    }
  }
  ASSERT_FALSE(positions.empty());
  EXPECT_LE(positions.front(), 40);
  // Positions 76 to 80 all mean 100x: the ramp stops once the race speed is reached.
  EXPECT_EQ(positions.back(), 76);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_EQ(p.PlaySpeed, 100);
  EXPECT_EQ(p.SpeedRampStep, 100);

  // A user who chose a faster speed is never slowed down.
  p.SpeedRampStep = 10;
  p.PlaySpeed = 200;
  EXPECT_FALSE(SpeedRampPosition(r, p));
}

TEST(PlaybackTimer2, ClockStepFromFramesDrawn) {
  PlaybackState p;
  p.PlaySpeed = 10;
  p.FrameCount = 20;
  UpdateClockStep(p);
  EXPECT_DOUBLE_EQ(p.ClockStep, 0.5);
  EXPECT_EQ(p.FrameCount, 0);
  p.FrameCount = 3;  // a slow second counts as 20 frames
  UpdateClockStep(p);
  EXPECT_DOUBLE_EQ(p.ClockStep, 0.5);
  p.PlaySpeed = 0.1;
  p.FrameCount = 20;
  UpdateClockStep(p);
  EXPECT_DOUBLE_EQ(p.ClockStep, 1.0);  // below 0.01
}

TEST(PlaybackTimer2, BlinkCountdownAndMeanSpeeds) {
  PlaybackState p;
  std::vector<int> blink;
  for (int i = 0; i < 6; ++i) blink.push_back(AdvanceBlink(p));
  EXPECT_EQ(blink, (std::vector<int>{1, 0, 0, 1, 0, 0}));

  // A new minute beeps once; the last 30 seconds beep every second.
  p.RaceClock = -125;
  EXPECT_EQ(CountdownBeeps(p), 1);
  p.RaceClock = -124;
  EXPECT_EQ(CountdownBeeps(p), 0);
  p.RaceClock = -59;
  EXPECT_EQ(CountdownBeeps(p), 1);
  p.RaceClock = -30;
  EXPECT_EQ(CountdownBeeps(p), 1);
  p.RaceClock = 0.5;
  EXPECT_EQ(CountdownBeeps(p), 0);

  RaceData r = Race(4);
  FrameBoats f;
  f.Resize(4);
  for (int b = 1; b <= 4; ++b) r.BoatShown[b] = 1;
  f.BoatSpeedNow = {0, 6, 4, 8, 0};
  f.BoatWindAngleNow = {0, 40, -45, 150, 170};  // boat 4 is not moving
  r.BoatShown[2] = 1;
  MeanSpeeds m = ComputeMeanSpeeds(r, f);
  EXPECT_DOUBLE_EQ(m.up, 5);
  EXPECT_DOUBLE_EQ(m.down, 8);
  r.BoatShown[3] = 0;  // only shown boats count; an empty group gives 10000
  m = ComputeMeanSpeeds(r, f);
  EXPECT_DOUBLE_EQ(m.down, 10000);
}

TEST(PlaybackTimer3, TwoColourLightPhases) {
  RaceData r;
  r.LightCount = 1;
  r.LightPeriod.push_back(6);
  r.LightOnSeconds.push_back(2);
  r.LightColors.push_back("RG");
  PlaybackState p;
  // Phase a = (tick + 1) mod 6; collect state and pen by phase.
  std::map<int, std::pair<int, unsigned>> byPhase;
  for (int i = 0; i < 12; ++i) {
    TickLights(r, p);
    byPhase[(p.LightTick + 1) % 6] = {p.LightState[1], p.LightPen[1]};
  }
  EXPECT_EQ(p.LightPhaseSeconds, 0);
  EXPECT_EQ(byPhase[0].first, 0);
  EXPECT_GT(byPhase[1].first, 0);
  EXPECT_EQ(byPhase[1].second, 0xFF0000u);
  EXPECT_GT(byPhase[2].first, 0);
  EXPECT_EQ(byPhase[2].second, 0xFF0000u);
  EXPECT_GT(byPhase[3].first, 0);
  EXPECT_EQ(byPhase[3].second, 0x008000u);
  EXPECT_EQ(byPhase[4].first, 0);
  EXPECT_EQ(byPhase[5].first, 0);
}

TEST(PlaybackDaylight, BrightnessRampsAndSeaColours) {
  const double rise = 6 * 3600, set = 18 * 3600;
  int night = -1;
  EXPECT_EQ(DaylightBrightness(12 * 3600, rise, set, &night), 100);
  EXPECT_EQ(night, 0);
  EXPECT_EQ(DaylightBrightness(2 * 3600, rise, set, &night), 0);
  EXPECT_EQ(night, 1);
  EXPECT_EQ(DaylightBrightness(rise, rise, set, &night), 50);
  EXPECT_EQ(night, 1);
  EXPECT_DOUBLE_EQ(DaylightBrightness(rise + 1800, rise, set), 75);
  EXPECT_DOUBLE_EQ(DaylightBrightness(set - 1200, rise, set), 75);
  EXPECT_DOUBLE_EQ(DaylightBrightness(set + 1200, rise, set), 25);
  // The clock wraps at midnight; before the gun it may be negative.
  EXPECT_DOUBLE_EQ(TimeOfDay(86000, 1000), 600);
  EXPECT_DOUBLE_EQ(TimeOfDay(36000, -600), 35400);

  EXPECT_EQ(SeaColorFor(100), (Rgb{110, 160, 255}));
  EXPECT_EQ(SeaColorFor(0), (Rgb{0, 0, 70}));
  EXPECT_EQ(SeaColorFor(50), (Rgb{55, 80, 232}));  // 232.5 rounds to even
  EXPECT_EQ(GridColorFor(100), (Rgb{60, 110, 255}));
  EXPECT_EQ(GridColorFor(0), (Rgb{80, 80, 150}));
}

TEST(PlaybackStopWatch, FormatsRaceSeconds) {
  EXPECT_EQ(StopWatchText(0), "00:00:00");
  EXPECT_EQ(StopWatchText(3725.9), "01:02:05");
  EXPECT_EQ(StopWatchText(-61), "-00:01:01");
}
