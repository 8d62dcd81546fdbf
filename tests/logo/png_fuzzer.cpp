// libFuzzer target for the PNG reader: any bytes decode to a logo within the limits or throw Error.
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
    if (pixels <= 0 || pixels > rumora::kMaxLogoPixels || logo.Width() > 16384 ||
        (logo.HasAlpha() && std::ssize(logo.alpha) != pixels))
      std::abort();
  } catch (const rumora::Error&) {
    // Refused: the expected outcome for most inputs.
  }
  return 0;
}
