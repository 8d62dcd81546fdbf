// The free rotation's row kernel with AVX2: four destination pixels at a time, each lane doing
// exactly the double-precision steps of Sampler::PixelDouble (the same roundings, in the same
// order, never fused). Only groups whose four pixels all lie well inside the photo take the
// vector steps: there sx >= 1 and sy >= 1, so fx, fy and both row blends are multiples of 2^-23
// (a float from 1 up has no finer bits; a float below 1 holds such a multiple exactly). That
// makes fx and the row blends exact in double, and the final blend exact in extended precision,
// so only two checks remain: sx, sy not halfway between two floats, and the final blend not on
// a half. Any other group is done by the scalar steps, pixel by pixel, or is background.
#include <immintrin.h>

#include "imaging/rotate_sampler.h"

namespace rumora::rotation {
namespace {

#define RUMORA_AVX2 __attribute__((target("avx2")))
#define RUMORA_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

// Lanes whose double lies exactly halfway between two floats (see FloatRoundingUnsure).
RUMORA_AVX2_INLINE __m256d HalfwayBetweenFloats(__m256d h) {
  const __m256i bits = _mm256_castpd_si256(h);
  return _mm256_castsi256_pd(_mm256_cmpeq_epi64(
      _mm256_and_si256(bits, _mm256_set1_epi64x(0x1FFFFFFF)), _mm256_set1_epi64x(0x10000000)));
}

RUMORA_AVX2_INLINE __m256d ToFloatAndBack(__m256d v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }

RUMORA_AVX2_INLINE __m256d Between(__m256d v, __m256d low, __m256d highExclusive) {
  return _mm256_and_pd(_mm256_cmp_pd(v, low, _CMP_GE_OQ),
                       _mm256_cmp_pd(v, highExclusive, _CMP_LT_OQ));
}

// For each lane, the eight bytes that end at the last byte of pixel (ix + 1, iy + below): two
// bytes of the pixel before, then the two neighbours. Built in registers: a vector load of four
// separate stores would stall.
RUMORA_AVX2_INLINE __m256i NeighbourPairs(const TBmpData24& source, const std::int32_t* ixs,
                                          const std::int32_t* iys, int below) {
  std::int64_t word[4];
  for (int k = 0; k < 4; ++k) {
    std::memcpy(&word[k], source.PixelAddress(ixs[k], iys[k] + below) - 2, 8);
  }
  const __m128i low = _mm_insert_epi64(_mm_cvtsi64_si128(word[0]), word[1], 1);
  const __m128i high = _mm_insert_epi64(_mm_cvtsi64_si128(word[2]), word[3], 1);
  return _mm256_set_m128i(high, low);
}

// Byte `at` of each 64-bit lane as a double: moved into the low mantissa bits of 2^52, which
// is then taken away again.
RUMORA_AVX2_INLINE __m256d ByteOf(__m256i words, __m256i select) {
  const __m256i byte = _mm256_shuffle_epi8(words, select);
  return _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(byte, _mm256_set1_epi64x(0x4330000000000000))),
      _mm256_set1_pd(0x1p52));
}

// A shuffle that moves byte `at` of each 64-bit lane to the lane's low byte and clears the rest.
RUMORA_AVX2_INLINE __m256i SelectByte(int at) {
  const auto b = static_cast<char>(at);
  const char z = static_cast<char>(0x80);
  const char c = static_cast<char>(at + 8);
  return _mm256_setr_epi8(b, z, z, z, z, z, z, z, c, z, z, z, z, z, z, z, b, z, z, z, z, z, z, z, c,
                          z, z, z, z, z, z, z);
}

RUMORA_AVX2 void PixelsOneByOne(const Sampler& s, std::size_t x, float py, double pyCos,
                                double pySin, std::uint8_t* out) {
  for (std::size_t k = 0; k < 4; ++k) {
    if (!s.PixelDouble(x + k, pyCos, pySin, out + 3 * k)) {
      s.PixelExtended(s.px[x + k], py, out + 3 * k);
    }
  }
}

}  // namespace

RUMORA_AVX2 void RotateRowAvx2(const Sampler& s, float py, std::size_t begin, std::size_t end,
                               std::uint8_t* row) {
  const double pyCos = double{py} * s.cosA;
  const double pySin = double{py} * s.sinA;
  const __m256d vPyCos = _mm256_set1_pd(pyCos);
  const __m256d vPySin = _mm256_set1_pd(pySin);
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d minusOne = _mm256_set1_pd(-1.0);
  const __m256d width = _mm256_set1_pd(static_cast<double>(s.W));
  const __m256d height = _mm256_set1_pd(static_cast<double>(s.H));
  const __m256d widthLess1 = _mm256_set1_pd(static_cast<double>(s.W - 1));
  const __m256d heightLess1 = _mm256_set1_pd(static_cast<double>(s.H - 1));
  const __m256d absolute = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m256d half = _mm256_set1_pd(0.5);
  // In the eight bytes of a lane (two of the pixel before, then the left and right
  // neighbours), channel c of the left neighbour is byte 2 + c and of the right one 5 + c.
  const __m256i left[3] = {SelectByte(2), SelectByte(3), SelectByte(4)};
  const __m256i right[3] = {SelectByte(5), SelectByte(6), SelectByte(7)};
  // B0 G0 R0 B1 G1 R1 ... from the B, G and R quarters of a packed register.
  const __m128i interleave = _mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15);

  constexpr float kRowsAhead = 8;
  const auto aheadDx = static_cast<std::int64_t>(std::lround(kRowsAhead * s.sinA));
  const auto aheadDy = static_cast<std::int64_t>(std::lround(kRowsAhead * s.cosA));
  std::uint8_t* out = row + 3 * begin;
  std::size_t x = begin;
  for (; x + 4 <= end; x += 4, out += 12) {
    const __m256d hx = _mm256_add_pd(_mm256_loadu_pd(&s.pxCos[x]), vPySin);
    const __m256d hy = _mm256_sub_pd(vPyCos, _mm256_loadu_pd(&s.pxSin[x]));
    const __m256d unsure = _mm256_or_pd(HalfwayBetweenFloats(hx), HalfwayBetweenFloats(hy));
    const __m256d sx = ToFloatAndBack(hx);
    const __m256d sy = ToFloatAndBack(hy);
    const __m256d ix = _mm256_floor_pd(sx);
    const __m256d iy = _mm256_floor_pd(sy);
    // All four neighbours inside the photo, none in its first row or column.
    const __m256d interior =
        _mm256_and_pd(Between(ix, one, widthLess1), Between(iy, one, heightLess1));
    if (_mm256_movemask_pd(_mm256_andnot_pd(unsure, interior)) != 0xF) {
      // Every sampled position has -1 < sx < W and -1 < sy < H.
      const __m256d outside = _mm256_or_pd(_mm256_or_pd(_mm256_cmp_pd(sx, minusOne, _CMP_LE_OQ),
                                                        _mm256_cmp_pd(sx, width, _CMP_GE_OQ)),
                                           _mm256_or_pd(_mm256_cmp_pd(sy, minusOne, _CMP_LE_OQ),
                                                        _mm256_cmp_pd(sy, height, _CMP_GE_OQ)));
      if (_mm256_movemask_pd(_mm256_andnot_pd(unsure, outside)) == 0xF) {
        for (int k = 0; k < 4; ++k) std::memcpy(out + 3 * k, s.background, 3);
      } else {
        PixelsOneByOne(s, x, py, pyCos, pySin, out);
      }
      continue;
    }
    // Exact, and already floats: both are multiples of 2^-23 below 1.
    const __m256d fx = _mm256_sub_pd(sx, ix);
    const __m256d fy = _mm256_sub_pd(sy, iy);

    alignas(16) std::int32_t ixs[4];
    alignas(16) std::int32_t iys[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(ixs), _mm256_cvttpd_epi32(ix));
    _mm_store_si128(reinterpret_cast<__m128i*>(iys), _mm256_cvttpd_epi32(iy));
    // At steep angles each pixel reads other source rows, which the processor does not fetch
    // ahead by itself: ask for what the row a few below will read at this column.
    const std::int64_t aheadX = ixs[0] + aheadDx;
    const std::int64_t aheadY = iys[0] + aheadDy;
    if (aheadX >= 0 && aheadX < s.W && aheadY >= 0 && aheadY + 1 < s.H) {
      const auto column = static_cast<std::int32_t>(aheadX);
      const auto line = static_cast<std::int32_t>(aheadY);
      _mm_prefetch(reinterpret_cast<const char*>(s.source.PixelAddress(column, line)), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(s.source.PixelAddress(column, line + 1)),
                   _MM_HINT_T0);
    }
    const __m256i upper = NeighbourPairs(s.source, ixs, iys, 0);
    const __m256i lower = NeighbourPairs(s.source, ixs, iys, 1);

    const __m256d wx = _mm256_sub_pd(one, fx);
    const __m256d wy = _mm256_sub_pd(one, fy);
    __m256d onHalf = _mm256_setzero_pd();
    __m128i channel[3];
    for (int c = 0; c < 3; ++c) {
      const __m256d top = ToFloatAndBack(_mm256_add_pd(_mm256_mul_pd(ByteOf(upper, left[c]), wx),
                                                       _mm256_mul_pd(ByteOf(upper, right[c]), fx)));
      const __m256d bottom = ToFloatAndBack(_mm256_add_pd(
          _mm256_mul_pd(ByteOf(lower, left[c]), wx), _mm256_mul_pd(ByteOf(lower, right[c]), fx)));
      const __m256d v = _mm256_add_pd(_mm256_mul_pd(top, wy), _mm256_mul_pd(bottom, fy));
      const __m256d rounded = _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      const __m256d off = _mm256_and_pd(_mm256_sub_pd(v, rounded), absolute);
      onHalf = _mm256_or_pd(onHalf, _mm256_cmp_pd(off, half, _CMP_EQ_OQ));
      channel[c] = _mm256_cvtpd_epi32(rounded);
    }
    if (_mm256_movemask_pd(onHalf) != 0) {
      PixelsOneByOne(s, x, py, pyCos, pySin, out);
      continue;
    }
    const __m128i blueGreen = _mm_packus_epi32(channel[0], channel[1]);
    const __m128i red = _mm_packus_epi32(channel[2], _mm_setzero_si128());
    const __m128i pixels = _mm_shuffle_epi8(_mm_packus_epi16(blueGreen, red), interleave);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pixels);
    const std::int32_t last = _mm_extract_epi32(pixels, 2);
    std::memcpy(out + 8, &last, 4);
  }
  for (; x < end; ++x, out += 3) {
    if (!s.PixelDouble(x, pyCos, pySin, out)) s.PixelExtended(s.px[x], py, out);
  }
}

}  // namespace rumora::rotation
