#include "app/file_signature.h"

#include <algorithm>
#include <string_view>

namespace rumora {
namespace {

bool HasAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
  return bytes.size() >= offset + text.size() &&
         std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

}  // namespace

std::string PictureFormatOf(std::span<const std::uint8_t> start) {
  if (HasAt(start, 0, "\xFF\xD8\xFF")) return "JPEG";
  if (HasAt(start, 0, "\x89PNG\r\n\x1A\n")) return "PNG";
  if (HasAt(start, 0, "GIF87a") || HasAt(start, 0, "GIF89a")) return "GIF";
  if (HasAt(start, 0, "RIFF") && HasAt(start, 8, "WEBP")) return "WebP";
  if (HasAt(start, 0, "BM")) return "BMP";
  if (HasAt(start, 0, std::string_view("II*\0", 4)) ||
      HasAt(start, 0, std::string_view("MM\0*", 4)))
    return "TIFF";
  // An ISO media file whose brand is one of the HEIF family's.
  if (HasAt(start, 4, "ftyp")) {
    for (const char* brand :
         {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif"}) {
      if (HasAt(start, 8, brand)) return "HEIC/HEIF";
    }
  }
  return std::string();
}

}  // namespace rumora
