#include "session/insight.h"

#include "session/session.h"

namespace kw {

const RaceInsight& InsightOf(RaceSession& s) {
  RaceInsight& in = s.insight;
  if (in.made) return in;
  in.fleet = MeasureFleet(s.race, s.view.CosCentreLat);
  in.estimate = EstimateWind(s.race, s.passing, in.fleet);
  in.wind = ChooseWind(s.race, in.estimate);
  in.manoeuvres = DetectFleetManoeuvres(s.race, s.passing, in.fleet, in.wind);
  in.made = true;
  return in;
}

void ForgetInsight(RaceSession& s) {
  s.insight = RaceInsight();
}

}  // namespace kw
