#include "logo/bmp_masks.h"

#include <bit>

#include "imaging/error.h"

namespace rumora {
namespace {

ChannelMask DescribeMask(std::uint32_t mask, int depth, const char* channel) {
  const std::string name(channel);
  if (mask == 0) throw Error("BMP ファイルの" + name + "のビットマスクが空です");
  const int shift = std::countr_zero(mask);
  const int bits = std::countr_one(mask >> shift);
  if (shift + bits != 32 - std::countl_zero(mask)) {
    throw Error("BMP ファイルの" + name + "のビットマスクが連続していません");
  }
  if (depth < 32 && (mask >> depth) != 0) {
    throw Error("BMP ファイルの" + name + "のビットマスクが画素の幅を超えています");
  }
  return {shift, bits};
}

std::uint32_t MaskBits(const ChannelMask& mask) {
  const std::uint32_t run = mask.bits >= 32 ? ~0u : (1u << mask.bits) - 1;
  return run << mask.shift;
}

}  // namespace

std::optional<ChannelMask> UsableAlphaMask(std::uint32_t alpha, const ChannelMasks& colours) {
  if (alpha == 0) return std::nullopt;
  if ((alpha & (MaskBits(colours.red) | MaskBits(colours.green) | MaskBits(colours.blue))) != 0) {
    return std::nullopt;
  }
  const int shift = std::countr_zero(alpha);
  const int bits = std::countr_one(alpha >> shift);
  if (shift + bits != 32 - std::countl_zero(alpha)) return std::nullopt;
  return ChannelMask{shift, bits};
}

std::uint8_t WidenChannel(std::uint32_t value, int bits) {
  if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
  // Repeat the bits until at least 8 are there, then keep the top 8: 0 stays 0, all ones 255.
  std::uint32_t wide = value;
  int have = bits;
  while (have < 8) {
    wide = (wide << bits) | value;
    have += bits;
  }
  return static_cast<std::uint8_t>(wide >> (have - 8));
}

std::uint8_t ChannelMask::Extract(std::uint32_t pixel) const {
  const std::uint32_t value = bits >= 32 ? pixel : (pixel >> shift) & ((1u << bits) - 1);
  return WidenChannel(value, bits);
}

ChannelMasks CheckChannelMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                               int depth) {
  if ((red & green) != 0 || (red & blue) != 0 || (green & blue) != 0) {
    throw Error("BMP ファイルのビットマスクが重なっています");
  }
  return {DescribeMask(red, depth, "赤"), DescribeMask(green, depth, "緑"),
          DescribeMask(blue, depth, "青")};
}

}  // namespace rumora
