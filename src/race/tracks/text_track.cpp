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

namespace {

// Loggers write the same date on thousands of lines: whether it is far from the race day is
// worked out once per date text.
struct DateMemo {
  std::string lastDate;
  bool lastFar = false, haveLast = false;
};

// The record's date and time fields as one text in `buf` (room for both and 10 more): a
// day-month-year date with "-" turned round to year/month/day, and a date far from the race
// day (a year or more) replaced by 2000/1/1, so that the record falls before the start.
size_t PutDateTime(std::string_view date, std::string_view time, double raceDate, DateMemo& memo,
                   char* buf) {
  size_t len = 0;
  auto put = [&](std::string_view part) {
    std::memcpy(buf + len, part.data(), part.size());
    len += part.size();
  };
  const size_t a = date.find('-');
  const size_t b = a == std::string_view::npos ? a : date.find('-', a + 1);
  if (b != std::string_view::npos) {
    put(date.substr(b + 1));
    buf[len++] = '/';
    put(date.substr(a + 1, b - a - 1));
    buf[len++] = '/';
    put(date.substr(0, a));
  } else {
    put(date);
  }
  if (a != std::string_view::npos) {
    if (!memo.haveLast || date != memo.lastDate) {
      auto d = ParseDateTime(std::string_view(buf, len));
      memo.lastFar = d && std::nearbyint(std::fabs(*d - raceDate)) >= 365;
      memo.lastDate.assign(date);
      memo.haveLast = true;
    }
    if (memo.lastFar) {
      std::memcpy(buf, "2000/1/1", 8);
      len = 8;
    }
  }
  buf[len++] = ' ';
  put(time);
  return len;
}

// The result so far (its skipped records counted) turned into the failure of a coordinate that
// does not convert.
TrackReadResult CoordinateFault(TrackReadResult result, const QString& fileName, long long lineNo,
                                const char* which, std::string_view text) {
  result.ok = false;
  result.error = {fileName, lineNo,
                  QStringLiteral("%1 '%2' does not convert")
                      .arg(QLatin1String(which),
                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))};
  return result;
}

}  // namespace

TrackReadResult ReadTextTrack(std::string_view data, const QString& fileName, TrackStore& store) {
  TrackReadResult result;
  int mode = kCoordDegMin;
  Fields f;
  long long lineNo = 0;
  DateMemo memo;
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
    if (!lat) return CoordinateFault(result, fileName, lineNo, "latitude", f[1]);
    auto lon = ParseCoordinate(f[2], mode);
    if (!lon) return CoordinateFault(result, fileName, lineNo, "longitude", f[2]);
    // The date and time texts are put together in a buffer on the stack: no allocation per
    // record, unless the fields are longer than any usual date and time.
    char stack[96];
    std::string heap;
    char* buf = stack;
    if (f[3].size() + f[4].size() + 10 > sizeof stack) {
      heap.resize(f[3].size() + f[4].size() + 10);
      buf = heap.data();
    }
    const size_t len = PutDateTime(f[3], f[4], store.raceDate(), memo, buf);
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
