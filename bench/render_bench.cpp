// Drawing speed of one replay frame: 80 boats in trace mode on a 1600 x 1000 map, tracks made
// in memory. A frame is drawn every 50 ms, so it must stay well under that (aim: 5 ms).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "session/loader.h"
#include "session/session.h"
#include "view/geometry.h"
#include "view/render_state.h"
#include "view/renderer.h"
#include "view/time_bar.h"

namespace {

constexpr int kBoats = 80;
constexpr int kSamples = 3600;

// Boats beat up and run down a 2' course, one sample a second, spread across it.
void MakeFleet(kw::RaceSession& s) {
  kw::RaceData& r = s.race;
  r.BoatCount = kBoats;
  r.WindwardBearing = 20;
  kw::SetBoatTableCapacity(r);
  kw::SetBoatShape(r);
  for (int b = 1; b <= kBoats; ++b) {
    kw::SetTrackCapacity(r, b, kSamples + 1);
    r.BoatSampleCount[b] = kSamples;
    const double speed = 0.0016 + b * 1e-6;
    for (int i = 1; i <= kSamples; ++i) {
      const double run = std::fmod((i + 60) * speed, 4.4);
      r.TrackTime[b][i] = i - 300.0;
      r.TrackLat[b][i] = 2114.9 + (run < 2.2 ? run : 4.4 - run);
      r.TrackLon[b][i] = 8367.0 + 0.02 * std::sin(i / 90.0) + b * 2e-3;
      r.TrackSpeed[b][i] = 5 + (b % 7) * 0.3;
      r.TrackCourse[b][i] = run < 2.2 ? 10 : 190;
    }
    r.BoatShown[b] = 1;
    r.BoatLength[b] = 8;
    r.BoatSampleInterval[b] = 1;
    r.BoatColor[b] = kw::Rgb{static_cast<uint8_t>(b * 3), 200, static_cast<uint8_t>(255 - b * 3)};
    r.BoatName[b] = "Boat " + std::to_string(b);
  }
  kw::ViewState& v = s.view;
  v.MapWidth = 1600, v.MapHeight = 1000;
  v.TraceMode = 1;
  v.CosCentreLat = std::cos(2116.0 / 60 * 3.14159265358979 / 180);
}

void BM_TraceFrame80Boats(benchmark::State& state) {
  kw::RaceSession s;
  MakeFleet(s);
  kw::RenderState rs;
  rs.WindDirectionNow = rs.SmoothedWindDirection = 20;
  rs.MeanUpwindSpeed = rs.MeanDownwindSpeed = 6;
  QImage map(1600, 1000, QImage::Format_RGB32);
  const QColor sea(rs.SeaColor.r, rs.SeaColor.g, rs.SeaColor.b);
  double t = 600;
  int onScreen = 0;
  for (auto _ : state) {
    map.fill(sea);
    s.play.RaceClock = t;
    onScreen = kw::DrawScene(s, rs, map, t).BoatsOnScreen;
    benchmark::DoNotOptimize(onScreen);
    t += 0.5;
    if (t > 3000) t = 600;
  }
  state.counters["hulls"] = onScreen;
}
BENCHMARK(BM_TraceFrame80Boats)->Unit(benchmark::kMillisecond)->Repetitions(10);

// On a race loaded from a data folder (keelway_bench_load --write-offshore DIR): one frame at
// clock times spread over the whole race, and the time bar with the panel behind it.
void RegisterLoadedRace(kw::RaceSession& s) {
  benchmark::RegisterBenchmark("BM_LoadedRaceFrame",
                               [&s](benchmark::State& state) {
                                 kw::RenderState rs;
                                 rs.WindDirectionNow = rs.SmoothedWindDirection = 20;
                                 rs.MeanUpwindSpeed = rs.MeanDownwindSpeed = 6;
                                 QImage map(1600, 1000, QImage::Format_RGB32);
                                 const QColor sea(rs.SeaColor.r, rs.SeaColor.g, rs.SeaColor.b);
                                 double t = 0;
                                 int onScreen = 0;
                                 for (auto _ : state) {
                                   map.fill(sea);
                                   s.play.RaceClock = t;
                                   onScreen = kw::DrawScene(s, rs, map, t).BoatsOnScreen;
                                   benchmark::DoNotOptimize(onScreen);
                                   t += 997;
                                   if (t > s.race.ClockLast) t = 0;
                                 }
                                 state.counters["hulls"] = onScreen;
                               })
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(10)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("BM_LoadedRaceTimeBar",
                               [&s](benchmark::State& state) {
                                 const kw::TimeBarGeometry g = kw::TimeBarGeometryFor(50, 1000);
                                 for (auto _ : state) {
                                   QImage bar = kw::DrawTimeBarImage(s.race, g);
                                   QImage back =
                                       kw::DrawBackTimeBarImage(s.race, s.view, s.play, g);
                                   benchmark::DoNotOptimize(bar.constBits());
                                   benchmark::DoNotOptimize(back.constBits());
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(10)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qargc = 1;
  char name[] = "keelway_bench_render";
  char* qargv[] = {name, nullptr};
  QGuiApplication app(qargc, qargv);
  // "--race DIR FILE": also measure on that race of a data folder.
  kw::RaceSession loaded;
  if (argc >= 4 && std::string(argv[1]) == "--race") {
    loaded.race.ProgramFolder = QString::fromLocal8Bit(argv[2]) + '/';
    kw::BuildRaceList(loaded.race);
    kw::ChooseRaceFile(loaded.race);
    loaded.race.RaceFilePath =
        loaded.race.ProgramFolder + "raceadmin/" + QString::fromLocal8Bit(argv[3]);
    loaded.view.MapWidth = 1600, loaded.view.MapHeight = 1000;
    kw::LoadHooks hooks;
    if (kw::LoadRace(loaded, hooks).status != kw::LoadOutcome::Loaded) {
      std::fprintf(stderr, "the race did not load\n");
      return 1;
    }
    loaded.view.TraceMode = 1;
    RegisterLoadedRace(loaded);
    argv[3] = argv[0];
    argc -= 3;
    argv += 3;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
