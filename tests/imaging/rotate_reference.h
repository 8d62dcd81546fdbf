#pragma once

#include <cmath>
#include <cstdint>

#include "imaging/bitmap.h"
#include "imaging/colour.h"

namespace rumora::testing {

// The free rotation written out plainly, one pixel at a time over a real bordered copy: every
// expression in 80-bit extended precision, rounded to a 32-bit float where the rotation holds
// one (sine, cosine, corners, px, py, sx, sy, fx, fy, top, bottom).
inline Bitmap RotateReference(const Bitmap& photo, TColor background, float angle) {
  using X = long double;
  const int W = photo.Width();
  const int H = photo.Height();
  Bitmap bordered = Bitmap::Filled(W + 2, H + 2, background);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) bordered.SetPixel(x + 1, y + 1, photo.Pixel(x, y));
  }
  const X radians = static_cast<X>(angle) * 3.14159265358979323846L / 180.0L;
  const auto s = static_cast<float>(sinl(radians));
  const auto c = static_cast<float>(cosl(radians));
  const float cornerX[4] = {0, static_cast<float>(W), static_cast<float>(W), 0};
  const float cornerY[4] = {0, 0, static_cast<float>(H), static_cast<float>(H)};
  float minX = 100000, maxX = -100000, minY = 100000, maxY = -100000;
  for (int i = 0; i < 4; ++i) {
    const auto tx = static_cast<float>(cornerX[i] * X{c} - cornerY[i] * X{s});
    const auto ty = static_cast<float>(cornerX[i] * X{s} + cornerY[i] * X{c});
    if (tx < minX) minX = tx;
    if (tx > maxX) maxX = tx;
    if (ty < minY) minY = ty;
    if (ty > maxY) maxY = ty;
  }
  const auto width = static_cast<int>(llrintl(X{maxX} - minX + 1));
  const auto height = static_cast<int>(llrintl(X{maxY} - minY + 1));
  Bitmap result = Bitmap::Filled(width, height, background);
  const auto inSource = [&](X x, X y) { return x >= 0 && x < W && y >= 0 && y < H; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto px = static_cast<float>(x + X{minX});
      const auto py = static_cast<float>(y + X{minY});
      const auto sx = static_cast<float>(px * X{c} + py * X{s});
      const auto sy = static_cast<float>(-(px * X{s}) + py * X{c});
      if (!inSource(std::ceil(sx), std::ceil(sy)) && !inSource(std::floor(sx), std::floor(sy))) {
        continue;
      }
      const auto ix = static_cast<int>(std::floor(sx));
      const auto iy = static_cast<int>(std::floor(sy));
      const auto fx = static_cast<float>(sx - X(ix));
      const auto fy = static_cast<float>(sy - X(iy));
      const TColor p00 = bordered.Pixel(ix + 1, iy + 1);
      const TColor p10 = bordered.Pixel(ix + 2, iy + 1);
      const TColor p01 = bordered.Pixel(ix + 1, iy + 2);
      const TColor p11 = bordered.Pixel(ix + 2, iy + 2);
      int channel[3];
      for (int k = 0; k < 3; ++k) {
        const int shift = 8 * k;  // red, green, blue
        const X a = (p00 >> shift) & 0xFF, b = (p10 >> shift) & 0xFF;
        const X d = (p01 >> shift) & 0xFF, e = (p11 >> shift) & 0xFF;
        const auto top = static_cast<float>(a * (1 - X{fx}) + b * X{fx});
        const auto bottom = static_cast<float>(d * (1 - X{fx}) + e * X{fx});
        const X v = top * (1 - X{fy}) + bottom * X{fy};
        channel[k] = v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(llrintl(v));
      }
      result.SetPixel(x, y, RGB(channel[0], channel[1], channel[2]));
    }
  }
  return result;
}

}  // namespace rumora::testing
