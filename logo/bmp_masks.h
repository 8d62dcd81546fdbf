#pragma once

#include <cstdint>
#include <optional>

namespace rumora {

// One colour channel of a 16- or 32-bit BMP pixel: a run of `bits` set bits starting at `shift`.
struct ChannelMask {
  int shift = 0;
  int bits = 0;

  // The channel's value in `pixel`, widened to 0..255 over the full range: fewer than 8 bits are
  // repeated (5-bit 31 becomes 255), more than 8 keep their top 8.
  std::uint8_t Extract(std::uint32_t pixel) const;
};

// The red, green and blue masks of a BMP pixel, checked.
struct ChannelMasks {
  ChannelMask red, green, blue;
};

// Checks the three masks of a `depth`-bit pixel (16 or 32) and describes them. Throws Error when a
// mask is zero, not one contiguous run of bits, reaches past the pixel's bits, or overlaps
// another.
ChannelMasks CheckChannelMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                               int depth);

// The alpha mask of a 32-bit pixel whose colours `colours` describes, when it is one run of bits
// that no colour mask touches; nothing otherwise (0, scattered or overlapping: no alpha).
std::optional<ChannelMask> UsableAlphaMask(std::uint32_t alpha, const ChannelMasks& colours);

// Widens a `bits`-bit value (1..32) to 8 bits as ChannelMask::Extract does.
std::uint8_t WidenChannel(std::uint32_t value, int bits);

}  // namespace rumora
