#pragma once

#include <cstdint>

#include "imaging/bitmap.h"
#include "layout/output_size.h"
#include "logo/logo_picture.h"

namespace rumora {

// Stamps `logo` onto `output` (a picture of `size`) as the logo's paste does: its top-left corner
// at the design place (viewLeft, viewTop), the place the logo frame shows in the 600x450 view,
// with the weight bar's position `transparency` (held to 0..100) as p = transparency / 100.
// - At 600x450 the image lands at the place itself; at 1200x900 at twice the place, either the
//   double-size image at its own size or, without one, the image with every pixel covering 2x2.
// - A logo without alpha mixes like BlendLogo: pure white is see-through, every other channel
//   becomes the extended-precision (1 - p) u + p l. This is BlendLogo itself for the image at
//   600x450, so the bytes are the same.
// - A logo with alpha mixes each pixel with weight p a, a = alpha / 255: the exact value of
//   u (1 - p a) + l p a rounded to the nearest integer, halves to even, except that an opaque
//   pixel takes the channel of the blend without alpha (white included), so an opaque logo gives
//   the same bytes as a file without alpha that has no white.
// Only the part on the picture is visited, so any place is safe. Cannot fail.
void StampLogo(Bitmap& output, const LogoPicture& logo, std::int32_t viewLeft, std::int32_t viewTop,
               int transparency, OutputSize size);

}  // namespace rumora
