#pragma once

#include <cmath>
#include <cstdint>

namespace rumora {

// Brings a computed channel value back into the byte range: 255 and above give 255, then 0 and
// below give 0, and the rest is rounded to the nearest integer, a half going to the even
// neighbour (the processor's default rounding).
inline std::uint8_t ClampByte(double value) {
  if (value >= 255) value = 255;
  if (value <= 0) value = 0;
  return static_cast<std::uint8_t>(std::lrint(value));
}

}  // namespace rumora
