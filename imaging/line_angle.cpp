#include "imaging/line_angle.h"

#include <cmath>
#include <cstdio>

namespace rumora {

std::optional<double> LineAngle(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) {
  const std::int64_t dy = std::int64_t{y1} - y2;
  const std::int64_t dx = std::int64_t{x2} - x1;
  if (dx == 0) {
    if (dy == 0) return std::nullopt;
    return 0.0;
  }
  const long double r = static_cast<long double>(dy) / static_cast<long double>(dx);
  auto a = static_cast<double>(std::atan(r) * 57.29577951308232L);
  if (a > 45) {
    a -= 90;
  } else if (a < -45) {
    a += 90;
  }
  return a;
}

std::string FormatAngle(double degrees, const std::string& decimalSeparator) {
  // The exact decimal expansion: the tenths round up when the hundredths digit is 5 or more.
  char digits[160];
  std::snprintf(digits, sizeof digits, "%.120f", std::fabs(degrees));
  const std::string text(digits);
  const std::size_t point = text.find('.');
  long long tenths = std::stoll(text.substr(0, point)) * 10 + (text[point + 1] - '0');
  if (text[point + 2] >= '5') ++tenths;
  const bool negative = std::signbit(degrees) && tenths != 0;
  return (negative ? "-" : "") + std::to_string(tenths / 10) + decimalSeparator +
         std::to_string(tenths % 10);
}

}  // namespace rumora
