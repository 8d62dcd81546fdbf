#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "logo/logo_image.h"

namespace rumora {

// The version of the PNG library the program runs with ("1.6.39").
const char* PngLibraryVersion();

// The first bytes of every PNG file.
inline constexpr std::size_t kPngSignatureBytes = 8;
bool IsPngSignature(std::span<const std::uint8_t> start);

// The most a PNG logo may have on a side. A logo larger than the picture is shrunk to fit it, so
// the bound lies far above the picture; kMaxLogoPixels bounds the whole.
inline constexpr std::uint32_t kMaxPngLogoSide = 16384;

// The pixels of a PNG file: every colour type and bit depth as 8-bit colours (16-bit samples
// rounded to the nearest 8-bit value, fewer bits spread over 0..255), interlaced or not, with
// alpha when the file has an alpha channel or a tRNS chunk. Text, colour-space and other
// ancillary chunks are skipped unread (the pixels are taken as sRGB). Throws Error for what is
// not a PNG file, is damaged or cut short, or has a side above kMaxPngLogoSide or more than
// kMaxLogoPixels pixels (refused from its header, before its pixels are read).
LogoImage DecodePng(std::span<const std::uint8_t> file);

// Reads and decodes the PNG file at `path` as it comes, never holding more of it than the
// library's buffers. Throws Error as DecodePng, and when the file cannot be opened or read or is
// not a plain file (the system's reason as its SystemCode()).
LogoImage ReadPngFile(const std::string& path);

}  // namespace rumora
