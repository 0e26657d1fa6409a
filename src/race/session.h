// Everything one loaded race consists of: the race data, the view and the playback state.
// Owned once, by the form or by the CLI.
#pragma once

#include "analysis/playback_state.h"
#include "race/model.h"
#include "view/view_state.h"

namespace kw {

struct RaceSession {
  RaceData race;
  ViewState view;
  PlaybackState play;
};

}  // namespace kw
