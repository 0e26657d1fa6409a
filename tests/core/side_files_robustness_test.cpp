// Seeded mutations of the wind, coastline and light files (the demo's own, and small generated
// ones): every read ends, never crashes, and either succeeds or says where the bad value was.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <random>
#include <string>

#include "race/coastline.h"
#include "race/datetime.h"
#include "race/model.h"
#include "race/text.h"
#include "race/wind.h"
#include "support/test_support.h"
#include "view/view_state.h"

using namespace kw;

namespace {

std::string Mutate(std::string s, std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 5), byte(0, 255);
  auto pos = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n)(rng); };
  for (int m = 0, edits = 1 + static_cast<int>(rng() % 4); m < edits; ++m) {
    switch (kind(rng)) {
      case 0:
        if (!s.empty()) s[pos(s.size() - 1)] = static_cast<char>(byte(rng));
        break;
      case 1:
        s.resize(pos(s.size()));
        break;
      case 2:
        s.insert(pos(s.size()), 1 + rng() % 8, static_cast<char>(byte(rng)));
        break;
      case 3: {
        const size_t a = pos(s.size()), b = pos(s.size());
        s.erase(std::min(a, b), std::max(a, b) - std::min(a, b));
        break;
      }
      case 4: {
        const size_t a = pos(s.size());
        s.insert(pos(s.size()), s.substr(a, 40));
        break;
      }
      default:
        for (char& c : s)
          if (c >= '0' && c <= '9' && rng() % 50 == 0) c = static_cast<char>('0' + rng() % 10);
    }
  }
  return s;
}

std::string Demo(const QString& rel, const std::string& fallback) {
  std::string bytes;
  if (ReadWholeFile(kwtest::DemoDir() + rel, bytes) && !bytes.empty())
    return bytes.substr(0, 60000);
  return fallback;
}

// A race around Enoshima with a known extent, as the coastline step sees it.
struct Venue {
  kwtest::DataFolder dir;
  RaceData race;
  ViewState view;
  Venue() {
    race.ProgramFolder = dir.path();
    race.StartTime = *ParseDateTime("2025/10/12 11:00:00");
    view.RaceLatMin = 2114, view.RaceLatMax = 2118, view.RaceLonMin = 8366, view.RaceLonMax = 8371;
    view.RaceCentreLat = 2116, view.RaceCentreLon = 8368.5;
    view.CosCentreLat = std::cos(2116 / 60.0 * std::acos(-1.0) / 180);
    view.RaceLatSpan = view.RaceLonSpan = 6;
    view.RaceDiagonal = 7;
  }
};

}  // namespace

TEST(RobustSideFiles, WindFileMutants) {
  Venue v;
  const std::string seed = Demo("winddat/enoshima-r1-wind.csv",
                                "DATE TIME, TWS,TWD\n2025/10/12 10:55:00,8.7,200\n"
                                "2025/10/12 10:55:30,9.1,201\n");
  std::mt19937 rng(41);
  for (int i = 0; i < 400; ++i) {
    v.dir.Write("winddat/w.csv", Mutate(seed, rng));
    v.race.WindFileName = "w.csv";
    const WindReadResult r = ReadWindFile(v.race);
    ASSERT_TRUE(r.ok || r.error.line >= 1) << i;
    ASSERT_GE(v.race.WindCount, 0);
    ASSERT_GE(static_cast<int>(v.race.WindTime.size()), v.race.WindCount + 2);
  }
}

TEST(RobustSideFiles, CoastlineAndLightMutants) {
  const std::string grid = Demo("coastline/5239.cst", "M 523946\nL" + std::string(48, ' ') +
                                                          "     3\n"
                                                          "  100  200  300  400  500  600\n");
  const std::string plain = Demo("coastline/sagami-plain.cst", "R,2116.5,8368.2\n2116.6,8368.3\n");
  const std::string lights = Demo("coastline/jlh.lh", "Enoshima,3517.950,13928.550,4,1,W,0.3\n");
  std::string whole = Demo("coastline/jcoast.cst", std::string());
  if (whole.empty()) {
    const float pts[] = {-2116.f, 8368.f, 2116.1f, 8368.2f, 2116.2f, 8368.4f};
    whole.assign(reinterpret_cast<const char*>(pts), sizeof pts);
  }
  Venue v;
  std::mt19937 rng(43);
  for (int i = 0; i < 300; ++i) {
    v.dir.Write("coastline/5239.cst", Mutate(grid, rng));
    v.dir.Write("coastline/plain.cst", Mutate(plain, rng));
    v.dir.Write("coastline/jcoast.cst", Mutate(whole, rng));
    v.dir.Write("coastline/jlh.lh", Mutate(lights, rng));
    for (const char* map : {"5239", "plain", "jcoast.cst"}) {
      v.race.MapFileName[1] = map;
      v.race.MapFileCount = 1;
      const CoastError e = LoadCoastline(v.race, v.view);
      ASSERT_TRUE(!e || !e->message.isEmpty()) << map << " " << i;
      ASSERT_GE(v.race.CoastCount, 0);
      for (int k = 1; k <= v.race.CoastCount; ++k) ASSERT_TRUE(std::isfinite(v.race.CoastLat[k]));
    }
  }
}
