// libFuzzer target for the Exif orientation reader: any bytes, taken both as a whole JPEG file
// and as an APP1 segment's body, give an orientation from 1 to 8; nothing else may happen (no
// crash, no read outside the input).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "photo_io/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  for (const int orientation :
       {rumora::JpegExifOrientation(bytes), rumora::ReadExifOrientation(bytes)}) {
    if (orientation < 1 || orientation > 8) std::abort();
  }
  return 0;
}
