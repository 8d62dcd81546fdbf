#pragma once

#include <cstdint>
#include <span>

namespace rumora {

// The Exif Orientation tag's values: how the stored pixels must be turned and mirrored to stand
// upright. 1 means as stored; 2 to 8 are the other seven turns and mirrors.
inline constexpr int kOrientationAsStored = 1;

// The Orientation tag (0x0112) of IFD0 in an Exif APP1 segment's body (the bytes after its
// length field, starting "Exif\0\0"), in either byte order. Every offset and count is checked
// against the body before it is used and nothing outside `segment` is read. A missing tag, a
// damaged segment, or a value outside 1 to 8 gives kOrientationAsStored. Cannot fail.
int ReadExifOrientation(std::span<const std::uint8_t> segment);

// The same for a whole JPEG file: the first Exif APP1 segment among the markers before the first
// scan, or kOrientationAsStored when there is none. Cannot fail.
int JpegExifOrientation(std::span<const std::uint8_t> file);

}  // namespace rumora
