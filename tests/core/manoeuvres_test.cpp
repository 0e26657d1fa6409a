// Tacks, gybes, roundings and full turns found in the tracks against the demo simulator's own
// record of them, their losses against its tacking model, the legs' figures against the truth's
// counts, and tracks that offer little or something odd to find.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/manoeuvres.h"
#include "analysis/track_motion.h"
#include "analysis/wind_estimate.h"
#include "analysis/wind_used.h"
#include "demo_truth.h"
#include "synthetic_sailing.h"

using namespace kw;

namespace {

struct Score {
  int truth = 0, found = 0, matched = 0;
  std::vector<double> trueTack, foundTack, trueGybe, foundGybe;  // losses, metres
  double Recall() const { return truth ? double(matched) / truth : 1; }
  double Precision() const { return found ? double(matched) / found : 1; }
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Pairs found and true manoeuvres of the same kind within 10 s, each used once, nearest first.
void Match(const std::vector<kwtest::TrueManoeuvre>& truth, const std::vector<Manoeuvre>& found,
           Score& s) {
  s.truth += static_cast<int>(truth.size());
  s.found += static_cast<int>(found.size());
  std::vector<char> used(truth.size(), 0);
  for (const Manoeuvre& f : found) {
    int best = -1;
    for (size_t k = 0; k < truth.size(); ++k) {
      if (used[k] || truth[k].kind != ManoeuvreKindName(f.kind)) continue;
      if (std::abs(truth[k].t - f.t) > 10) continue;
      if (best < 0 || std::abs(truth[k].t - f.t) < std::abs(truth[best].t - f.t))
        best = static_cast<int>(k);
    }
    if (best < 0) continue;
    used[best] = 1;
    ++s.matched;
    // Losses compared where the simulator counted its whole minute after the turn began.
    if (truth[best].window < 59) continue;
    if (f.kind == ManoeuvreKind::Tack)
      s.trueTack.push_back(truth[best].loss), s.foundTack.push_back(f.lossMetres);
    if (f.kind == ManoeuvreKind::Gybe)
      s.trueGybe.push_back(truth[best].loss), s.foundGybe.push_back(f.lossMetres);
  }
}

struct Detected {
  WindUsed wind;
  std::vector<BoatManoeuvres> boats;
};

Detected Detect(const RaceData& race, const PassingResults& passing, double cosLat) {
  const auto fleet = MeasureFleet(race, cosLat);
  Detected d;
  d.wind = ChooseWind(race, EstimateWind(race, passing, fleet));
  d.boats = DetectFleetManoeuvres(race, passing, fleet, d.wind);
  return d;
}

int Count(const BoatManoeuvres& b, ManoeuvreKind kind) {
  return static_cast<int>(std::count_if(b.list.begin(), b.list.end(),
                                        [&](const Manoeuvre& m) { return m.kind == kind; }));
}

}  // namespace

// Race 1 measured against its wind log, the coastal race against the estimate, the offshore
// race (no estimate there) against its race file's wind direction.
TEST(Manoeuvres, MatchTheSimulatorsOnEveryDemoRace) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  for (const char* stem : kwtest::kDemoRaces) {
    SCOPED_TRACE(stem);
    RaceSession s;
    ASSERT_TRUE(kwtest::LoadDemoRace(s, stem));
    const Detected d = Detect(s.race, s.passing, s.view.CosCentreLat);
    const auto truth = kwtest::ReadManoeuvreTruth(stem);
    Score score;
    for (int b = 1; b <= s.race.BoatCount; ++b) {
      auto it = truth.find(s.race.BoatTrackFile[b]);
      if (it != truth.end()) Match(it->second, d.boats[b].list, score);
    }
    std::printf(
        "%s (wind: %s): %d true, %d found, recall %.3f, precision %.3f; median loss "
        "tack %.1f m (simulator %.1f), gybe %.1f m (simulator %.1f)\n",
        stem, WindSourceKey(d.wind), score.truth, score.found, score.Recall(), score.Precision(),
        Median(score.foundTack), Median(score.trueTack), Median(score.foundGybe),
        Median(score.trueGybe));
    EXPECT_GE(score.Recall(), 0.95);
    EXPECT_GE(score.Precision(), 0.95);
    // Losses of the simulator's order: its tacks cost 8-15 m against the wind, its gybes a few.
    if (score.trueTack.size() >= 10) {
      EXPECT_NEAR(Median(score.foundTack), Median(score.trueTack), 0.3 * Median(score.trueTack));
    }
    if (score.trueGybe.size() >= 10) {
      EXPECT_NEAR(Median(score.foundGybe), Median(score.trueGybe), 3);
    }
  }
}

// Each leg a boat sailed whole: its tacks and gybes are those of the truth in that stretch, its
// time is split between the boards, and it sailed at least the leg's length.
TEST(Manoeuvres, LegsAddUpOnTheMainDemoRace) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  RaceSession s;
  ASSERT_TRUE(kwtest::LoadDemoRace(s, "enoshima-r1"));
  const Detected d = Detect(s.race, s.passing, s.view.CosCentreLat);
  const auto truth = kwtest::ReadManoeuvreTruth("enoshima-r1");
  int legs = 0;
  for (int b = 1; b <= s.race.BoatCount; ++b) {
    auto it = truth.find(s.race.BoatTrackFile[b]);
    if (it == truth.end()) continue;
    for (const LegFigures& f : d.boats[b].legs) {
      SCOPED_TRACE(s.race.BoatTrackFile[b] + " leg " + std::to_string(f.leg));
      const double from = s.passing.MarkPassTime[b][f.leg],
                   to = s.passing.MarkPassTime[b][f.leg + 1];
      int tacks = 0, gybes = 0;
      for (const auto& m : it->second) {
        if (m.t < from || m.t >= to) continue;
        tacks += m.kind == "tack";
        gybes += m.kind == "gybe";
      }
      EXPECT_NEAR(f.tacks, tacks, 1);
      EXPECT_NEAR(f.gybes, gybes, 1);
      EXPECT_EQ(f.kind, f.leg % 2 == 1 ? 1 : 2);  // L1->MK1 up, MK1->MK2 down ...
      EXPECT_NEAR(f.portSeconds + f.starboardSeconds, f.seconds, 0.02 * f.seconds);
      EXPECT_GE(f.sailedMetres, 0.95 * f.lengthMetres);
      EXPECT_GT(f.madeGoodKnots, 2.0);
      ++legs;
    }
  }
  EXPECT_GE(legs, 60);  // four legs of the boats that finished
}

// Tracks sailed to a plan: what is found is what the plan did, and nothing where the plan (or
// the logger) gives nothing.
TEST(Manoeuvres, FollowThePlanOfASailedTrack) {
  using kwtest::Stretch;
  const double wind = 250;
  // A beat of five boards, a bear-away to a run and two gybes.
  std::vector<Stretch> beatAndRun = kwtest::Beat(5, 80);
  for (const Stretch& s : {Stretch{100, 150}, Stretch{100, -150}, Stretch{100, 150}})
    beatAndRun.push_back(s);
  // A reach, a full turn to port at 10 degrees a second, the reach again.
  const std::vector<Stretch> turn = {{300, 90}, {9, 180}, {9, 270}, {9, 0}, {9, 90}, {300, 90}};
  // The beat again with the logger silent from 20 s before to 40 s after its third change.
  kwtest::SailedTrack gapped = kwtest::Sail(wind, beatAndRun, -30);
  const double gapFrom = -30 + 240 - 20, gapTo = -30 + 240 + 40;
  for (size_t i = gapped.t.size(); i-- > 0;) {
    if (gapped.t[i] < gapFrom || gapped.t[i] > gapTo) continue;
    gapped.t.erase(gapped.t.begin() + static_cast<long>(i));
    gapped.lat.erase(gapped.lat.begin() + static_cast<long>(i));
    gapped.lon.erase(gapped.lon.begin() + static_cast<long>(i));
  }
  // ... and with its clock stepping back 100 s for 30 fixes halfway (those fixes cannot be
  // placed; the rest stays).
  kwtest::SailedTrack back = kwtest::Sail(wind, beatAndRun, -30);
  for (size_t i = 400; i < 430; ++i) back.t[i] -= 100;

  struct Case {
    const char* what;
    kwtest::SailedTrack track;
    int tacks, gybes, penalties;
    double quietFrom = 0, quietTo = 0;  // nothing may be found in here
  };
  const std::vector<Case> cases = {
      {"beat and run", kwtest::Sail(wind, beatAndRun, -30), 4, 2, 0},
      {"a full turn on a reach", kwtest::Sail(wind, turn, -30), 0, 0, 1},
      {"a gap over a tack", gapped, 3, 2, 0, gapFrom, gapTo},
      {"time stepping back", back, 4, 2, 0},
      {"moored", kwtest::Sail(wind, {{1800, 0, 0}}, -30), 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RaceData race;
    PassingResults passing;
    // Two boats alike make a fleet the estimate can use; the second keeps the plan whole.
    kwtest::MakeRace({c.track, kwtest::Sail(wind, beatAndRun, -30, 9, 500)}, wind, race, passing);
    const Detected d = Detect(race, passing, kwtest::kSynthCosLat);
    const BoatManoeuvres& m = d.boats[1];
    EXPECT_EQ(Count(m, ManoeuvreKind::Tack), c.tacks);
    EXPECT_EQ(Count(m, ManoeuvreKind::Gybe), c.gybes);
    EXPECT_EQ(Count(m, ManoeuvreKind::Penalty), c.penalties);
    EXPECT_EQ(Count(m, ManoeuvreKind::Rounding), 0);  // no course, no marks
    for (const Manoeuvre& x : m.list) {
      EXPECT_FALSE(x.t >= c.quietFrom && x.t <= c.quietTo) << x.t;
      EXPECT_LE(x.start, x.t);
      EXPECT_GE(x.end, x.t);
      EXPECT_LE(x.speedMin, std::min(x.speedIn, x.speedOut) + 0.01);
      if (x.kind == ManoeuvreKind::Tack) {
        EXPECT_GT(x.lossMetres, 0);
      }
    }
  }
}

// A real club race in Valencia (two dinghies, watches at 1 Hz), with its course from the race's
// metadata: each boat rounds three marks, tacks on both beats
// and gybes on both runs, and pays a dinghy's price for it.
TEST(Manoeuvres, RealClubRaceWithItsCourse) {
  kwtest::DataFolder dir;
  if (!kwtest::WriteValenciaRace(dir)) GTEST_SKIP() << "no real data";
  RaceSession s;
  s.race.ProgramFolder = dir.path();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  LoadHooks hooks;
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  const Detected d = Detect(s.race, s.passing, s.view.CosCentreLat);
  EXPECT_EQ(d.wind.source, WindUsed::Estimate);
  for (int b = 1; b <= 2; ++b) {
    SCOPED_TRACE(b);
    const BoatManoeuvres& m = d.boats[b];
    EXPECT_EQ(Count(m, ManoeuvreKind::Rounding), 3);
    ASSERT_EQ(m.legs.size(), 4u);
    std::vector<double> losses;
    for (const Manoeuvre& x : m.list)
      if (x.kind == ManoeuvreKind::Tack) losses.push_back(x.lossMetres);
    for (const LegFigures& leg : m.legs) {
      EXPECT_EQ(leg.kind, leg.leg % 2 == 1 ? 1 : 2);
      EXPECT_GE(leg.kind == 1 ? leg.tacks : leg.gybes, 1) << "leg " << leg.leg;
      EXPECT_EQ(leg.kind == 1 ? leg.gybes : leg.tacks, 0) << "leg " << leg.leg;
    }
    EXPECT_GT(Median(losses), -5);
    EXPECT_LT(Median(losses), 30);
  }
}
