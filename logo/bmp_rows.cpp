#include <algorithm>
#include <cstring>

#include "logo/bmp_pixels.h"

namespace rumora {
namespace {

// The bitmap row that the file's `stored`-th row fills.
int TargetRow(const BmpLayout& layout, int stored) {
  return layout.topDown ? stored : layout.height - 1 - stored;
}

using PaletteTable = std::array<std::array<std::uint8_t, 3>, 256>;

void IndexedRow(const BmpLayout& layout, const PaletteTable& table, const std::uint8_t* in,
                std::uint8_t* out) {
  const int depth = layout.depth;
  const unsigned perByte = 8 / static_cast<unsigned>(depth);
  const unsigned mask = (1u << depth) - 1;
  for (int x = 0; x < layout.width; ++x) {
    const unsigned slot = static_cast<unsigned>(x) % perByte;
    const unsigned shift = 8 - static_cast<unsigned>(depth) * (slot + 1);
    const unsigned index = (in[static_cast<unsigned>(x) / perByte] >> shift) & mask;
    std::memcpy(out + 3 * static_cast<std::size_t>(x), table[index].data(), 3);
  }
}

void MaskedRow(const BmpLayout& layout, const std::uint8_t* in, std::uint8_t* out,
               std::uint8_t* alpha) {
  const ChannelMasks& m = layout.masks;
  const int bytes = layout.depth / 8;
  for (int x = 0; x < layout.width; ++x, in += bytes, out += 3) {
    std::uint32_t pixel = 0;
    for (int b = bytes - 1; b >= 0; --b) pixel = pixel << 8 | in[b];
    out[0] = m.blue.Extract(pixel);
    out[1] = m.green.Extract(pixel);
    out[2] = m.red.Extract(pixel);
    if (alpha != nullptr) alpha[x] = layout.alpha->Extract(pixel);
  }
}

}  // namespace

Bitmap DecodeBmpRows(const BmpLayout& layout, std::span<const std::uint8_t> file,
                     std::vector<std::uint8_t>* alpha) {
  Bitmap picture(layout.width, layout.height);
  const bool withAlpha = alpha != nullptr && layout.alpha && layout.pixels == BmpPixels::Masked;
  if (withAlpha) alpha->assign(static_cast<std::size_t>(layout.width) * layout.height, 0);
  // The palette as 256 entries, so the inner loop needs no bounds check.
  PaletteTable table{};
  for (unsigned i = 0; i < table.size(); ++i) table[i] = PaletteColour(layout, i);
  const std::uint8_t* data = file.data() + layout.pixelOffset;
  for (int stored = 0; stored < layout.height; ++stored) {
    const std::uint8_t* in = data + static_cast<std::size_t>(stored) * layout.rowStride;
    const int target = TargetRow(layout, stored);
    std::uint8_t* out = picture.Row(target);
    switch (layout.pixels) {
      case BmpPixels::Indexed:
        IndexedRow(layout, table, in, out);
        break;
      case BmpPixels::Masked:
        MaskedRow(
            layout, in, out,
            withAlpha ? alpha->data() + static_cast<std::size_t>(target) * layout.width : nullptr);
        break;
      default:
        std::memcpy(out, in, picture.Stride());  // 24-bit rows are stored blue, green, red
        break;
    }
  }
  // Writers that leave the fourth byte unused fill in the mask all the same: an alpha that is 0
  // everywhere would hide the whole logo, so it counts as none.
  if (withAlpha && std::all_of(alpha->begin(), alpha->end(), [](auto a) { return a == 0; })) {
    alpha->clear();
  }
  return picture;
}

}  // namespace rumora
