#pragma once

#include <cstdint>
#include <vector>

namespace rumora::testing {

// Where ExifSegment's TIFF structure keeps its parts, counted from its byte-order mark.
struct ExifLayout {
  static constexpr int kSignatureBytes = 6;
  static constexpr int kIfd0Offset = 4;         // the 4-byte offset of IFD0
  static constexpr int kIfd0 = 8;               // IFD0's 2-byte entry count
  static constexpr int kOrientationEntry = 22;  // IFD0's second entry: tag, type, count, value
};

inline void PutNumber(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value,
                      int bytes, bool bigEndian) {
  if (out.size() < at + bytes) out.resize(at + bytes);
  for (int i = 0; i < bytes; ++i) {
    out[at + (bigEndian ? bytes - 1 - i : i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// The body of an Exif APP1 segment: IFD0 holds a maker entry and the Orientation tag (SHORT, one
// value), IFD1 the tag again; with `inIfd1Only` IFD0's second entry is another tag.
inline std::vector<std::uint8_t> ExifSegment(int orientation, bool bigEndian,
                                             bool inIfd1Only = false) {
  std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
  const auto put = [&](int at, std::uint32_t value, int bytes) {
    PutNumber(out, ExifLayout::kSignatureBytes + at, value, bytes, bigEndian);
  };
  const auto entry = [&](int at, int tag, int type, std::uint32_t value) {
    put(at, tag, 2), put(at + 2, type, 2), put(at + 4, 1, 4), put(at + 8, value, 2);
  };
  put(0, bigEndian ? 0x4D4D : 0x4949, 2);  // "MM" or "II"
  put(2, 42, 2), put(ExifLayout::kIfd0Offset, ExifLayout::kIfd0, 4), put(ExifLayout::kIfd0, 2, 2);
  entry(10, 0x010F, 2, 0x4241);  // the maker, "AB"
  entry(ExifLayout::kOrientationEntry, inIfd1Only ? 0x0131 : 0x0112, 3, orientation);
  put(34, 38, 4), put(38, 1, 2);  // IFD1 follows
  entry(40, 0x0112, 3, orientation);
  put(52, 0, 4);
  return out;
}

// `jpeg` with `segment` as an APP1 segment right after its start-of-image marker.
inline std::vector<std::uint8_t> WithApp1(std::vector<std::uint8_t> jpeg,
                                          const std::vector<std::uint8_t>& segment) {
  std::vector<std::uint8_t> marker = {0xFF, 0xE1};
  PutNumber(marker, 2, static_cast<std::uint32_t>(segment.size() + 2), 2, true);
  marker.insert(marker.end(), segment.begin(), segment.end());
  jpeg.insert(jpeg.begin() + 2, marker.begin(), marker.end());
  return jpeg;
}

}  // namespace rumora::testing
