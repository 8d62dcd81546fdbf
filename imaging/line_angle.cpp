#include "imaging/line_angle.h"

#include <cmath>

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

}  // namespace rumora
