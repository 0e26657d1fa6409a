// Drawing speed of one replay frame: 80 boats in trace mode on a 1600 x 1000 map, tracks made
// in memory. A frame is drawn every 50 ms, so it must stay well under that (aim: 5 ms, with
// every overlay on). The still map's background and the overview are rebuilt on demand (aim:
// 50 ms each).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/playback.h"
#include "race/coastline.h"
#include "session/loader.h"
#include "session/session.h"
#include "view/analysis_page.h"
#include "view/artwork.h"
#include "view/geometry.h"
#include "view/graph_page.h"
#include "view/overview_map.h"
#include "view/render_state.h"
#include "view/renderer.h"
#include "view/still_map.h"
#include "view/time_bar.h"
#include "view/wind_overlays.h"

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
  s.race.WindDirection = 20;
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

// Everything the chart draws: a wiggly 50,000-point coastline around the course, lights
// flashing at night, marks, lines, laylines and the route, a wind file, streamers, the clock.
void MakeChart(kw::RaceSession& s, kw::RenderState& rs) {
  kw::RaceData& r = s.race;
  r.CoastCount = 0;
  for (int i = 0; i < 50000; ++i) {
    const double a = i * 2 * 3.14159265358979 / 50000;
    const double rad = 1.3 + 0.05 * std::sin(i / 7.0);
    const double lat = 2116.0 + rad * std::cos(a), lon = 8367.1 + rad * 1.2 * std::sin(a);
    kw::AddCoastPoint(r, i % 500 == 0 ? lat + 20000 : lat, lon);
  }
  r.LightCount = 20;
  for (auto* v : {&r.LightLat, &r.LightLon, &r.LightSize}) v->assign(21, 0.0);
  r.LightName.assign(21, "Light");
  r.LightColors.assign(21, "W");
  for (int i = 1; i <= 20; ++i) {
    r.LightLat[i] = 2115 + i * 0.1, r.LightLon[i] = 8367.05, r.LightSize[i] = 2;
  }
  s.play.LightState.assign(21, 1);
  s.play.LightPen.assign(21, 0xFFFFFF);
  s.play.LightPhaseSeconds = 0.5;
  s.play.Night = 1;
  r.MarkCount = 2;
  r.MarkLat[1] = 2117.1, r.MarkLon[1] = 8367.1;
  r.MarkLat[2] = 2114.9, r.MarkLon[2] = 8367.1;
  r.LineCount = 2;
  r.LineLatA[1] = 2115.0, r.LineLonA[1] = 8367.0, r.LineLatB[1] = 2115.0, r.LineLonB[1] = 8367.2;
  r.LineLatA[2] = 2114.8, r.LineLonA[2] = 8367.0, r.LineLatB[2] = 2114.8, r.LineLonB[2] = 8367.2;
  r.LaylineAngle1 = 45, r.LaylineAngle2 = 135;
  r.CourseCount = 4;
  s.passing.Resize(r.BoatCount, 4);
  const double entries[][2] = {
      {2115.0, 8367.1}, {2117.1, 8367.1}, {2114.9, 8367.1}, {2114.8, 8367.1}};
  for (int e = 1; e <= 4; ++e)
    s.passing.EntryLat[e] = entries[e - 1][0], s.passing.EntryLon[e] = entries[e - 1][1];
  r.WindFileName = "wind.csv";
  r.WindCount = 60;
  r.WindTime.assign(61, 0), r.WindSpeed.assign(61, 0), r.WindDir.assign(61, 0);
  for (int i = 1; i <= 60; ++i) {
    r.WindTime[i] = i * 60.0 - 300, r.WindDir[i] = 20 + (i % 9) - 4, r.WindSpeed[i] = 8 + i % 5;
  }
  r.ClockFirst = -300, r.ClockLast = 3300;
  rs.LayLines = true;
  rs.ShowWindArrow = true;
  rs.ShowWindTicks = true;
  rs.LabelLevel = 3;
  rs.SeaBrightness = 20;
  rs.SeaColor = kw::SeaColorFor(20);
  rs.GridColor = kw::GridColorFor(20);
  s.view.OverviewWidth = s.view.OverviewHeight = 170;
  kw::ComputeRaceExtent(r, nullptr, s.view);
  rs.Overview = kw::DrawOverviewImage(r, s.view);
  rs.CompassCard = kw::RotateCompass(kw::FormPicture(QStringLiteral("compasss")), 20);
  rs.WindStrip = kw::BuildWindStripImage(r);
  rs.WindStripTop = 130;
}

void BM_FullFrameEveryOverlay80Boats(benchmark::State& state) {
  kw::RaceSession s;
  MakeFleet(s);
  kw::RenderState rs;
  MakeChart(s, rs);
  QImage map(1600, 1000, QImage::Format_RGB32);
  const QColor sea(rs.SeaColor.r, rs.SeaColor.g, rs.SeaColor.b);
  double t = 600;
  for (auto _ : state) {
    map.fill(sea);
    s.play.RaceClock = t;
    benchmark::DoNotOptimize(kw::DrawScene(s, rs, map, t).BoatsOnScreen);
    t += 0.5;
    if (t > 3000) t = 600;
  }
}
BENCHMARK(BM_FullFrameEveryOverlay80Boats)->Unit(benchmark::kMillisecond)->Repetitions(10);

void BM_StillBackgroundAndOverview(benchmark::State& state) {
  kw::RaceSession s;
  MakeFleet(s);
  kw::RenderState rs;
  MakeChart(s, rs);
  const bool still = state.range(0) == 0;
  if (still) kw::EnterStillMap(s.view);
  QImage background;
  for (auto _ : state) {
    if (still) {
      benchmark::DoNotOptimize(kw::BuildStillMap(s.race, s.view, s.play, rs, background));
    } else {
      benchmark::DoNotOptimize(kw::DrawOverviewImage(s.race, s.view).width());
    }
  }
  state.SetLabel(still ? "still background" : "overview");
}
BENCHMARK(BM_StillBackgroundAndOverview)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

// What a replay frame with every overlay shows, on a loaded race: laylines, wind arrow and ticks,
// every label, speed wakes, compass card, wind strip and the overview in the corner.
void EveryOverlay(kw::RaceSession& s, kw::RenderState& rs) {
  rs.LayLines = rs.ShowWindArrow = rs.ShowWindTicks = rs.SpeedWakes = rs.CompLine = true;
  rs.LabelLevel = 3;
  rs.MeanUpwindSpeed = rs.MeanDownwindSpeed = 5.5;
  s.race.LaylineAngle1 = 45, s.race.LaylineAngle2 = 135;
  s.view.OverviewWidth = s.view.OverviewHeight = 170;
  rs.Overview = kw::DrawOverviewImage(s.race, s.view);
  rs.CompassCard = kw::RotateCompass(kw::FormPicture(QStringLiteral("compasss")), 20);
  rs.WindStrip = kw::BuildWindStripImage(s.race);
  rs.WindStripTop = 130;
}

template <typename Draw>
void RegisterPicture(const char* name, Draw draw) {
  benchmark::RegisterBenchmark(name,
                               [draw](benchmark::State& state) {
                                 for (auto _ : state) draw();
                               })
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(10)
      ->ReportAggregatesOnly(true);
}

// Every picture that walks whole tracks, on the loaded race: each must cost what its pixels
// hold, not what the race's length holds (aim: 30 ms each on a five-day race; a frame 2 ms).
void RegisterLoadedRacePictures(kw::RaceSession& s) {
  static kw::RenderState overlays;
  EveryOverlay(s, overlays);
  benchmark::RegisterBenchmark(
      "BM_LoadedRaceFrameEveryOverlay",
      [&s](benchmark::State& state) {
        QImage map(1600, 1000, QImage::Format_RGB32);
        double t = 0;
        for (auto _ : state) {
          map.fill(QColor(0, 0, 128));
          s.play.RaceClock = t;
          benchmark::DoNotOptimize(kw::DrawScene(s, overlays, map, t).BoatsOnScreen);
          t += 997;
          if (t > s.race.ClockLast) t = 0;
        }
      })
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(10)
      ->ReportAggregatesOnly(true);
  static QImage background, highlight, page(1600, 1000, QImage::Format_RGB32);
  RegisterPicture("BM_LoadedRaceStillMap", [&s] {
    kw::ViewState v = s.view;
    kw::EnterStillMap(v);
    benchmark::DoNotOptimize(kw::BuildStillMap(s.race, v, s.play, overlays, background));
  });
  RegisterPicture("BM_LoadedRaceStillMapZoomed", [&s] {
    kw::ViewState v = s.view;
    kw::EnterStillMap(v);
    v.ZoomFactor = 16;  // four clicks in, on the start
    v.UserCentreLat = 2115, v.UserCentreLon = 8367;
    benchmark::DoNotOptimize(kw::BuildStillMap(s.race, v, s.play, overlays, background));
  });
  RegisterPicture("BM_LoadedRaceHighlight", [&s] {
    kw::ViewState v = s.view;
    kw::EnterStillMap(v);
    if (background.isNull()) kw::BuildStillMap(s.race, v, s.play, overlays, background);
    kw::BuildHighlight(s.race, v, s.play, 1, background, highlight);
    benchmark::DoNotOptimize(highlight.constBits());
  });
  RegisterPicture("BM_LoadedRaceGraphPage", [&s] {
    kw::DrawGraphs(page, s.race, 1000, kw::Rgb{0, 0, 128});
    benchmark::DoNotOptimize(page.constBits());
  });
  RegisterPicture("BM_LoadedRaceAnalysisPage", [&s] {
    benchmark::DoNotOptimize(kw::DrawAnalysisFigures(page, s.race, s.passing, 1));
    benchmark::DoNotOptimize(page.constBits());
  });
}

// On a race loaded from a data folder (keelway_bench_load --write-offshore DIR): one frame at
// clock times spread over the whole race, and the time bar with the panel behind it.
void RegisterLoadedRace(kw::RaceSession& s) {
  benchmark::RegisterBenchmark("BM_LoadedRaceFrame",
                               [&s](benchmark::State& state) {
                                 kw::RenderState rs;
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
  benchmark::RegisterBenchmark(
      "BM_LoadedRaceOverview",
      [&s](benchmark::State& state) {
        for (auto _ : state)
          benchmark::DoNotOptimize(kw::DrawOverviewImage(s.race, s.view).constBits());
      })
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(10)
      ->ReportAggregatesOnly(true);
  RegisterLoadedRacePictures(s);
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
