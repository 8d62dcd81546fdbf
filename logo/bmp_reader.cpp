#include "logo/bmp_reader.h"

#include <algorithm>
#include <vector>

#include "logo/bmp_layout.h"
#include "logo/bmp_pixels.h"
#include "photo_io/plain_file.h"

namespace rumora {
namespace {

Bitmap DecodeWithLayout(const BmpLayout& layout, std::span<const std::uint8_t> file,
                        std::vector<std::uint8_t>* alpha) {
  if (alpha != nullptr) alpha->clear();
  const bool rle = layout.pixels == BmpPixels::Rle8 || layout.pixels == BmpPixels::Rle4;
  return rle ? DecodeBmpRle(layout, file) : DecodeBmpRows(layout, file, alpha);
}

}  // namespace

Bitmap DecodeBmp(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* alpha) {
  return DecodeWithLayout(ReadBmpLayout(file, file.size()), file, alpha);
}

Bitmap ReadBmpFile(const std::string& path, std::vector<std::uint8_t>* alpha) {
  const OpenedPlainFile file = OpenPlainFile(path);
  return ReadBmpFrom(file.fd.get(), file.size, path, alpha);
}

Bitmap ReadBmpFrom(int fd, std::uint64_t measuredSize, const std::string& path,
                   std::vector<std::uint8_t>* alpha) {
  std::vector<std::uint8_t> bytes;
  ReadAppending(fd, bytes,
                static_cast<std::size_t>(std::min<std::uint64_t>(measuredSize, kBmpLayoutBytes)),
                path);
  BmpLayout layout = ReadBmpLayout(bytes, measuredSize);
  if (layout.usableBytes > bytes.size()) {
    ReadAppending(fd, bytes, layout.usableBytes - bytes.size(), path);
    // The file may have shrunk since it was measured: check again against what was read.
    if (bytes.size() < layout.usableBytes) layout = ReadBmpLayout(bytes, bytes.size());
  }
  return DecodeWithLayout(layout, bytes, alpha);
}

}  // namespace rumora
