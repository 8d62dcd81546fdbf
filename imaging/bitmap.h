#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/colour.h"
#include "imaging/pixel_storage.h"

namespace rumora {

// A 24-bit raster: Width x Height pixels, three bytes each in blue, green, red order, rows
// packed top row first (Stride() = 3 * Width()). Copying a Bitmap copies its pixels. Large
// bitmaps live in huge-page-backed memory (see PixelStorage).
class Bitmap {
 public:
  // The largest number of pixels one bitmap may hold (3 GB of pixel data).
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 30;

  Bitmap() = default;
  // Pixel contents are unspecified; throws Error when the size is negative or too large.
  Bitmap(int width, int height);
  // A bitmap filled with one colour.
  static Bitmap Filled(int width, int height, TColor colour);

  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;
  ~Bitmap() = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::size_t Stride() const { return static_cast<std::size_t>(width_) * 3; }
  std::size_t SizeInBytes() const { return Stride() * static_cast<std::size_t>(height_); }
  // The memory the pixels really take: SizeInBytes, or more for a large bitmap (whole pages; see
  // PixelStorage). What a memory budget counts.
  std::size_t HeldBytes() const { return data_.HeldBytes(); }

  std::uint8_t* Row(int y) { return data_.get() + static_cast<std::size_t>(y) * Stride(); }
  const std::uint8_t* Row(int y) const {
    return data_.get() + static_cast<std::size_t>(y) * Stride();
  }
  std::uint8_t* Data() { return data_.get(); }
  const std::uint8_t* Data() const { return data_.get(); }

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // The pixel's colour value; kOutsideBitmap for a point outside the bitmap.
  TColor Pixel(int x, int y) const;
  // Writes ResolveColor(colour); a point outside the bitmap is ignored.
  void SetPixel(int x, int y, TColor colour);

  void Fill(TColor colour);

  // Gives the bitmap a new size. The pixels that lie inside both the old and the new size keep
  // their colour; new pixels are white.
  void SetSize(int width, int height);

 private:
  int width_ = 0;
  int height_ = 0;
  PixelStorage data_;
};

// Throws Error unless width x height pixels can be held in one bitmap.
void CheckBitmapSize(std::int64_t width, std::int64_t height);

}  // namespace rumora
