// Day-count date-times: days since 1899-12-30 as a double, the fraction being the time of day.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kw {

struct CivilDateTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0;
  double second = 0;
};

bool IsValidDate(int year, int month, int day);
// Days since 1899-12-30 of a valid Gregorian date.
double EncodeDate(int year, int month, int day);
double EncodeDateTime(int year, int month, int day, int hour, int minute, double second);
CivilDateTime DecodeDateTime(double dayCount);

// Accepts "yyyy/M/d H:m:s" and "yyyy-M-d H:m:s" (one or two digits for the fields after the
// year), a time of "H:m" or "H:m:s.fff", or a date alone; leading and trailing blanks allowed.
std::optional<double> ParseDateTime(std::string_view text);

// "yyyy/MM/dd HH:mm:ss" and "yyyy/MM/dd", the texts our own readers read back.
std::string FormatDateTime(double dayCount);
std::string FormatShortDate(double dayCount);

// Value used for a record whose date-time does not convert: far before any start.
constexpr long long kBadSeconds = -1000000;

// Whole seconds from `from` to `to`: |to - from| * 86400 + 0.5 truncated, then the sign applied.
// Inline: the track readers call it for every record.
inline long long SecondsBetween(double from, double to) {
  const double d = to - from;
  double mag = (d < 0 ? -d : d) * 86400.0 + 0.5;
  if (!(mag < 9.0e15)) return to < from ? kBadSeconds : -kBadSeconds;
  long long s = static_cast<long long>(mag);
  return to < from ? -s : s;
}

}  // namespace kw
