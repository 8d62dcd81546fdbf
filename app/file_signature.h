#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rumora {

// The picture format a file's first bytes announce, when it is one a photo or logo is often
// mistaken for: "JPEG", "PNG", "HEIC/HEIF", "AVIF", "WebP", "GIF", "BMP" or "TIFF"; empty for
// anything else. kSignatureBytes are enough to tell them apart (a HEIF file's brands may come
// late in its first box).
std::string PictureFormatOf(std::span<const std::uint8_t> start);

inline constexpr std::size_t kSignatureBytes = 256;

}  // namespace rumora
