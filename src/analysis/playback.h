// The playback clock's rules, one function per step of the three timers, so that the window's
// tick handlers only apply the results to controls.
#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "race/model.h"

namespace kw {

struct PassingResults;
struct PlaybackState;
struct FrameBoats;

// Replay speed for a ScrollBar1 position: 1..10, then tens to 100, then hundreds to 1500.
double SpeedFromPosition(int position);

// Second of the local day at race clock `clock`.
double TimeOfDay(double startSecondOfDay, double clock);
// Sea brightness 0..100 at a second of the day: full by day, none at night, ramps of two hours
// round sunrise and 80 minutes round sunset. `night` (optional) is set to 1 outside daylight.
double DaylightBrightness(double timeOfDay, double sunrise, double sunset, int* night = nullptr);

// Sea and grid colours for a brightness 0..100 (the position of ScrollBar3).
Rgb SeaColorFor(int brightness);
Rgb GridColorFor(int brightness);

// Frame tick: the step (0.03 s when none was measured yet), the advance, 40 steps when no boat
// is inside the map, the speed-ramp counter and the light phase. Returns true when the advance
// skipped (the window beeps).
bool AdvanceClock(PlaybackState& p);
// Playing backward past ClockFirst continues from ClockLast.
void WrapBackward(const RaceData& race, PlaybackState& p);
// The race has run out while playing forward: past ClockLast, or past 600 s with no boat on
// the water.
bool EndOfRaceDue(const RaceData& race, const PlaybackState& p);
// Loops a repeat span; returns how many wraps happened (each one beeps).
int ApplyRepeatSpan(PlaybackState& p);
// Boats whose finish gun is due at this tick, in boat order; marks them shown and counts them.
std::vector<int> DueFinishes(const RaceData& race, const PassingResults& passing, PlaybackState& p);
// Before 0.3 of ClockLast the rankings are hidden and nobody counts as finished; true then.
bool HideRankings(const RaceData& race, PlaybackState& p);
// The clock crossed the gun forward within the first minute.
bool StartGunDue(const PlaybackState& p);
// ScrollBar1 position of the speed ramp after the gun, when it moves the bar.
std::optional<int> SpeedRampPosition(const RaceData& race, const PlaybackState& p);

// One-second tick: the clock step from the frames drawn (20 when fewer than 5), then zero
// frames.
void UpdateClockStep(PlaybackState& p);
// Advances the blink counter 1, 2, 3, 1 ...; returns NameBlink (1 on the first phase).
int AdvanceBlink(PlaybackState& p);
// Before the first finish the finish guns are re-armed and nobody counts as finished; true
// then (the window hides the rankings).
bool RearmFinishGuns(const PassingResults& passing, int courseCount, PlaybackState& p);
// Mean speeds of the shown boats on each point of sailing; 10000 for an empty group.
struct MeanSpeeds {
  double up = 10000, down = 10000;
};
MeanSpeeds ComputeMeanSpeeds(const RaceData& race, const FrameBoats& frame);
// Countdown beeps due at this tick (every second in the last 30, one at each new minute).
int CountdownBeeps(PlaybackState& p);

// Light tick: phase of every light.
void TickLights(const RaceData& race, PlaybackState& p);

// Formats a duration in seconds as hh:mm:ss (negative durations with a leading '-').
QString StopWatchText(double seconds);

}  // namespace kw
