// Letter-prefixed text tracks (.dtr, .trk): blank-separated lines; a position record has exactly
// six fields, "T lat lon date time x". Coordinates are a hemisphere letter and DDMM.mmmm, or
// decimal degrees after a line containing "DEG", or DDMMSS.s after one containing "DMS". Dates
// are day-month-year with "-" (turned round) or year/month/day. Other lines are ignored; a record
// whose date-time does not convert is dropped.
#include <cmath>
#include <cstring>
#include <string>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/tracks/readers.h"

namespace kw {

TrackReadResult ReadTextTrack(std::string_view data, const QString& fileName, TrackStore& store) {
  TrackReadResult result;
  int mode = kCoordDegMin;
  Fields f;
  long long lineNo = 0;
  // Loggers write the same date on thousands of lines: whether it is far from the race day is
  // worked out once per date text.
  std::string lastDate;
  bool lastFar = false, haveLast = false;
  size_t start = 0;
  while (start < data.size()) {
    size_t nl = data.find('\n', start);
    std::string_view line =
        data.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    start = nl == std::string_view::npos ? data.size() : nl + 1;
    ++lineNo;
    if (line.find("DMS") != std::string_view::npos) mode = kCoordDms;
    if (line.find("DEG") != std::string_view::npos) mode = kCoordDeg;
    SplitFields(line, ' ', f);
    if (f.FieldCount != 6 || f.Overflow || f[0].find('T') == std::string_view::npos) continue;
    auto lat = ParseCoordinate(f[1], mode);
    if (!lat) {
      result.ok = false;
      result.error = {
          fileName, lineNo,
          QStringLiteral("latitude '%1' does not convert")
              .arg(QString::fromUtf8(f[1].data(), static_cast<qsizetype>(f[1].size())))};
      return result;
    }
    auto lon = ParseCoordinate(f[2], mode);
    if (!lon) {
      result.ok = false;
      result.error = {
          fileName, lineNo,
          QStringLiteral("longitude '%1' does not convert")
              .arg(QString::fromUtf8(f[2].data(), static_cast<qsizetype>(f[2].size())))};
      return result;
    }
    // The date and time texts are put together in a buffer on the stack: no allocation per
    // record, unless the fields are longer than any usual date and time.
    char stack[96];
    std::string heap;
    const std::string_view date = f[3];
    const std::string_view time = f[4];
    char* buf = stack;
    if (date.size() + time.size() + 10 > sizeof stack) {
      heap.resize(date.size() + time.size() + 10);
      buf = heap.data();
    }
    size_t len = 0;
    const size_t a = date.find('-');
    if (a != std::string_view::npos) {
      // Day-month-year: turned round to year/month/day.
      const size_t b = date.find('-', a + 1);
      if (b != std::string_view::npos) {
        auto put = [&](std::string_view part) {
          std::memcpy(buf + len, part.data(), part.size());
          len += part.size();
        };
        put(date.substr(b + 1));
        buf[len++] = '/';
        put(date.substr(a + 1, b - a - 1));
        buf[len++] = '/';
        put(date.substr(0, a));
      } else {
        std::memcpy(buf, date.data(), date.size());
        len = date.size();
      }
      if (!haveLast || date != lastDate) {
        auto d = ParseDateTime(std::string_view(buf, len));
        // A logger date far from the race day is not trusted; such records fall before the
        // start.
        lastFar = d && std::nearbyint(std::fabs(*d - store.raceDate())) >= 365;
        lastDate.assign(date);
        haveLast = true;
      }
      if (lastFar) {
        std::memcpy(buf, "2000/1/1", 8);
        len = 8;
      }
    } else {
      std::memcpy(buf, date.data(), date.size());
      len = date.size();
    }
    buf[len++] = ' ';
    std::memcpy(buf + len, time.data(), time.size());
    len += time.size();
    auto when = ParseDateTime(std::string_view(buf, len));
    if (!when) {
      ++result.skipped;
      ++result.why.notConverted;
      continue;
    }
    store.AddAt(*when, *lat, *lon);
  }
  return result;
}

}  // namespace kw
