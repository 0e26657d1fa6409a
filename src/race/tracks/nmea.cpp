// NMEA 0183 logs: only RMC sentences of any talker ($GPRMC, $GNRMC, $IIRMC ...) are used:
// time, status, latitude ddmm.mmmm + N/S, longitude dddmm.mmmm + E/W, date ddmmyy.
// Logs from real instruments carry corrupt sentences: truncated or glued together, binary bytes
// before '$', wrong checksums, empty fields. Such a sentence is skipped and counted and never
// stops the load. Checksums are enforced only when the file has sentences with good ones, so
// loggers that write none (or all wrong) still load.
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/tracks/plain_numbers.h"
#include "race/tracks/readers.h"

namespace kw {

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

enum class Check { None, Good, Bad };

// `s` is a sentence after its '$'; `star` the position of its first '*'. Splits off a "*hh"
// checksum and checks it.
Check Checksum(std::string_view& s, size_t star) {
  if (star == std::string_view::npos) return Check::None;
  std::string_view tail = Trim(s.substr(star + 1));
  std::string_view body = s.substr(0, star);
  s = body;
  if (tail.size() < 2) return Check::Bad;
  int h = Hex(tail[0]), l = Hex(tail[1]);
  if (h < 0 || l < 0 || tail.size() != 2) return Check::Bad;
  // Eight bytes at a time, then the eight folded into one.
  uint64_t words = 0;
  size_t i = 0;
  for (; i + 8 <= body.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, body.data() + i, 8);
    words ^= w;
  }
  unsigned char x = 0;
  for (int k = 0; k < 8; ++k) x ^= static_cast<unsigned char>(words >> (8 * k));
  for (; i < body.size(); ++i) x ^= static_cast<unsigned char>(body[i]);
  return x == h * 16 + l ? Check::Good : Check::Bad;
}

// Calls fn(sentence) for each sentence of a line: each piece that starts at a '$', or the whole
// line when it has none.
template <typename Fn>
void ForEachSentence(std::string_view line, Fn&& fn) {
  size_t d = line.find('$');
  if (d == std::string_view::npos) {
    fn(line);
    return;
  }
  while (d != std::string_view::npos) {
    size_t next = line.find('$', d + 1);
    fn(line.substr(d + 1, next == std::string_view::npos ? std::string_view::npos : next - d - 1));
    d = next;
  }
}

bool TwoDigits(std::string_view s, size_t at, int& v) {
  if (at + 2 > s.size()) return false;
  char a = s[at], b = s[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return false;
  v = (a - '0') * 10 + (b - '0');
  return true;
}

// The first field of a sentence: up to its first ',' before any '*'.
std::string_view FirstField(std::string_view s) {
  return s.substr(0, FindEither(s, ',', '*'));
}

bool IsRmc(std::string_view firstField) {
  std::string_view f = Trim(firstField);
  for (size_t i = 0; i + 3 <= f.size(); ++i) {
    char a = f[i] & ~0x20, b = f[i + 1] & ~0x20, c = f[i + 2] & ~0x20;
    if (a == 'R' && b == 'M' && c == 'C') return true;
  }
  return false;
}

// The sentence's fields between its commas, trimmed, at most f.size() of them (the last one
// ends at a comma when there are more); returns how many. Commas sixteen bytes at a time where
// the machine compares them at once: fields are shorter than a call to memchr costs.
template <size_t N>
size_t SplitAtCommas(std::string_view s, std::array<std::string_view, N>& f) {
  size_t n = 0, p = 0, i = 0;
  const char* d = s.data();
  auto field = [&](size_t comma) {
    f[n++] = Trim(s.substr(p, comma - p));
    p = comma + 1;
  };
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  for (; i + 16 <= s.size() && n < N; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, comma)));
    for (; m && n < N; m &= m - 1) field(i + static_cast<size_t>(std::countr_zero(m)));
  }
#endif
  for (; i < s.size() && n < N; ++i)
    if (d[i] == ',') field(i);
  if (n < N) f[n++] = Trim(s.substr(p));
  return n;
}

// A coordinate of an RMC sentence: its hemisphere's letter before its number, as
// ParseCoordinate reads it, the common form read without it. False when it does not convert.
// Left uninitialised until Read: zeroing two of them took a tenth of the reading.
struct Coordinate {
  PlainDegreesMinutesText plain;
  bool isPlain;
  double value;

  bool Read(std::string_view letter, std::string_view number) {
    char buf[32];
    const size_t len = letter.size() + number.size();
    if (len >= sizeof buf) return false;
    std::memcpy(buf, letter.data(), letter.size());
    std::memcpy(buf + letter.size(), number.data(), number.size());
    const std::string_view text(buf, len);
    isPlain = ReadPlainDegreesMinutes(text, plain);
    if (isPlain) return true;
    const auto parsed = ParseCoordinate(text, kCoordDegMin);
    value = parsed.value_or(0);
    return parsed.has_value();
  }
  int32_t GridPoint() const { return isPlain ? plain.GridPoint() : INT32_MIN; }
  double Value() const { return isPlain ? plain.Value() : value; }
};

// fn(line) returns false to stop.
template <typename Fn>
void ForEachLine(std::string_view data, Fn&& fn) {
  size_t start = 0;
  while (start < data.size()) {
    size_t nl = FindEither(data, '\r', '\n', start);
    std::string_view line =
        data.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    if (!fn(line)) break;
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
}

}  // namespace

TrackReadResult ReadNmea(std::string_view data, const QString&, TrackStore& store) {
  TrackReadResult result;
  // First pass: does this logger write valid checksums on its RMC sentences? Some instruments
  // write a fixed wrong one on every RMC while other sentences are right.
  bool enforce = false;
  ForEachLine(data, [&](std::string_view line) {
    ForEachSentence(line, [&](std::string_view s) {
      if (IsRmc(FirstField(s)) && Checksum(s, s.find('*')) == Check::Good) enforce = true;
    });
    return !enforce;
  });

  std::array<std::string_view, 13> f;
  struct {
    int dd = 0, mo = 0, yy = -1;
    bool valid = false;
    double count = 0;
  } day;  // the last date read
  ForEachLine(data, [&](std::string_view line) {
    ForEachSentence(line, [&](std::string_view s) {
      // Only RMC sentences matter: the first field is looked at before the rest of the
      // sentence is searched or a checksum worked out.
      const std::string_view first = FirstField(s);
      if (!IsRmc(first)) return;
      const Check check = Checksum(s, s.find('*', first.size()));
      if (enforce && check != Check::Good) {
        ++result.skipped;
        // No checksum at all where the logger writes them: the sentence was cut off, or another
        // one was glued into it.
        ++(check == Check::Bad ? result.why.badChecksum : result.why.truncated);
        return;
      }
      // Fields without the "0" for empty ones: an empty position must be seen as missing.
      const size_t n = SplitAtCommas(s, f);
      int hh, mi, ss, dd, mo, yy;
      auto skip = [&](int& reason) {
        ++result.skipped;
        ++reason;
      };
      if (n < 10) return skip(result.why.truncated);
      if (f[2] == "V") return skip(result.why.statusVoid);
      if (f[3].empty() || f[4].empty() || f[5].empty() || f[6].empty())
        return skip(result.why.emptyPosition);
      if (!TwoDigits(f[1], 0, hh) || !TwoDigits(f[1], 2, mi) || !TwoDigits(f[1], 4, ss) ||
          !TwoDigits(f[9], 0, dd) || !TwoDigits(f[9], 2, mo) || !TwoDigits(f[9], 4, yy)) {
        return skip(result.why.notConverted);
      }
      // A date of zeros is a receiver without a fix yet; "00" alone is the year 2000.
      if (dd < 1 || mo < 1) return skip(result.why.notConverted);
      const int year = 2000 + yy;
      if (dd != day.dd || mo != day.mo || yy != day.yy) {  // a date once, not every second
        day = {dd, mo, yy, IsValidDate(year, mo, dd), 0};
        if (day.valid) day.count = EncodeDate(year, mo, dd);
      }
      if (!day.valid || hh > 23 || mi > 59 || ss > 59) return skip(result.why.notConverted);
      Coordinate lat, lon;
      if (!lat.Read(f[4], f[3]) || !lon.Read(f[6], f[5])) return skip(result.why.notConverted);
      const double when = DayAndClock(day.count, hh, mi, ss);  // as EncodeDateTime gives it
      const int32_t latPoint = lat.GridPoint(), lonPoint = lon.GridPoint();
      if (latPoint != INT32_MIN && lonPoint != INT32_MIN) {
        store.AddAtOnGrid(when, PositionColumn::Grid::DegreesMinutes5, latPoint, lonPoint);
      } else {
        store.AddAt(when, lat.Value(), lon.Value());
      }
    });
    return true;
  });
  return result;
}

}  // namespace kw
