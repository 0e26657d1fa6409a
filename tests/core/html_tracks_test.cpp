// Thinned tracks against the whole ones, through keelway's own boat state: the same place within
// the tolerance at every moment, and the boat shown at exactly the same times.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/boat_state.h"
#include "analysis/frame_state.h"
#include "demo_truth.h"
#include "output/html_tracks.h"
#include "race/datetime.h"
#include "race/model.h"
#include "race/text.h"
#include "race/tracks/dispatch.h"
#include "race/tracks/track_store.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

constexpr double kCos = 0.8166;  // cos 35.25 deg, the demo's latitude

struct Track {
  std::vector<double> time{0}, lat{0}, lon{0};  // slot 0 unused
  void Add(double t, double la, double lo) {
    time.push_back(t);
    lat.push_back(la);
    lon.push_back(lo);
  }
  int n() const { return static_cast<int>(time.size()) - 1; }
};

// A race of two boats: the track whole, and only its samples at `kept`.
RaceData TwoBoats(const Track& t, const std::vector<int>& kept) {
  RaceData r;
  r.BoatCount = 2;
  SetBoatTableCapacity(r);
  SetTrackCapacity(r, 1, t.n() + 1);
  SetTrackCapacity(r, 2, static_cast<int>(kept.size()) + 1);
  for (int i = 1; i <= t.n(); ++i) {
    r.TrackTime[1][i] = t.time[i];
    r.TrackLat[1][i] = t.lat[i];
    r.TrackLon[1][i] = t.lon[i];
  }
  for (size_t j = 0; j < kept.size(); ++j) {
    r.TrackTime[2][j + 1] = t.time[kept[j]];
    r.TrackLat[2][j + 1] = t.lat[kept[j]];
    r.TrackLon[2][j + 1] = t.lon[kept[j]];
  }
  r.BoatSampleCount[1] = t.n();
  r.BoatSampleCount[2] = static_cast<int>(kept.size());
  return r;
}

// The largest distance (m) between where keelway places the whole track and the thinned one, at
// every sample time, half way between samples and just around each sample and gap; -1 when the
// two disagree on whether the boat is shown at some time.
double WorstError(const Track& t, const std::vector<int>& kept) {
  const RaceData r = TwoBoats(t, kept);
  std::vector<double> probes;
  for (int i = 1; i <= t.n(); ++i) {
    for (double d : {-0.5, 0.0, 0.25, 0.5}) probes.push_back(t.time[i] + d);
    if (i < t.n()) probes.push_back((t.time[i] + t.time[i + 1]) / 2);
  }
  // While the times rise, the pair around a time is the same wherever keelway's search starts,
  // so one frame state serves every probe in turn; a clock that steps back needs keelway's search
  // from the first sample, as a fresh state makes it.
  bool rising = true;
  for (int i = 2; i <= t.n(); ++i) rising = rising && t.time[i] > t.time[i - 1];
  FrameBoats carried;
  double worst = 0;
  for (double probe : probes) {
    FrameBoats fresh;
    FrameBoats& f = rising ? carried : fresh;
    ComputeBoatState(r, probe, 0, f);
    if (f.BoatPresent[1] != f.BoatPresent[2]) return -1;
    if (!f.BoatPresent[1]) continue;
    const double dLat = f.BoatLatNow[1] - f.BoatLatNow[2];
    const double dLon = (f.BoatLonNow[1] - f.BoatLonNow[2]) * kCos;
    worst = std::max(worst, std::hypot(dLat, dLon) * 1852);
  }
  return worst;
}

Track Straight(int n, double step) {
  Track t;
  for (int i = 0; i < n; ++i) t.Add(i * step, 2116 + i * 0.001, 8368 + i * 0.001);
  return t;
}

}  // namespace

TEST(HtmlTracks, ThinnedTracksStayWithinTheToleranceAndShowTheBoatsAtTheSameTimes) {
  struct Case {
    const char* what;
    Track track;
    int mostKept;  // a thinning that keeps more has not thinned
  };
  std::vector<Case> cases;
  cases.push_back({"a straight run at one speed", Straight(2000, 1), 2});
  // Three hours of a straight run: no two kept samples further apart than a gap.
  cases.push_back({"a long straight run", Straight(10800, 1), 5});
  Track circle;
  for (int i = 0; i < 3000; ++i)
    circle.Add(i, 2116 + 0.05 * std::sin(i / 100.0), 8368 + 0.06 * std::cos(i / 100.0));
  cases.push_back({"a circle", circle, 600});
  // One straight run at one speed, unrecorded for a while: only the gap keeps its ends.
  Track gap;
  for (int i = 0; i < 200; ++i) {
    const double t = i < 100 ? i * 2 : 3800 + i * 2;
    gap.Add(t, 2116 + t * 0.0005, 8368 + t * 0.0002);
  }
  cases.push_back({"a gap longer than keelway bridges", gap, 4});
  Track fault = Straight(50, 1);
  for (int i = 0; i < 50; ++i) fault.Add(30 + i, 2116.1 + i * 0.001, 8368.2);  // clock back 20 s
  cases.push_back({"a clock that steps back", fault, 8});
  Track repeats;
  for (int i = 0; i < 60; ++i) repeats.Add(i / 2, 2116 + i * 0.0005, 8368);  // every time twice
  cases.push_back({"every time twice", repeats, 60});
  Track jitter;
  for (int i = 0; i < 600; ++i)  // a boat at rest with a metre of noise
    jitter.Add(i, 2116 + 0.0006 * std::sin(i * 1.7), 8368 + 0.0007 * std::cos(i * 2.3));
  cases.push_back({"a boat at rest in the noise", jitter, 600});
  cases.push_back({"two samples", Straight(2, 5), 2});

  for (const Case& c : cases) {
    const Track& t = c.track;
    const std::vector<int> kept =
        KeptSamples({t.time, t.lat, t.lon, t.n()}, kCos, kHtmlToleranceMetres);
    ASSERT_FALSE(kept.empty()) << c.what;
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end())) << c.what;
    EXPECT_LE(static_cast<int>(kept.size()), c.mostKept) << c.what;
    const double worst = WorstError(t, kept);
    EXPECT_GE(worst, 0) << c.what << ": shown at other times";
    EXPECT_LE(worst, kHtmlToleranceMetres + 1e-6) << c.what;
  }
}

TEST(HtmlTracks, RealTracksThinWithinTheTolerance) {
  // Every demo boat, as loaded, and the real one-second dinghy tracks when present.
  std::vector<std::pair<std::string, Track>> tracks;
  for (const QString& race : kwtest::kDemoRaceFiles) {
    RaceSession s;
    if (!kwtest::LoadDemoFile(s, race)) GTEST_SKIP() << "no demo";
    for (int b = 1; b <= s.race.BoatCount; ++b) {
      Track t;
      for (int i = 1; i <= s.race.BoatSampleCount[b]; ++i)
        t.Add(s.race.TrackTime[b][i], s.race.TrackLat[b][i], s.race.TrackLon[b][i]);
      tracks.push_back({race.toStdString() + " " + s.race.BoatName[b], t});
    }
  }
  const QString real = kwtest::RealDataDir() + "maxsail-analytics/2025-06-21-ESP29375-P01.gpx";
  std::string bytes;
  if (!kwtest::RealDataDir().isEmpty() && ReadWholeFile(real, bytes)) {
    TrackSettings settings;
    settings.startUtc = EncodeDateTime(2025, 6, 21, 11, 24, 0);  // the race's gun, UTC
    settings.clockLast = 1e9;
    TrackBuffer buffer;
    TrackStore store(settings, buffer);
    ReadTrackData(TrackFormat::Gpx, bytes, real, store);
    store.Finish();
    EXPECT_GT(buffer.count, 1000) << "the real track did not read";
    Track t;
    for (int i = 1; i <= buffer.count; ++i) t.Add(buffer.time[i], buffer.lat[i], buffer.lon[i]);
    tracks.push_back({"real dinghy at 1 Hz", t});
  }
  size_t all = 0, kept = 0;
  for (const auto& [what, t] : tracks) {
    const std::vector<int> k =
        KeptSamples({t.time, t.lat, t.lon, t.n()}, kCos, kHtmlToleranceMetres);
    all += static_cast<size_t>(t.n());
    kept += k.size();
    const double worst = WorstError(t, k);
    EXPECT_GE(worst, 0) << what << ": shown at other times";
    EXPECT_LE(worst, kHtmlToleranceMetres + 1e-6) << what;
  }
  EXPECT_LT(kept, all) << "nothing was thinned";
}
