// libFuzzer target for the BMP reader: any bytes either decode to a picture of the size the
// headers give or are refused with Error; nothing else may happen (no crash, no leak, no
// read outside the input, no time beyond the input's and the picture's size).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "imaging/error.h"
#include "logo/bmp_layout.h"
#include "logo/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  try {
    const rumora::BmpLayout layout = rumora::ReadBmpLayout(file, size);
    const rumora::Bitmap picture = rumora::DecodeBmp(file);
    if (picture.Width() != layout.width || picture.Height() != layout.height ||
        picture.Width() * static_cast<std::int64_t>(picture.Height()) > rumora::kMaxLogoPixels) {
      std::abort();
    }
  } catch (const rumora::Error&) {
    // Refused: the expected outcome for most inputs.
  }
  return 0;
}
