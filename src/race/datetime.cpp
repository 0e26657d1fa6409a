#include "race/datetime.h"

#include <cmath>
#include <cstdio>

#include "race/fields.h"

namespace kw {

namespace {

// Days from 1970-01-01 of a Gregorian date (H. Hinnant's days_from_civil).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr long long kEpochOffset = 25569;  // 1970-01-01 is day 25569 after 1899-12-30

// Reads 1..maxDigits decimal digits at `p`; advances it.
bool Digits(std::string_view s, size_t& p, int maxDigits, int& out) {
  size_t start = p;
  int v = 0;
  while (p < s.size() && p - start < static_cast<size_t>(maxDigits) && s[p] >= '0' && s[p] <= '9') {
    v = v * 10 + (s[p] - '0');
    ++p;
  }
  if (p == start) return false;
  out = v;
  return true;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int dim = kDays[month - 1];
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) dim = 29;
  return day <= dim;
}

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochOffset);
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, double second) {
  double t = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  double d = EncodeDate(year, month, day);
  // Before 1899-12-30 the fraction counts away from zero, as day-count date-times do.
  return d >= 0 ? d + t : d - t;
}

CivilDateTime DecodeDateTime(double dayCount) {
  CivilDateTime c;
  double whole = std::trunc(dayCount);
  double frac = std::fabs(dayCount - whole);
  long long secs = std::llround(frac * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    whole += dayCount >= 0 ? 1 : -1;
  }
  CivilFromDays(static_cast<long long>(whole) - kEpochOffset, c.year, c.month, c.day);
  c.hour = static_cast<int>(secs / 3600);
  c.minute = static_cast<int>(secs / 60 % 60);
  c.second = static_cast<double>(secs % 60);
  return c;
}

namespace {

// "yyyy/mm/dd hh:mm:ss" and "yyyy/mm/dd" (or with '-'), the shapes nearly every file uses, read
// without the general scan. Other shapes return false and go the general way; so do values out
// of range, which the general way then refuses.
bool UsualShape(std::string_view s, double& out) {
  if (s.size() != 19 && s.size() != 10) return false;
  if ((s[4] != '/' && s[4] != '-') || s[7] != s[4]) return false;
  auto digit = [&](size_t i) { return s[i] >= '0' && s[i] <= '9'; };
  auto two = [&](size_t i) { return (s[i] - '0') * 10 + (s[i + 1] - '0'); };
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!digit(i)) return false;
  int h = 0, mi = 0, sec = 0;
  if (s.size() == 19) {
    if ((s[10] != ' ' && s[10] != 'T') || s[13] != ':' || s[16] != ':') return false;
    for (size_t i : {11, 12, 14, 15, 17, 18})
      if (!digit(i)) return false;
    h = two(11);
    mi = two(14);
    sec = two(17);
  }
  const int y = two(0) * 100 + two(2), mo = two(5), d = two(8);
  if (!IsValidDate(y, mo, d) || h > 23 || mi > 59 || sec > 59) return false;
  out = EncodeDateTime(y, mo, d, h, mi, sec + 0.0);
  return true;
}

}  // namespace

std::optional<double> ParseDateTime(std::string_view text) {
  std::string_view s = Trim(text);
  if (double usual; UsualShape(s, usual)) return usual;
  size_t p = 0;
  int y, mo, d;
  if (!Digits(s, p, 4, y) || p != 4) return std::nullopt;
  if (p >= s.size() || (s[p] != '/' && s[p] != '-')) return std::nullopt;
  const char dateSep = s[p++];
  if (!Digits(s, p, 2, mo) || p >= s.size() || s[p] != dateSep) return std::nullopt;
  ++p;
  if (!Digits(s, p, 2, d)) return std::nullopt;
  if (!IsValidDate(y, mo, d)) return std::nullopt;
  int h = 0, mi = 0, sec = 0;
  double frac = 0;
  if (p < s.size()) {
    if (s[p] != ' ' && s[p] != 'T') return std::nullopt;
    while (p < s.size() && (s[p] == ' ' || s[p] == 'T')) ++p;
    if (!Digits(s, p, 2, h) || p >= s.size() || s[p] != ':') return std::nullopt;
    ++p;
    if (!Digits(s, p, 2, mi)) return std::nullopt;
    if (p < s.size() && s[p] == ':') {
      ++p;
      if (!Digits(s, p, 2, sec)) return std::nullopt;
      if (p < s.size() && s[p] == '.') {
        ++p;
        double scale = 0.1;
        while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
          frac += (s[p] - '0') * scale;
          scale /= 10;
          ++p;
        }
      }
    }
    if (p != s.size()) return std::nullopt;
    if (h > 23 || mi > 59 || sec > 59) return std::nullopt;
  }
  return EncodeDateTime(y, mo, d, h, mi, sec + frac);
}

std::string FormatDateTime(double dayCount) {
  CivilDateTime c = DecodeDateTime(dayCount);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                c.minute, static_cast<int>(c.second));
  return buf;
}

std::string FormatShortDate(double dayCount) {
  CivilDateTime c = DecodeDateTime(dayCount);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", c.year, c.month, c.day);
  return buf;
}

}  // namespace kw
