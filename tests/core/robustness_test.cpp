// Track readers on damaged input: seeded mutations of small generated files (and of small real
// ones when ../shared/realdata is present), every truncation, and pathological files. Whatever
// comes in, a reader must return, keep only samples that obey the storing rules, and explain a
// refusal. Each input is read from an exactly-sized heap copy so that a read one byte past the
// end shows under AddressSanitizer.
#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "race/datetime.h"
#include "race/model.h"
#include "race/tracks/dispatch.h"
#include "support/test_support.h"

namespace {

using kw::TrackFormat;

constexpr int kPreStart = 180;

struct Outcome {
  kw::TrackReadResult res;
  int n = 0;
  std::string fault;  // empty when every invariant holds
};

long long Count(std::string_view s, char c) {
  return std::count(s.begin(), s.end(), c);
}

// The gun at 2007-05-12 10:00:00 UTC, where the generated files are; real files are later and
// their samples are all kept.
Outcome Read(TrackFormat format, std::string_view bytes) {
  std::unique_ptr<char[]> copy(new char[std::max<size_t>(bytes.size(), 1)]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  const std::string_view data(copy.get(), bytes.size());

  kw::RaceData race;
  race.StartTimeUtc = kw::EncodeDateTime(2007, 5, 12, 10, 0, 0);
  race.RaceDate = kw::EncodeDate(2007, 5, 12);
  race.PreStartSeconds = kPreStart;
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  kw::TrackStore store(race, 1);
  Outcome out;
  out.res = kw::ReadTrackData(format, data, QStringLiteral("x"), store);
  out.n = store.Finish();
  (void)kw::FormatOfContent(data);

  char buf[160];
  auto fault = [&](const char* what, long long i) {
    std::snprintf(buf, sizeof buf, "%s (sample/line %lld, n %d)", what, i, out.n);
    out.fault = buf;
    return out;
  };
  if (out.n < 0) return fault("negative count", 0);
  if (out.n != race.BoatSampleCount[1]) return fault("count not stored", 0);
  if (out.res.skipped < 0) return fault("negative skipped", 0);
  for (int i = 1; i <= out.n; ++i) {
    const double t = race.TrackTime[1][i];
    if (!std::isfinite(t) || t <= -kPreStart - 60) return fault("sample before the window", i);
    if (!std::isfinite(race.TrackLat[1][i]) || !std::isfinite(race.TrackLon[1][i]))
      return fault("position not finite", i);
  }
  const long long lines = Count(data, '\n') + 1;
  if (!out.res.ok) {
    if (format == TrackFormat::Nmea) return fault("NMEA load refused", 0);
    if (out.res.error.message.isEmpty()) return fault("refused without a message", 0);
    if (out.res.error.line < 1 || out.res.error.line > lines)
      return fault("error line out of range", out.res.error.line);
  }
  // Each sample needs its own element, sentence or line.
  const long long most = format == TrackFormat::Gpx    ? Count(data, '<')
                         : format == TrackFormat::Nmea ? Count(data, '$') + lines
                                                       : lines;
  if (out.n > most) return fault("more samples than records", most);
  return out;
}

std::string WithChecksum(const std::string& body) {
  unsigned char x = 0;
  for (char c : body) x ^= static_cast<unsigned char>(c);
  char buf[8];
  std::snprintf(buf, sizeof buf, "*%02X", x);
  return "$" + body + buf;
}

// Small files of each format with the quirks real ones have, some records before the window.
std::vector<std::string> GeneratedGpx() {
  return {kwtest::MakeGpx(12, 2007, 5, 12, 9, 55, 0, 30),
          "\xEF\xBB\xBF<?xml version='1.0'?>\r\n<gpx><wpt lat='1' lon='2'><time>2007-05-12T10:00:"
          "00Z</time></wpt>\r\n<!-- <trkpt lat=\"9\" lon=\"9\"><time>x</time></trkpt> -->"
          "<trk><name><![CDATA[a<trkpt>]]></name><trkseg>\r\n"
          "<trkpt lon='139.48' lat='35.3'><time>2007-05-12T10:00:05.250+09:00</time></trkpt>\r\n"
          "<trkpt lat=\"35.31\" lon=\"139.49\"/>\r\n"
          "<TRKPT LAT=\"-35.32\" LON=\"-139.5\"><ele>1</ele><TIME>2007-05-12T10:00:10Z</TIME>"
          "</TRKPT><trkpt lat=\"35.33\" lon=\"139.51\"><ele>2</ele></trkpt></trkseg></trk></gpx>"};
}

std::vector<std::string> GeneratedNmea() {
  std::string log = "Logger v1 started\r\n$GPRMC,,V,,,,,,,,,,N*53\r\n";
  char body[120];
  for (int i = 0; i < 20; ++i) {
    const int s = 9 * 3600 + 55 * 60 + i * 20;
    std::snprintf(body, sizeof body,
                  "%sRMC,%02d%02d%02d.%02d,%c,3539.%04d,N,13946.%04d,E,5.2,%d,"
                  "120507,,,A",
                  i % 3 ? "GP" : "II", s / 3600, s / 60 % 60, s % 60, i, i == 7 ? 'V' : 'A',
                  1000 + i * 37, 2000 + i * 41, i * 17 % 360);
    log += WithChecksum(body) + (i % 2 ? "\r\n" : "\n");
    if (i % 4 == 0) log += WithChecksum("GPGGA,095900,3539.1,N,13946.2,E,1,05,1.6,2,M,,M,,") + "\n";
    if (i == 5) log += "\x01\xb5\x62\x07$GPRMC,100000,A,3539.1,N\r\n";  // binary, then a stub
  }
  return {log};
}

std::vector<std::string> GeneratedText() {
  return {
      "Boat 12 track\n"
      "T N3539.7234 E13946.9876 12-05-2007 09:55:00 0\n"
      "T N3539.8234 E13946.9976 12-05-2007 10:00:02 0\r\n"
      "T  S3539.9 W13947.0  2007/05/12 10:00:04   1\n"
      "W waypoint 1 2 3 4\n"
      "T N3539.9 E13947.0 12-05-1990 10:00:06 0\n",
      "DEG\nT N35.3 E139.48 2007/05/12 10:00:04 0\nT S35.31 W139.49 2007/05/12 10:00:06 0\n"
      "DMS\nT N353943.4 E1394659.2 12-05-2007 10:00:08 0\n"};
}

std::string ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// Small real files (a few KB: mutants stay cheap), when present.
std::vector<std::string> RealSeeds(const std::vector<const char*>& rels) {
  std::vector<std::string> out;
  const QString root = kwtest::RealDataDir();
  if (root.isEmpty()) return out;
  for (const char* rel : rels) {
    std::string s = ReadBytes(root + QString::fromLatin1(rel));
    if (!s.empty()) out.push_back(std::move(s));
  }
  return out;
}

// Bytes that steer parsers into their edges: structure, digits, NUL, 0xFF and broken UTF-8.
constexpr char kAlphabetChars[] = "<>/\"'=$*,.:-+ \t\r\nT0123456789AVNSEWtime\0\xff\x80\xc3\xed";
constexpr std::string_view kAlphabet(kAlphabetChars, sizeof kAlphabetChars - 1);
constexpr std::string_view kTokens[] = {
    "<trkpt ", "</trkpt>", "<time>", "</time>", "<!--",  "<![CDATA[", "</gpx>", " lat=\"",
    "$GPRMC,", "*00",      ",A,",    ",,,,",    "DEG\n", "DMS\n",     "T ",     "\xc0\xaf"};

std::string Mutate(std::string s, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n == 0 ? size_t{0} : size_t{rng()} % n; };
  const int ops = 1 + static_cast<int>(rng() % 4);
  for (int k = 0; k < ops; ++k) {
    const size_t at = pick(s.size() + 1);
    switch (rng() % 8) {
      case 0:  // bit flip
        if (at < s.size()) s[at] = static_cast<char>(s[at] ^ (1 << (rng() % 8)));
        break;
      case 1:  // any byte
        if (at < s.size()) s[at] = static_cast<char>(rng());
        break;
      case 2:
        s.resize(at);
        break;
      case 3:
        for (size_t i = 1 + pick(16); i > 0; --i)
          s.insert(at, 1, kAlphabet[pick(kAlphabet.size())]);
        break;
      case 4:
        s.erase(at, pick(64));
        break;
      case 5: {  // a range repeated elsewhere
        const size_t from = pick(s.size() + 1);
        const std::string range = s.substr(from, pick(200));
        s.insert(pick(s.size() + 1), range);
        break;
      }
      case 6: {
        const std::string_view t = kTokens[pick(std::size(kTokens))];
        s.insert(at, t.data(), t.size());
        break;
      }
      default:  // digits are where conversions fail
        for (size_t i = at; i < s.size(); ++i) {
          if (s[i] >= '0' && s[i] <= '9') {
            s[i] = static_cast<char>('0' + rng() % 10);
            break;
          }
        }
    }
  }
  return s;
}

// `total` mutants spread over the seeds; stops at the first fault, naming how to get it again.
void RunMutants(TrackFormat format, const std::vector<std::string>& seeds, int total,
                unsigned seed) {
  ASSERT_FALSE(seeds.empty());
  std::mt19937 rng(seed);
  for (size_t s = 0; s < seeds.size(); ++s) {
    const Outcome base = Read(format, seeds[s]);
    ASSERT_EQ(base.fault, "") << "unmutated seed " << s;
    for (int i = 0; i < total / static_cast<int>(seeds.size()); ++i) {
      const Outcome o = Read(format, Mutate(seeds[s], rng));
      ASSERT_EQ(o.fault, "") << "seed " << s << ", mutant " << i;
    }
  }
}

TEST(Robust, GpxMutants) {
  std::vector<std::string> seeds = GeneratedGpx();
  ASSERT_EQ(Read(TrackFormat::Gpx, seeds[0]).n, 9);  // 09:55:00 to 10:00:30: three early
  ASSERT_EQ(Read(TrackFormat::Gpx, seeds[1]).n, 2);  // two timed trkpts; wpt and comment ignored
  for (auto& s :
       RealSeeds({"gpxpy/test_files/track-with-empty-segment.gpx",
                  "gpxpy/test_files/gpx-with-node-with-comments.gpx",
                  "gpxpy/test_files/track-with-less-sec-time.gpx",
                  "dtredger-gpx-analytics/examples/recovery-2022-09-03T11-16-57-0400.gpx"}))
    seeds.push_back(std::move(s));
  RunMutants(TrackFormat::Gpx, seeds, 3000, 1);
}

TEST(Robust, NmeaMutants) {
  std::vector<std::string> seeds = GeneratedNmea();
  const Outcome base = Read(TrackFormat::Nmea, seeds[0]);
  EXPECT_EQ(base.n, 15);           // 20 fixes from 09:55:00 every 20 s: four early, one V
  EXPECT_EQ(base.res.skipped, 3);  // the empty V, the V fix and the stub after binary bytes
  for (auto& s : RealSeeds({"gpsd/test/daemon/saab-r4.log", "gpsd/test/daemon/tcp-torture.log",
                            "gpsd/test/daemon/april6_2019.log",
                            "gpsd/test/daemon/gp-320fw-2019-04-07-coldboot.log",
                            "gpsbabel/reference/track/amod-nmea"}))
    seeds.push_back(std::move(s));
  RunMutants(TrackFormat::Nmea, seeds, 3000, 2);
}

TEST(Robust, TextTrackMutants) {
  const std::vector<std::string> seeds = GeneratedText();
  // 10:00:02 and 10:00:04 kept; 09:55 early and the 1990 date (far from the race day) dropped.
  ASSERT_EQ(Read(TrackFormat::TextTrack, seeds[0]).n, 2);
  ASSERT_EQ(Read(TrackFormat::TextTrack, seeds[1]).n, 3);
  RunMutants(TrackFormat::TextTrack, seeds, 3000, 3);
}

TEST(Robust, EveryTruncation) {
  struct Set {
    TrackFormat format;
    std::vector<std::string> seeds;
  };
  for (const Set& set :
       {Set{TrackFormat::Gpx, GeneratedGpx()}, Set{TrackFormat::Nmea, GeneratedNmea()},
        Set{TrackFormat::TextTrack, GeneratedText()}}) {
    for (const std::string& seed : set.seeds) {
      const int full = Read(set.format, seed).n;
      int last = 0;
      for (size_t len = 0; len <= seed.size(); ++len) {
        const Outcome o = Read(set.format, std::string_view(seed).substr(0, len));
        ASSERT_EQ(o.fault, "") << "length " << len;
        // A cut record is at best the whole record; it never adds samples.
        ASSERT_LE(o.n, full) << "length " << len;
        // Line formats lose only the cut line; GPX may refuse a cut point's date-time instead.
        if (set.format != TrackFormat::Gpx) {
          ASSERT_GE(o.n, last) << "length " << len;
        }
        last = o.n;
      }
    }
  }
}

TEST(Robust, PathologicalFiles) {
  constexpr size_t kBig = 5 << 20;
  std::mt19937 rng(4);
  std::string binary(64 << 10, '\0');
  for (char& c : binary) c = static_cast<char>(rng());
  for (TrackFormat format : {TrackFormat::Gpx, TrackFormat::Nmea, TrackFormat::TextTrack}) {
    SCOPED_TRACE(static_cast<int>(format));
    for (const std::string& s :
         {std::string(), binary, std::string(64 << 10, '\0'), std::string(64 << 10, '\xff'),
          std::string(kBig, 'x'), std::string(1 << 20, '<'), std::string(1 << 20, '$'),
          std::string(1 << 20, ' '), std::string(1 << 20, '\n'),
          std::string("\xc3(\xa0\xa1\xf0")}) {
      EXPECT_EQ(Read(format, s).fault, "");
    }
  }

  // One 5 MB line of glued records: files written without line ends must still read.
  const std::string point =
      "<trkpt lat=\"35.3\" lon=\"139.4\"><time>2007-05-12T10:00:01Z</time></trkpt>";
  const std::string rmc = WithChecksum("GPRMC,100001,A,3539.1,N,13946.2,E,5,90,120507,,,A");
  const std::string rec = "T N3539.7 E13946.9 2007/05/12 10:00:01 0 ";
  auto glued = [&](const std::string& unit) {
    std::string s;
    while (s.size() < kBig) s += unit;
    return s;
  };
  const Outcome g = Read(TrackFormat::Gpx, "<gpx>" + glued(point) + "</gpx>");
  EXPECT_EQ(g.fault, "");
  EXPECT_EQ(g.n, static_cast<int>((kBig + point.size() - 1) / point.size()));
  const Outcome m = Read(TrackFormat::Nmea, glued(rmc));
  EXPECT_EQ(m.fault, "");
  EXPECT_EQ(m.n, static_cast<int>((kBig + rmc.size() - 1) / rmc.size()));
  const Outcome t = Read(TrackFormat::TextTrack, glued(rec));
  EXPECT_EQ(t.fault, "");
  EXPECT_EQ(t.n, 0);  // one line of many fields is no record

  // A date without a clock is midnight (and once handed memcpy a null pointer).
  EXPECT_EQ(Read(TrackFormat::Gpx, "<trkpt lat='1' lon='2'><time>2007-05-13</time></trkpt>").n, 1);

  // Values that are not text at all: refused with a message naming the line.
  const Outcome badLat = Read(TrackFormat::Gpx,
                              "<gpx>\n<trkpt lat=\"\xff\xfe\" lon=\"1\"><time>2007-05-12T10:00:01Z"
                              "</time></trkpt></gpx>");
  EXPECT_FALSE(badLat.res.ok);
  EXPECT_EQ(badLat.res.error.line, 2);
  const Outcome badText =
      Read(TrackFormat::TextTrack, "x\ny\nT N\xc0\xaf E13946.9 2007/05/12 10:00:01 0\n");
  EXPECT_FALSE(badText.res.ok);
  EXPECT_EQ(badText.res.error.line, 3);
}

}  // namespace
