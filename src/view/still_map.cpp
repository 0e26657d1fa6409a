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
#include "view/view_state.h"

namespace kw {

namespace {

QPolygon TrackLine(const RaceData& race, const ViewState& v, const PlaybackState& play, int b) {
  QPolygon line;
  const auto [first, last] = StillTrackRange(race, play, b);
  const ScreenProjector project(race, v);
  for (int i = first; i <= last; ++i)
    AppendPoint(line, Rounded(project(race.TrackLat[b][i], race.TrackLon[b][i])));
  return line;
}

}  // namespace

std::pair<int, int> StillTrackRange(const RaceData& race, const PlaybackState& play, int b) {
  const int n = race.BoatSampleCount[b];
  if (!play.RepeatActive || n < 1) return {1, n};
  const auto& t = race.TrackTime[b];
  int first = 1;
  for (int i = 1; i <= n; ++i) {
    if (t[i] > play.RepeatFrom) {
      first = std::max(1, i - 1);
      break;
    }
  }
  int last = n;
  for (int i = first; i <= n; ++i) {
    if (t[i] > play.RepeatTo) {
      last = i;
      break;
    }
  }
  return {first, last};
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
    p.drawPolyline(TrackLine(race, v, play, b));
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
  const QPolygon line = TrackLine(race, v, play, boat);
  p.setPen(QPen(Qt::white, 6));
  p.drawPolyline(line);
  p.setPen(QPen(ToQColor(race.BoatColor[boat]), 2));
  p.drawPolyline(line);
}

}  // namespace kw
