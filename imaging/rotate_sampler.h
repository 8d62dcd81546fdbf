#pragma once

// The pieces of the free rotation that every row kernel shares: the per-pixel arithmetic in
// double precision with its checks, and the extended-precision pixel it falls back on. Only
// the rotation's own files include this.
#include <emmintrin.h>

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/tbmp_data24.h"

namespace rumora::rotation {

// The rotation's arithmetic is the x87 80-bit format: the double path's proofs count its 64
// mantissa bits.
using Extended = long double;
static_assert(LDBL_MANT_DIG == 64, "the free rotation needs 80-bit long double");

inline std::int64_t FloorToInt(float v) {
  const std::int64_t t = _mm_cvttss_si64(_mm_set_ss(v));
  return static_cast<float>(t) > v ? t - 1 : t;
}

inline std::int64_t CeilToInt(float v) {
  const std::int64_t t = _mm_cvttss_si64(_mm_set_ss(v));
  return static_cast<float>(t) < v ? t + 1 : t;
}

// True when v is a whole multiple of 1 / scale (scale a power of two).
inline bool OnGrid(float v, float scale) {
  const float t = v * scale;
  return static_cast<float>(_mm_cvttss_si64(_mm_set_ss(t))) == t;
}

// fx and fy: multiples of 2^-29 (every float from 2^-6 up is one).
inline bool OnFineGrid(float f) { return f >= 0x1p-6f || f == 0 || OnGrid(f, 0x1p29f); }

// The row blends: multiples of 2^-27 (every float from 2^-4 up is one).
inline bool OnBlendGrid(float f) { return f >= 0x1p-4f || f == 0 || OnGrid(f, 0x1p27f); }

// Byte values as doubles, read instead of converted.
inline constexpr auto kByteValue = [] {
  std::array<double, 256> table{};
  for (int i = 0; i < 256; ++i) table[static_cast<std::size_t>(i)] = i;
  return table;
}();

// True when rounding the double `h` to a float might not give the float of the extended value
// that `h` approximates: `h` lies halfway between two floats, or in the denormal float range.
inline bool FloatRoundingUnsure(double h) {
  const auto bits = std::bit_cast<std::uint64_t>(h);
  if ((bits & 0x1FFFFFFFu) == 0x10000000u) return true;
  const auto exponent = (bits >> 52) & 0x7FFu;
  return exponent < 1023 - 126 && h != 0.0;
}

// The destination channel for a final blend: 0 below 0, 255 above 255, else rounded half to
// even.
inline std::uint8_t ChannelFromExtended(Extended v) {
  if (v < 0) return 0;
  if (v > 255) return 255;
  return static_cast<std::uint8_t>(std::lrint(v));
}

// What every destination row reads: the source, its size, the background bytes and the
// per-column mapped positions.
struct Sampler {
  const TBmpData24& source;
  std::int64_t W;
  std::int64_t H;
  std::uint8_t background[3];
  float cosA;
  float sinA;
  std::vector<float> px;      // x + minX, per destination column
  std::vector<double> pxCos;  // px·cos A, exact
  std::vector<double> pxSin;  // px·sin A, exact
  // The photo's pixels, top row first, rows `stride` bytes apart (Bitmap's packed layout).
  const std::uint8_t* pixels = nullptr;
  std::int64_t stride = 0;

  bool Inside(std::int64_t i, std::int64_t j) const { return i >= 0 && i < W && j >= 0 && j < H; }

  // The sampled region: the ceiling point lies in the source rectangle, or else the floor point.
  bool Sampled(float sx, float sy) const {
    return Inside(CeilToInt(sx), CeilToInt(sy)) || Inside(FloorToInt(sx), FloorToInt(sy));
  }

  // P(i, j): the photo's pixel, or the background on the one-pixel frame around it.
  const std::uint8_t* P(std::int64_t i, std::int64_t j) const {
    return Inside(i, j)
               ? source.PixelAddress(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j))
               : background;
  }

  struct Neighbours {
    const std::uint8_t* p00;
    const std::uint8_t* p10;
    const std::uint8_t* p01;
    const std::uint8_t* p11;
  };

  Neighbours Around(std::int64_t ix, std::int64_t iy) const {
    if (ix >= 0 && ix + 1 < W && iy >= 0 && iy + 1 < H) {
      const std::uint8_t* top =
          source.PixelAddress(static_cast<std::int32_t>(ix), static_cast<std::int32_t>(iy));
      const std::uint8_t* bottom =
          source.PixelAddress(static_cast<std::int32_t>(ix), static_cast<std::int32_t>(iy + 1));
      return {top, top + 3, bottom, bottom + 3};
    }
    return {P(ix, iy), P(ix + 1, iy), P(ix, iy + 1), P(ix + 1, iy + 1)};
  }

  // One destination pixel, every value in extended precision: the exact path.
  void PixelExtended(float pxv, float py, std::uint8_t* out) const {
    const auto sx =
        static_cast<float>(static_cast<Extended>(pxv) * cosA + static_cast<Extended>(py) * sinA);
    const auto sy =
        static_cast<float>(-(static_cast<Extended>(pxv) * sinA) + static_cast<Extended>(py) * cosA);
    if (!Sampled(sx, sy)) {
      std::memcpy(out, background, 3);
      return;
    }
    const std::int64_t ix = FloorToInt(sx);
    const std::int64_t iy = FloorToInt(sy);
    const auto fx = static_cast<float>(sx - static_cast<Extended>(ix));
    const auto fy = static_cast<float>(sy - static_cast<Extended>(iy));
    const Neighbours n = Around(ix, iy);
    for (int c = 0; c < 3; ++c) {
      const auto top = static_cast<float>(n.p00[c] * (1.0L - fx) + n.p10[c] * Extended{fx});
      const auto bottom = static_cast<float>(n.p01[c] * (1.0L - fx) + n.p11[c] * Extended{fx});
      out[c] = ChannelFromExtended(top * (1.0L - fy) + bottom * Extended{fy});
    }
  }

  // The same pixel in double precision; false (with `out` unspecified) when double precision
  // cannot vouch for the extended result.
  bool PixelDouble(std::size_t x, double pyCos, double pySin, std::uint8_t* out) const {
    const double hx = pxCos[x] + pySin;
    const double hy = pyCos - pxSin[x];
    if (FloatRoundingUnsure(hx) || FloatRoundingUnsure(hy)) return false;
    const auto sx = static_cast<float>(hx);
    const auto sy = static_cast<float>(hy);
    const std::int64_t ix = FloorToInt(sx);
    const std::int64_t iy = FloorToInt(sy);
    const double dfx = double{sx} - static_cast<double>(ix);
    const double dfy = double{sy} - static_cast<double>(iy);
    // Ceiling point, or else floor point, in the source rectangle.
    if (!Inside(ix + (dfx != 0), iy + (dfy != 0)) && !Inside(ix, iy)) {
      std::memcpy(out, background, 3);
      return true;
    }
    if (FloatRoundingUnsure(dfx) || FloatRoundingUnsure(dfy)) return false;
    const auto fx = static_cast<float>(dfx);
    const auto fy = static_cast<float>(dfy);
    if (!OnFineGrid(fx) || !OnFineGrid(fy)) return false;
    const double wx = 1.0 - fx;
    const double wy = 1.0 - fy;
    const Neighbours n = Around(ix, iy);
    for (int c = 0; c < 3; ++c) {
      const auto top = static_cast<float>(kByteValue[n.p00[c]] * wx + kByteValue[n.p10[c]] * fx);
      const auto bottom = static_cast<float>(kByteValue[n.p01[c]] * wx + kByteValue[n.p11[c]] * fx);
      if (!OnBlendGrid(top) || !OnBlendGrid(bottom)) return false;
      const double v = top * wy + bottom * double{fy};
      // Adding 1.5 * 2^52 rounds to an integer, half to even, in the low bits.
      const double shifted = v + 0x1.8p52;
      const double rounded = shifted - 0x1.8p52;
      if (v - rounded == 0.5 || v - rounded == -0.5) return false;
      const auto n8 = static_cast<std::int32_t>(std::bit_cast<std::uint64_t>(shifted));
      out[c] = static_cast<std::uint8_t>(n8 < 0 ? 0 : n8 > 255 ? 255 : n8);
    }
    return true;
  }

  // One pixel by the double path, or by the exact path where double cannot vouch for it;
  // returns 1 when the exact path was taken.
  std::size_t Pixel(std::size_t x, float py, double pyCos, double pySin, std::uint8_t* out) const {
    if (PixelDouble(x, pyCos, pySin, out)) return 0;
    PixelExtended(px[x], py, out);
    return 1;
  }
};

// Columns begin..end - 1 of one destination row (`row` is the row's first byte); each returns
// how many of them took the exact path. The baseline goes pixel by pixel with SSE2 only; the
// AVX2 kernel (rotate_row_avx2.cpp) takes eight pixels at a time where every check passes.
using RowKernel = std::size_t (*)(const Sampler& sampler, float py, std::size_t begin,
                                  std::size_t end, std::uint8_t* row);
std::size_t RotateRowBaseline(const Sampler& sampler, float py, std::size_t begin, std::size_t end,
                              std::uint8_t* row);
std::size_t RotateRowAvx2(const Sampler& sampler, float py, std::size_t begin, std::size_t end,
                          std::uint8_t* row);

}  // namespace rumora::rotation
