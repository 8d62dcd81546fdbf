#pragma once

#include <cstdint>

#include "imaging/bitmap.h"
#include "imaging/image_view.h"
#include "imaging/scratch_image_view.h"
#include "tests/test_helpers.h"

namespace rumora::testing {

// A view whose control size the test sets directly.
using FixedView = ScratchImageView;

// Each pixel names its own position (up to 4095 x 4095): red = x low byte, green = y low
// byte, blue = the high nibbles of x and y. A swapped axis or channel reads back as the wrong
// position.
constexpr TColor CoordinateColour(int x, int y) {
  return RGB(x & 0xFF, y & 0xFF, (x >> 8) | (y >> 8) << 4);
}
inline int CoordinateX(TColor c) { return GetRValue(c) | (GetBValue(c) & 0x0F) << 8; }
inline int CoordinateY(TColor c) { return GetGValue(c) | (GetBValue(c) >> 4) << 8; }

inline Bitmap CoordinateBitmap(int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, CoordinateColour(x, y));
  }
  return bitmap;
}

// A colour no CoordinateBitmap pixel has (its high y nibble would be 0xE).
constexpr TColor kMarker = RGB(0x12, 0x34, 0xE0);

}  // namespace rumora::testing
