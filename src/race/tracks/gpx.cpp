// GPX: <trkpt lat=".." lon=".."> ... <time>yyyy-mm-ddThh:mm:ss...</time> ... </trkpt>.
// Scanned once without building a document: only "trkpt" elements are looked at, waypoints and
// routes are not track points. Tolerated: GPX 1.0/1.1 or no namespace, any case, lon before lat,
// single or double quotes, one-line files, a BOM, comments and CDATA (skipped), self-closing
// points, points without a time (skipped), a file cut off inside its last point (that point
// skipped). Times are taken as UTC: fractions and zone suffixes
// are not read.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/numbers.h"
#include "race/tracks/plain_numbers.h"
#include "race/tracks/readers.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kw {

namespace {

inline char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Case-insensitive match of a lower-case needle at position p.
inline bool At(std::string_view s, size_t p, std::string_view lowerNeedle) {
  if (p + lowerNeedle.size() > s.size()) return false;
  for (size_t i = 0; i < lowerNeedle.size(); ++i) {
    if (Lower(s[p + i]) != lowerNeedle[i]) return false;
  }
  return true;
}

// The same for a needle of at most eight characters, a word at a time: ASCII capitals turned
// to small letters in the eight bytes at p (bytes above 0x7F left alone), then compared.
inline uint64_t LowerAscii(uint64_t x) {
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  const uint64_t low7 = x & ~kHigh;
  const uint64_t atLeastA = low7 + 0x3F3F3F3F3F3F3F3FULL;  // high bit set from 'A' on
  const uint64_t beyondZ = low7 + 0x2525252525252525ULL;   // high bit set beyond 'Z'
  return x | (((atLeastA & ~beyondZ & ~x & kHigh)) >> 2);
}

template <size_t N>
inline bool At(std::string_view s, size_t p, const char (&lowerNeedle)[N]) {
  constexpr size_t n = N - 1;
  static_assert(n <= 8);
  if constexpr (std::endian::native == std::endian::little) {
    if (p + 8 <= s.size()) {
      uint64_t x, want = 0;
      std::memcpy(&x, s.data() + p, 8);
      for (size_t i = 0; i < n; ++i)
        want |= uint64_t{static_cast<unsigned char>(lowerNeedle[i])} << (8 * i);
      constexpr uint64_t mask = n == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * n)) - 1;
      return ((LowerAscii(x) ^ want) & mask) == 0;
    }
  }
  return At(s, p, std::string_view(lowerNeedle, n));
}

// Case-insensitive search for a lower-case needle. For a letter, c | 0x20 equals it exactly when
// c is that letter in either case, so the first character costs one compare.
size_t FindCI(std::string_view s, std::string_view lowerNeedle, size_t from = 0) {
  const size_t m = lowerNeedle.size();
  if (s.size() < m) return std::string_view::npos;
  const char a = lowerNeedle[0];
  const char fold = (a >= 'a' && a <= 'z') ? 0x20 : 0;
  const char* d = s.data();
  const size_t last = s.size() - m;
  if (!fold) {
    // A tag: few candidates, found by memchr.
    for (size_t p = from; p <= last; ++p) {
      const void* c = std::memchr(d + p, a, last + 1 - p);
      if (!c) break;
      p = static_cast<size_t>(static_cast<const char*>(c) - d);
      if (At(s, p, lowerNeedle)) return p;
    }
    return std::string_view::npos;
  }
  for (size_t p = from; p <= last; ++p) {
    if (static_cast<char>(d[p] | fold) == a && At(s, p, lowerNeedle)) return p;
  }
  return std::string_view::npos;
}

inline int Two(std::string_view r, size_t i) {
  return (r[i] - '0') * 10 + (r[i + 1] - '0');
}

// The day count of the last date read: a logger writes the same date on tens of thousands of
// points, so it is worked out once per date.
struct DateMemo {
  char text[10] = {};
  bool known = false, valid = false;
  double day = 0;
};

// The common time text "yyyy-mm-ddThh:mm:ss" (anything after it is not read, as below) read
// straight. Anything else, or a value out of range, goes the general way, which then gives the
// same value or the same message.
// "hh:mm:ss" at p: six digits and two colons, checked a word at a time.
inline bool ClockText(const char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    constexpr uint64_t kDigits = 0xFFFF00FFFF00FFFFULL, kColons = ~kDigits;
    constexpr uint64_t kThirty = 0x3030303030303030ULL & kDigits, kNibble = 0xF0F0F0F0F0F0F0F0ULL;
    // A digit is 0x30..0x39: high nibble 3, and still 3 after adding 6 (a carry from a byte
    // before can only make a digit fail, never a non-digit pass).
    return (x & kNibble & kDigits) == kThirty &&
           ((x + 0x0606060606060606ULL) & kNibble & kDigits) == kThirty &&
           (x & kColons) == (0x00003A00003A0000ULL & kColons);
  }
  for (size_t i : {0, 1, 3, 4, 6, 7})
    if (!Digit(p[i])) return false;
  return p[2] == ':' && p[5] == ':';
}

bool CommonTime(std::string_view r, double& out, DateMemo& memo) {
  if (r.size() < 19) return false;
  // The date part, unless it is the last one read.
  if (!memo.known || std::memcmp(memo.text, r.data(), 10) != 0) {
    std::memcpy(memo.text, r.data(), 10);
    memo.known = true;
    memo.valid = r[4] == '-' && r[7] == '-';
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) memo.valid = memo.valid && Digit(r[i]);
    if (memo.valid) {
      const int y = Two(r, 0) * 100 + Two(r, 2), mo = Two(r, 5), d = Two(r, 8);
      memo.valid = IsValidDate(y, mo, d);
      if (memo.valid) memo.day = EncodeDate(y, mo, d);
    }
  }
  if (!memo.valid || (r[10] != 'T' && r[10] != 't') || !ClockText(r.data() + 11)) return false;
  const int h = Two(r, 11), mi = Two(r, 14), sec = Two(r, 17);
  if (h > 23 || mi > 59 || sec > 59) return false;
  // As EncodeDateTime adds them.
  const double t = (h * 3600.0 + mi * 60.0 + sec) / 86400.0;
  out = memo.day >= 0 ? memo.day + t : memo.day - t;
  return true;
}

// The text between the first pair of quotes after `name`, found at p.
bool QuotedAt(std::string_view pt, size_t p, size_t nameSize, std::string_view& value) {
  size_t q = FindEither(pt, '"', '\'', p + nameSize);
  if (q == std::string_view::npos) return false;
  size_t e = pt.find(pt[q], q + 1);
  if (e == std::string_view::npos) return false;
  value = Trim(pt.substr(q + 1, e - q - 1));
  return true;
}

// End of the point that starts at p (the '<' of "<trkpt"); npos when the file ends first.
size_t PointEnd(std::string_view d, size_t p) {
  size_t gt = d.find('>', p);
  if (gt == std::string_view::npos) return std::string_view::npos;
  if (d[gt - 1] == '/') return gt + 1;  // <trkpt .../> carries no time of its own
  for (size_t s = gt;;) {
    s = d.find('/', s);
    if (s == std::string_view::npos) return std::string_view::npos;
    if (d[s - 1] == '<' && At(d, s + 1, "trkpt>")) return s + 7;
    if (At(d, s + 1, "gpx")) return s;
    ++s;
  }
}

// Past a comment or a CDATA section that starts at p (its '<'): true with p after it (or at the
// end when it is not closed), false when p starts neither.
inline bool SkipUnparsed(std::string_view d, size_t& p) {
  size_t e;
  if (At(d, p + 1, "!--")) {
    e = d.find("-->", p + 4);
  } else if (At(d, p + 1, "![cdata[")) {
    e = d.find("]]>", p + 9);
  } else {
    return false;
  }
  p = e == std::string_view::npos ? d.size() : e + 3;
  return true;
}

// The number in `lat="..."` at a, where a names the attribute, and the position of its closing
// quote: read as ParseReal reads it but without its library call, for the plain forms loggers
// write ("35.2491667", "-0.32"): at most 19 digits making less than 2^53, no exponent. False
// for anything else, which then goes the general way.
bool PlainAttribute(std::string_view d, size_t a, std::string_view name, PlainNumber& out,
                    size_t& close) {
  if (a + 5 > d.size() || d[a] != name[0] || d[a + 1] != name[1] || d[a + 2] != name[2] ||
      d[a + 3] != '=' || d[a + 4] != '"')
    return false;
  const char* s = d.data() + a + 5;
  const char* e = d.data() + d.size();
  if (s < e && *s == '+') ++s;
  out.negative = s < e && *s == '-';
  if (out.negative) ++s;
  out.digits = 0;
  int digits = 0;
  s = ReadDigits(s, e, out.digits, digits);
  const int whole = digits;
  if (s < e && *s == '.') s = ReadDigits(s + 1, e, out.digits, digits);
  out.fraction = digits - whole;
  // The first character after the number must be the closing quote: none came before it.
  if (s == e || *s != '"' || digits == 0 || digits > 19 || out.digits >= (uint64_t{1} << 53))
    return false;
  close = static_cast<size_t>(s - d.data());
  return true;
}

// Calls at(c) for each c >= from where d[c] is '/' or '<', in order, until it returns true.
// Sixteen bytes at a time where the machine compares them at once.
template <typename At>
void ForEachSlashOrOpen(std::string_view d, size_t from, At&& at) {
  size_t c = from;
#if defined(__SSE2__)
  const __m128i slash = _mm_set1_epi8('/'), open = _mm_set1_epi8('<');
  for (; c + 16 <= d.size(); c += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d.data() + c));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, slash), _mm_cmpeq_epi8(v, open))));
    while (mask) {
      if (at(c + static_cast<size_t>(std::countr_zero(mask)))) return;
      mask &= mask - 1;
    }
  }
#endif
  for (; c < d.size(); ++c)
    if ((d[c] == '/' || d[c] == '<') && at(c)) return;
}

// The point at p when it is written the common way, <trkpt lat="n" lon="n"> followed by its
// children and </trkpt>, with a <time> child in the common form: stored, and `end` set past it.
// The general path below would find the same attributes, time and end, and store the same
// sample (the searches it makes cannot match earlier in such a point); anything else is left
// to it.
bool CommonPoint(std::string_view d, size_t p, TrackStore& store, DateMemo& memo, size_t& end) {
  PlainNumber lat, lon;
  size_t latClose, lonClose;
  if (p + 7 > d.size() || d[p + 6] != ' ' || !PlainAttribute(d, p + 7, "lat", lat, latClose) ||
      latClose + 2 >= d.size() || d[latClose + 1] != ' ' ||
      !PlainAttribute(d, latClose + 2, "lon", lon, lonClose) || lonClose + 1 >= d.size() ||
      d[lonClose + 1] != '>')
    return false;
  // PointEnd and the search for "<time>" in one pass over the point's children: only a '/' can
  // end the point and only a '<' start the time.
  size_t time = std::string_view::npos;
  end = std::string_view::npos;
  auto at = [&](size_t c) {
    if (d[c] == '/') {
      if (d[c - 1] == '<' && At(d, c + 1, "trkpt>")) {
        end = c + 7;
        return true;
      }
      if (At(d, c + 1, "gpx")) {
        end = c;
        return true;
      }
    } else if (time == std::string_view::npos && At(d, c, "<time>")) {
      time = c;
    }
    return false;
  };
  ForEachSlashOrOpen(d, lonClose + 2, at);
  if (end == std::string_view::npos || time == std::string_view::npos) return false;
  double when = 0;
  if (!CommonTime(d.substr(time + 6, end - time - 6), when, memo)) return false;
  int32_t latE7, lonE7;
  if (lat.InTenMillionths(latE7) && lon.InTenMillionths(lonE7)) {
    store.AddAtOnGrid(when, PositionColumn::Grid::Degrees7, latE7, lonE7);
  } else {
    store.AddAt(when, lat.Value() * 60.0, lon.Value() * 60.0);
  }
  return true;
}

// A time text other than the common one (`rest` runs from after "<time>"): the date before the
// first 't', then the eight characters hh:mm:ss after it. Empty when it converts into `when`,
// else the failure's message.
std::string UncommonTime(std::string_view rest, double& when) {
  rest = rest.substr(0, rest.find('<'));  // the element's text only
  const size_t t = FindEither(rest, 't', 'T');
  std::string_view date = t == std::string_view::npos ? rest : rest.substr(0, t);
  const std::string_view clock =
      t == std::string_view::npos ? std::string_view() : rest.substr(t + 1, 8);
  date = Trim(date);
  char buf[48];
  if (date.size() + clock.size() + 1 > sizeof buf)
    return "date-time '" + std::string(date.substr(0, 40)) + "' does not convert";
  std::memcpy(buf, date.data(), date.size());
  buf[date.size()] = ' ';
  // A date alone leaves no clock, whose data() is null: memcpy must not see it.
  if (!clock.empty()) std::memcpy(buf + date.size() + 1, clock.data(), clock.size());
  const std::string_view text = Trim(std::string_view(buf, date.size() + 1 + clock.size()));
  const auto parsed = ParseDateTime(text);
  if (!parsed) return "date-time '" + std::string(text) + "' does not convert";
  when = *parsed;
  return {};
}

}  // namespace

long long LineOfOffset(std::string_view data, size_t offset) {
  if (offset > data.size()) offset = data.size();
  long long line = 1;
  const char* p = data.data();
  const char* end = p + offset;
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
    ++line;
    ++p;
  }
  return line;
}

TrackReadResult ReadGpx(std::string_view d, const QString& fileName, TrackStore& store) {
  TrackReadResult result;
  auto fail = [&](size_t at, const std::string& msg) {
    result.ok = false;
    result.error = {fileName, LineOfOffset(d, at), QString::fromStdString(msg)};
    return result;
  };
  size_t p = 0;
  DateMemo memo;
  while (true) {
    const char* lt = static_cast<const char*>(std::memchr(d.data() + p, '<', d.size() - p));
    if (!lt) break;
    p = static_cast<size_t>(lt - d.data());
    if (SkipUnparsed(d, p)) continue;
    if (At(d, p + 1, "/gpx>")) break;
    if (!At(d, p + 1, "trkpt")) {
      ++p;
      continue;
    }
    if (size_t next; CommonPoint(d, p, store, memo, next)) {
      p = next;
      continue;
    }
    const size_t end = PointEnd(d, p);
    if (end == std::string_view::npos) {
      // A file cut off inside its last point (a logger that lost power): that point is
      // incomplete, the rest of the track stands.
      ++result.skipped;
      ++result.why.truncated;
      break;
    }
    const std::string_view pt = d.substr(p, end - p);
    const size_t at = p;
    p = end;
    // Each name is searched once; "<time>" present implies "time" present.
    const size_t la = FindCI(pt, "lat");
    const size_t lo = la == std::string_view::npos ? la : FindCI(pt, "lon");
    if (lo == std::string_view::npos) {
      ++result.why.emptyPosition;
      continue;
    }
    const size_t tm = FindCI(pt, "<time>");
    if (tm == std::string_view::npos) {
      ++result.why.noTime;
      continue;
    }
    std::string_view latText, lonText;
    double lat, lon;
    if (!QuotedAt(pt, la, 3, latText) || !ParseReal(latText, lat))
      return fail(at, "latitude '" + std::string(latText) + "' does not convert");
    if (!QuotedAt(pt, lo, 3, lonText) || !ParseReal(lonText, lon))
      return fail(at, "longitude '" + std::string(lonText) + "' does not convert");
    const std::string_view rest = pt.substr(tm + 6);
    double when = 0;
    if (!CommonTime(rest, when, memo)) {
      const std::string why = UncommonTime(rest, when);
      if (!why.empty()) return fail(at, why);
    }
    store.AddAt(when, lat * 60.0, lon * 60.0);
  }
  return result;
}

}  // namespace kw
