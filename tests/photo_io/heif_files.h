#pragma once

// HEIC files made through the HEIF library's encoder (HEVC by x265), for the tests and the
// benchmarks. Any failure aborts: these build fixtures, they test nothing.

#include <libheif/heif.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/bitmap.h"

namespace rumora::testing {

struct HeicRecipe {
  int quality = 92;
  int bitDepth = 8;                     // 8, or 10 (the 8-bit samples scaled up)
  std::vector<std::uint8_t> alpha{};    // one byte per pixel, or none
  int orientation = 1;                  // as Exif numbers it: written as irot and imir boxes
  std::vector<std::uint8_t> profile{};  // an ICC profile, or none
  const char* preset = "fast";          // x265's speed preset
  const char* chroma = "444";           // or "420": an odd size is then coded as a grid of one tile
  int nclxPrimaries = 0;                // coded colours' primaries (H.273), with sRGB's curve
};

// `picture` (blue, green, red) as a HEIC file.
inline std::vector<std::uint8_t> EncodeHeic(const Bitmap& picture, const HeicRecipe& recipe = {}) {
  const auto check = [](heif_error error) {
    if (error.code != heif_error_Ok) std::abort();
  };
  const bool alpha = !recipe.alpha.empty();
  const bool deep = recipe.bitDepth > 8;
  const heif_chroma chroma =
      deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
           : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* image = nullptr;
  check(heif_image_create(picture.Width(), picture.Height(), heif_colorspace_RGB, chroma, &image));
  check(heif_image_add_plane(image, heif_channel_interleaved, picture.Width(), picture.Height(),
                             recipe.bitDepth));
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  const int channels = alpha ? 4 : 3;
  const std::uint32_t maximum = (1u << recipe.bitDepth) - 1;
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x, in += 3) {
      std::uint32_t samples[4] = {in[2], in[1], in[0], 255};
      if (alpha) samples[3] = recipe.alpha[std::size_t(y) * picture.Width() + x];
      for (int c = 0; c < channels; ++c) {
        const std::uint32_t v = (samples[c] * maximum + 127) / 255;
        const std::size_t at =
            std::size_t(y) * stride + std::size_t(x * channels + c) * (deep ? 2 : 1);
        plane[at] = static_cast<std::uint8_t>(v);
        if (deep) plane[at + 1] = static_cast<std::uint8_t>(v >> 8);
      }
    }
  }
  if (!recipe.profile.empty()) {
    check(heif_image_set_raw_color_profile(image, "prof", recipe.profile.data(),
                                           recipe.profile.size()));
  }
  if (recipe.nclxPrimaries != 0) {
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    check(heif_nclx_color_profile_set_color_primaries(nclx, recipe.nclxPrimaries));
    check(heif_nclx_color_profile_set_transfer_characteristics(nclx, 13));
    check(heif_nclx_color_profile_set_matrix_coefficients(nclx, 6));
    nclx->full_range_flag = 1;
    check(heif_image_set_nclx_color_profile(image, nclx));
    heif_nclx_color_profile_free(nclx);
  }
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  check(heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder));
  check(heif_encoder_set_lossy_quality(encoder, recipe.quality));
  check(heif_encoder_set_parameter(encoder, "chroma", recipe.chroma));
  check(heif_encoder_set_parameter(encoder, "preset", recipe.preset));
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(recipe.orientation);
  options->macOS_compatibility_workaround_no_nclx_profile = recipe.nclxPrimaries == 0;
  check(heif_context_encode_image(context, image, encoder, options, nullptr));
  heif_encoding_options_free(options);
  heif_encoder_release(encoder);
  heif_image_release(image);
  std::vector<std::uint8_t> bytes;
  heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* out) {
                       auto* into = static_cast<std::vector<std::uint8_t>*>(out);
                       const auto* begin = static_cast<const std::uint8_t*>(data);
                       into->insert(into->end(), begin, begin + size);
                       return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                     }};
  check(heif_context_write(context, &writer, &bytes));
  heif_context_free(context);
  return bytes;
}

}  // namespace rumora::testing
