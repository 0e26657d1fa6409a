#include "view/map_pointer.h"

#include <algorithm>
#include <cmath>

#include "race/model.h"
#include "race/numbers.h"
#include "view/geometry.h"
#include "view/view_state.h"

namespace kw {

namespace {

QString DegreesMinutes(double value, char positive, char negative) {
  const double a = std::fabs(value);
  const double degrees = std::trunc(a / 60);
  const double minutes = std::max(0.0, a - 60 * degrees);
  // The minutes + 100 in general form, from its second character: "105.1236" gives "05.123".
  const QString m = QString::fromStdString(ShortestReal(minutes + 100)).mid(1, 6);
  return QLatin1Char(value > 0 ? positive : negative) + QString::number(degrees, 'f', 0) +
         QLatin1Char(':') + m;
}

// The still map's own view: centre and zoomed scales.
ViewState StillView(const ViewState& v) {
  ViewState s = v;
  s.ViewCentreLat = v.UserCentreLat;
  s.ViewCentreLon = v.UserCentreLon;
  s.ScaleLat = v.BaseScaleLat * v.ZoomFactor;
  s.ScaleLon = v.BaseScaleLon * v.ZoomFactor;
  return s;
}

// Zoom limits: 22 enlarging clicks and 12 shrinking ones from the whole race.
constexpr double kMaxZoom = 7482.0, kMinZoom = 0.0077;

}  // namespace

QString LatitudeText(double lat) {
  return DegreesMinutes(lat, 'N', 'S');
}

QString LongitudeText(double lon) {
  return DegreesMinutes(lon, 'E', 'W');
}

HoverZones HoverZonesAt(int x, int y, int page, int traceMode, int mapWidth, int mapHeight,
                        bool showName) {
  HoverZones z;
  if (page == 1) {
    if (x < mapWidth * 3 / 4.0) {
      z.ShowAllHulls = z.ShowWindArrow = true;
      z.LabelLevel = 1;
    }
    if (x < mapWidth / 2.0) z.LabelLevel = 2;
    if (x < mapWidth / 4.0) z.LabelLevel = 3;
    if (x < 100 && y < 100) z.ShowWindTicks = true;
  }
  if (showName && z.LabelLevel == 0) z.LabelLevel = 1;
  z.SpeedWakes = mapHeight - 100 < y && y < mapHeight && traceMode > 0 && x < mapWidth;
  z.HoverNames = y < mapHeight / 3.0 && traceMode > 0 && z.LabelLevel == 0;
  return z;
}

int CompassLabelLevel(int x, int y, int size) {
  const double dx = x - size / 2.0, dy = y - size / 2.0;
  return std::hypot(dx, dy) < 0.4 * size ? 0 : 1;
}

LatLon StillMapPosition(const RaceData& race, const ViewState& v, double x, double y) {
  return ToLatLon(race, StillView(v), x, y);
}

NearestCoursePoint FindNearestCoursePoint(const RaceData& race, const ViewState& v, int x, int y) {
  NearestCoursePoint best;
  const ViewState still = StillView(v);
  auto consider = [&](double lat, double lon, int mark, int line) {
    const Point2 p = ToScreen(race, still, lat, lon);
    const double d = std::hypot(RoundInt(p.x) - x, RoundInt(p.y) - y);
    if (!(d < best.distance)) return;
    best.distance = d;
    best.mark = mark;
    best.line = line;
    best.label = mark > 0 ? QStringLiteral("MK%1").arg(mark) : QStringLiteral("L%1").arg(line);
  };
  for (int m = 1; m <= race.MarkCount; ++m) consider(race.MarkLat[m], race.MarkLon[m], m, 0);
  for (int l = 1; l <= race.LineCount; ++l) consider(race.LineLatA[l], race.LineLonA[l], 0, l);
  for (int l = 1; l <= race.LineCount; ++l) {
    if (race.LineLatB[l] != 0) consider(race.LineLatB[l], race.LineLonB[l], 0, l);
  }
  return best;
}

void RecentreFromOverview(const RaceData& race, ViewState& v, int x, int y) {
  if (!(v.OverviewScaleLat > 0) || !(v.OverviewScaleLon > 0)) return;
  const Point2 r = RotateView(race, x - v.OverviewWidth / 2.0, y - v.OverviewHeight / 2.0,
                              MapTurn(race) * std::acos(-1.0) / 180.0);
  v.UserCentreLat = v.RaceCentreLat - r.y / v.OverviewScaleLat;
  v.UserCentreLon = v.RaceCentreLon + r.x / v.OverviewScaleLon;
}

double ZoomAfterClick(double zoom, bool enlarge) {
  return std::clamp(enlarge ? zoom * 1.5 : zoom / 1.5, kMinZoom, kMaxZoom);
}

WindInputArea WindInputAreaFor(int mapWidth, int clientHeight) {
  WindInputArea a;
  a.width = RoundInt(mapWidth / 2.0 - 45);
  a.height = clientHeight - 77;
  return a;
}

std::optional<WindInput> WindInputAt(const RaceData& race, const WindInputArea& a, int x, int y) {
  if (a.width <= 0 || a.height <= 0 || x < a.left || x > a.left + a.width) return std::nullopt;
  // Above or below the area a press would name a time outside the playback window.
  if (y < a.top || y > a.top + a.height) return std::nullopt;
  WindInput w;
  w.time = RoundHalfEven(race.ClockSpan * static_cast<double>(a.top + a.height - y) / a.height +
                         race.ClockFirst);
  int d = RoundInt(RoundHalfEven(360.0 * (x - a.left) / a.width) + race.WindwardBearing - 90);
  if (d < 0) d += 360;
  if (d > 360) d -= 360;
  w.direction = d;
  return w;
}

}  // namespace kw
