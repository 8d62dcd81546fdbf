#pragma once

#include <cstdint>
#include <vector>

#include "imaging/bitmap.h"

namespace rumora {

// Direct access to the rows of a 24-bit bitmap: one start address per row (top row first), and
// the size the bitmap had when the accessor was made. The accessor does not own the bitmap,
// which must keep its size and stay alive while the accessor is used.
class TBmpData24 {
 public:
  explicit TBmpData24(Bitmap& bitmap);

  // The address of pixel (x, y)'s first (blue) byte. No bounds check: the caller keeps x in
  // 0..Width() - 1 and y in 0..Height() - 1.
  std::uint8_t* PixelAddress(std::int32_t x, std::int32_t y) const {
    return rows_[static_cast<std::size_t>(y)] + 3 * static_cast<std::ptrdiff_t>(x);
  }
  std::uint8_t* RowAddress(std::int32_t y) const { return rows_[static_cast<std::size_t>(y)]; }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

 private:
  std::vector<std::uint8_t*> rows_;
  std::int32_t width_;
  std::int32_t height_;
};

}  // namespace rumora
