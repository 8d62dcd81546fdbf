#pragma once

#include <cstdint>
#include <vector>

#include "imaging/bitmap.h"

namespace rumora {

// The pixels of one logo file: its colours and, when the file has them, its alpha values.
struct LogoImage {
  Bitmap colour;
  // One byte a pixel, rows top first, 0 see-through to 255 opaque. Empty for a file without
  // alpha, whose pure white pixels are the see-through ones.
  std::vector<std::uint8_t> alpha;

  int Width() const { return colour.Width(); }
  int Height() const { return colour.Height(); }
  bool HasAlpha() const { return !alpha.empty(); }
  const std::uint8_t* AlphaRow(int y) const {
    return alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width());
  }
};

}  // namespace rumora
