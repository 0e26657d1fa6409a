// Playback state: the race clock and the values its timers keep between ticks.
#pragma once

namespace kw {

struct PlaybackState {
  double RaceClock = 0;
  int PlayDirection = 1;
  double PlaySpeed = 5.0;
  int RepeatActive = 0;
  int FinishedCount = 0;
  int FrameCount = 30;
  int Page = 1;  // 1 Track, 2 Graph, 3 Anlys
  int HasWindFile = 0;
  int FirstLoadDone = 0;
  int ModeChosenByUser = 0;
  int SelectedBoat = 0;  // boat chosen in the focus lists, 0 for none
  int Language = 2;      // 0 Japanese, 1 English chosen by the flag, 2 English on another system
};

}  // namespace kw
