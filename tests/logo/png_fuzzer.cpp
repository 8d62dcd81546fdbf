// libFuzzer target for the PNG reader: any bytes either decode to a logo within the size limits,
// its alpha one byte a pixel when it has any, or are refused with Error; nothing else may happen
// (no crash, no leak, no read outside the input, no time beyond the input's and the picture's
// size).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "imaging/error.h"
#include "logo/bmp_layout.h"
#include "logo/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const rumora::LogoImage logo = rumora::DecodePng(std::span<const std::uint8_t>(data, size));
    const std::int64_t pixels = std::int64_t{logo.Width()} * logo.Height();
    if (pixels <= 0 || pixels > rumora::kMaxLogoPixels ||
        logo.Width() > static_cast<int>(rumora::kMaxPngLogoSide) ||
        (logo.HasAlpha() && logo.alpha.size() != static_cast<std::size_t>(pixels))) {
      std::abort();
    }
  } catch (const rumora::Error&) {
    // Refused: the expected outcome for most inputs.
  }
  return 0;
}
