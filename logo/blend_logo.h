#pragma once

#include <cstdint>

#include "imaging/bitmap.h"

namespace rumora {

// Mixes `logo` into `output` with the logo's top-left corner at (left, top), in place. A logo
// pixel of exactly (255, 255, 255) leaves the output pixel alone; every other channel becomes
// the rounded value of (1 - t) * u + t * l, computed in 80-bit extended precision with each step
// rounded to the 64-bit significand and the sum rounded to an integer half to even, of which the
// low 8 bits are kept. Only the part of the logo that lies on the output is visited, so any
// place, however far outside, is safe and costs no more than the visible part.
void BlendLogo(Bitmap& output, const Bitmap& logo, std::int32_t left, std::int32_t top, double t);

// One channel of the blend, as BlendLogo computes it: the reference for its tables.
std::uint8_t BlendChannel(std::uint8_t u, std::uint8_t l, double t);

}  // namespace rumora
