#include "race/numbers.h"

#include <charconv>
#include <system_error>

namespace kw {

bool ParseInt(std::string_view text, int& out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return false;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && p == text.data() + text.size();
}

bool ParseReal(std::string_view text, double& out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return false;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && p == text.data() + text.size() && std::isfinite(out);
}

std::string ShortestReal(double v) {
  if (v == 0) return "0";  // also turns -0 into "0"
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  return std::string(buf, p);
}

std::string NotAnInteger(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}
std::string NotAReal(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}
std::string NotADateTime(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid date and time";
}

}  // namespace kw
