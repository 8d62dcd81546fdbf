#pragma once

#include <cstdint>

#include "imaging/canvas.h"
#include "imaging/colour.h"

namespace rumora {

// Writes `colour` (already resolved) into pixels x0..x1-1 of one 24-bit row, as `mode` says:
// pmCopy stores the colour, pmNotXor stores NOT (pixel XOR colour) on each byte. The caller has
// clipped x0..x1 to the row.
inline void PaintSpan(std::uint8_t* row, int x0, int x1, TColor colour, PenMode mode) {
  const std::uint8_t b = GetBValue(colour), g = GetGValue(colour), r = GetRValue(colour);
  std::uint8_t* p = row + static_cast<std::size_t>(x0) * 3;
  std::uint8_t* const end = row + static_cast<std::size_t>(x1) * 3;
  if (mode == PenMode::pmNotXor) {
    for (; p < end; p += 3) {
      p[0] = static_cast<std::uint8_t>(~(p[0] ^ b));
      p[1] = static_cast<std::uint8_t>(~(p[1] ^ g));
      p[2] = static_cast<std::uint8_t>(~(p[2] ^ r));
    }
  } else {
    for (; p < end; p += 3) {
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  }
}

}  // namespace rumora
