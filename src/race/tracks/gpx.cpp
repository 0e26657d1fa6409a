// GPX: <trkpt lat=".." lon=".."> ... <time>yyyy-mm-ddThh:mm:ss...</time> ... </trkpt>.
// Scanned once without building a document: only "trkpt" elements are looked at, waypoints and
// routes are not track points. Tolerated: GPX 1.0/1.1 or no namespace, any case, lon before lat,
// single or double quotes, one-line files, a BOM, comments and CDATA (skipped), self-closing
// points, points without a time (skipped), a file cut off inside its last point (that point
// skipped). Times are taken as UTC: fractions and zone suffixes
// are not read.
#include <cstring>
#include <string>

#include "race/datetime.h"
#include "race/fields.h"
#include "race/numbers.h"
#include "race/tracks/readers.h"

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

inline bool Digit(char c) {
  return c >= '0' && c <= '9';
}
inline int Two(std::string_view r, size_t i) {
  return (r[i] - '0') * 10 + (r[i + 1] - '0');
}

// The common time text "yyyy-mm-ddThh:mm:ss" (anything after it is not read, as below) read
// straight. Anything else, or a value out of range, goes the general way, which then gives the
// same value or the same message.
bool CommonTime(std::string_view r, double& out) {
  if (r.size() < 19 || r[4] != '-' || r[7] != '-' || (r[10] != 'T' && r[10] != 't') ||
      r[13] != ':' || r[16] != ':')
    return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
    if (!Digit(r[i])) return false;
  const int y = Two(r, 0) * 100 + Two(r, 2), mo = Two(r, 5), d = Two(r, 8);
  const int h = Two(r, 11), mi = Two(r, 14), sec = Two(r, 17);
  if (!IsValidDate(y, mo, d) || h > 23 || mi > 59 || sec > 59) return false;
  out = EncodeDateTime(y, mo, d, h, mi, sec);
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
    if (!CommonTime(rest, when)) {
      const std::string why = UncommonTime(rest, when);
      if (!why.empty()) return fail(at, why);
    }
    store.AddAt(when, lat * 60.0, lon * 60.0);
  }
  return result;
}

}  // namespace kw
