// libFuzzer target for our HEIF reading: any bytes are told apart by their brands, opened, their
// colour profile planned and, up to a few megapixels, decoded and converted; what fails must
// fail as our Error, and nothing else may happen (no crash, no leak, no read outside the input).
// With an argument of a folder instead of a fuzzing run (heif_fuzzer --seeds FOLDER), writes the
// seed files: small HEIC photos made by the library's encoder.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <span>
#include <string>

#include "imaging/error.h"
#include "photo_io/colour_profile.h"
#include "photo_io/heif_reader.h"
#include "tests/photo_io/colour_profiles.h"
#include "tests/photo_io/heif_files.h"
#include "tests/synthetic_photos.h"

namespace {

// Larger claims are opened but not decoded: decoding garbage of that size only takes time.
constexpr std::int64_t kMostPixelsDecoded = 4'000'000;

void WriteSeeds(const std::string& folder) {
  using rumora::testing::EncodeHeic;
  const rumora::Bitmap photo = rumora::testing::PatternPhoto(64, 48);
  std::vector<std::uint8_t> alpha(64 * 48);
  for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<std::uint8_t>(i * 5);
  const struct {
    const char* name;
    rumora::testing::HeicRecipe recipe;
  } kSeeds[] = {{"photo.heic", {}},
                {"turned.heic", {.orientation = 6}},
                {"deep_alpha.heic", {.bitDepth = 10, .alpha = alpha}},
                {"grid.heic", {.chroma = "420"}},
                {"p3.heic", {.profile = rumora::testing::DisplayP3Profile()}},
                {"coded_p3.heic", {.nclxPrimaries = 12}}};
  for (const auto& [name, recipe] : kSeeds) {
    const rumora::Bitmap picture =
        std::strcmp(name, "grid.heic") == 0 ? rumora::testing::PatternPhoto(63, 47) : photo;
    const std::vector<std::uint8_t> bytes = EncodeHeic(picture, recipe);
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (*argc == 3 && std::strcmp((*argv)[1], "--seeds") == 0) {
    WriteSeeds((*argv)[2]);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  rumora::HeifKindOf(bytes);
  try {
    rumora::HeifDecoder decoder;
    decoder.OpenMemory(bytes, true);
    rumora::SrgbConversionPlan plan = rumora::PlanSrgbConversion(decoder.IccProfile());
    if (decoder.Colours()) plan = rumora::PlanSrgbConversion(*decoder.Colours());
    if (std::int64_t{decoder.Width()} * decoder.Height() <= kMostPixelsDecoded) {
      const rumora::Bitmap photo = decoder.Decode(plan.conversion.get());
      if (photo.Empty()) std::abort();
    }
  } catch (const rumora::Error&) {
    // Refused as it should be.
  }
  return 0;
}
