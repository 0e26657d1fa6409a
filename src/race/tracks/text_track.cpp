// Letter-prefixed text tracks (.dtr, .trk): blank-separated lines; a position record has exactly
// six fields, "T lat lon date time x". Coordinates are a hemisphere letter and DDMM.mmmm, or
// decimal degrees after a line containing "DEG", or DDMMSS.s after one containing "DMS". Dates
// are day-month-year with "-" (turned round) or year/month/day. Other lines are ignored; a record
// whose date-time does not convert is dropped.
#include <cmath>
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
    std::string date(f[3]);
    if (date.find('-') != std::string::npos) {
      // Day-month-year: turned round to year/month/day.
      size_t a = date.find('-'), b = date.find('-', a + 1);
      if (b != std::string::npos) {
        date = date.substr(b + 1) + "/" + date.substr(a + 1, b - a - 1) + "/" + date.substr(0, a);
      }
      auto d = ParseDateTime(date);
      // A logger date far from the race day is not trusted; such records fall before the start.
      if (d && std::nearbyint(std::fabs(*d - store.raceDate())) >= 365) date = "2000/1/1";
    }
    auto when = ParseDateTime(date + " " + std::string(f[4]));
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
