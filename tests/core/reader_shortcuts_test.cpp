// The readers' shortcuts for the common way loggers write a record, against what the general
// conversions give: every number the shortcut reads must be the double ParseReal (the standard
// library's correctly rounded conversion) gives for the same text, every time the one the date
// code gives, and every point written an uncommon way must read exactly as before.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "race/datetime.h"
#include "race/model.h"
#include "race/numbers.h"
#include "race/tracks/dispatch.h"
#include "race/tracks/readers.h"

namespace {

using kw::TrackFormat;

struct Read {
  kw::TrackReadResult result;
  std::vector<double> t, lat, lon;  // 0-based
};

// Reads `data` with the gun at 2007/05/12 01:00 UTC, keeping everything from midnight on: the
// samples as the reader offered them to the storing rules.
Read ReadAll(TrackFormat format, const std::string& data) {
  kw::RaceData race;
  race.StartTimeUtc = *kw::ParseDateTime("2007/05/12 01:00:00");
  race.RaceDate = *kw::ParseDateTime("2007/05/12");
  race.PreStartSeconds = 3600;
  race.BoatCount = 1;
  kw::SetBoatTableCapacity(race);
  kw::TrackStore store(race, 1);
  Read r;
  r.result = kw::ReadTrackData(format, data, "f", store);
  r.t.assign(store.times().begin() + 1, store.times().end());
  const std::vector<double> lat = store.lats(), lon = store.lons();
  r.lat.assign(lat.begin() + 1, lat.end());
  r.lon.assign(lon.begin() + 1, lon.end());
  return r;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Numbers as loggers and other programs write them, and as nobody should: each one's degrees
// must read as ParseReal reads the text.
TEST(ReaderShortcuts, GpxNumbersReadAsParseRealReadsThem) {
  std::vector<std::string> texts = {"35.2491667",
                                    "-0.3233417",
                                    "139",
                                    "+35.5",
                                    "-0",
                                    "0.0",
                                    "-0.0000001",
                                    "35.",
                                    ".5",
                                    "-.25",
                                    "007.50",
                                    "179.9999999",
                                    "35.12345678901234567",
                                    "39.40774440765380859375",
                                    "1e1",
                                    "35.5e0",
                                    "+-35.5",
                                    "1234567890123456789",
                                    "12345678901234567890"};
  std::mt19937_64 rng(7);
  for (int i = 0; i < 3000; ++i) {
    // Random digits before and after the point, a sign now and then.
    std::string s = (rng() % 4 == 0) ? "-" : "";
    const int whole = 1 + static_cast<int>(rng() % 4), fraction = static_cast<int>(rng() % 18);
    for (int k = 0; k < whole; ++k) s += static_cast<char>('0' + rng() % 10);
    if (fraction > 0 || rng() % 2) s += '.';
    for (int k = 0; k < fraction; ++k) s += static_cast<char>('0' + rng() % 10);
    texts.push_back(s);
  }
  std::string gpx = "<gpx>\n";
  std::vector<double> want;
  for (size_t i = 0; i < texts.size(); ++i) {
    double v = 0;
    if (!kw::ParseReal(texts[i], v)) continue;  // a value that stops the load: not here
    want.push_back(v * 60.0);
    char time[32];
    std::snprintf(time, sizeof time, "2007-05-12T%02zu:%02zu:%02zu", i / 3600 % 24, i / 60 % 60,
                  i % 60);
    gpx += "<trkpt lat=\"" + texts[i] + "\" lon=\"" + texts[i] + "\"><time>" + time +
           "Z</time></trkpt>\n";
  }
  gpx += "</gpx>\n";
  const Read r = ReadAll(TrackFormat::Gpx, gpx);
  ASSERT_TRUE(r.result.ok);
  ASSERT_EQ(r.lat.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_TRUE(SameBits(r.lat[i], want[i])) << i << ": " << r.lat[i] << " " << want[i];
    EXPECT_TRUE(SameBits(r.lon[i], want[i])) << i;
  }
}

// Points written in ways the shortcut leaves to the general reading: each case's samples (or
// its skipped record) as the format's rules say.
TEST(ReaderShortcuts, GpxPointsWrittenOtherwiseReadAsBefore) {
  struct Case {
    const char* what;
    std::string file;
    int samples;  // kept
    double lat1;  // degrees of the first, when kept
    double t1;    // its time
    int skipped;
  };
  const std::string t = "<time>2007-05-12T01:00:05Z</time>";
  auto gpx = [](const std::string& points) { return "<gpx>" + points + "\n</gpx>"; };
  const Case cases[] = {
      {"upper-case names",
       gpx("<TRKPT LAT=\"35.5\" LON=\"139\"><TIME>2007-05-12T01:00:05Z</TIME></TRKPT>"), 1, 35.5, 5,
       0},
      {"single quotes", gpx("<trkpt lat='35.5' lon='139'>" + t + "</trkpt>"), 1, 35.5, 5, 0},
      {"lon first", gpx("<trkpt lon=\"139\" lat=\"35.5\">" + t + "</trkpt>"), 1, 35.5, 5, 0},
      {"blanks in the value", gpx("<trkpt lat=\" 35.5 \" lon=\"139\">" + t + "</trkpt>"), 1, 35.5,
       5, 0},
      {"a tab before lat", gpx("<trkpt\tlat=\"35.5\" lon=\"139\">" + t + "</trkpt>"), 1, 35.5, 5,
       0},
      {"children before the time",
       gpx("<trkpt lat=\"35.5\" lon=\"139\"><ele>1</ele><extensions><x/></extensions>" + t +
           "</trkpt>"),
       1, 35.5, 5, 0},
      {"no time", gpx("<trkpt lat=\"35.5\" lon=\"139\"><ele>1</ele></trkpt>"), 0, 0, 0, 0},
      {"self-closing", gpx("<trkpt lat=\"35.5\" lon=\"139\"/>"), 0, 0, 0, 0},
      {"a fraction of a second",
       gpx("<trkpt lat=\"35.5\" lon=\"139\"><time>2007-05-12T01:00:05.750Z</time></trkpt>"), 1,
       35.5, 5, 0},
      {"a date-only time", gpx("<trkpt lat=\"35.5\" lon=\"139\"><time>2007-05-12</time></trkpt>"),
       1, 35.5, -3600, 0},
      {"'/gpx' inside the point ends it before its time",
       gpx("<trkpt lat=\"35.5\" lon=\"139\"><link href=\"a/gpx\"/>" + t + "</trkpt>"), 0, 0, 0, 0},
      {"an exponent", gpx("<trkpt lat=\"3.55e1\" lon=\"139\">" + t + "</trkpt>"), 1, 35.5, 5, 0},
      {"cut off", "<gpx><trkpt lat=\"35.5\" lon=\"139\">" + t, 0, 0, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Read r = ReadAll(TrackFormat::Gpx, c.file);
    ASSERT_TRUE(r.result.ok) << r.result.error.Text().toStdString();
    ASSERT_EQ(static_cast<int>(r.lat.size()), c.samples);
    EXPECT_EQ(r.result.skipped, c.skipped);
    if (c.samples > 0) {
      EXPECT_EQ(r.lat[0], c.lat1 * 60);
      EXPECT_EQ(r.t[0], c.t1);
    }
  }
}

// Times of the common form over days, months and leap years: the seconds the general date code
// gives, whether the date is the one before or a new one.
TEST(ReaderShortcuts, GpxTimesAcrossDatesAsTheDateCodeGivesThem) {
  const char* times[] = {"2007-05-12T00:00:00", "2007-05-12T23:59:59", "2007-05-13T00:00:00",
                         "2007-05-12T00:00:01", "2008-02-29T12:00:00", "2008-03-01T00:00:00",
                         "2007-05-12t01:02:03", "2000-02-29T08:09:10", "1899-12-30T06:00:00",
                         "1899-12-29T18:00:00", "2100-01-01T00:00:00", "2007-05-12T01:00:05"};
  std::string gpx = "<gpx>";
  std::vector<double> want;
  const double start = *kw::ParseDateTime("2007/05/12 01:00:00");
  for (const char* time : times) {
    const std::string text(time);
    // The general date code, on the date and the clock.
    const auto when = kw::ParseDateTime(text.substr(0, 10) + " " + text.substr(11, 8));
    ASSERT_TRUE(when) << text;
    const long long s = kw::SecondsBetween(start, *when);
    if (s > -3600 - 60) want.push_back(static_cast<double>(s));
    gpx += "<trkpt lat=\"1\" lon=\"2\"><time>" + text + "</time></trkpt>";
  }
  gpx += "</gpx>";
  const Read r = ReadAll(TrackFormat::Gpx, gpx);
  ASSERT_TRUE(r.result.ok);
  ASSERT_EQ(r.t.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(r.t[i], want[i]) << i;
  // A common-looking time that is no date stops the load, as any other does.
  const Read bad = ReadAll(TrackFormat::Gpx,
                           "<gpx>\n<trkpt lat=\"1\" lon=\"2\"><time>2007-02-29T"
                           "12:00:00</time></trkpt></gpx>");
  EXPECT_FALSE(bad.result.ok);
  EXPECT_EQ(bad.result.error.line, 2);
}

}  // namespace

namespace {

// Text track records, written plainly or with what sends a line the general way (tabs, a CR,
// hemispheres in small letters, signs, too many digits, short dates): every sample as the
// general conversions give it, bit for bit.
TEST(ReaderShortcuts, TextTrackRecordsReadAsTheGeneralConversionsGiveThem) {
  std::mt19937 rng(99);
  const char* dates[] = {"12-05-2007", "12-5-2007", "2007/05/12", "2007/5/12", "13-05-2007"};
  const char* hemispheres[] = {"N", "S", "E", "W", "n", "s", "X"};
  std::string file = "H  logger\r\n";
  std::vector<double> lat, lon, when;
  for (int i = 0; i < 2000; ++i) {
    char deg[8], min[24], clock[16];
    std::snprintf(deg, sizeof deg, i % 3 ? "%02u" : "%03u", static_cast<unsigned>(rng() % 90));
    const int decimals = static_cast<int>(rng() % 8);
    std::snprintf(min, sizeof min, "%0*.*f", decimals + 3, decimals, (rng() % 6000000) / 1e5);
    std::snprintf(clock, sizeof clock, i % 17 ? "%02u:%02u:%02u" : "%u:%02u:%02u",
                  static_cast<unsigned>(1 + i / 3600), static_cast<unsigned>(i / 60 % 60),
                  static_cast<unsigned>(i % 60));
    const std::string la = std::string(hemispheres[rng() % 7]) + deg + min;
    const std::string lo = std::string(hemispheres[rng() % 7]) + "1" + deg + min;
    const char* date = dates[rng() % 5];
    const char* gap = i % 11 ? "  " : " \t ";
    file += std::string("T") + gap + la + gap + lo + gap + date + gap + clock + gap + "0" +
            (i % 2 ? "\r\n" : "\n");
    // The general conversions, as the reader applies them to the record's fields.
    const auto a = kw::ParseCoordinate(la, kw::kCoordDegMin);
    const auto o = kw::ParseCoordinate(lo, kw::kCoordDegMin);
    std::string d = date;
    if (d.find('-') != std::string::npos) {  // day-month-year turned round
      const size_t p = d.find('-'), q = d.find('-', p + 1);
      d = d.substr(q + 1) + "/" + d.substr(p + 1, q - p - 1) + "/" + d.substr(0, p);
    }
    const auto t = kw::ParseDateTime(d + " " + clock);
    ASSERT_TRUE(a && o);
    if (!t) continue;  // a date that does not convert: the record is skipped
    const long long s = kw::SecondsBetween(*kw::ParseDateTime("2007/05/12 01:00:00"), *t);
    if (s <= -3660) continue;
    lat.push_back(*a), lon.push_back(*o), when.push_back(static_cast<double>(s));
  }
  const Read r = ReadAll(TrackFormat::TextTrack, file);
  ASSERT_TRUE(r.result.ok) << r.result.error.Text().toStdString();
  ASSERT_EQ(r.lat.size(), lat.size());
  for (size_t i = 0; i < lat.size(); ++i) {
    ASSERT_TRUE(SameBits(r.lat[i], lat[i])) << i << ": " << r.lat[i] << " " << lat[i];
    ASSERT_TRUE(SameBits(r.lon[i], lon[i])) << i;
    ASSERT_EQ(r.t[i], when[i]) << i;
  }
}

// RMC sentences with coordinates of every length and form (hemispheres in small letters or
// unknown, signs, exponents, no decimals), each with its checksum, and some with a wrong one,
// over dates that change, do not exist or are a receiver's zeros: every sample as
// ParseCoordinate and EncodeDateTime give it, bit for bit, and every wrong checksum skipped.
TEST(ReaderShortcuts, NmeaSentencesReadAsTheGeneralWayGivesThem) {
  std::mt19937 rng(7);
  const char* letters[] = {"N", "S", "E", "W", "n", "s", "X"};
  const char* odd[] = {"", "", "", "", "+", "-", "1e1"};
  const char* dates[] = {"120507", "130507", "310207", "290208", "000000", "120507"};
  std::string file;
  std::vector<double> lat, lon, when;
  int wrong = 0;
  for (int i = 0; i < 2000; ++i) {
    char deg[8], min[24], body[160];
    std::snprintf(deg, sizeof deg, "%02u", static_cast<unsigned>(rng() % 90));
    const int decimals = static_cast<int>(rng() % 8);
    std::snprintf(min, sizeof min, "%0*.*f", decimals + 3, decimals, (rng() % 6000000) / 1e5);
    const std::string la = std::string(odd[rng() % 7]) + deg + min;
    const std::string lo = std::string("1") + deg + min;
    const char* latLetter = letters[rng() % 7];
    const char* lonLetter = letters[rng() % 7];
    const char* date = dates[i / 50 % 6];
    const int h = 1 + i / 3600, mi = i / 60 % 60, sec = i % 60;
    std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%s,%s,%s,%s,5.0,90.0,%s,,,A", h, mi,
                  sec, la.c_str(), latLetter, lo.c_str(), lonLetter, date);
    unsigned char x = 0;
    for (const char* c = body; *c; ++c) x ^= static_cast<unsigned char>(*c);
    const bool bad = i % 97 == 5;
    char sentence[200];
    std::snprintf(sentence, sizeof sentence, "$%s*%02X\r\n", body, bad ? x ^ 1 : x);
    file += sentence;
    if (i % 5 == 0) file += "$GPGGA,010000.00,3514.9,N,13927.0,E,1,09,0.9,1.5,M,39.4,M,,*00\r\n";
    if (bad) {
      ++wrong;
      continue;
    }
    const auto a = kw::ParseCoordinate(latLetter + la, kw::kCoordDegMin);
    const auto o = kw::ParseCoordinate(lonLetter + lo, kw::kCoordDegMin);
    const int dd = (date[0] - '0') * 10 + (date[1] - '0');
    const int mo = (date[2] - '0') * 10 + (date[3] - '0');
    const int y = 2000 + (date[4] - '0') * 10 + (date[5] - '0');
    // skipped as not converted, both ways
    if (!a || !o || dd < 1 || mo < 1 || !kw::IsValidDate(y, mo, dd)) continue;
    const double t = kw::EncodeDateTime(y, mo, dd, h, mi, sec);
    lat.push_back(*a), lon.push_back(*o);
    when.push_back(
        static_cast<double>(kw::SecondsBetween(*kw::ParseDateTime("2007/05/12 01:00:00"), t)));
  }
  const Read r = ReadAll(TrackFormat::Nmea, file);
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ(r.result.why.badChecksum, wrong);
  EXPECT_GT(lat.size(), 800u);  // most of them read, the greater part the shortcut's
  ASSERT_EQ(r.lat.size(), lat.size());
  for (size_t i = 0; i < lat.size(); ++i) {
    ASSERT_TRUE(SameBits(r.lat[i], lat[i])) << i << ": " << r.lat[i] << " " << lat[i];
    ASSERT_TRUE(SameBits(r.lon[i], lon[i])) << i;
    ASSERT_EQ(r.t[i], when[i]) << i;
  }
}

}  // namespace
