#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rumora {

// The picture format a file's first bytes announce, when it is one a photo or logo is often
// mistaken for: "JPEG", "PNG", "HEIC/HEIF", "WebP", "GIF", "BMP" or "TIFF"; empty for anything
// else. Sixteen bytes are enough to tell them apart.
std::string PictureFormatOf(std::span<const std::uint8_t> start);

inline constexpr std::size_t kSignatureBytes = 16;

}  // namespace rumora
