#pragma once

#include <cstdint>

namespace rumora {

// The nearest-pixel stretch's choice of source pixel: target pixel d of `targetSize` takes source
// pixel floor((2d + 1) * sourceSize / (2 * targetSize)), the one under the centre of the target
// pixel, so the whole source spreads evenly over the whole target. Non-decreasing in d.
constexpr std::int64_t StretchSourceIndex(std::int64_t d, std::int64_t sourceSize,
                                          std::int64_t targetSize) {
  return (2 * d + 1) * sourceSize / (2 * targetSize);
}

}  // namespace rumora
