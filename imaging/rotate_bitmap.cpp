// Free rotation by inverse mapping. The prescribed arithmetic is 80-bit extended with some
// values held as 32-bit floats; x87 code for every pixel is slow, so each pixel is computed in
// double precision where that provably gives the same float (or the same rounded byte), and in
// extended precision where it might not. Why double is enough:
// - px·cos and the like multiply two floats: exact in double as in extended. Their sum is
//   rounded once in either format, and both roundings then round to a float. The two results
//   can only differ when the double sum lies exactly halfway between two floats, so such
//   pixels (and sums in the denormal float range) take the extended path.
// - With fx a multiple of 2^-29, P·(1 - fx) + P'·fx is exact in double and in extended, so its
//   float is the same.
// - With fy a multiple of 2^-29 and the two row blends multiples of 2^-27, the final blend is
//   exact in extended and rounded once in double; rounding that to an integer can only differ
//   when the double lies exactly on a half, which again takes the extended path.
// Outside a stretch of a few pixels near the picture's corner none of these exceptions occur.
#include "imaging/rotate_bitmap.h"

#include <emmintrin.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/parallel_rows.h"
#include "imaging/tbmp_data24.h"

namespace rumora {
namespace {

using Extended = long double;

constexpr Extended kPi = 3.14159265358979323846L;

struct CornerPoint {
  float X;
  float Y;
};

// The angle's sine and cosine and the extent of the turned picture.
struct Rotation {
  float cosA = 1;
  float sinA = 0;
  float minX = 0;
  float minY = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
};

Rotation Prepare(std::int32_t width, std::int32_t height, float angle) {
  Rotation r;
  const Extended radians = static_cast<Extended>(angle) * kPi / 180.0L;
  r.sinA = static_cast<float>(std::sin(radians));
  r.cosA = static_cast<float>(std::cos(radians));
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const CornerPoint corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  float minX = 100000, maxX = -100000, minY = 100000, maxY = -100000;
  for (const CornerPoint& p : corners) {
    const auto x = static_cast<float>(static_cast<Extended>(p.X) * r.cosA -
                                      static_cast<Extended>(p.Y) * r.sinA);
    const auto y = static_cast<float>(static_cast<Extended>(p.X) * r.sinA +
                                      static_cast<Extended>(p.Y) * r.cosA);
    if (x < minX) minX = x;
    if (x > maxX) maxX = x;
    if (y < minY) minY = y;
    if (y > maxY) maxY = y;
  }
  r.minX = minX;
  r.minY = minY;
  r.width = std::llrint(static_cast<Extended>(maxX) - minX + 1.0L);
  r.height = std::llrint(static_cast<Extended>(maxY) - minY + 1.0L);
  return r;
}

std::int64_t FloorToInt(float v) {
  const std::int64_t t = _mm_cvttss_si64(_mm_set_ss(v));
  return static_cast<float>(t) > v ? t - 1 : t;
}

std::int64_t CeilToInt(float v) {
  const std::int64_t t = _mm_cvttss_si64(_mm_set_ss(v));
  return static_cast<float>(t) < v ? t + 1 : t;
}

// True when v is a whole multiple of 1 / scale (scale a power of two).
bool OnGrid(float v, float scale) {
  const float t = v * scale;
  return static_cast<float>(_mm_cvttss_si64(_mm_set_ss(t))) == t;
}

// fx and fy: multiples of 2^-29 (every float from 2^-6 up is one).
bool OnFineGrid(float f) { return f >= 0x1p-6f || f == 0 || OnGrid(f, 0x1p29f); }

// The row blends: multiples of 2^-27 (every float from 2^-4 up is one).
bool OnBlendGrid(float f) { return f >= 0x1p-4f || f == 0 || OnGrid(f, 0x1p27f); }

// Byte values as doubles, read instead of converted.
constexpr auto kByteValue = [] {
  std::array<double, 256> table{};
  for (int i = 0; i < 256; ++i) table[static_cast<std::size_t>(i)] = i;
  return table;
}();

// True when rounding the double `h` to a float might not give the float of the extended value
// that `h` approximates: `h` lies halfway between two floats, or in the denormal float range.
bool FloatRoundingUnsure(double h) {
  const auto bits = std::bit_cast<std::uint64_t>(h);
  if ((bits & 0x1FFFFFFFu) == 0x10000000u) return true;
  const auto exponent = (bits >> 52) & 0x7FFu;
  return exponent < 1023 - 126 && h != 0.0;
}

// The destination channel for a final blend: 0 below 0, 255 above 255, else rounded half to
// even.
std::uint8_t ChannelFromExtended(Extended v) {
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

  // One destination pixel, every value in extended precision as prescribed.
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
};

}  // namespace

RotatedSize RotatedBitmapSize(std::int32_t width, std::int32_t height, float angle) {
  const Rotation r = Prepare(width, height, angle);
  return {r.width, r.height};
}

bool RotateBitmap(Bitmap& bitmap, TColor background, float angle) {
  const Rotation r = Prepare(bitmap.Width(), bitmap.Height(), angle);
  // Everything that can fail is made before the picture is touched.
  CheckBitmapSize(r.width, r.height);
  Bitmap destination(static_cast<int>(r.width), static_cast<int>(r.height));
  const TBmpData24 source(bitmap);
  const TBmpData24 target(destination);
  Sampler sampler{source,
                  source.Width(),
                  source.Height(),
                  {GetBValue(background), GetGValue(background), GetRValue(background)},
                  r.cosA,
                  r.sinA,
                  {},
                  {},
                  {}};
  const auto columns = static_cast<std::size_t>(r.width);
  sampler.px.resize(columns);
  sampler.pxCos.resize(columns);
  sampler.pxSin.resize(columns);
  for (std::size_t x = 0; x < columns; ++x) {
    const auto px = static_cast<float>(static_cast<Extended>(x) + r.minX);
    sampler.px[x] = px;
    sampler.pxCos[x] = double{px} * r.cosA;
    sampler.pxSin[x] = double{px} * r.sinA;
  }

  ForEachRowBand(r.height, 8, [&](std::int64_t begin, std::int64_t end) {
    for (std::int64_t y = begin; y < end; ++y) {
      const auto py = static_cast<float>(static_cast<Extended>(y) + r.minY);
      const double pyCos = double{py} * r.cosA;
      const double pySin = double{py} * r.sinA;
      std::uint8_t* out = target.RowAddress(static_cast<std::int32_t>(y));
      for (std::size_t x = 0; x < columns; ++x, out += 3) {
        if (!sampler.PixelDouble(x, pyCos, pySin, out)) {
          sampler.PixelExtended(sampler.px[x], py, out);
        }
      }
    }
  });
  bitmap = std::move(destination);
  return true;
}

}  // namespace rumora
