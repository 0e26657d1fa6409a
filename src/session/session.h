// Everything one loaded race consists of: the race data, the view, the playback state, the
// passing times and legs, and where each boat is in the frame being drawn.
// Owned once, by the form or by the CLI.
#pragma once

#include "analysis/frame_state.h"
#include "analysis/mark_passing.h"
#include "analysis/playback_state.h"
#include "race/model.h"
#include "session/insight.h"
#include "view/scene_parts.h"
#include "view/view_state.h"

namespace kw {

struct RaceSession {
  RaceData race;
  ViewState view;
  PlaybackState play;
  PassingResults passing;
  FrameBoats frame;
  RaceInsight insight;  // made on demand (InsightOf), forgotten by every load

  // A frame draws on the session's values.
  operator SceneParts() { return {race, view, play, passing, frame}; }
};

}  // namespace kw
