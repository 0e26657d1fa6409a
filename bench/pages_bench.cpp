// Drawing speed of the graph page (80 boats x 10,800 samples, three hours at one a second, with a
// wind series) and of the analysis page, at 1600 x 1000. Aims: graph page 30 ms, analysis 10 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <string>

#include "analysis/mark_passing.h"
#include "race/model.h"
#include "view/analysis_page.h"
#include "view/graph_page.h"

namespace {

constexpr int kBoats = 80;
constexpr int kSamples = 10800;

// Boats tack and gybe through the wind with noisy course and speed, finishing a few minutes apart.
void MakeRace(kw::RaceData& r, kw::PassingResults& p) {
  r.BoatCount = kBoats;
  r.WindwardBearing = 350;
  r.MagneticVariation = -7;
  r.ClockFirst = -300;
  r.ClockLast = kSamples - 300;
  kw::UpdateClockSpan(r);
  kw::SetBoatTableCapacity(r);
  unsigned seed = 7;
  auto noise = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) % 2001) / 1000.0 - 1.0;
  };
  for (int b = 1; b <= kBoats; ++b) {
    kw::SetTrackCapacity(r, b, kSamples + 1);
    r.BoatSampleCount[b] = kSamples;
    for (int i = 1; i <= kSamples; ++i) {
      const int leg = (i / 1800) % 2;  // upwind, then downwind
      const int tack = (i / (240 + b)) % 2;
      const double course = leg == 0 ? (tack ? 305 : 35) : (tack ? 140 : 200);
      r.TrackTime[b][i] = i - 300.0;
      r.TrackCourse[b][i] = static_cast<int>(std::fmod(course + 8 * noise() + 360, 360));
      r.TrackSpeed[b][i] = 5.5 + leg + 0.8 * noise() + b * 0.005;
    }
    r.BoatShown[b] = 1;
    r.BoatColor[b] = kw::Rgb{static_cast<uint8_t>(b * 3), 200, static_cast<uint8_t>(255 - b * 3)};
    r.BoatName[b] = "Boat " + std::to_string(b);
  }
  r.WindCount = kSamples / 60;
  r.WindTime.assign(r.WindCount + 1, 0);
  r.WindSpeed.assign(r.WindCount + 1, 0);
  r.WindDir.assign(r.WindCount + 1, 0);
  for (int i = 1; i <= r.WindCount; ++i) {
    r.WindTime[i] = i * 60 - 300.0;
    r.WindSpeed[i] = 10 + 3 * std::sin(i / 20.0);
    r.WindDir[i] = 350 + static_cast<int>(10 * std::sin(i / 15.0));
  }
  r.WindSpeedMax = 13;

  r.CourseCount = 5;
  p.Resize(kBoats, r.CourseCount);
  for (int b = 1; b <= kBoats; ++b) {
    for (int e = 1; e <= r.CourseCount; ++e) {
      p.MarkPassTime[b][e] = 2000.0 * (e - 1) + 10 * b + 30 * noise();
      p.LegSailedDistance[b][e] = 3000.0 * (e - 1) + 5 * b;
    }
    p.UpTime[b] = 4000 + 7 * b;
    p.UpDistance[b] = 3.1 + b * 0.003;
    p.DownTime[b] = 3600 + 5 * b;
    p.DownDistance[b] = 3.0 + b * 0.002;
  }
}

void BM_GraphPage80Boats(benchmark::State& state) {
  kw::RaceData r;
  kw::PassingResults p;
  MakeRace(r, p);
  QImage page(1600, 1000, QImage::Format_RGB32);
  for (auto _ : state) {
    kw::DrawGraphs(page, r, 1000, kw::Rgb{0, 0, 128});
    benchmark::DoNotOptimize(page.constBits());
  }
}
BENCHMARK(BM_GraphPage80Boats)->Unit(benchmark::kMillisecond)->Repetitions(10);

void BM_AnalysisPage80Boats(benchmark::State& state) {
  kw::RaceData r;
  kw::PassingResults p;
  MakeRace(r, p);
  QImage page(1600, 1000, QImage::Format_RGB32);
  for (auto _ : state) {
    benchmark::DoNotOptimize(kw::DrawAnalysisFigures(page, r, p, 1));
    benchmark::DoNotOptimize(page.constBits());
  }
}
BENCHMARK(BM_AnalysisPage80Boats)->Unit(benchmark::kMillisecond)->Repetitions(10);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qargc = 1;
  char name[] = "keelway_bench_pages";
  char* qargv[] = {name, nullptr};
  QGuiApplication app(qargc, qargv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
