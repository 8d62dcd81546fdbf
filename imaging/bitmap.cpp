#include "imaging/bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "imaging/error.h"

namespace rumora {
namespace {

PixelStorage AllocatePixels(int width, int height) {
  CheckBitmapSize(width, height);
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (bytes == 0) return PixelStorage();
  try {
    return PixelStorage(bytes);
  } catch (const std::bad_alloc&) {
    throw Error("画像のメモリを確保できません (" + std::to_string(width) + "×" +
                std::to_string(height) + ")");
  }
}

}  // namespace

void CheckBitmapSize(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0) throw Error("画像の大きさが正しくありません");
  if (width > 0 && height > Bitmap::kMaxPixels / width) {
    throw Error("画像が大きすぎます (" + std::to_string(width) + "×" + std::to_string(height) +
                ")");
  }
}

Bitmap::Bitmap(int width, int height)
    : width_(width), height_(height), data_(AllocatePixels(width, height)) {}

Bitmap Bitmap::Filled(int width, int height, TColor colour) {
  Bitmap bitmap(width, height);
  bitmap.Fill(colour);
  return bitmap;
}

Bitmap::Bitmap(const Bitmap& other) : Bitmap(other.width_, other.height_) {
  if (other.data_) std::memcpy(data_.get(), other.data_.get(), other.SizeInBytes());
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) *this = Bitmap(other);
  return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      data_(std::move(other.data_)) {}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  data_ = std::move(other.data_);
  return *this;
}

TColor Bitmap::Pixel(int x, int y) const {
  if (!Contains(x, y)) return kOutsideBitmap;
  const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
  return RGB(p[2], p[1], p[0]);
}

void Bitmap::SetPixel(int x, int y, TColor colour) {
  if (!Contains(x, y)) return;
  const TColor c = ResolveColor(colour);
  std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
  p[0] = GetBValue(c);
  p[1] = GetGValue(c);
  p[2] = GetRValue(c);
}

void Bitmap::Fill(TColor colour) {
  if (Empty()) return;
  const TColor c = ResolveColor(colour);
  const std::uint8_t b = GetBValue(c), g = GetGValue(c), r = GetRValue(c);
  std::uint8_t* first = Row(0);
  for (int x = 0; x < width_; ++x) {
    first[3 * x] = b;
    first[3 * x + 1] = g;
    first[3 * x + 2] = r;
  }
  for (int y = 1; y < height_; ++y) std::memcpy(Row(y), first, Stride());
}

void Bitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  Bitmap resized = Filled(width, height, clWhite);
  const int keepWidth = std::min(width, width_);
  const int keepHeight = std::min(height, height_);
  for (int y = 0; y < keepHeight; ++y) {
    std::memcpy(resized.Row(y), Row(y), static_cast<std::size_t>(keepWidth) * 3);
  }
  *this = std::move(resized);
}

}  // namespace rumora
