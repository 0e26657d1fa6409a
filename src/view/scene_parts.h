// What one replay frame works on: the race and its passing times (read; the race's boat list
// may be ticked), the view, the playback state and the per-boat frame state (written). The
// session that owns these values hands them over as SceneParts.
#pragma once

namespace kw {

struct RaceData;
struct ViewState;
struct PlaybackState;
struct PassingResults;
struct FrameBoats;

struct SceneParts {
  RaceData& race;
  ViewState& view;
  PlaybackState& play;
  const PassingResults& passing;
  FrameBoats& frame;
};

}  // namespace kw
