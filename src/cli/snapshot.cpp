#include "cli/snapshot.h"

#include <QPainter>

#include "analysis/playback.h"
#include "race/numbers.h"
#include "session/session.h"
#include "view/analysis_page.h"
#include "view/artwork.h"
#include "view/geometry.h"
#include "view/graph_page.h"
#include "view/overview_map.h"
#include "view/rankings.h"
#include "view/render_state.h"
#include "view/renderer.h"
#include "view/still_map.h"
#include "view/wind_overlays.h"

namespace kw {

MapPainter::MapPainter(RaceSession& s, const SnapshotOptions& o)
    : s_(s), o_(o), rs_(std::make_unique<RenderState>()) {
  RaceData& r = s.race;
  ViewState& v = s.view;
  if (o.northUp >= 0) r.NorthUp = o.northUp;
  RenderState& rs = *rs_;
  rs.LabelLevel = 1;  // "Show Name" is ticked in the window
  rs.ShowSails = true;
  rs.ShowWindArrow = true;
  rs.AutoTrace = !o.still;
  rs.WindowHeight = o.height;
  rs.Overview = DrawOverviewImage(r, v);
  rs.CompassCard = RotateCompass(FormPicture(QStringLiteral("compasss")), CompassAngle(r));
  rs.WindStrip = BuildWindStripImage(r);
  rs.WindStripTop = 130;  // below the compass card, as the window places its panel
  TickLights(r, s.play);
  s.play.LightPhaseSeconds = 0.5;  // a snapshot shows the lights half way through a flash
  s.play.FinishShown.assign(static_cast<size_t>(r.BoatCount) + 1, 0);
  s.play.FinishedCount = 0;
  ranking_ = DrawRankingList(r, s.passing);
  // The flags are drawn in code: once, not for every frame of a video's countdown.
  classFlag_ = FormPicture(QStringLiteral("kwlogo"));
  bluePeter_ = FormPicture(QStringLiteral("blue_p"));
  v.TraceMode = o.still ? 0 : 1;
  if (o.still) EnterStillMap(v);
}

MapPainter::~MapPainter() = default;

QImage MapPainter::Draw(double t, double realSeconds) {
  RaceData& r = s_.race;
  ViewState& v = s_.view;
  PlaybackState& play = s_.play;
  RenderState& rs = *rs_;
  // The sea shades with the time of day, as the window's automatic sea colour does.
  const double tod = TimeOfDay(v.StartSecondOfDay, t);
  const int brightness = RoundInt(DaylightBrightness(tod, v.Sunrise, v.Sunset, &play.Night));
  rs.SeaBrightness = brightness;
  rs.SeaColor = SeaColorFor(brightness);
  rs.GridColor = GridColorFor(brightness);
  // The lights flash once a second of replay.
  if (realSeconds > 0) {
    lightClock_ += realSeconds;
    play.LightPhaseSeconds += realSeconds;
    if (lightClock_ >= 1) {
      lightClock_ -= 1;
      TickLights(r, play);
    }
  }
  play.PrevRaceClock = play.RaceClock;
  play.RaceClock = t;
  QImage map(o_.width, o_.height, QImage::Format_RGB32);
  if (o_.still) {
    if (brightness != backgroundBrightness_) {
      BuildStillMap(r, v, play, rs, background_);
      backgroundBrightness_ = brightness;
    }
    map = background_.copy();
  } else {
    map.fill(QColor(rs.SeaColor.r, rs.SeaColor.g, rs.SeaColor.b));
  }
  DrawScene(s_, rs, map, t);

  // What the window shows over the map: the start flags and the ranking list as boats finish.
  QPainter p(&map);
  if (t <= 0) {
    const int w = std::max(classFlag_.width(), bluePeter_.width());
    p.drawImage(v.MapWidth - w - 5, 5, classFlag_);
    if (t >= -240 && t < -60) p.drawImage(v.MapWidth - w - 5, 5, bluePeter_);
  }
  DueFinishes(r, s_.passing, play);
  HideRankings(r, play);
  RearmFinishGuns(s_.passing, r.CourseCount, play);
  if (play.FinishedCount > 0 && !ranking_.isNull())
    p.drawImage(QPoint(std::max(0, v.MapWidth - 185 - 10), 130), ranking_,
                QRect(0, 0, 185, 15 * play.FinishedCount + 6));
  return map;
}

QImage RenderSnapshot(RaceSession& s, const SnapshotOptions& o) {
  if (o.page == 2 || o.page == 3) {
    // The pages fill the map area. The window's map is its client height and four pixels, and
    // the graphs are laid out on the client height, around them the sea of full daylight the
    // window shows after a load: the same picture as the window's.
    QImage page(o.width, o.height, QImage::Format_RGB32);
    if (o.page == 2) {
      DrawGraphs(page, s.race, o.height - 4, SeaColorFor(100));
    } else {
      DrawAnalysisFigures(page, s.race, s.passing, 0);
    }
    return page;
  }
  MapPainter painter(s, o);
  return painter.Draw(o.at);
}

}  // namespace kw
