// The wind estimated from the fleet's tracks against the wind the demo simulator blew and the
// committee's wind of two real club races, and what it says when the tracks cannot tell.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

#include "analysis/track_motion.h"
#include "analysis/wind_estimate.h"
#include "demo_truth.h"
#include "synthetic_sailing.h"

using namespace kw;

namespace {

struct Figures {
  double rms = 0;    // degrees, over the series' minutes during the race
  double cover = 0;  // share of the race's minutes with a value
  int points = 0;
};

Figures Against(const WindEstimate& e, const kwtest::WindTruth& truth, double from, double to) {
  Figures f;
  double squares = 0;
  for (const WindEstimatePoint& p : e.series) {
    if (p.t < from || p.t > to) continue;
    const double d = Wrap180(p.direction - truth.At(p.t));
    squares += d * d;
    ++f.points;
  }
  if (f.points > 0) f.rms = std::sqrt(squares / f.points);
  f.cover = f.points / std::max(1.0, (to - from) / 60);
  return f;
}

double LastFinish(const RaceSession& s) {
  double last = 0;
  for (int b = 1; b <= s.race.BoatCount; ++b)
    if (s.passing.Passed(b, s.race.CourseCount))
      last = std::max(last, s.passing.MarkPassTime[b][s.race.CourseCount]);
  return last;
}

}  // namespace

// Race 1 beats and runs with a wind log; the coastal race has a beat and a run between two
// reaches (no value there); the offshore race is reaches only and must say so.
TEST(WindEstimate, FollowsTheSimulatedWindOnEveryDemoRace) {
  if (!kwtest::HasDemo()) GTEST_SKIP() << "no demo truth";
  struct Case {
    const char* race;
    bool enough;
    double minCover;
  };
  for (const Case& c : {Case{"enoshima-r1", true, 0.85}, Case{"enoshima-coastal", true, 0.5},
                        Case{"sagami-offshore", false, 0}}) {
    SCOPED_TRACE(c.race);
    RaceSession s;
    ASSERT_TRUE(kwtest::LoadDemoRace(s, c.race));
    const WindEstimate e =
        EstimateWind(s.race, s.passing, MeasureFleet(s.race, s.view.CosCentreLat));
    ASSERT_EQ(e.enough, c.enough) << e.why;
    if (!c.enough) {
      EXPECT_TRUE(e.series.empty());
      EXPECT_FALSE(e.why.empty());
      continue;
    }
    const kwtest::WindTruth truth = kwtest::ReadWindTruth(c.race);
    const Figures f = Against(e, truth, 0, LastFinish(s));
    std::printf("%s: %d turns of %d boats, RMS %.2f deg over %d minutes, %.0f %% of the race\n",
                c.race, e.turnsUsed, e.boatsUsed, f.rms, f.points, 100 * f.cover);
    EXPECT_LT(f.rms, 5.0);
    EXPECT_GE(f.cover, c.minCover);
    // The mean of the series against the simulated wind's mean over the same minutes.
    std::vector<double> truthAt;
    for (const WindEstimatePoint& p : e.series) truthAt.push_back(truth.At(p.t));
    double truthMean = 0;
    ASSERT_TRUE(CircularMean(truthAt, {}, truthMean));
    EXPECT_LT(std::abs(Wrap180(e.meanDirection - truthMean)), 2.0);
    for (const WindEstimatePoint& p : e.series) {
      EXPECT_GT(p.confidence, 0.0);
      EXPECT_LE(p.confidence, 1.0);
    }
    // Race 1's wind log is the simulated wind every 30 s: the estimate says how far it is.
    EXPECT_EQ(e.compared, !s.race.WindFileName.empty());
    if (e.compared) {
      EXPECT_LT(e.rmsDifference, 5.0);
      EXPECT_LT(std::abs(e.meanDifference), 2.0);
    }
  }
}

// Tracks that offer nothing to go on, or one boat that tacks: an answer either way, no crash.
TEST(WindEstimate, SaysWhenTheTracksCannotTell) {
  using kwtest::Stretch;
  const double wind = 250;
  struct Case {
    const char* what;
    std::vector<kwtest::SailedTrack> boats;
    bool enough;
  };
  const std::vector<Case> cases = {
      {"one boat beating, eight tacks", {kwtest::Sail(wind, kwtest::Beat(9, 70), -30)}, true},
      {"three moored loggers",
       {kwtest::Sail(wind, {{1800, 0, 0}}, -30, 1), kwtest::Sail(wind, {{1800, 90, 0}}, -30, 2),
        kwtest::Sail(wind, {{1800, 180, 0}}, -30, 3)},
       false},
      {"reaches only, one course change",
       {kwtest::Sail(wind, {{900, 90}, {900, 105}}, -30, 4),
        kwtest::Sail(wind, {{1800, -100}}, -30, 5)},
       false},
      {"a beat sailed before the gun only", {kwtest::Sail(wind, kwtest::Beat(6, 60), -800)}, false},
      {"no boat", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RaceData race;
    PassingResults passing;
    kwtest::MakeRace(c.boats, wind, race, passing);
    const WindEstimate e = EstimateWind(race, passing, MeasureFleet(race, kwtest::kSynthCosLat));
    EXPECT_EQ(e.enough, c.enough) << e.why;
    EXPECT_EQ(e.series.empty(), !c.enough);
    if (e.enough) {
      EXPECT_LT(std::abs(Wrap180(e.meanDirection - wind)), 3.0);
    } else {
      EXPECT_FALSE(e.why.empty());
    }
  }
}

// Two dinghies of a real club race in Valencia, with no course: the estimate against the wind
// the race committee wrote down for each race (110 degrees true).
TEST(WindEstimate, RealClubRacesAgreeWithTheCommittee) {
  const QString src = kwtest::RealDataDir() + "maxsail-analytics/";
  if (kwtest::RealDataDir().isEmpty() || !QFile::exists(src)) GTEST_SKIP() << "no real data";
  struct Case {
    const char* race;
    const char* start;  // local time (UTC+2), five minutes after the first fix
  };
  for (const Case& c : {Case{"P01", "13:24:00"}, Case{"P02", "14:06:30"}}) {
    SCOPED_TRACE(c.race);
    QFile meta(src + QStringLiteral("2025-06-21-ESP30782-%1-meta-data.json").arg(c.race));
    ASSERT_TRUE(meta.open(QIODevice::ReadOnly));
    const int twd = QJsonDocument::fromJson(meta.readAll()).object()["TWD"].toInt();
    kwtest::DataFolder dir;
    std::string race = "T1,Valencia club race\nST,2025/06/21 " + std::string(c.start) +
                       "\nFT,2025/06/21 15:00:00\nTD,2\nBT,5\nWD," + std::to_string(twd) +
                       "\nBN,a.gpx,ESP29375\nBN,b.gpx,ESP30782\n";
    dir.Write("raceadmin/valencia.txt", race);
    for (const auto& [boat, file] : {std::pair{"ESP29375", "a"}, std::pair{"ESP30782", "b"}}) {
      QFile gpx(src + QStringLiteral("2025-06-21-%1-%2.gpx").arg(boat, c.race));
      ASSERT_TRUE(gpx.open(QIODevice::ReadOnly));
      const QByteArray bytes = gpx.readAll();
      dir.Write(QStringLiteral("gpsdat/%1.gpx").arg(file),
                std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    RaceSession s;
    s.race.ProgramFolder = dir.path();
    BuildRaceList(s.race);
    ChooseRaceFile(s.race);
    LoadHooks hooks;
    ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
    const WindEstimate e =
        EstimateWind(s.race, s.passing, MeasureFleet(s.race, s.view.CosCentreLat));
    ASSERT_TRUE(e.enough) << e.why;
    std::printf("Valencia %s: mean %.1f (committee %d) from %d turns of %d boats, %zu minutes\n",
                c.race, e.meanDirection, twd, e.turnsUsed, e.boatsUsed, e.series.size());
    EXPECT_EQ(e.boatsUsed, 2);
    EXPECT_LT(std::abs(Wrap180(e.meanDirection - twd)), 10.0);
  }
}
