#include "analysis/wind_now.h"

#include "race/model.h"
#include "race/numbers.h"

namespace kw {

namespace {

int IntoFullTurn(int d) {
  if (d < 0) d += 360;
  if (d > 360) d -= 360;
  return d;
}

}  // namespace

void WindAt(const RaceData& race, double t, WindState& w) {
  int dir = -1;
  double speed = -1;
  w.WindTrend = 0;
  const int n = race.WindCount;
  if (n >= 1) {
    if (t <= race.WindTime[1]) {
      dir = race.WindDir[1];
      speed = race.WindSpeed[1];
    } else if (t >= race.WindTime[n]) {
      dir = race.WindDir[n];
      speed = race.WindSpeed[n];
    } else {
      int e = w.WindSearchIndex;
      for (int tries = 0; tries < n - 1; ++tries) {
        if (e < 1 || e > n - 1) e = 1;
        if (race.WindTime[e] <= t && t < race.WindTime[e + 1]) {
          w.WindSearchIndex = e;
          const double f = (t - race.WindTime[e]) / (race.WindTime[e + 1] - race.WindTime[e]);
          int delta = race.WindDir[e + 1] - race.WindDir[e];
          if (delta < -180) delta += 360;
          if (delta > 180) delta -= 360;
          dir = IntoFullTurn(RoundInt(delta * f + race.WindDir[e]));
          speed = race.WindSpeed[e] + f * (race.WindSpeed[e + 1] - race.WindSpeed[e]);
          w.WindTrend = delta > 0 ? 1 : (delta < 0 ? -1 : 0);
          break;
        }
        ++e;
      }
    }
  }
  if (speed > 0) speed = RoundHalfEven(10 * speed) / 10;
  w.WindDirNow = dir == -1 ? race.WindDirection : dir;
  w.WindSpeedNow = speed == -1 ? 5.0 : speed;
  w.TrueWindNow = IntoFullTurn(RoundInt(race.MagneticVariation) + w.WindDirNow);
  if (w.SmoothWindDir == 0) w.SmoothWindDir = w.WindDirNow;
  if (w.SmoothWindSpeed == 0) w.SmoothWindSpeed = w.WindSpeedNow;
  w.SmoothWindDir = 0.95 * w.SmoothWindDir + 0.05 * w.WindDirNow;
  if (w.SmoothWindDir > 360) w.SmoothWindDir -= 360;
  w.SmoothWindSpeed = 0.95 * w.SmoothWindSpeed + 0.05 * w.WindSpeedNow;
}

}  // namespace kw
