#include <algorithm>
#include <cstring>

#include "logo/bmp_pixels.h"

namespace rumora {
namespace {

// Writes run-length coded indices into the picture, bottom row first as the stream orders them.
class RleCursor {
 public:
  RleCursor(const BmpLayout& layout, Bitmap& picture) : layout_(layout), picture_(picture) {}

  bool InPicture() const { return y_ < layout_.height; }
  // How many of the next `count` pixels of the current row lie inside the picture.
  int Room(int count) const {
    if (!InPicture() || x_ >= layout_.width) return 0;
    return std::min(count, layout_.width - x_);
  }
  // Paints the next pixel (the caller has checked Room) and steps right.
  void Put(unsigned index) {
    const auto colour = PaletteColour(layout_, index);
    std::memcpy(picture_.Row(layout_.height - 1 - y_) + 3 * static_cast<std::size_t>(x_),
                colour.data(), 3);
    ++x_;
  }
  void Skip(int count) {
    x_ = static_cast<int>(std::min<std::int64_t>(std::int64_t{x_} + count, layout_.width));
  }
  void EndOfLine() {
    x_ = 0;
    ++y_;
  }
  void Delta(int dx, int dy) {
    Skip(dx);
    y_ = static_cast<int>(std::min<std::int64_t>(std::int64_t{y_} + dy, layout_.height));
  }

 private:
  const BmpLayout& layout_;
  Bitmap& picture_;
  int x_ = 0;
  int y_ = 0;  // stored row, 0 at the bottom
};

}  // namespace

Bitmap DecodeBmpRle(const BmpLayout& layout, std::span<const std::uint8_t> file) {
  Bitmap picture(layout.width, layout.height);
  const auto background = PaletteColour(layout, 0);
  picture.Fill(RGB(background[2], background[1], background[0]));

  const bool four = layout.pixels == BmpPixels::Rle4;
  const std::uint8_t* const data = file.data();
  const std::size_t end = std::min(layout.usableBytes, file.size());
  std::size_t at = layout.pixelOffset;
  RleCursor cursor(layout, picture);
  while (end - at >= 2 && cursor.InPicture()) {
    const int count = data[at];
    const unsigned value = data[at + 1];
    at += 2;
    if (count > 0) {
      // Encoded run: one index (RLE8) or two alternating ones (RLE4) repeated.
      const int room = cursor.Room(count);
      for (int i = 0; i < room; ++i) {
        cursor.Put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
      }
      cursor.Skip(count - room);
    } else if (value == 0) {
      cursor.EndOfLine();
    } else if (value == 1) {
      break;  // end of bitmap
    } else if (value == 2) {
      if (end - at < 2) break;
      cursor.Delta(data[at], data[at + 1]);
      at += 2;
    } else {
      // Absolute run of `value` indices, padded to a 16-bit boundary; a cut one ends the data.
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      const std::size_t taken = std::min(bytes, end - at);
      const int pixels = static_cast<int>(four ? std::min<std::size_t>(value, 2 * taken) : taken);
      const std::uint8_t* run = data + at;
      const int room = cursor.Room(pixels);
      for (int i = 0; i < room; ++i) {
        cursor.Put(four ? (i % 2 == 0 ? run[i / 2] >> 4 : run[i / 2] & 15) : run[i]);
      }
      cursor.Skip(pixels - room);
      if (taken < bytes) break;
      at += std::min(bytes + (bytes & 1), end - at);
    }
  }
  return picture;
}

}  // namespace rumora
