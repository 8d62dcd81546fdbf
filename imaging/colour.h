#pragma once

#include <cstdint>

namespace rumora {

// A colour value 0x00BBGGRR, red in the low byte. A value with the top bit set refers to a
// system colour whose index is its low byte (see ResolveColor).
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clSilver = 0xC0C0C0;

// What a pixel read outside a bitmap gives; ResolveColor turns it into black.
constexpr TColor kOutsideBitmap = 0xFFFFFFFF;

constexpr TColor kSystemColourFlag = 0x80000000;

// Packs three channels, each cut to its low 8 bits.
constexpr TColor RGB(int red, int green, int blue) {
  return (static_cast<TColor>(red) & 0xFF) | (static_cast<TColor>(green) & 0xFF) << 8 |
         (static_cast<TColor>(blue) & 0xFF) << 16;
}
constexpr std::uint8_t GetRValue(TColor c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GetGValue(TColor c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t GetBValue(TColor c) { return static_cast<std::uint8_t>(c >> 16); }

// A reference to system colour `index` (0x80000000 | index).
constexpr TColor SystemColour(int index) {
  return kSystemColourFlag | (static_cast<TColor>(index) & 0xFF);
}

// Replaces a system-colour reference by the system colour's RGB value (an unknown index gives
// black); any other value is returned unchanged.
TColor ResolveColor(TColor c);

}  // namespace rumora
