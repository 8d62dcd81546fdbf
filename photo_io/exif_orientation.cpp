#include "photo_io/exif_orientation.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace rumora {
namespace {

constexpr std::array<std::uint8_t, 6> kExifSignature{'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntryBytes = 12;

// The TIFF structure after the signature, read in its own byte order. Every read checks its
// bounds and gives nothing outside them.
class TiffReader {
 public:
  explicit TiffReader(std::span<const std::uint8_t> tiff) : tiff_(tiff) {}

  // Reads the byte-order mark and the magic number 42; false when they are not there.
  bool ReadHeader() {
    if (tiff_.size() < 8) return false;
    if (tiff_[0] == 'I' && tiff_[1] == 'I') {
      bigEndian_ = false;
    } else if (tiff_[0] == 'M' && tiff_[1] == 'M') {
      bigEndian_ = true;
    } else {
      return false;
    }
    return Read(2, 2) == 42;
  }

  // The unsigned `bytes`-byte number at `offset`, or -1 when it lies outside the structure.
  std::int64_t Read(std::uint64_t offset, int bytes) const {
    if (offset > tiff_.size() || tiff_.size() - offset < static_cast<std::size_t>(bytes)) {
      return -1;
    }
    std::int64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
      const std::uint8_t byte = tiff_[offset + (bigEndian_ ? i : bytes - 1 - i)];
      value = value << 8 | byte;
    }
    return value;
  }

 private:
  std::span<const std::uint8_t> tiff_;
  bool bigEndian_ = false;
};

}  // namespace

int ReadExifOrientation(std::span<const std::uint8_t> segment) {
  if (segment.size() < kExifSignature.size() ||
      !std::equal(kExifSignature.begin(), kExifSignature.end(), segment.begin())) {
    return kOrientationAsStored;
  }
  TiffReader tiff(segment.subspan(kExifSignature.size()));
  if (!tiff.ReadHeader()) return kOrientationAsStored;
  const std::int64_t ifd0 = tiff.Read(4, 4);
  const std::int64_t entries = ifd0 < 0 ? -1 : tiff.Read(ifd0, 2);
  // A directory that claims more entries than the segment holds is damaged as a whole.
  if (entries < 0 || tiff.Read(ifd0 + 1 + entries * kEntryBytes, 1) < 0) {
    return kOrientationAsStored;
  }
  for (std::int64_t i = 0; i < entries; ++i) {
    const std::int64_t entry = ifd0 + 2 + i * kEntryBytes;
    if (tiff.Read(entry, 2) != kOrientationTag) continue;
    if (tiff.Read(entry + 2, 2) != kShortType || tiff.Read(entry + 4, 4) != 1) break;
    const std::int64_t value = tiff.Read(entry + 8, 2);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : kOrientationAsStored;
  }
  return kOrientationAsStored;
}

int JpegExifOrientation(std::span<const std::uint8_t> file) {
  constexpr std::uint8_t kApp1 = 0xE1, kStartOfScan = 0xDA, kEndOfImage = 0xD9;
  if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) return kOrientationAsStored;
  std::size_t at = 2;
  while (at + 1 < file.size() && file[at] == 0xFF) {
    const std::uint8_t marker = file[at + 1];
    if (marker == 0xFF) {  // a fill byte before the marker
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) break;
    at += 2;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
    if (file.size() - at < 2) break;
    const std::size_t length = std::size_t{file[at]} << 8 | file[at + 1];
    if (length < 2 || file.size() - at < length) break;
    const auto body = file.subspan(at + 2, length - 2);
    if (marker == kApp1 && body.size() >= kExifSignature.size() &&
        std::equal(kExifSignature.begin(), kExifSignature.end(), body.begin())) {
      return ReadExifOrientation(body);
    }
    at += length;
  }
  return kOrientationAsStored;
}

}  // namespace rumora
