// Playback state: the race clock and the values its timers keep between ticks.
#pragma once

#include <vector>

namespace kw {

struct PlaybackState {
  double RaceClock = 0;
  double PrevRaceClock = 0;  // RaceClock at the end of the previous frame tick
  double ClockStep = 0;      // race seconds per frame tick, set every second
  int PlayDirection = 1;
  double PlaySpeed = 5.0;
  // ScrollBar1 positions of the race and pre-start speeds, single precision as computed.
  float RaceSpeedPosition = 0, PreStartSpeedPosition = 0;
  // Frame ticks since the gun for the speed ramp, and the ramp's length.
  float SpeedRampStep = 0, SpeedRampLength = 100;
  int FrameInterval = 50;  // ms between frame ticks
  int FrameCount = 30;     // frames drawn since the last one-second tick
  int BoatsOnScreen = 0;   // hulls the last frame drew inside the map
  int BoatsWithPosition = 0;

  int StopWatchState = 0;  // 0 off, 1 running, 2 frozen
  double StopWatchStart = 0;

  int RepeatActive = 0;
  double RepeatFrom = 0, RepeatTo = 0;

  std::vector<int> FinishShown;  // [boat], 1 once its finish gun was fired in this replay
  int FinishedCount = 0;

  // Navigation lights: real seconds since the last light tick, the tick counter, and per
  // light (1-based) whether it is lit (> 0) and its pen.
  double LightPhaseSeconds = 0;
  int LightTick = 0;
  std::vector<int> LightState;
  std::vector<unsigned> LightPen;  // 0xRRGGBB: red, green (0, 128, 0) or white

  int AutoSeaColor = 1;
  double SeaBrightness = 100;
  int Night = 0;
  int AutoNext = 1;
  double ShownTime = 0;  // day-count date-time last shown by a jump

  int BlinkPhase = 0;           // 1, 2, 3, 1, ... on the one-second tick
  int LastCountdownMinute = 1;  // minute of the last minute beep before the start

  int HasWindFile = 0;
  int FirstLoadDone = 0;
  int ModeChosenByUser = 0;
  int SelectedBoat = 0;  // boat chosen in the focus lists, 0 for none
};

}  // namespace kw
