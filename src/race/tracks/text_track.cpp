// Letter-prefixed text tracks (.dtr, .trk): blank-separated lines; a position record has exactly
// six fields, "T lat lon date time x". Coordinates are a hemisphere letter and DDMM.mmmm, or
// decimal degrees after a line containing "DEG", or DDMMSS.s after one containing "DMS". Dates
// are day-month-year with "-" (turned round) or year/month/day. Other lines are ignored; a record
// whose date-time does not convert is dropped.
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/tracks/plain_numbers.h"
#include "race/tracks/readers.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A line as loggers write their records, blank-separated fields of visible characters, a CR at
// most at its end, and no 'D' (so no "DEG" or "DMS" that would change the mode): its fields
// (at most 7 kept, more counting as 7), exactly those the general splitter gives. False for
// any other line, which goes the general way.
bool PlainFields(std::string_view line, std::string_view (&f)[7], int& n) {
  n = 0;
  const size_t end = !line.empty() && line.back() == '\r' ? line.size() - 1 : line.size();
  // Which bytes separate (' ', '\t') and which make the line one for the general way, sixteen at
  // a time when the machine compares them at once. `readable` bytes may be looked at past the
  // line (the rest of the file) without reading outside it.
  uint64_t separators = 0;
  size_t i = 0;
#if defined(__SSE2__)
  if (end <= 64) {
    const __m128i space = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), top = _mm_set1_epi8(0x20);
    const __m128i del = _mm_set1_epi8(0x7f), d = _mm_set1_epi8('D');
    for (; i + 16 <= end; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
      const __m128i sep = _mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, tab));
      const __m128i low = _mm_cmpeq_epi8(_mm_max_epu8(v, top), top);  // v <= 0x20
      const __m128i odd = _mm_or_si128(_mm_andnot_si128(sep, low),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, del), _mm_cmpeq_epi8(v, d)));
      if (_mm_movemask_epi8(odd)) return false;
      separators |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(sep))) << i;
    }
  }
#endif
  for (; i < end; ++i) {
    const auto u = static_cast<unsigned char>(line[i]);
    if (u == ' ' || u == '\t') {
      if (i < 64) separators |= uint64_t{1} << i;
    } else if (u <= 0x20 || u == 0x7f || u == 'D') {
      return false;
    }
  }
  if (end > 64) return false;  // a long line: the general way
  // Fields: runs of non-separators.
  const uint64_t inside = end == 64 ? ~uint64_t{0} : (uint64_t{1} << end) - 1;
  uint64_t fields = ~separators & inside;
  while (fields) {
    const int a = std::countr_zero(fields);
    const uint64_t after = ~((uint64_t{2} << a) - 1) & (separators | ~inside);
    const int z = after ? std::countr_zero(after) : static_cast<int>(end);
    if (n < 7) f[n] = std::string_view(line.data() + a, static_cast<size_t>(z - a));
    ++n;
    fields &= z >= 64 ? 0 : ~((uint64_t{1} << z) - 1);
  }
  if (n > 7) n = 7;
  return true;
}

// The day count a record's date and time give, as the general way (PutDateTime, then
// ParseDateTime) gives it, for a time written hh:mm:ss: the date worked out once per date text.
struct DayMemo {
  std::string date;
  bool known = false, valid = false;
  double day = 0;
};

bool PlainWhen(std::string_view date, std::string_view time, double raceDate, DateMemo& memo,
               DayMemo& days, double& when) {
  int h, mi, sec;
  if (time.size() != 8 || !PlainClock(time.data(), h, mi, sec)) return false;
  if (!days.known || date != days.date) {
    // The date at midnight the general way: the same day count EncodeDate gives.
    char buf[96];
    if (date.size() + 20 > sizeof buf) return false;
    const size_t len = PutDateTime(date, "00:00:00", raceDate, memo, buf);
    const auto d = ParseDateTime(std::string_view(buf, len));
    days.date.assign(date);
    days.known = true;
    days.valid = d.has_value();
    days.day = d.value_or(0);
  }
  if (!days.valid) return false;
  when = DayAndClock(days.day, h, mi, sec);
  return true;
}

// A plain line's record (six fields, the first with a 'T'): stored, or skipped and counted
// when its date-time does not convert; false with `result` the failure when a coordinate does
// not convert.
bool ReadPlainRecord(const std::string_view (&plain)[7], int mode, long long lineNo,
                     const QString& fileName, TrackStore& store, DateMemo& memo, DayMemo& days,
                     TrackReadResult& result) {
  double lat, lon, when;
  int32_t latPoint = INT32_MIN, lonPoint = INT32_MIN;
  if (mode != kCoordDegMin || !PlainDegreesMinutes(plain[1], lat, latPoint)) {
    auto v = ParseCoordinate(plain[1], mode);
    if (!v) {
      result = CoordinateFault(result, fileName, lineNo, "latitude", plain[1]);
      return false;
    }
    lat = *v;
  }
  if (mode != kCoordDegMin || !PlainDegreesMinutes(plain[2], lon, lonPoint)) {
    auto v = ParseCoordinate(plain[2], mode);
    if (!v) {
      result = CoordinateFault(result, fileName, lineNo, "longitude", plain[2]);
      return false;
    }
    lon = *v;
  }
  if (!PlainWhen(plain[3], plain[4], store.raceDate(), memo, days, when)) {
    char buf[96];
    std::string heap;
    char* p = buf;
    if (plain[3].size() + plain[4].size() + 10 > sizeof buf) {
      heap.resize(plain[3].size() + plain[4].size() + 10);
      p = heap.data();
    }
    const auto parsed = ParseDateTime(
        std::string_view(p, PutDateTime(plain[3], plain[4], store.raceDate(), memo, p)));
    if (!parsed) {
      ++result.skipped;
      ++result.why.notConverted;
      return true;
    }
    when = *parsed;
  }
  if (latPoint != INT32_MIN && lonPoint != INT32_MIN) {
    store.AddAtOnGrid(when, PositionColumn::Grid::DegreesMinutes5, latPoint, lonPoint);
  } else {
    store.AddAt(when, lat, lon);
  }
  return true;
}

}  // namespace

TrackReadResult ReadTextTrack(std::string_view data, const QString& fileName, TrackStore& store) {
  TrackReadResult result;
  int mode = kCoordDegMin;
  Fields f;
  long long lineNo = 0;
  DateMemo memo;
  DayMemo days;
  std::string_view plain[7];  // a plain line's fields
  size_t start = 0;
  while (start < data.size()) {
    size_t nl = data.find('\n', start);
    std::string_view line =
        data.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    start = nl == std::string_view::npos ? data.size() : nl + 1;
    ++lineNo;
    int fields = 0;
    if (PlainFields(line, plain, fields)) {
      // The common record: the same checks and values as below, without the general splitter,
      // coordinate and date-time conversions where the text allows.
      if (fields != 6 || plain[0].find('T') == std::string_view::npos) continue;
      if (!ReadPlainRecord(plain, mode, lineNo, fileName, store, memo, days, result)) return result;
      continue;
    }
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
