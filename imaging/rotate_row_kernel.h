#pragma once

// The free rotation's vector row kernel, one body over a lane set V (rotate_row_avx2.cpp,
// rotate_row_avx512.cpp): V::kLanes destination pixels at a time, each lane doing exactly the
// double-precision steps of Sampler::PixelDouble (the same roundings, in the same order, never
// fused). Only groups whose pixels all lie well inside the photo take the vector steps: there
// sx >= 1 and sy >= 1, so fx, fy and both row blends are multiples of 2^-23 (a float from 1 up
// has no finer bits; a float below 1 holds such a multiple exactly). That makes fx and the row
// blends exact in double, and the final blend exact in extended precision, so only two checks
// remain: sx, sy not halfway between two floats, and the final blend not on a half. Any other
// group is done by the scalar steps, pixel by pixel, or is background.
//
// Each includer includes rotate_sampler.h first and then this header after switching its
// instruction set on, so that only the kernel, not the shared inline pieces, uses it.
#include "imaging/rotate_sampler.h"

namespace rumora::rotation {

// The pixels of a group, as V::Words: per lane the eight bytes that end at the last byte of
// pixel (ix + 1, iy + below), two bytes of the pixel before and then the two neighbours.
// At small angles the group's pixels lie side by side on one or two source rows: those rows are
// read whole and shuffled into place, instead of lane by lane.
// Shuffle controls, per 64-bit lane, of byte shuffles that work within 128-bit blocks (an
// index of 0x80 clears the byte). kSelectNone | at moves byte `at` of an even lane to the lane's
// low byte and clears the rest; an odd lane's bytes are 8 further. kRunLane0 and kRunLane1 make
// the two lanes of a block from a sixteen-byte window that starts one byte before the block's
// first pixel: byte j (2..7) of lane k is byte 3 k + j - 1 of the window, bytes 0 and 1
// cleared; the next pair of pixels in the same window is six bytes further.
inline constexpr std::int64_t kSelectNone = static_cast<std::int64_t>(0x8080808080808000);
inline constexpr std::int64_t kRunLane0 = 0x0605040302018080;
inline constexpr std::int64_t kRunLane1 = 0x0908070605048080;
inline constexpr std::int64_t kRunNextPair = 0x0606060606060000;

template <class V>
struct GroupNeighbours {
  typename V::Words upper;
  typename V::Words lower;
};

template <class V>
inline GroupNeighbours<V> Neighbours(const Sampler& s, typename V::Double ix, typename V::Double iy,
                                     double ix0, double iy0) {
  using D = typename V::Double;
  const auto stride = s.stride;
  const D iota = V::Iota();
  if (V::All(V::Equal(ix, V::Add(V::Set(ix0), iota)))) {
    const std::uint8_t* run =
        s.pixels + static_cast<std::int64_t>(iy0) * stride + 3 * static_cast<std::int64_t>(ix0);
    const auto sameRow = V::Equal(iy, V::Set(iy0));
    if (V::All(sameRow)) return {V::RunWords(run), V::RunWords(run + stride)};
    // The row steps once within the group: up for a clockwise turn, down otherwise.
    const std::int64_t step = s.sinA > 0 ? -1 : 1;
    if (V::All(V::Or(sameRow, V::Equal(iy, V::Set(iy0 + static_cast<double>(step)))))) {
      const typename V::Words here = V::RunWords(run);
      const typename V::Words below = V::RunWords(run + stride);
      if (step < 0) {
        const typename V::Words above = V::RunWords(run - stride);
        return {V::Blend(above, here, sameRow), V::Blend(here, below, sameRow)};
      }
      const typename V::Words further = V::RunWords(run + 2 * stride);
      return {V::Blend(below, here, sameRow), V::Blend(further, below, sameRow)};
    }
  }
  GroupNeighbours<V> n;
  V::Gather(s, ix, iy, n.upper, n.lower);
  return n;
}

template <class V>
std::size_t PixelsOneByOne(const Sampler& s, std::size_t x, float py, double pyCos, double pySin,
                           std::uint8_t* out) {
  std::size_t exact = 0;
  for (std::size_t k = 0; k < V::kLanes; ++k)
    exact += s.Pixel(x + k, py, pyCos, pySin, out + 3 * k);
  return exact;
}

template <class V>
std::size_t RotateRowVector(const Sampler& s, float py, std::size_t begin, std::size_t end,
                            std::uint8_t* row) {
  using D = typename V::Double;
  constexpr std::size_t kLanes = V::kLanes;
  const double pyCos = double{py} * s.cosA;
  const double pySin = double{py} * s.sinA;
  const D vPyCos = V::Set(pyCos);
  const D vPySin = V::Set(pySin);
  const D one = V::Set(1.0);
  const D minusOne = V::Set(-1.0);
  const D width = V::Set(static_cast<double>(s.W));
  const D height = V::Set(static_cast<double>(s.H));
  const D widthLess1 = V::Set(static_cast<double>(s.W - 1));
  const D heightLess1 = V::Set(static_cast<double>(s.H - 1));
  const D half = V::Set(0.5);
  // In the eight bytes of a lane, channel c of the left neighbour is byte 2 + c and of the
  // right one 5 + c.
  const typename V::Words left[3] = {V::SelectByte(2), V::SelectByte(3), V::SelectByte(4)};
  const typename V::Words right[3] = {V::SelectByte(5), V::SelectByte(6), V::SelectByte(7)};

  // At steep angles each pixel reads other source rows, which the processor does not fetch
  // ahead by itself: ask for what the row a few below will read at this column.
  constexpr float kRowsAhead = 8;
  const auto aheadDx = static_cast<std::int64_t>(std::lround(kRowsAhead * s.sinA));
  const auto aheadDy = static_cast<std::int64_t>(std::lround(kRowsAhead * s.cosA));
  std::size_t exact = 0;
  std::uint8_t* out = row + 3 * begin;
  std::size_t x = begin;
  for (; x + kLanes <= end; x += kLanes, out += 3 * kLanes) {
    const D hx = V::Add(V::Load(&s.pxCos[x]), vPySin);
    const D hy = V::Sub(vPyCos, V::Load(&s.pxSin[x]));
    const auto unsure = V::Or(V::HalfwayBetweenFloats(hx), V::HalfwayBetweenFloats(hy));
    const D sx = V::ToFloatAndBack(hx);
    const D sy = V::ToFloatAndBack(hy);
    const D ix = V::Floor(sx);
    const D iy = V::Floor(sy);
    // All four neighbours inside the photo, none in its first row or column.
    const auto interior = V::And(V::Between(ix, one, widthLess1), V::Between(iy, one, heightLess1));
    if (!V::All(V::AndNot(unsure, interior))) {
      // Every sampled position has -1 < sx < W and -1 < sy < H.
      const auto outside = V::Or(V::Or(V::AtMost(sx, minusOne), V::AtLeast(sx, width)),
                                 V::Or(V::AtMost(sy, minusOne), V::AtLeast(sy, height)));
      if (V::All(V::AndNot(unsure, outside))) {
        for (std::size_t k = 0; k < kLanes; ++k) std::memcpy(out + 3 * k, s.background, 3);
      } else {
        exact += PixelsOneByOne<V>(s, x, py, pyCos, pySin, out);
      }
      continue;
    }
    // Exact, and already floats: both are multiples of 2^-23 below 1.
    const D fx = V::Sub(sx, ix);
    const D fy = V::Sub(sy, iy);
    const double ix0 = V::First(ix);
    const double iy0 = V::First(iy);
    const std::int64_t aheadX = static_cast<std::int64_t>(ix0) + aheadDx;
    const std::int64_t aheadY = static_cast<std::int64_t>(iy0) + aheadDy;
    if (aheadX >= 0 && aheadX < s.W && aheadY >= 0 && aheadY + 1 < s.H) {
      const std::uint8_t* ahead = s.pixels + aheadY * s.stride + 3 * aheadX;
      _mm_prefetch(reinterpret_cast<const char*>(ahead), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(ahead + s.stride), _MM_HINT_T0);
    }
    const GroupNeighbours<V> n = Neighbours<V>(s, ix, iy, ix0, iy0);

    const D wx = V::Sub(one, fx);
    const D wy = V::Sub(one, fy);
    auto onHalf = V::None();
    D channel[3];
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c) {
      const D top = V::ToFloatAndBack(V::Add(V::Mul(V::ByteOf(n.upper, left[c]), wx),
                                             V::Mul(V::ByteOf(n.upper, right[c]), fx)));
      const D bottom = V::ToFloatAndBack(V::Add(V::Mul(V::ByteOf(n.lower, left[c]), wx),
                                                V::Mul(V::ByteOf(n.lower, right[c]), fx)));
      const D v = V::Add(V::Mul(top, wy), V::Mul(bottom, fy));
      channel[c] = V::RoundEven(v);
      onHalf = V::Or(onHalf, V::Equal(V::Abs(V::Sub(v, channel[c])), half));
    }
    if (V::Any(onHalf)) {
      exact += PixelsOneByOne<V>(s, x, py, pyCos, pySin, out);
      continue;
    }
    V::StorePixels(channel[0], channel[1], channel[2], out);
  }
  for (; x < end; ++x, out += 3) exact += s.Pixel(x, py, pyCos, pySin, out);
  return exact;
}

}  // namespace rumora::rotation
