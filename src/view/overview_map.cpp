#include "view/overview_map.h"

#include <QPainter>
#include <QPolygon>

#include "analysis/frame_state.h"
#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/numbers.h"
#include "view/geometry.h"
#include "view/paint.h"
#include "view/render_state.h"
#include "view/track_lines.h"
#include "view/view_state.h"

namespace kw {

QImage DrawOverviewImage(const RaceData& race, const ViewState& v) {
  QImage img(v.OverviewWidth, v.OverviewHeight, QImage::Format_RGB32);
  img.fill(QColor(120, 150, 255));
  QPainter p(&img);
  const ScreenProjector overview = ScreenProjector::Overview(race, v);
  auto project = [&](double lat, double lon) { return Rounded(overview(lat, lon)); };
  for (int b = race.BoatCount; b >= 1; --b) {
    p.setPen(QPen(ToQColor(race.BoatColor[b]), 1));
    for (const QPolygon& track :
         TrackPolylines(race, b, 1, race.BoatSampleCount[b], overview, img.rect()))
      p.drawPolyline(track);
  }
  p.setPen(QPen(Qt::white, 1));
  DrawCoastPolylines(p, race, project, img.rect().adjusted(-2, -2, 2, 2));
  for (int i = 1; i <= race.LightCount; ++i)
    Disc(p, project(race.LightLat[i], race.LightLon[i]), 2, Qt::red, QColor(255, 255, 0));
  return img;
}

QRect ViewRectangle(const RaceData& race, const ViewState& v) {
  const double m = (v.ViewCentreLon - v.RaceCentreLon) * v.OverviewScaleLon;
  const double r = (v.RaceCentreLat - v.ViewCentreLat) * v.OverviewScaleLat;
  const Point2 q = RotateView(race, m, r, -race.WindwardBearing * 3.14159265358979323846 / 180);
  const double cx = v.OverviewWidth / 2.0 + q.x, cy = v.OverviewHeight / 2.0 + q.y;
  const double per = v.ScaleLon > 0 ? v.OverviewScaleLon / v.ScaleLon : 0;
  const int w = RoundInt(v.MapWidth * per), h = RoundInt(v.MapHeight * per);
  return QRect(RoundInt(cx - w / 2.0 + 3), RoundInt(cy - h / 2.0 + 3), w, h);
}

void DrawOverviewCorner(QPainter& p, const RaceData& race, const ViewState& v,
                        const PlaybackState& play, const FrameBoats& frame, const RenderState& rs) {
  if (!rs.Overview.isNull()) p.drawImage(v.MapWidth - v.OverviewWidth, 0, rs.Overview);
  for (int b = race.BoatCount; b >= 1; --b) {
    if (b < static_cast<int>(play.FinishShown.size()) && play.FinishShown[b]) continue;
    if (b >= static_cast<int>(frame.BoatLatNow.size())) continue;
    const Point2 o = ToOverview(race, v, frame.BoatLatNow[b], frame.BoatLonNow[b]);
    const QPoint c(RoundInt(v.MapWidth - v.OverviewWidth / 2.0 + (o.x - v.OverviewWidth / 2.0)),
                   RoundInt(o.y));
    Disc(p, c, 3, Qt::white, ToQColor(race.BoatColor[b]));
  }
}

}  // namespace kw
