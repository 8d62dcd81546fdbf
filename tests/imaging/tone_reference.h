#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace rumora::testing {

enum class Tone { kContrast, kBrighten, kDarken };

inline const char* ToneName(Tone tone) {
  return tone == Tone::kContrast ? "contrast" : tone == Tone::kBrighten ? "brighten" : "darken";
}

// The three formulas again, on 80-bit values with their own clamp and rounding (contrast
// strength 0.3): a wider evaluation gives the same bytes, so any difference is a fault of ours.
inline std::array<int, 256> ReferenceToneTable(Tone tone) {
  std::array<int, 256> table{};
  for (int v = 0; v < 256; ++v) {
    const long double x = v / 255.0L;
    const long double value = tone == Tone::kContrast   ? v + (v - 127.5L) * 0.3L
                              : tone == Tone::kBrighten ? 255 * std::sqrt(x)
                                                        : 255 * (2 * x - std::sqrt(x));
    table[v] = static_cast<int>(std::nearbyint(std::clamp(value, 0.0L, 255.0L)));
  }
  return table;
}

}  // namespace rumora::testing
