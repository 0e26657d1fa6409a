// Loading speed on a generated fleet: 80 boats x 10,800 one-second GPX samples (three hours),
// about 100 MB. Measures the GPX parse rate from memory and the whole loading sequence.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "race/datetime.h"
#include "race/tracks/dispatch.h"
#include "race/tracks/readers.h"
#include "session/loader.h"
#include "session/session.h"

namespace {

constexpr int kBoats = 80;
constexpr int kSamples = 10800;

// Each boat beats and runs between two marks 2' apart at about 6 knots, from five minutes
// before an 01:00 UTC gun, so that every course entry is passed several times over.
std::string FleetGpx(int boat) {
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\">\n<trk><name>boat</name><trkseg>\n";
  s.reserve(kSamples * 130);
  char buf[200];
  const double speed = 0.0016 + boat * 1e-6;  // minutes of latitude per second
  for (int i = 0; i < kSamples; ++i) {
    const int t = 3600 - 300 + i;
    const double run = std::fmod((i + 60) * speed, 4.4);  // 2.2' up, 2.2' down
    const double lat = 2114.9 + (run < 2.2 ? run : 4.4 - run);
    const double lon = 8367.0 + 0.02 * std::sin(i / 90.0) + boat * 1e-4;
    std::snprintf(buf, sizeof buf,
                  "<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%.1f</ele><time>2007-05-12T%02d:%02d:%02dZ"
                  "</time><speed>%.2f</speed></trkpt>\n",
                  lat / 60, lon / 60, 1.5, t / 3600, t / 60 % 60, t % 60, 3.1);
    s += buf;
  }
  s += "</trkseg></trk>\n</gpx>\n";
  return s;
}

// The same boat as an NMEA log (a GGA and an RMC sentence per second, as instruments write them)
// and as a text track, for the other text readers' rates.
std::string NmeaSentence(const char* body) {
  unsigned char x = 0;
  for (const char* c = body; *c; ++c) x ^= static_cast<unsigned char>(*c);
  char buf[220];
  std::snprintf(buf, sizeof buf, "$%s*%02X\r\n", body, x);
  return buf;
}

std::string FleetNmea(int boat) {
  std::string s;
  s.reserve(kSamples * 150);
  char body[200];
  const double speed = 0.0016 + boat * 1e-6;
  for (int i = 0; i < kSamples; ++i) {
    const int t = 3600 - 300 + i;
    const double run = std::fmod((i + 60) * speed, 4.4);
    const double lat = 2114.9 + (run < 2.2 ? run : 4.4 - run);
    const double lon = 8367.0 + 0.02 * std::sin(i / 90.0) + boat * 1e-4;
    const int latDeg = static_cast<int>(lat / 60), lonDeg = static_cast<int>(lon / 60);
    std::snprintf(body, sizeof body,
                  "GPGGA,%02d%02d%02d.00,%02d%07.4f,N,%03d%07.4f,E,1,09,0.9,1.5,M,39.4,M,,",
                  t / 3600, t / 60 % 60, t % 60, latDeg, lat - latDeg * 60, lonDeg,
                  lon - lonDeg * 60);
    s += NmeaSentence(body);
    std::snprintf(
        body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%02d%07.4f,N,%03d%07.4f,E,6.10,12.0,120507,,,A",
        t / 3600, t / 60 % 60, t % 60, latDeg, lat - latDeg * 60, lonDeg, lon - lonDeg * 60);
    s += NmeaSentence(body);
  }
  return s;
}

std::string FleetTextTrack(int boat) {
  std::string s = "H  bench logger track\r\n";
  s.reserve(kSamples * 60);
  char buf[160];
  const double speed = 0.0016 + boat * 1e-6;
  for (int i = 0; i < kSamples; ++i) {
    const int t = 3600 - 300 + i;
    const double run = std::fmod((i + 60) * speed, 4.4);
    const double lat = 2114.9 + (run < 2.2 ? run : 4.4 - run);
    const double lon = 8367.0 + 0.02 * std::sin(i / 90.0) + boat * 1e-4;
    const int latDeg = static_cast<int>(lat / 60), lonDeg = static_cast<int>(lon / 60);
    std::snprintf(buf, sizeof buf, "T  N%02d%07.4f  E%03d%07.4f  12-05-2007  %02d:%02d:%02d  0\r\n",
                  latDeg, lat - latDeg * 60, lonDeg, lon - lonDeg * 60, t / 3600, t / 60 % 60,
                  t % 60);
    s += buf;
  }
  return s;
}

struct Fleet {
  QTemporaryDir tmp;
  QString root;
  std::string oneFile;
  long long totalBytes = 0;
  explicit Fleet(const QString& folder = {}) : root(folder.isEmpty() ? tmp.path() : folder) {
    QDir(root).mkpath("raceadmin");
    QDir(root).mkpath("gpsdat");
    std::string race =
        "T1,Bench fleet\nST,2007/05/12 10:00:00\nFT,2007/05/12 13:00:00\nTD,9\nBT,5\n"
        "MK,2117,8367\nMK,2115,8367\nLN,2115.2,8366.9,2115.2,8367.1\nLN,2116,8366.9,2116,8367.1\n"
        "CRS,L1,MK1,MK2,MK1,MK2,MK1,MK2,L2\n";
    for (int b = 1; b <= kBoats; ++b) {
      std::string gpx = FleetGpx(b);
      if (b == 1) oneFile = gpx;
      totalBytes += static_cast<long long>(gpx.size());
      QFile f(root + QStringLiteral("/gpsdat/boat%1.gpx").arg(b));
      f.open(QIODevice::WriteOnly);
      f.write(gpx.data(), static_cast<qint64>(gpx.size()));
      race += "BN,boat" + std::to_string(b) + ".gpx,Boat " + std::to_string(b) + ",1.0\n";
    }
    QFile f(root + "/raceadmin/bench.txt");
    f.open(QIODevice::WriteOnly);
    f.write(race.data(), static_cast<qint64>(race.size()));
  }
};

Fleet& TheFleet() {
  static Fleet fleet;
  return fleet;
}

void BM_ParseGpx(benchmark::State& state) {
  const std::string& data = TheFleet().oneFile;
  kw::RaceData race;
  race.StartTimeUtc = *kw::ParseDateTime("2007/05/12 01:00:00");
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  for (auto _ : state) {
    kw::TrackStore store(race, 1);
    auto r = kw::ReadGpx(data, "bench.gpx", store);
    benchmark::DoNotOptimize(store.Finish());
    if (!r.ok) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_ParseGpx)->Unit(benchmark::kMillisecond);

// One reader over one boat's file in memory; the file's bytes per second.
template <typename Reader>
void ParseRate(benchmark::State& state, const std::string& data, Reader read) {
  kw::RaceData race;
  race.StartTime = *kw::ParseDateTime("2007/05/12 10:00:00");
  race.StartTimeUtc = *kw::ParseDateTime("2007/05/12 01:00:00");
  race.RaceDate = *kw::ParseDateTime("2007/05/12");
  race.PreStartSeconds = 300;  // the window opens before the first sample
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  for (auto _ : state) {
    kw::TrackStore store(race, 1);
    auto r = read(data, "bench", store);
    if (store.Finish() != kSamples) state.SkipWithError("not every sample kept");
    if (!r.ok) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.size()));
}

void BM_ParseNmea(benchmark::State& state) {
  static const std::string data = FleetNmea(1);
  ParseRate(state, data, kw::ReadNmea);
}
BENCHMARK(BM_ParseNmea)->Unit(benchmark::kMillisecond);

void BM_ParseTextTrack(benchmark::State& state) {
  static const std::string data = FleetTextTrack(1);
  ParseRate(state, data, kw::ReadTextTrack);
}
BENCHMARK(BM_ParseTextTrack)->Unit(benchmark::kMillisecond);

// Each text format's rate beside the rate `wc -l` reads the same bytes at: the 80 boats' files
// of the fleet in that format, counted by `wc -l` from the page cache (the median of seven runs
// after a first that fills the cache) and parsed from memory. Both rates are printed (MB/s) and
// their ratio.
struct FormatFleet {
  QTemporaryDir dir;
  std::vector<std::string> files;
  long long bytes = 0;
  double wcRate = 0;  // bytes per second
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

FormatFleet& FleetIn(int format) {
  static std::map<int, std::unique_ptr<FormatFleet>> fleets;
  auto& f = fleets[format];
  if (f) return *f;
  f = std::make_unique<FormatFleet>();
  QStringList paths;
  for (int b = 1; b <= kBoats; ++b) {
    std::string data = format == 0 ? FleetGpx(b) : format == 1 ? FleetNmea(b) : FleetTextTrack(b);
    const QString path = f->dir.path() + QStringLiteral("/boat%1").arg(b);
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(data.data(), static_cast<qint64>(data.size()));
    f->bytes += static_cast<long long>(data.size());
    f->files.push_back(std::move(data));
    paths << path;
  }
  std::vector<double> seconds;
  for (int run = 0; run < 8; ++run) {
    QProcess wc;
    wc.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    wc.start(QStringLiteral("wc"), QStringList{QStringLiteral("-l")} + paths);
    wc.waitForFinished(-1);
    if (run > 0) seconds.push_back(t.nsecsElapsed() / 1e9);
  }
  f->wcRate = static_cast<double>(f->bytes) / Median(seconds);
  return *f;
}

void BM_ParseBesideWcL(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  FormatFleet& fleet = FleetIn(format);
  kw::RaceData race;
  race.StartTime = *kw::ParseDateTime("2007/05/12 10:00:00");
  race.StartTimeUtc = *kw::ParseDateTime("2007/05/12 01:00:00");
  race.RaceDate = *kw::ParseDateTime("2007/05/12");
  race.PreStartSeconds = 300;
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  auto read = format == 0 ? kw::ReadGpx : format == 1 ? kw::ReadNmea : kw::ReadTextTrack;
  std::vector<double> seconds;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    for (const std::string& data : fleet.files) {
      kw::TrackStore store(race, 1);
      auto r = read(data, "bench", store);
      if (store.Finish() != kSamples || !r.ok) state.SkipWithError("not every sample kept");
    }
    seconds.push_back(t.nsecsElapsed() / 1e9);
  }
  const double parseRate = static_cast<double>(fleet.bytes) / Median(seconds);
  state.SetLabel(format == 0 ? "GPX" : format == 1 ? "NMEA" : "text track");
  state.counters["parse_MBps"] = parseRate / 1e6;
  state.counters["wc_l_MBps"] = fleet.wcRate / 1e6;
  state.counters["ratio"] = parseRate / fleet.wcRate;
}
BENCHMARK(BM_ParseBesideWcL)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The load with state.range(0) threads reading track files (0: one after another on the
// loader's thread; -1: as the program chooses, one per core).
class ReaderHooks : public kw::LoadHooks {
 public:
  explicit ReaderHooks(int readers) : readers_(readers) {}
  int TrackReaders() const override {
    return readers_ < 0 ? kw::LoadHooks::TrackReaders() : readers_;
  }

 private:
  int readers_;
};

void BM_LoadFleet(benchmark::State& state) {
  Fleet& fleet = TheFleet();
  ReaderHooks hooks(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    kw::RaceSession s;
    s.race.ProgramFolder = fleet.root + '/';
    kw::BuildRaceList(s.race);
    kw::ChooseRaceFile(s.race);
    auto o = kw::LoadRace(s, hooks);
    if (o.status != kw::LoadOutcome::Loaded || s.race.BoatCount != kBoats)
      state.SkipWithError("load failed");
    benchmark::DoNotOptimize(s.race.TrackTime.data());
  }
  struct rusage ru {};
  getrusage(RUSAGE_SELF, &ru);
  state.counters["fleet_MB"] = static_cast<double>(fleet.totalBytes) / 1e6;
  state.counters["maxrss_MB"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * fleet.totalBytes);
}
// Wall time: the tracks are read on worker threads.
BENCHMARK(BM_LoadFleet)
    ->Arg(-1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// Mark passing and the distance sailed per leg for the whole fleet, on loaded tracks.
void BM_MarkPassingAndLegDistances(benchmark::State& state) {
  Fleet& fleet = TheFleet();
  kw::LoadHooks hooks;
  kw::RaceSession s;
  s.race.ProgramFolder = fleet.root + '/';
  kw::BuildRaceList(s.race);
  kw::ChooseRaceFile(s.race);
  if (kw::LoadRace(s, hooks).status != kw::LoadOutcome::Loaded) state.SkipWithError("load failed");
  int finished = 0;
  for (auto _ : state) {
    kw::DetectMarkPassing(s.race, s.passing);
    kw::ComputeLegDistances(s.race, s.view.CosCentreLat, s.passing);
    benchmark::DoNotOptimize(s.passing.LegSailedDistance.data());
  }
  for (int b = 1; b <= s.race.BoatCount; ++b) finished += s.passing.Passed(b, s.race.CourseCount);
  state.counters["finished"] = finished;
  state.counters["samples"] = static_cast<double>(s.race.BoatSampleCount[1]) * s.race.BoatCount;
}
BENCHMARK(BM_MarkPassingAndLegDistances)->Unit(benchmark::kMillisecond);

// One point a second of a data folder's track; `u` is UTC seconds from 2007-05-12 00:00.
void AppendPoint(std::string& s, double lat, double lon, int u) {
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "<trkpt lat=\"%.7f\" lon=\"%.7f\"><time>2007-05-%02dT%02d:%02d:%02dZ</time>"
                "</trkpt>\n",
                lat / 60, lon / 60, 12 + u / 86400, u / 3600 % 24, u / 60 % 60, u % 60);
  s += buf;
}

// Closes boat b's track `s`, writes it as gpsdat/<prefix><b>.gpx, names it in `race` and counts
// its bytes; false when it cannot be written.
bool WriteBoat(const QString& root, const char* prefix, int b, std::string& s, std::string& race,
               long long& total) {
  s += "</trkseg></trk></gpx>\n";
  total += static_cast<long long>(s.size());
  const std::string file = prefix + std::to_string(b) + ".gpx";
  QFile f(root + "/gpsdat/" + QString::fromStdString(file));
  if (!f.open(QIODevice::WriteOnly) || f.write(s.data(), static_cast<qint64>(s.size())) < 0)
    return false;
  race += "BN," + file + ",Boat " + std::to_string(b) + ",1.0\n";
  return true;
}

bool WriteRaceFile(const QString& path, const std::string& race) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) &&
         f.write(race.data(), static_cast<qint64>(race.size())) == static_cast<qint64>(race.size());
}

// A 24-hour offshore race: 80 boats logging every second from five minutes before the gun round
// a 60-mile triangle (start, 20' north, 20' east-south-east, back), at 2.75 to 3.15 knots, so
// that they finish after 19 to 22 hours and sail on a little; about 590 MB of GPX. Written as a
// data folder to time keelway-cli on, never kept.
long long WriteOffshore(const QString& root) {
  QDir(root).mkpath("raceadmin");
  QDir(root).mkpath("gpsdat");
  constexpr int kOffshoreSamples = 86400 + 300;
  const double cosLat = std::cos(35.4 * std::acos(-1.0) / 180);
  // Turning points in minutes of arc: just off each mark, so each is passed clearly.
  const double way[5][2] = {{2114.95, 8367.0},
                            {2135.02, 8366.98},
                            {2124.99, 8367 + 17.3 / cosLat + 0.02},
                            {2114.90, 8367.02},
                            {2114.60, 8367.02}};
  std::string race =
      "T1,Offshore bench\nST,2007/05/12 10:00:00\nFT,2007/05/13 10:00:00\nTD,9\nBT,5\n"
      "MK,2135,8367\nMK,2125," +
      std::to_string(8367 + 17.3 / cosLat) + "\nLN,2115,8366.7,2115,8367.3\nCRS,L1,MK1,MK2,L1\n";
  long long total = 0;
  std::string s;
  for (int b = 1; b <= kBoats; ++b) {
    s.assign("<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"bench\"><trk><trkseg>\n");
    s.reserve(static_cast<size_t>(kOffshoreSamples) * 86);
    const double knots = 2.75 + 0.005 * b;
    const double side = (b - 40) * 0.002;  // boats a little apart
    for (int i = 0; i < kOffshoreSamples; ++i) {
      const int t = i - 300;  // seconds from the gun
      double lat = way[0][0] - 0.01, lon = way[0][1] + side;
      if (t > 0) {
        double left = knots * t / 3600;  // miles sailed
        int k = 0;
        lat = way[0][0];
        lon = way[0][1] + side;
        for (; k < 4; ++k) {
          const double dy = way[k + 1][0] - way[k][0], dx = (way[k + 1][1] - way[k][1]) * cosLat;
          const double leg = std::hypot(dx, dy);
          if (left <= leg) {
            lat = way[k][0] + dy * left / leg;
            lon = way[k][1] + side + (way[k + 1][1] - way[k][1]) * left / leg;
            break;
          }
          left -= leg;
        }
        if (k == 4) lat = way[4][0], lon = way[4][1] + side;  // finished: stays put
      }
      AppendPoint(s, lat, lon, 3600 + t);
    }
    if (!WriteBoat(root, "o", b, s, race, total)) return -1;
  }
  return WriteRaceFile(root + "/raceadmin/offshore.txt", race) ? total : -1;
}

// A five-day ocean race: 80 boats logging every second from five minutes before the gun round a
// 620-mile course (north 185 miles, east 196, back south-west 236 to the start line) at 5.3 to
// 5.7 knots, zigzagging a third of a mile either side of the rhumb line every half hour as boats
// tack and gybe (straight near the marks, so that each is passed clearly). They finish after
// 108 to 117 hours and stay at the finish. About 2.7 GB of GPX, written boat by boat; never kept.
long long WriteOcean(const QString& root) {
  QDir(root).mkpath("raceadmin");
  QDir(root).mkpath("gpsdat");
  constexpr int kPre = 300, kOceanSamples = 5 * 86400 + kPre;
  const double pi = std::acos(-1.0);
  const double cosLat = std::cos(36.5 * pi / 180);
  const double way[5][2] = {{2114.95, 8367.0},
                            {2299.98, 8367.0},
                            {2250.0, 8367 + 190 / cosLat + 0.02},
                            {2114.90, 8367.02},
                            {2114.60, 8367.02}};
  std::string race =
      "T1,Ocean bench\nST,2007/05/12 10:00:00\nFT,2007/05/17 10:00:00\nTD,9\nBT,5\n"
      "MK,2300,8367\nMK,2250," +
      std::to_string(8367 + 190 / cosLat) + "\nLN,2115,8366.7,2115,8367.3\nCRS,L1,MK1,MK2,L1\n";
  long long total = 0;
  std::string s;
  for (int b = 1; b <= kBoats; ++b) {
    s.assign("<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"bench\"><trk><trkseg>\n");
    s.reserve(static_cast<size_t>(kOceanSamples) * 80);
    const double knots = 5.3 + 0.005 * b;
    const double side = (b - 40) * 0.002;
    for (int i = 0; i < kOceanSamples; ++i) {
      const int t = i - kPre;
      double lat = way[0][0] - 0.01, lon = way[0][1] + side;
      double left = t > 0 ? knots * t / 3600 : -1;  // miles sailed
      for (int k = 0; k < 4 && left >= 0; ++k) {
        const double dy = way[k + 1][0] - way[k][0], dx = (way[k + 1][1] - way[k][1]) * cosLat;
        const double leg = std::hypot(dx, dy);
        if (left > leg && k < 3) {
          left -= leg;
          continue;
        }
        const double along = std::min(left, leg);
        // A triangle wave across the leg, fading out a few miles from either end.
        const double phase = std::fmod(t / 1800.0 + b * 0.01, 1.0);
        const double zig = (phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase) *
                           std::min({0.33, along / 10, (leg - along) / 10});
        lat = way[k][0] + (dy * along - dx * zig) / leg;
        lon = way[k][1] + side + (dx * along + dy * zig) / leg / cosLat;
        if (left > leg) lat = way[4][0], lon = way[4][1] + side;  // finished: stays put
        break;
      }
      AppendPoint(s, lat, lon, 3600 + t);
    }
    if (!WriteBoat(root, "c", b, s, race, total)) return -1;
  }
  return WriteRaceFile(root + "/raceadmin/ocean.txt", race) ? total : -1;
}

}  // namespace

// "--write-fleet DIR" writes the fleet as a data folder and ends, so that the whole program
// (keelway-cli summary --root DIR) can be timed on it as a command.
int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-fleet") {
    Fleet fleet(QString::fromLocal8Bit(argv[2]));
    std::printf("%lld bytes of GPX in %s\n", fleet.totalBytes, argv[2]);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--write-offshore") {
    const long long bytes = WriteOffshore(QString::fromLocal8Bit(argv[2]));
    if (bytes < 0) return 1;
    std::printf("%lld bytes of GPX in %s\n", bytes, argv[2]);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--write-ocean") {
    const long long bytes = WriteOcean(QString::fromLocal8Bit(argv[2]));
    if (bytes < 0) return 1;
    std::printf("%lld bytes of GPX in %s\n", bytes, argv[2]);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
