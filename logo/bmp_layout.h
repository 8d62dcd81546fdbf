#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "logo/bmp_masks.h"

namespace rumora {

// The most pixels a logo file may hold (64 megapixels): far above any logo, far below a size
// whose pixels would strain the memory.
inline constexpr std::int64_t kMaxLogoPixels = std::int64_t{64} << 20;

// The headers and palette of a BMP file are never longer than this; a reader that has this many
// bytes of the file (or the whole of a shorter one) has all ReadBmpLayout needs.
inline constexpr std::size_t kBmpLayoutBytes = 14 + 124 + 12 + 256 * 4;

enum class BmpPixels {
  Indexed,  // 1, 4 or 8 bits per pixel through the palette
  Rle8,     // run-length coded 8-bit indices
  Rle4,     // run-length coded 4-bit indices
  Masked,   // 16 or 32 bits per pixel split by channel masks
  Bgr24,    // three bytes per pixel
};

// What the headers of a BMP file say about its pixels, checked against the file's size.
struct BmpLayout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int depth = 0;
  BmpPixels pixels = BmpPixels::Bgr24;
  std::vector<std::array<std::uint8_t, 3>> palette;  // blue, green, red
  ChannelMasks masks;
  // The alpha channel of a 32-bit file whose V4 or V5 header gives a usable alpha mask.
  std::optional<ChannelMask> alpha;
  std::size_t pixelOffset = 0;
  std::size_t rowStride = 0;  // bytes per stored row of uncompressed pixels
  // How many bytes from the file's start decoding can use: the whole pixel data of an
  // uncompressed file, and for run-length data no more than an honest stream of this picture
  // could take (or the file's end).
  std::size_t usableBytes = 0;
};

// Reads the file header, the info header (Windows 3.x, V4, V5 or OS/2 core) and the palette
// from `head`, the first bytes of a file of `fileSize` bytes (at least min(fileSize,
// kBmpLayoutBytes) of them). Throws Error for what is not a BMP file this reader takes: another
// signature or header, an unknown depth or compression, a size of zero or above
// kMaxLogoPixels, a palette or pixel offset outside the file, uncompressed pixel data shorter
// than the picture needs, bad channel masks.
BmpLayout ReadBmpLayout(std::span<const std::uint8_t> head, std::uint64_t fileSize);

}  // namespace rumora
