#pragma once

#include <array>

namespace rumora::testing {

enum class Tone { kContrast, kBrighten, kDarken };

inline const char* ToneName(Tone tone) {
  return tone == Tone::kContrast ? "contrast" : tone == Tone::kBrighten ? "brighten" : "darken";
}

// Each tone table worked out in whole numbers (contrast strength 0.3): an entry is the count of
// k in 0..254 whose k + 1/2 its exact value exceeds, which rounds to the nearest and clamps to
// 0..255 at once. With x = v / 255 the exact values are 1.3 v - 38.25, 255 sqrt(x) =
// sqrt(255 v) and 255 (2x - sqrt(x)) = 2 v - sqrt(255 v); each comparison below is one of these
// squared or scaled to integers, so no floating point takes part. No value ties with a k + 1/2
// (an odd square never equals 1020 v, nor 130 v - 3875 a multiple of 100).
inline std::array<int, 256> ReferenceToneTable(Tone tone) {
  std::array<int, 256> table{};
  for (long long v = 0; v < 256; ++v) {
    for (long long k = 0; k < 255; ++k) {
      const long long twice = 2 * k + 1;         // 2 (k + 1/2)
      const long long darkRoot = 4 * v - twice;  // 2 (2 v - (k + 1/2))
      const bool above = tone == Tone::kContrast   ? 130 * v - 3825 > 100 * k + 50
                         : tone == Tone::kBrighten ? 1020 * v > twice * twice
                                                   : darkRoot > 0 && darkRoot * darkRoot > 1020 * v;
      table[v] += above;
    }
  }
  return table;
}

}  // namespace rumora::testing
