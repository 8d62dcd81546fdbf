#pragma once

#include <cstdint>
#include <vector>

namespace rumora::test {

// Writes BMP files byte by byte, so a test can state every header field it cares about.
struct BmpBuilder {
  std::uint32_t headerSize = 40;  // 12, 40, 108 or 124
  std::int32_t width = 2;
  std::int32_t height = 2;  // negative for top-down rows
  std::uint16_t planes = 1;
  std::uint16_t depth = 24;
  std::uint32_t compression = 0;
  std::uint32_t coloursUsed = 0;
  std::vector<std::uint32_t> masks;   // after a 40-byte header, or inside a V4/V5 one
  std::vector<std::uint8_t> palette;  // entries as written (3 or 4 bytes each)
  std::vector<std::uint8_t> pixels;   // the pixel data exactly as stored
  std::int64_t pixelOffsetOverride = -1;

  std::vector<std::uint8_t> Build() const {
    std::vector<std::uint8_t> out;
    const auto put = [&out](std::uint64_t value, int bytes) {
      for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    const bool masksAfter = headerSize == 40 && !masks.empty();
    const std::size_t offset =
        14 + headerSize + (masksAfter ? 4 * masks.size() : 0) + palette.size();
    out.push_back('B');
    out.push_back('M');
    put(offset + pixels.size(), 4);
    put(0, 4);
    put(pixelOffsetOverride >= 0 ? static_cast<std::uint64_t>(pixelOffsetOverride) : offset, 4);
    put(headerSize, 4);
    if (headerSize == 12) {
      put(static_cast<std::uint16_t>(width), 2);
      put(static_cast<std::uint16_t>(height), 2);
      put(planes, 2);
      put(depth, 2);
    } else {
      put(static_cast<std::uint32_t>(width), 4);
      put(static_cast<std::uint32_t>(height), 4);
      put(planes, 2);
      put(depth, 2);
      put(compression, 4);
      put(pixels.size(), 4);
      put(2835, 4);
      put(2835, 4);
      put(coloursUsed, 4);
      put(0, 4);
      if (headerSize >= 108) {
        for (std::size_t i = 0; i < 4; ++i) put(i < masks.size() ? masks[i] : 0, 4);
        while (out.size() < 14 + headerSize) out.push_back(0);
      }
    }
    if (masksAfter) {
      for (std::uint32_t m : masks) put(m, 4);
    }
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

}  // namespace rumora::test
