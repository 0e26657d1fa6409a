#include "cli/snapshot.h"

#include "analysis/playback.h"
#include "race/numbers.h"
#include "session/session.h"
#include "view/artwork.h"
#include "view/geometry.h"
#include "view/overview_map.h"
#include "view/render_state.h"
#include "view/renderer.h"
#include "view/still_map.h"
#include "view/wind_overlays.h"

namespace kw {

QImage RenderSnapshot(RaceSession& s, const SnapshotOptions& o) {
  RaceData& r = s.race;
  ViewState& v = s.view;
  PlaybackState& play = s.play;
  if (o.northUp >= 0) r.NorthUp = o.northUp;
  RenderState rs;
  rs.LabelLevel = 1;  // "Show Name" is ticked in the window
  rs.ShowSails = true;
  rs.ShowWindArrow = true;
  rs.AutoTrace = !o.still;
  rs.WindowHeight = o.height;
  // The sea shades with the time of day, as the window's automatic sea colour does.
  const double tod = TimeOfDay(v.StartSecondOfDay, o.at);
  const int brightness = RoundInt(DaylightBrightness(tod, v.Sunrise, v.Sunset, &play.Night));
  rs.SeaBrightness = brightness;
  rs.SeaColor = SeaColorFor(brightness);
  rs.GridColor = GridColorFor(brightness);
  TickLights(r, play);
  play.LightPhaseSeconds = 0.5;  // half way through a flash
  rs.Overview = DrawOverviewImage(r, v);
  rs.CompassCard = RotateCompass(FormPicture(QStringLiteral("compasss")), CompassAngle(r));
  rs.WindStrip = BuildWindStripImage(r);
  rs.WindStripTop = 130;  // below the compass card, as the window places its panel

  play.RaceClock = o.at;
  QImage map(o.width, o.height, QImage::Format_RGB32);
  if (o.still) {
    v.TraceMode = 0;
    EnterStillMap(v);
    QImage background;
    BuildStillMap(r, v, play, rs, background);
    map = background;
  } else {
    v.TraceMode = 1;
    map.fill(QColor(rs.SeaColor.r, rs.SeaColor.g, rs.SeaColor.b));
  }
  DrawScene(s, rs, map, o.at);
  return map;
}

}  // namespace kw
