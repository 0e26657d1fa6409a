// The pictures of long races drawn from the tracks' coarser copies against the same pictures
// drawn from every sample: the graph page's traces the same points (or, rows only, the same
// pixels), the maps' tracks within a pixel, and each coarser polyline within its stated distance
// of every sample.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/page_numbers.h"
#include "analysis/playback_state.h"
#include "race/model.h"
#include "race/track_outline.h"
#include "support/test_support.h"
#include "view/geometry.h"
#include "view/graph_page.h"
#include "view/overview_map.h"
#include "view/render_state.h"
#include "view/still_map.h"
#include "view/time_bar.h"
#include "view/view_state.h"

using namespace kw;

namespace {

constexpr double kCos = 0.8;
const double kPi = std::acos(-1.0);

// Boats at 1 Hz over `seconds`: legs with tacks every few minutes, gybes through north, a
// speed that wanders, a stop, a GPS spike and courses that come out as 360.
void MakeRace(RaceData& r, int boats, int seconds, unsigned seed) {
  kwtest::EnsureGuiApp();
  std::mt19937 rng(seed);
  r.BoatCount = boats;
  SetBoatTableCapacity(r);
  r.ClockFirst = -300;
  r.ClockLast = seconds - 300;
  UpdateClockSpan(r);
  for (int b = 1; b <= boats; ++b) {
    std::vector<double> t(1), lat(1), lon(1);
    double la = 2100 + b * 0.3, lo = 8400, heading = 30.0 * b;
    const int tack = 120 + static_cast<int>(rng() % 400);
    for (int i = 0; i < seconds; ++i) {
      if (i % tack == 0) heading += (i / tack) % 2 ? 95 : -95;
      if (i % 5000 > 4700) heading += 1.2;  // a slow turn through every bearing
      const double knots = i % 9000 < 600 ? 0 : 5 + 2 * std::sin(i / 700.0) + (rng() % 7) * 0.01;
      const double step = knots / 3600;  // minutes of latitude a second
      la += step * std::cos(heading * kPi / 180);
      lo += step * std::sin(heading * kPi / 180) / kCos;
      const bool spike = i == seconds / 2;
      t.push_back(i - 300);
      lat.push_back(std::nearbyint((spike ? la + 30 : la) / 60 * 1e7) / 1e7 * 60);
      lon.push_back(std::nearbyint(lo / 60 * 1e7) / 1e7 * 60);
    }
    SetTrackSamples(r, b, t, lat, lon, seconds);
    r.BoatShown[b] = 1;
    r.BoatColor[b] = Rgb{static_cast<uint8_t>(40 * b), static_cast<uint8_t>(255 - 30 * b), 20};
  }
  DeriveSpeedAndCourse(r, kCos);
  BuildTrackOutlines(r, kCos);
}

// The same race without its coarser copies: every picture then walks every sample.
RaceData Plain(const RaceData& r) {
  RaceData p = r;
  p.TrackOutlines.clear();
  p.TrackBlockSummaries.clear();
  return p;
}

}  // namespace

// Through every geometry and orientation: the traces from the blocks are the traces from the
// samples, point for point; the page drawn with rows only is the same picture, pixel for pixel.
TEST(LongRacePictures, GraphTracesFromBlocksAreTheSamplesTraces) {
  RaceData r;
  MakeRace(r, 3, 40000, 11);
  ASSERT_EQ(r.TrackBlockSummaries.size(), 4u);
  const RaceData plain = Plain(r);
  EXPECT_EQ(MaxBoatSpeed(r), MaxBoatSpeed(plain));
  struct {
    int width, height, windward;
    double variation;
  } views[] = {{1600, 1000, 0, 0},   {1600, 1000, 200, -7.5}, {900, 500, 91, 3.3},
               {1200, 2400, 317, 0}, {400, 300, 45, 0},       {1600, 140, 180, 12.25}};
  for (const auto& v : views) {
    SCOPED_TRACE(testing::Message() << v.width << "x" << v.height << " wind " << v.windward);
    r.WindwardBearing = v.windward, r.MagneticVariation = v.variation;
    RaceData p = plain;
    p.WindwardBearing = v.windward, p.MagneticVariation = v.variation;
    const GraphGeometry g = MakeGraphGeometry(r, v.width, v.height);
    for (int b = 1; b <= r.BoatCount; ++b) {
      EXPECT_EQ(CourseTrace(r, g, b), CourseTrace(p, g, b));
      EXPECT_EQ(SpeedTrace(r, g, b), SpeedTrace(p, g, b));
    }
    QImage fast(v.width, v.height + 40, QImage::Format_RGB32), full = fast;
    DrawGraphs(fast, r, v.height, Rgb{0, 0, 128});
    DrawGraphs(full, p, v.height, Rgb{0, 0, 128});
    EXPECT_TRUE(fast == full);
  }
}

// A changed sample leaves the copies unused: the traces follow the samples at once.
TEST(LongRacePictures, ACopyOfAnOlderTrackIsNotUsed) {
  RaceData r;
  MakeRace(r, 1, 6000, 5);
  const GraphGeometry g = MakeGraphGeometry(r, 1600, 1000);
  for (int i = 2000; i < 2400; ++i) r.TrackSpeed[1][i] = 9.5;
  const RaceData plain = Plain(r);
  EXPECT_EQ(SpeedTrace(r, g, 1), SpeedTrace(plain, g, 1));
  EXPECT_EQ(MaxBoatSpeed(r), MaxBoatSpeed(plain));
}

namespace {

// Distance from p to segment ab, in minutes of latitude (longitudes at kCos).
double ToSegment(double plat, double plon, double alat, double alon, double blat, double blon) {
  const double px = (plon - alon) * kCos, py = plat - alat;
  const double bx = (blon - alon) * kCos, by = blat - alat;
  const double len = bx * bx + by * by;
  const double f = len > 0 ? std::clamp((px * bx + py * by) / len, 0.0, 1.0) : 0;
  return std::hypot(px - f * bx, py - f * by);
}

}  // namespace

// Every sample lies within the stated distance of the polyline of every level: the straightened
// ones over the whole track, the spaced ones also when cut between any two samples.
TEST(LongRacePictures, EveryLevelKeepsWithinItsStatedDistance) {
  RaceData r;
  MakeRace(r, 2, 20000, 3);
  for (int b = 1; b <= 2; ++b) {
    const TrackOutline& o = r.TrackOutlines[b];
    ASSERT_TRUE(o.UsableFor(r, b));
    auto lat = [&](int i) { return static_cast<double>(r.TrackLat[b][i]); };
    auto lon = [&](int i) { return static_cast<double>(r.TrackLon[b][i]); };
    auto check = [&](const std::vector<uint32_t>& kept, int first, int last, double error) {
      // The points drawn: first, the kept ones between, last.
      std::vector<int> pts = {first};
      for (uint32_t k : kept)
        if (static_cast<int>(k) > first && static_cast<int>(k) < last)
          pts.push_back(static_cast<int>(k));
      pts.push_back(last);
      size_t s = 0;
      double worst = 0;
      for (int i = first; i <= last; ++i) {
        while (s + 2 < pts.size() && pts[s + 1] <= i) ++s;
        const int a = pts[s], z = pts[s + 1];
        worst = std::max(worst, ToSegment(lat(i), lon(i), lat(a), lon(a), lat(z), lon(z)));
      }
      EXPECT_LE(worst, error) << first << ".." << last << " of " << kept.size() << " points";
    };
    for (int k = 0; k < TrackOutline::kStraight; ++k)
      check(o.straight[k], 1, o.count, TrackOutline::StraightError(k));
    for (int k = 0; k < TrackOutline::kSpaced; ++k) {
      check(o.spaced[k], 1, o.count, TrackOutline::SpacedError(k));
      check(o.spaced[k], 777, 13333, TrackOutline::SpacedError(k));
      check(o.spaced[k], 5000, 5003, TrackOutline::SpacedError(k));
    }
    EXPECT_LT(o.straight[2].size(), static_cast<size_t>(o.count) / 20);
  }
}

namespace {

// Whether every pixel of `colour` in a lies within one pixel of one in b.
bool WithinAPixel(const QImage& a, const QImage& b, QRgb colour, int& pixels) {
  pixels = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != colour) continue;
      ++pixels;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx)
          near = b.valid(x + dx, y + dy) && b.pixel(x + dx, y + dy) == colour;
      if (!near) return false;
    }
  }
  return true;
}

}  // namespace

// The overview and the still map, at the race's size and zoomed in, with a repeat span: the
// tracks from the coarser copies lie within a pixel of the tracks from every sample.
TEST(LongRacePictures, MapTracksWithinAPixelOfEverySample) {
  RaceData r;
  MakeRace(r, 3, 30000, 17);
  const RaceData plain = Plain(r);
  ViewState v;
  v.MapWidth = 800, v.MapHeight = 600, v.OverviewWidth = v.OverviewHeight = 170;
  ComputeRaceExtent(r, nullptr, v);
  v.CosCentreLat = kCos;
  PlaybackState play;
  RenderState rs;
  for (int view = 0; view < 5; ++view) {
    SCOPED_TRACE(view);
    QImage a, b;
    if (view == 0) {
      a = DrawOverviewImage(r, v), b = DrawOverviewImage(plain, v);
    } else {
      ViewState w = v;
      EnterStillMap(w);
      w.ZoomFactor = view == 1 ? 1 : view == 2 ? 4 : 32;
      play.RepeatActive = view == 4, play.RepeatFrom = 4000, play.RepeatTo = 21000;
      ViewState w2 = w;
      BuildStillMap(r, w, play, rs, a);
      BuildStillMap(plain, w2, play, rs, b);
    }
    for (int boat = 1; boat <= 3; ++boat) {
      const QRgb colour =
          QColor(r.BoatColor[boat].r, r.BoatColor[boat].g, r.BoatColor[boat].b).rgb();
      int pa = 0, pb = 0;
      EXPECT_TRUE(WithinAPixel(a, b, colour, pa)) << "boat " << boat;
      EXPECT_TRUE(WithinAPixel(b, a, colour, pb)) << "boat " << boat;
      if (view < 3) {
        EXPECT_GT(pb, 50);
      }
    }
  }
}

// The time bar of a long race by its definition: every sample of boat 1 inside the replay
// window paints, in time order, from the top of the bar down to its own row, white on the
// upwind side and blue downwind; the bar drawn from halving the track must show the same.
TEST(LongRacePictures, TimeBarAsEverySamplePaintsIt) {
  RaceData r;
  MakeRace(r, 1, 30000, 23);
  for (int windward : {0, 135, 250}) {
    r.WindwardBearing = windward;
    for (int height : {200, 900}) {
      SCOPED_TRACE(testing::Message() << windward << " " << height);
      const TimeBarGeometry g = TimeBarGeometryFor(50, height + 60);
      const QImage bar = DrawTimeBarImage(r, g);
      const int h = g.barHeight - 1;
      std::vector<int> colour(static_cast<size_t>(g.barHeight), 0);  // 0 none, 1 up, 2 down
      for (int i = 1; i <= r.BoatSampleCount[1]; ++i) {
        const double t = r.TrackTime[1][i];
        if (!(r.ClockFirst < t && t < r.ClockLast)) continue;
        const int row = static_cast<int>(std::nearbyint((r.ClockLast - t) * h / r.ClockSpan));
        int off = r.TrackCourse[1][i] - windward;
        if (off < -180) off += 360;
        if (off > 180) off -= 360;
        for (int y = 1; y < row && y < g.barHeight; ++y) colour[y] = std::abs(off) < 90 ? 1 : 2;
      }
      int painted = 0;
      const int gun = static_cast<int>(std::nearbyint(h * r.ClockLast / r.ClockSpan));
      for (int y = 1; y < g.barHeight - 2; ++y) {
        if (colour[y] == 0 || std::abs(y - gun) <= 1) continue;  // the start's red mark

        ++painted;
        const QColor want = colour[y] == 1 ? QColor(Qt::white) : QColor(192, 192, 255);
        ASSERT_EQ(bar.pixelColor(10, y), want) << "row " << y;
      }
      EXPECT_GT(painted, height / 2);
    }
  }
}
