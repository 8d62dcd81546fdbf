#pragma once

#include <cstdint>

#include "imaging/bitmap.h"
#include "imaging/colour.h"

namespace rumora {

// The size of the picture RotateBitmap makes from a width x height bitmap turned by `angle`.
struct RotatedSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};
RotatedSize RotatedBitmapSize(std::int32_t width, std::int32_t height, float angle);

// Turns the picture by `angle` degrees (positive: clockwise on the screen) about its top-left
// corner onto a new bitmap just large enough for the whole turned picture, sampled bilinearly;
// the uncovered corners take `background`, and the picture's edges blend into it across one
// pixel. Every value is that of 80-bit extended arithmetic (rounded to a 32-bit float where the
// rotation holds one: sine, cosine, corners, mapped positions, their fractions and the two row
// blends), so the bytes do not depend on the processor's vector width or on the number of
// cores. Throws Error, leaving `bitmap` as it was, when the result cannot be allocated.
void RotateBitmap(Bitmap& bitmap, TColor background, float angle);
// The same turn as a new bitmap; `bitmap` is only read, and kept.
Bitmap RotatedBitmap(const Bitmap& bitmap, TColor background, float angle);

// The row kernels RotateBitmap chooses from: SSE2 on every x86-64 processor, and AVX2 where the
// processor has it (the widest is used). Both give the same bytes; tests run each.
enum class RotationKernel { kBaseline, kAvx2 };
bool RotationKernelAvailable(RotationKernel kernel);
// The widest kernel this processor can run: the one RotateBitmap uses.
RotationKernel WidestRotationKernel();
// RotateBitmap with the given kernel (the baseline when that one is not available). Most pixels
// are computed in double precision where that provably gives the same bytes; the rest take the
// exact extended-precision path, and `exactSamples`, when given, receives how many did.
void RotateBitmapWith(Bitmap& bitmap, TColor background, float angle, RotationKernel kernel,
                      std::int64_t* exactSamples = nullptr);

}  // namespace rumora
