// Track readers against files recorded by real loggers (../shared/realdata, see its SOURCES.md),
// checked where possible against other programs' decodings of the same files: gpsbabel's .gpx
// renderings and gpsd's .chk regression outputs. Expected values are computed here without our
// date code or readers, so a shared mistake cannot hide.
#include <gtest/gtest.h>

#include <QDate>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "race/datetime.h"
#include "race/model.h"
#include "race/tracks/dispatch.h"
#include "support/test_support.h"

namespace {

constexpr double kMinuteTolerance = 1e-4;  // minutes of arc (about 0.2 m)

struct Sample {
  long long t;      // seconds from midnight UTC of the load's start day
  double lat, lon;  // minutes of arc
};

struct Loaded {
  kw::TrackReadResult res;
  std::vector<Sample> samples;
};

std::string ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// As the program picks a reader: by name, else by content.
kw::TrackFormat FormatOf(const QString& name, std::string_view data) {
  const kw::TrackFormat byName = kw::FormatOfName(name);
  return byName != kw::TrackFormat::None ? byName : kw::FormatOfContent(data);
}

// Loads with the gun at midnight UTC of `startDay`: no upper time limit, so everything from
// that day on is kept.
Loaded Load(const std::string& data, const QString& name, QDate startDay) {
  kw::RaceData race;
  race.StartTimeUtc = kw::EncodeDate(startDay.year(), startDay.month(), startDay.day());
  race.RaceDate = race.StartTimeUtc;
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  kw::TrackStore store(race, 1);
  Loaded out;
  out.res = kw::ReadTrackData(FormatOf(name, data), data, name, store);
  const int n = store.Finish();
  for (int i = 1; i <= n; ++i) {
    out.samples.push_back(
        {static_cast<long long>(race.TrackTime[1][i]), race.TrackLat[1][i], race.TrackLon[1][i]});
  }
  return out;
}

constexpr long long kNoTime = -(1LL << 62);

// "yyyy-mm-ddThh:mm:ss" at the start of `text`, as whole seconds from midnight of `day`
// (kNoTime when it is not one). Fractions and zone suffixes are not read, like the readers.
long long IsoSeconds(const QString& text, QDate day) {
  static const QRegularExpression re(
      QStringLiteral(R"(^\s*(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d))"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return kNoTime;
  const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  if (!d.isValid()) return kNoTime;
  return (d.toJulianDay() - day.toJulianDay()) * 86400 + m.captured(4).toInt() * 3600 +
         m.captured(5).toInt() * 60 + m.captured(6).toInt();
}

struct OraclePoint {
  QString time;
  double latDeg, lonDeg;
};

// The timed <trkpt> elements of a GPX text in file order, found by pattern, not by our reader.
std::vector<OraclePoint> TimedTrackPoints(const std::string& gpx) {
  static const QRegularExpression point(QStringLiteral(R"(<trkpt\b([^>]*?)(?:/>|>(.*?)</trkpt>))"),
                                        QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression lat(QStringLiteral(R"(\blat\s*=\s*["']([^"']*))"));
  static const QRegularExpression lon(QStringLiteral(R"(\blon\s*=\s*["']([^"']*))"));
  static const QRegularExpression time(QStringLiteral(R"(<time>([^<]*)</time>)"));
  std::vector<OraclePoint> out;
  const QString text = QString::fromUtf8(gpx.data(), static_cast<qsizetype>(gpx.size()));
  for (auto it = point.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    const auto t = time.match(m.captured(2));
    if (!t.hasMatch()) continue;
    out.push_back({t.captured(1), lat.match(m.captured(1)).captured(1).toDouble(),
                   lon.match(m.captured(1)).captured(1).toDouble()});
  }
  return out;
}

// Occurrences of "$xxRMC," (any talker): the sentences the NMEA reader must account for.
int CountRmc(std::string_view data) {
  int n = 0;
  for (size_t p = data.find("RMC,"); p != std::string_view::npos; p = data.find("RMC,", p + 1)) {
    if (p >= 3 && data[p - 3] == '$') ++n;
  }
  return n;
}

#define REQUIRE_REALDATA(dir)                                                     \
  const QString dir = kwtest::RealDataDir();                                      \
  if (dir.isEmpty()) GTEST_SKIP() << "../shared/realdata is absent: not checked"; \
  static_assert(true)

TEST(RealData, EveryReadableFileLoads) {
  REQUIRE_REALDATA(root);
  std::map<kw::TrackFormat, int> read;
  std::map<QString, kw::TrackFormat> formatOf;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString rel = path.mid(root.size());
    const std::string data = ReadBytes(path);
    const kw::TrackFormat format = FormatOf(it.fileName(), data);
    formatOf[rel] = format;
    if (format != kw::TrackFormat::Gpx && format != kw::TrackFormat::Nmea &&
        format != kw::TrackFormat::TextTrack)
      continue;
    SCOPED_TRACE(rel.toStdString());
    // 1980 on: older times (the 1901 placeholders of Mojstrovka.gpx) fall before the start.
    const Loaded l = Load(data, it.fileName(), QDate(1980, 1, 1));
    // No real file here carries an unconvertible value, so none may stop the load.
    EXPECT_TRUE(l.res.ok) << l.res.error.Text().toStdString();
    EXPECT_GE(l.res.skipped, 0);
    for (const Sample& s : l.samples) {
      ASSERT_TRUE(std::isfinite(s.lat) && std::isfinite(s.lon));
      ASSERT_LE(std::fabs(s.lat), 90 * 60.0);
      ASSERT_LE(std::fabs(s.lon), 180 * 60.0);
    }
    ++read[format];
  }
  // Extensions that read nothing are recognised by content, as users name logs anything.
  for (const char* rel :
       {"gpsbabel/reference/track/nmea", "gpsbabel/reference/track/amod-nmea",
        "gpsbabel/reference/track/nmea+ms.txt", "gpsbabel/reference/track/nmeadatetime.nmea",
        "anemomind/datasets/Irene/2008/regate_21_mai_08/IreneLog.txt",
        "anemomind/datasets/Irene/2015/20150429/NMEA0036.TXT"}) {
    EXPECT_EQ(formatOf[QString::fromLatin1(rel)], kw::TrackFormat::Nmea) << rel;
  }
  EXPECT_GE(read[kw::TrackFormat::Gpx], 27);
  EXPECT_GE(read[kw::TrackFormat::Nmea], 30);
}

TEST(RealData, GpxPointsMatchAnIndependentScan) {
  REQUIRE_REALDATA(root);
  // Timed trkpt counts taken once with an XML parser: they keep the pattern scan honest.
  const std::map<QString, size_t> parsedCounts = {
      {"maxsail-analytics/2025-06-21-ESP29375-P01.gpx", 1913},
      {"maxsail-analytics/2025-06-21-ESP30782-P02.gpx", 2405},
      {"dtredger-gpx-analytics/examples/albacore-09-Sep-2022-2001.gpx", 3932},
      {"dtredger-gpx-analytics/examples/recovery-2022-09-03T11-16-57-0400.gpx", 53},
      {"gpxpy/test_files/around-visnjan-with-car.gpx", 104},  // one line
      {"gpxpy/test_files/korita-zbevnica.gpx", 513},          // 358 of 871 untimed
      {"gpxpy/test_files/gpx-with-node-with-comments.gpx", 1},
      {"gpxpy/test_files/unicode_with_bom_noencoding.gpx", 0},  // a waypoint only
      {"gpsbabel/reference/expertgps.gpx", 64},                 // besides 86 wpt and a route
      {"gpsbabel/reference/googletakeout/googletakeout.gpx", 216},
      {"gpsbabel/reference/track/segmented_tracks.gpx", 4},
      {"gpsbabel/reference/track/mtk_logger_m241_multiple_tracks.gpx", 14263},
  };
  size_t checkedCounts = 0;
  QDirIterator it(root, {QStringLiteral("*.gpx")}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString rel = path.mid(root.size());
    SCOPED_TRACE(rel.toStdString());
    const std::string data = ReadBytes(path);
    const std::vector<OraclePoint> want = TimedTrackPoints(data);
    if (auto c = parsedCounts.find(rel); c != parsedCounts.end()) {
      EXPECT_EQ(want.size(), c->second);
      ++checkedCounts;
    }
    // Start the day before the earliest point so every point is kept.
    QDate day(9999, 1, 1);
    for (const OraclePoint& p : want)
      day = std::min(day, QDate::fromString(p.time.left(10), Qt::ISODate));
    if (want.empty()) day = QDate(2000, 1, 1);
    day = day.addDays(-1);

    const Loaded got = Load(data, it.fileName(), day);
    ASSERT_TRUE(got.res.ok) << got.res.error.Text().toStdString();
    ASSERT_EQ(got.samples.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      const long long t = IsoSeconds(want[i].time, day);
      ASSERT_NE(t, kNoTime) << want[i].time.toStdString();
      ASSERT_EQ(got.samples[i].t, t) << "point " << i;
      ASSERT_NEAR(got.samples[i].lat, want[i].latDeg * 60, kMinuteTolerance) << "point " << i;
      ASSERT_NEAR(got.samples[i].lon, want[i].lonDeg * 60, kMinuteTolerance) << "point " << i;
    }
  }
  EXPECT_EQ(checkedCounts, parsedCounts.size());
}

TEST(RealData, GpsbabelNmeaAgreesWithItsGpxDecoding) {
  REQUIRE_REALDATA(root);
  const QString dir = root + QStringLiteral("gpsbabel/reference/track/");
  {
    // One RMC and one GGA per second, all valid: gpsbabel's 154 points are exactly the RMC fixes
    // (times .379 past the second, which both sides drop).
    const std::string gpx = ReadBytes(dir + "nmea.gpx");
    const std::vector<OraclePoint> want = TimedTrackPoints(gpx);
    ASSERT_EQ(want.size(), 154u);
    const QDate day(2004, 8, 6);
    const Loaded got = Load(ReadBytes(dir + "nmea"), QStringLiteral("nmea"), day);
    ASSERT_TRUE(got.res.ok);
    EXPECT_EQ(got.res.skipped, 0);
    ASSERT_EQ(got.samples.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(got.samples[i].t, IsoSeconds(want[i].time, day)) << "point " << i;
      ASSERT_NEAR(got.samples[i].lat, want[i].latDeg * 60, kMinuteTolerance) << "point " << i;
      ASSERT_NEAR(got.samples[i].lon, want[i].lonDeg * 60, kMinuteTolerance) << "point " << i;
    }
  }
  {
    // Not comparable point by point: gpsbabel merges the 4 Hz RMC and GGA (whose times differ
    // by 0.5 s) and drops out-of-order fixes, keeping 26 of 30. We keep every RMC in file order.
    const std::string log = ReadBytes(dir + "nmea+ms.txt");
    const Loaded got = Load(log, QStringLiteral("nmea+ms.txt"), QDate(2007, 8, 16));
    EXPECT_EQ(got.samples.size(), 30u);
    EXPECT_EQ(CountRmc(log), 30);
  }
  {
    // Time-field torture: a fraction of any length, a trailing "x" or blanks around the time are
    // still hh:mm:ss; only ".1" has no time. South and east of Greenwich (Hobart).
    const Loaded got =
        Load(ReadBytes(dir + "nmeadatetime.nmea"), QStringLiteral("x.nmea"), QDate(2019, 10, 23));
    ASSERT_EQ(got.samples.size(), 18u);
    EXPECT_EQ(got.res.skipped, 1);
    for (size_t i = 0; i < got.samples.size(); ++i) {
      EXPECT_EQ(got.samples[i].t, 22 * 3600 + 25 * 60 + 7 + static_cast<long long>(i));
    }
    EXPECT_NEAR(got.samples.front().lat, -(42 * 60 + 49.96542), kMinuteTolerance);
    EXPECT_NEAR(got.samples.front().lon, 147 * 60 + 26.73195, kMinuteTolerance);
  }
}

// gpsd's decoded fixes of one log, by whole second: (lat, lon) in degrees.
std::map<long long, std::vector<std::pair<double, double>>> GpsdFixes(const std::string& chk,
                                                                      QDate day) {
  std::map<long long, std::vector<std::pair<double, double>>> out;
  for (const QByteArray& line : QByteArray::fromStdString(chk).split('\n')) {
    if (!line.startsWith("{\"class\":\"TPV\"")) continue;
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    if (!o.contains(QLatin1String("lat")) || !o.contains(QLatin1String("time"))) continue;
    const long long t = IsoSeconds(o[QLatin1String("time")].toString(), day);
    if (t != kNoTime)
      out[t].push_back({o[QLatin1String("lat")].toDouble(), o[QLatin1String("lon")].toDouble()});
  }
  return out;
}

TEST(RealData, GpsdLogsMatchTheirCheckFiles) {
  REQUIRE_REALDATA(root);
  // Logs where each RMC and gpsd's report of its second agree. Not used: bundg_zeus_9 (gpsd's
  // report of each second carries the next RMC's position), ait250 (the log ends before the last
  // RMC's cycle completes, so gpsd never reports it), humminbird-M37 (RMC every 2 s among other
  // position sentences; gpsd has no report at some RMC seconds), bt451 (gpsd's positions come
  // from the GGAs and differ from the RMCs'), tcp-torture (gpsd dates its one RMC 2027).
  struct Case {
    const char* log;
    QDate day;
  };
  for (const Case& c :
       {Case{"furuno_gl_ga.log", QDate(2022, 7, 30)}, Case{"saab-r4.log", QDate(2011, 5, 31)},
        Case{"nmea-fuzzy-cases.log", QDate(2020, 3, 17)}, Case{"ublox-8.log", QDate(2017, 1, 9)},
        Case{"rx210.log", QDate(2016, 4, 2)}}) {
    SCOPED_TRACE(c.log);
    const QString path = root + QStringLiteral("gpsd/test/daemon/") + c.log;
    const std::string log = ReadBytes(path);
    const auto fixes = GpsdFixes(ReadBytes(path + ".chk"), c.day);
    const Loaded got = Load(log, QString::fromLatin1(c.log), c.day);
    ASSERT_TRUE(got.res.ok);
    // Every RMC is either a sample or counted as skipped (V status, empty position).
    EXPECT_EQ(static_cast<int>(got.samples.size()) + got.res.skipped, CountRmc(log));
    std::set<long long> ours;
    for (const Sample& s : got.samples) {
      ours.insert(s.t);
      auto f = fixes.find(s.t);
      ASSERT_NE(f, fixes.end()) << "no gpsd fix at second " << s.t;
      bool same = false;
      for (auto [lat, lon] : f->second) {
        same |= std::fabs(lat - s.lat / 60) < 1e-6 && std::fabs(lon - s.lon / 60) < 1e-6;
      }
      EXPECT_TRUE(same) << "position differs at second " << s.t;
    }
    std::set<long long> theirs;
    for (const auto& f : fixes) theirs.insert(f.first);
    EXPECT_EQ(ours, theirs);
  }
  // All of GPSmap-76S's RMCs are status V (a simulator without a fix): nothing to keep.
  const Loaded none = Load(ReadBytes(root + "gpsd/test/daemon/GPSmap-76S.log"),
                           QStringLiteral("GPSmap-76S.log"), QDate(2011, 10, 23));
  EXPECT_TRUE(none.samples.empty());
  EXPECT_EQ(none.res.skipped, 12);
}

TEST(RealData, CorruptSentencesAreSkippedAndCounted) {
  REQUIRE_REALDATA(root);
  const QString gpsd = root + QStringLiteral("gpsd/test/daemon/");
  {
    // Cold boot during a week rollover: truncated and glued RMCs, V status with a 2006 date.
    // Only one RMC is whole, valid and checksummed; gpsd reports that same fix.
    const QDate day(2019, 4, 6);
    const Loaded got = Load(ReadBytes(gpsd + "gp-320fw-2019-04-07-coldboot.log"),
                            QStringLiteral("coldboot.log"), day);
    ASSERT_TRUE(got.res.ok);
    ASSERT_EQ(got.samples.size(), 1u);
    EXPECT_GE(got.res.skipped, 16);
    const auto fixes = GpsdFixes(ReadBytes(gpsd + "gp-320fw-2019-04-07-coldboot.log.chk"), day);
    ASSERT_TRUE(fixes.count(got.samples[0].t));
    EXPECT_NEAR(fixes.at(got.samples[0].t)[0].first, got.samples[0].lat / 60, 1e-6);
  }
  {
    // "|" cookies inside sentences and a partial first line: only the clean RMC is read.
    const Loaded got =
        Load(ReadBytes(gpsd + "tcp-torture.log"), QStringLiteral("tcp.log"), QDate(2007, 12, 22));
    ASSERT_TRUE(got.res.ok);
    ASSERT_EQ(got.samples.size(), 1u);
    EXPECT_NEAR(got.samples[0].lat, 20 * 60 + 37.7279, kMinuteTolerance);
    EXPECT_NEAR(got.samples[0].lon, -(87 * 60 + 4.0848), kMinuteTolerance);
  }
  {
    // Binary garbage lines among 4926 good RMCs.
    const std::string log =
        ReadBytes(root + "anemomind/datasets/Irene/2008/regate_21_mai_08/IreneLog.txt");
    const Loaded got = Load(log, QStringLiteral("IreneLog.txt"), QDate(2008, 5, 20));
    ASSERT_TRUE(got.res.ok);
    EXPECT_EQ(got.samples.size(), 4926u);
    EXPECT_EQ(static_cast<int>(got.samples.size()) + got.res.skipped, CountRmc(log));
  }
  {
    // Every sentence but the RMBs carries a wrong checksum ("*5C" on all 520 RMCs): checksums
    // are judged on the RMCs alone, so this logger's track loads whole.
    const std::string log = ReadBytes(
        root + "anemomind/datasets/Irene/2013/Flensburg2013/entrainement 1.8/NMEA0000.TXT");
    const Loaded got = Load(log, QStringLiteral("NMEA0000.TXT"), QDate(2013, 7, 30));
    ASSERT_TRUE(got.res.ok);
    EXPECT_EQ(got.samples.size(), 520u);
    EXPECT_EQ(got.res.skipped, 0);
  }
}

TEST(RealData, InstrumentLogsKeepEveryFix) {
  REQUIRE_REALDATA(root);
  // Race-boat instrument logs: repeated seconds, a backwards step and a frozen minute field are
  // all kept in file order (sorting them out is not the reader's business). First and last
  // times as listed in SOURCES.md.
  struct Case {
    const char* rel;
    size_t count;
    QDate day;
    const char *first, *last;
  };
  const QString base = root + QStringLiteral("anemomind/datasets/");
  for (const Case& c : {Case{"Irene/2014/Classique Rothschild/20140627/NMEA0000.TXT", 7562,
                             QDate(2014, 6, 27), "2014-06-27T10:46:26", "2014-06-27T13:09:58"},
                        Case{"psaros33_Banque_Sturdza/2014/20140627/NMEA0004.TXT", 5991,
                             QDate(2014, 6, 24), "2014-06-24T16:23:32", "2014-06-24T18:17:19"},
                        Case{"psaros33_Banque_Sturdza/2014/20140805/NMEA0011.TXT", 4491,
                             QDate(2014, 7, 22), "2014-07-22T07:59:41", "2014-07-22T09:37:59"},
                        Case{"Irene/2015/20150429/NMEA0036.TXT", 62, QDate(2015, 4, 29),
                             "2015-04-29T17:06:31", "2015-04-29T17:20:17"}}) {
    SCOPED_TRACE(c.rel);
    const Loaded got = Load(ReadBytes(base + c.rel), QStringLiteral("NMEA.TXT"), c.day);
    ASSERT_TRUE(got.res.ok);
    EXPECT_EQ(got.res.skipped, 0);
    ASSERT_EQ(got.samples.size(), c.count);
    EXPECT_EQ(got.samples.front().t, IsoSeconds(QString::fromLatin1(c.first), c.day));
    EXPECT_EQ(got.samples.back().t, IsoSeconds(QString::fromLatin1(c.last), c.day));
  }
}

}  // namespace
