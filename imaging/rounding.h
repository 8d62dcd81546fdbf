#pragma once

#include <cmath>
#include <cstdint>

namespace rumora {

// Rounds to the nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4): the
// processor's default rounding, on the 80-bit extended value.
inline std::int32_t Round(long double value) {
  return static_cast<std::int32_t>(std::lrintl(value));
}

}  // namespace rumora
