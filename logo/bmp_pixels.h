#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/bitmap.h"
#include "logo/bmp_layout.h"

namespace rumora {

// The picture of an uncompressed BMP (indexed, masked or 24-bit) whose layout has been read;
// `file` holds at least layout.usableBytes bytes. Indices past the palette give black. With
// `alpha` and an alpha mask in the layout, the alpha values go there (one byte a pixel, rows top
// first), widened as the colours are.
Bitmap DecodeBmpRows(const BmpLayout& layout, std::span<const std::uint8_t> file,
                     std::vector<std::uint8_t>* alpha = nullptr);

// The picture of an RLE8 or RLE4 BMP. Decoding stops at the end-of-bitmap mark or the end of the
// data, whichever comes first; runs are clipped to the picture; pixels the stream never writes
// take palette entry 0 (black with no palette). Costs time in proportion to the data and the
// picture.
Bitmap DecodeBmpRle(const BmpLayout& layout, std::span<const std::uint8_t> file);

// The palette entry `index` as blue, green, red; black past the palette's end.
inline std::array<std::uint8_t, 3> PaletteColour(const BmpLayout& layout, unsigned index) {
  if (index < layout.palette.size()) return layout.palette[index];
  return {0, 0, 0};
}

}  // namespace rumora
