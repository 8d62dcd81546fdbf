#pragma once

// Photos made without any decoder, shared by the tests and the benchmarks.

#include <algorithm>
#include <cstdint>
#include <random>

#include "imaging/bitmap.h"

namespace rumora::testing {

// A smooth picture whose channels run different ways (blue along x, green along y, red along
// the diagonal), so swapped channels or axes show; at most one level per pixel, as in a photo's
// sky or wall.
inline Bitmap GradientPicture(int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x, row += 3) {
      row[0] = static_cast<std::uint8_t>(255 * x / std::max(255, width - 1));
      row[1] = static_cast<std::uint8_t>(255 * y / std::max(255, height - 1));
      row[2] = static_cast<std::uint8_t>(40 + 150 * (x + y) / std::max(150, width + height - 2));
    }
  }
  return bitmap;
}

// Blue and green spanning their whole range along x and y, red a checkerboard of 16-pixel
// squares: a swapped axis, a mirrored copy or a shifted block shows.
inline Bitmap PatternPhoto(int width, int height) {
  Bitmap photo(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x, row += 3) {
      row[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
      row[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
      row[2] = static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) ? 200 : 40);
    }
  }
  return photo;
}

// A smooth gradient with sensor-like noise of up to 6 levels: it compresses like a photo, unlike
// flat colour, and gives filters varied neighbours.
inline Bitmap NoisyGradient(int width, int height, unsigned seed = 12345) {
  Bitmap photo(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x, row += 3) {
      const int base[3] = {40 + 160 * x / width, 60 + 120 * y / height,
                           200 - 150 * (x + y) / (width + height)};
      for (int c = 0; c < 3; ++c) {
        const int noise = static_cast<int>(random() % 13) - 6;
        row[c] = static_cast<std::uint8_t>(std::clamp(base[c] + noise, 0, 255));
      }
    }
  }
  return photo;
}

// Every byte value in every channel, at different places per channel.
inline Bitmap AllByteValues(int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x, row += 3) {
      row[0] = static_cast<std::uint8_t>(x + y);
      row[1] = static_cast<std::uint8_t>(x * 7 + 3 * y);
      row[2] = static_cast<std::uint8_t>(255 - x - 11 * y);
    }
  }
  return bitmap;
}

// Independent random bytes: detail no coder compresses and no filter smooths away.
inline Bitmap RandomPhoto(int width, int height, unsigned seed) {
  Bitmap photo(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = photo.Row(y);
    for (std::size_t i = 0; i < photo.Stride(); ++i) row[i] = static_cast<std::uint8_t>(random());
  }
  return photo;
}

}  // namespace rumora::testing
