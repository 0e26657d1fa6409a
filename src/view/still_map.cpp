#include "view/still_map.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/numbers.h"
#include "view/chart_overlays.h"
#include "view/geometry.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/track_lines.h"
#include "view/view_state.h"

namespace kw {

namespace {

std::vector<QPolygon> TrackLine(const RaceData& race, const ViewState& v, const PlaybackState& play,
                                int b) {
  const auto [first, last] = StillTrackRange(race, play, b);
  return TrackPolylines(race, b, first, last, ScreenProjector(race, v),
                        QRect(0, 0, std::max(1, v.MapWidth), std::max(1, v.MapHeight)));
}

}  // namespace

std::pair<int, int> StillTrackRange(const RaceData& race, const PlaybackState& play, int b) {
  const int n = race.BoatSampleCount[b];
  if (!play.RepeatActive || n < 1) return {1, n};
  const auto& t = race.TrackTime[b];
  // The first sample from `from` on that is later than x (n + 1 when none): halving when the
  // times never go back, which finds the same one.
  const bool rising = t.RisesThrough(n);
  auto firstLater = [&](int from, double x) {
    if (rising) {
      int lo = from, hi = n + 1;
      while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (t[mid] > x) {
          hi = mid;
        } else {
          lo = mid + 1;
        }
      }
      return lo;
    }
    for (int i = from; i <= n; ++i)
      if (t[i] > x) return i;
    return n + 1;
  };
  const int after = firstLater(1, play.RepeatFrom);
  const int first = after <= n ? std::max(1, after - 1) : 1;
  const int end = firstLater(first, play.RepeatTo);
  return {first, end <= n ? end : n};
}

int BuildStillMap(const RaceData& race, ViewState& v, const PlaybackState& play,
                  const RenderState& rs, QImage& background) {
  // The frames over this background use the still map's centre and scale; set them first so
  // that the background is drawn with the very projection of those frames.
  v.ViewCentreLat = v.UserCentreLat;
  v.ViewCentreLon = v.UserCentreLon;
  v.ScaleLat = v.BaseScaleLat * v.ZoomFactor;
  v.ScaleLon = v.BaseScaleLon * v.ZoomFactor;
  const QSize size(std::max(1, v.MapWidth), std::max(1, v.MapHeight));
  if (background.size() != size) background = QImage(size, QImage::Format_RGB32);
  background.fill(ToQColor(rs.SeaColor));
  QPainter p(&background);
  SetFontPoints(p, 9);
  for (int b = race.BoatCount; b >= 1; --b) {
    if (race.BoatShown[b] <= 0) continue;
    p.setPen(QPen(ToQColor(race.BoatColor[b]), 1));
    for (const QPolygon& line : TrackLine(race, v, play, b)) p.drawPolyline(line);
  }
  const int zone = ZoneRadius(race.DefaultBoatLength, v.ScaleLat);
  auto project = [&](double lat, double lon) { return Rounded(ToScreen(race, v, lat, lon)); };
  const int beeps =
      DrawMarksAndLines(p, race, project, zone, ToQColor(rs.SeaColor), /*alwaysEndB=*/false);
  DrawCoastline(p, race, v);
  return beeps;
}

void BuildHighlight(const RaceData& race, const ViewState& v, const PlaybackState& play, int boat,
                    const QImage& background, QImage& highlight) {
  highlight = background.copy();
  if (boat < 1 || boat > race.BoatCount) return;
  QPainter p(&highlight);
  const std::vector<QPolygon> lines = TrackLine(race, v, play, boat);
  p.setPen(QPen(Qt::white, 6));
  for (const QPolygon& line : lines) p.drawPolyline(line);
  p.setPen(QPen(ToQColor(race.BoatColor[boat]), 2));
  for (const QPolygon& line : lines) p.drawPolyline(line);
}

}  // namespace kw
