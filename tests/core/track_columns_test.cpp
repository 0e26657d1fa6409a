// The compact sample columns against plain arrays of the same numbers: what goes in reads back
// bit for bit (positions on their grid, times in whole seconds, anything else kept aside), the
// speed to the hundredth, and every file of ../shared/realdata read through the race tables
// gives back what its reader offered.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "race/model.h"
#include "race/numbers.h"
#include "race/track_columns.h"
#include "race/tracks/dispatch.h"
#include "race/tracks/readers.h"
#include "support/test_support.h"

namespace {

using kw::PositionColumn;
using Grid = PositionColumn::Grid;

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Values as the readers compute them from what loggers write.
double FromDegreesText(const char* text) {
  double d = 0;
  kw::ParseReal(text, d);
  return d * 60.0;
}
double FromDegreesMinutesText(const char* text) {
  return *kw::ParseCoordinate(text, kw::kCoordDegMin);
}
double FromFloatDegrees(float f) {
  return static_cast<double>(f) * 60.0;
}

struct PositionCase {
  const char* what;
  std::vector<double> values;  // slot 0 included
  Grid grid;
  bool rounded;
};

std::vector<double> Track(std::vector<double> v) {
  v.insert(v.begin(), 0.0);
  return v;
}

TEST(TrackColumns, PositionsReadBackOnTheLoggersGrid) {
  const PositionCase cases[] = {
      {"GPX, seven decimals",
       Track({FromDegreesText("35.2491667"), FromDegreesText("-0.3233417"),
              FromDegreesText("139.45"), FromDegreesText("-179.9999999")}),
       Grid::Degrees7, false},
      {"Garmin GPX, semicircles written out",
       Track({FromDegreesText("39.40774440765380859375"),
              FromDegreesText("-0.3233416378498077392578125"), kw::SemicirclesToMinutes(INT32_MAX),
              kw::SemicirclesToMinutes(-12345678)}),
       Grid::Semicircles, false},
      {"NMEA and text tracks, ddmm.mmmm and ddmm.mmmmm",
       Track({FromDegreesMinutesText("N3539.7234"), FromDegreesMinutesText("E13946.98765"),
              FromDegreesMinutesText("S0000.0001"), FromDegreesMinutesText("W17959.99999")}),
       Grid::DegreesMinutes5, false},
      {"TRB and TRL single-precision degrees",
       Track(
           {FromFloatDegrees(35.123456f), FromFloatDegrees(-139.98765f), FromFloatDegrees(1e-6f)}),
       Grid::FloatDegrees, false},
      {"nine decimals, on no grid: rounded",
       Track(std::vector<double>(100, FromDegreesText("35.123456789"))), Grid::Semicircles, true},
  };
  for (const PositionCase& c : cases) {
    SCOPED_TRACE(c.what);
    PositionColumn col;
    col.Assign(c.values.data(), c.values.size(), c.values.size() + 3);
    EXPECT_EQ(col.grid(), c.grid);
    EXPECT_EQ(col.rounded(), c.rounded);
    ASSERT_EQ(col.size(), c.values.size() + 3);
    for (size_t i = 0; i < c.values.size(); ++i) {
      if (c.rounded) {
        // Half a semicircle: 180 / 2^32 degrees, 4.7 mm.
        EXPECT_NEAR(col[i], c.values[i], 10800.0 / 4294967296.0 * 1.0000001);
      } else {
        EXPECT_TRUE(SameBits(col[i], c.values[i])) << i << ": " << col[i] << " " << c.values[i];
      }
    }
    for (size_t i = c.values.size(); i < col.size(); ++i) EXPECT_EQ(col[i], 0);
  }
}

// Values no grid holds are kept aside whatever the grid: a mixed file, a damaged one.
TEST(TrackColumns, OddPositionsAreKeptAsideExactly) {
  std::vector<double> v = {0};
  for (int i = 0; i < 500; ++i)
    v.push_back(std::nearbyint((35.2491667 + i * 1e-5) * 1e7) / 1e7 * 60);
  const double odd[] = {1e9,  -1e300,          std::numeric_limits<double>::quiet_NaN(),
                        -0.0, 2139.7234567891, std::numeric_limits<double>::infinity()};
  for (size_t k = 0; k < std::size(odd); ++k) v[40 + 60 * k] = odd[k];
  PositionColumn col;
  col.Assign(v.data(), v.size(), v.size());
  EXPECT_FALSE(col.rounded());
  for (size_t i = 0; i < v.size(); ++i) {
    if (std::isnan(v[i])) {
      EXPECT_TRUE(std::isnan(col[i]));
    } else {
      EXPECT_TRUE(SameBits(col[i], v[i])) << i;
    }
  }
  // Written one by one, as a test or a tool does.
  PositionColumn one;
  one.resize(v.size());
  for (size_t i = 0; i < v.size(); ++i) one[i] = v[i];
  for (size_t i = 0; i < v.size(); ++i)
    if (!std::isnan(v[i])) {
      EXPECT_TRUE(SameBits(one[i], v[i])) << i;
    }
}

// Times: a plain vector and the column take the same writes, in any order, and must agree at
// every step; so must "never goes back" and the pair lookups, against their definitions.
TEST(TrackColumns, TimesFollowAPlainArrayThroughAnyWrites) {
  std::mt19937 rng(20240601);
  const double kinds[] = {0, 1, -1, 65534, 65535, 70000, 0.5, -0.0, 3e9, 432000};
  for (int round = 0; round < 40; ++round) {
    const size_t n = 1 + rng() % 300;
    std::vector<double> plain(n);
    for (size_t i = 1; i < n; ++i) plain[i] = round % 2 ? i * 1.0 - 300 : (i * 7919 % 1000) - 500.0;
    kw::TimeColumn col;
    col.Assign(plain.data(), n, n);
    for (int step = 0; step < 200; ++step) {
      const size_t i = rng() % plain.size();
      const double v = step % 3 ? plain[i] + static_cast<double>(rng() % 5) - 2
                                : kinds[rng() % std::size(kinds)] + (rng() % 2 ? plain[i] : 0);
      plain[i] = v;
      col[i] = v;
      if (step % 17 == 0) {
        const size_t m = 1 + rng() % (2 * n);
        plain.resize(m, 0.0);
        col.resize(m);
      }
      ASSERT_EQ(col.size(), plain.size());
      for (size_t k = 0; k < plain.size(); ++k) ASSERT_TRUE(SameBits(col[k], plain[k])) << k;
      const int count = static_cast<int>(plain.size()) - 1;
      bool rises = true;
      for (int k = 1; k + 1 <= count; ++k) rises = rises && plain[k + 1] >= plain[k];
      ASSERT_EQ(col.RisesThrough(count), rises);
      const double t = plain[rng() % plain.size()] + (rng() % 3) * 0.5 - 0.5;
      int first = 0;
      for (int k = 1; k < count && !first; ++k)
        if (plain[k] <= t && t < plain[k + 1]) first = k;
      ASSERT_EQ(kw::FirstSamplePair(col, 1, count, t), first);
      const int start = 1 + static_cast<int>(rng() % plain.size());
      const int found = kw::FindSamplePair(col, count, start, t);
      if (first == 0) {
        ASSERT_EQ(found, 0);
      } else {
        ASSERT_TRUE(plain[found] <= t && t < plain[found + 1]);
        if (rises) {
          ASSERT_EQ(found, first);
        }
      }
    }
  }
}

TEST(TrackColumns, SpeedToTheHundredthAndCourseInWholeDegrees) {
  struct {
    double in, out;
  } speeds[] = {{0, 0},
                {5.125, 5.12},  // half to even, as the KML documents print it
                {5.135, 5.14},
                {12.3456, 12.35},
                {655.34, 655.34},
                {655.35, 655.35},  // beyond the 16 bits: kept aside
                {1234.5678, 1234.5678},
                {-3, -3}};
  kw::SpeedColumn speed;
  speed.resize(std::size(speeds));
  for (size_t i = 0; i < std::size(speeds); ++i) speed[i] = speeds[i].in;
  for (size_t i = 0; i < std::size(speeds); ++i) {
    EXPECT_DOUBLE_EQ(speed[i], speeds[i].out) << speeds[i].in;
    EXPECT_EQ(kw::RoundHalfEven(speed[i] * 100), kw::RoundHalfEven(speeds[i].in * 100));
  }
  kw::CourseColumn course;
  const int courses[] = {0, 359, 180, -1, 40000, -32768};
  course.resize(std::size(courses));
  for (size_t i = 0; i < std::size(courses); ++i) course[i] = courses[i];
  for (size_t i = 0; i < std::size(courses); ++i) EXPECT_EQ(course[i], courses[i]);
}

// A day of one-second samples costs what the header promises.
TEST(TrackColumns, ADayAtOneHertzTakesFourteenBytesASample) {
  const int n = 86400;
  std::vector<double> t(n + 1), lat(n + 1), lon(n + 1);
  for (int i = 1; i <= n; ++i) {
    t[i] = i - 300;
    lat[i] = std::nearbyint((35.25 + i * 1e-5) * 1e7) / 1e7 * 60.0;
    lon[i] = std::nearbyint((139.45 - i * 2e-5) * 1e7) / 1e7 * 60.0;
  }
  kw::RaceData r;
  r.BoatCount = 1;
  kw::SetBoatTableCapacity(r);
  kw::SetTrackSamples(r, 1, t, lat, lon, n);
  const double bytes = static_cast<double>(
      r.TrackTime[1].MemoryBytes() + r.TrackLat[1].MemoryBytes() + r.TrackLon[1].MemoryBytes() +
      r.TrackSpeed[1].MemoryBytes() + r.TrackCourse[1].MemoryBytes());
  EXPECT_LE(bytes / n, 14.1);
  EXPECT_EQ(r.TrackLat[1].grid(), Grid::Degrees7);
  for (int i = 1; i <= n; i += 997) {
    EXPECT_EQ(r.TrackTime[1][i], t[i]);
    EXPECT_TRUE(SameBits(r.TrackLat[1][i], lat[i]));
  }
}

std::string ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// Every real track: the samples the race tables hold are the ones the reader offered, bit for
// bit, unless the track was rounded (then within half a semicircle).
TEST(TrackColumns, RealFilesReadBackAsTheirReadersOfferedThem) {
  const QString root = kwtest::RealDataDir();
  if (root.isEmpty()) GTEST_SKIP() << "../shared/realdata is absent: not checked";
  std::map<std::string, int> gridsSeen;
  int tracks = 0;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const std::string data = ReadBytes(path);
    kw::TrackFormat format = kw::FormatOfName(it.fileName());
    if (format == kw::TrackFormat::None) format = kw::FormatOfContent(data);
    if (format == kw::TrackFormat::None) continue;
    SCOPED_TRACE(path.toStdString());
    kw::RaceData race;
    race.StartTimeUtc = 29221;  // 1980-01-01: nearly everything is kept
    race.BoatCount = 1;
    kw::SetBoatTableCapacity(race);
    kw::TrackStore store(race, 1);
    kw::ReadTrackData(format, data, it.fileName(), store);
    const std::vector<double> t = store.times(), lat = store.lats(), lon = store.lons();
    const int n = store.Finish();
    if (n < 1) continue;
    ++tracks;
    const bool rounded = race.TrackLat[1].rounded() || race.TrackLon[1].rounded();
    ++gridsSeen[rounded ? "rounded" : std::to_string(static_cast<int>(race.TrackLat[1].grid()))];
    for (int i = 1; i <= n; ++i) {
      ASSERT_TRUE(SameBits(race.TrackTime[1][i], t[i])) << i;
      if (rounded) {
        ASSERT_NEAR(race.TrackLat[1][i], lat[i], 2.6e-6) << i;
        ASSERT_NEAR(race.TrackLon[1][i], lon[i], 2.6e-6) << i;
      } else {
        ASSERT_TRUE(SameBits(race.TrackLat[1][i], lat[i])) << i;
        ASSERT_TRUE(SameBits(race.TrackLon[1][i], lon[i])) << i;
      }
    }
  }
  EXPECT_GT(tracks, 10);
  for (const auto& [grid, count] : gridsSeen)
    std::printf("  grid %s: %d tracks\n", grid.c_str(), count);
}

}  // namespace
