#include "app/file_signature.h"

#include <algorithm>
#include <string_view>

#include "photo_io/heif_reader.h"

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
  // An ISO media file whose brands are the HEIF family's.
  switch (HeifKindOf(start)) {
    case HeifKind::kAvif:
      return "AVIF";
    case HeifKind::kHevc:
    case HeifKind::kOther:
      return "HEIC/HEIF";
    case HeifKind::kNone:
      break;
  }
  return std::string();
}

}  // namespace rumora
