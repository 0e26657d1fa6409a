// GPX: <trkpt lat=".." lon=".."> ... <time>yyyy-mm-ddThh:mm:ss...</time> ... </trkpt>.
// Scanned once without building a document: only "trkpt" elements are looked at, waypoints and
// routes are not track points. Tolerated: GPX 1.0/1.1 or no namespace, any case, lon before lat,
// single or double quotes, one-line files, a BOM, comments and CDATA (skipped), self-closing
// points, points without a time (skipped), a file cut off inside its last point (that point
// skipped). Times are taken as UTC: fractions and zone suffixes
// are not read.
#include <cstring>

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

size_t FindCI(std::string_view s, std::string_view lowerNeedle, size_t from = 0) {
  const char a = lowerNeedle[0];
  const char A = (a >= 'a' && a <= 'z') ? static_cast<char>(a - 32) : a;
  for (size_t p = from; p + lowerNeedle.size() <= s.size(); ++p) {
    if ((s[p] == a || s[p] == A) && At(s, p, lowerNeedle)) return p;
  }
  return std::string_view::npos;
}

// The text between the first pair of quotes after the first occurrence of `name`.
bool QuotedAfter(std::string_view pt, std::string_view name, std::string_view& value) {
  size_t p = FindCI(pt, name);
  if (p == std::string_view::npos) return false;
  size_t q = pt.find_first_of("\"'", p + name.size());
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
    if (At(d, p + 1, "!--")) {
      size_t e = d.find("-->", p + 4);
      p = e == std::string_view::npos ? d.size() : e + 3;
      continue;
    }
    if (At(d, p + 1, "![cdata[")) {
      size_t e = d.find("]]>", p + 9);
      p = e == std::string_view::npos ? d.size() : e + 3;
      continue;
    }
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
    if (FindCI(pt, "lat") == std::string_view::npos ||
        FindCI(pt, "lon") == std::string_view::npos ||
        FindCI(pt, "time") == std::string_view::npos) {
      ++result.why.noTime;
      continue;
    }
    const size_t tm = FindCI(pt, "<time>");
    if (tm == std::string_view::npos) {
      ++result.why.noTime;
      continue;
    }
    std::string_view latText, lonText;
    double lat, lon;
    if (!QuotedAfter(pt, "lat", latText) || !ParseReal(latText, lat))
      return fail(at, "latitude '" + std::string(latText) + "' does not convert");
    if (!QuotedAfter(pt, "lon", lonText) || !ParseReal(lonText, lon))
      return fail(at, "longitude '" + std::string(lonText) + "' does not convert");
    // Date before the first 't', then the eight characters hh:mm:ss after it.
    std::string_view rest = pt.substr(tm + 6);
    rest = rest.substr(0, rest.find('<'));  // the element's text only
    size_t t = rest.find_first_of("tT");
    std::string_view date = t == std::string_view::npos ? rest : rest.substr(0, t);
    std::string_view clock =
        t == std::string_view::npos ? std::string_view() : rest.substr(t + 1, 8);
    date = Trim(date);
    char buf[48];
    if (date.size() + clock.size() + 1 > sizeof buf)
      return fail(at, "date-time '" + std::string(date.substr(0, 40)) + "' does not convert");
    std::memcpy(buf, date.data(), date.size());
    buf[date.size()] = ' ';
    // A date alone leaves no clock, whose data() is null: memcpy must not see it.
    if (!clock.empty()) std::memcpy(buf + date.size() + 1, clock.data(), clock.size());
    const std::string_view text = Trim(std::string_view(buf, date.size() + 1 + clock.size()));
    auto when = ParseDateTime(text);
    if (!when) return fail(at, "date-time '" + std::string(text) + "' does not convert");
    store.AddAt(*when, lat * 60.0, lon * 60.0);
  }
  return result;
}

}  // namespace kw
