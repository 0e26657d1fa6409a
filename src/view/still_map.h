// The still map's background: the tracks of the ticked boats, the marks and lines and the
// coastline, painted once at the still map's own scale and centre; and the same picture with
// the track of the boat under the pointer in the boat list.
#pragma once

#include <utility>

class QImage;

namespace kw {

struct RaceData;
struct ViewState;
struct PlaybackState;
struct RenderState;

// The samples of boat b's track drawn on the still map: all of them, or, while a repeat span
// is active, from one sample before the span to one after it.
std::pair<int, int> StillTrackRange(const RaceData& race, const PlaybackState& play, int b);

// Paints `background` (resized to the map) and sets the view's centre and scales for the
// frames drawn over it. Returns how many lines lack their second end (each one beeps).
int BuildStillMap(const RaceData& race, ViewState& v, const PlaybackState& play,
                  const RenderState& rs, QImage& background);
// `background` with the track of `boat` drawn white 6 wide, then in its colour 2 wide.
void BuildHighlight(const RaceData& race, const ViewState& v, const PlaybackState& play, int boat,
                    const QImage& background, QImage& highlight);

}  // namespace kw
