// The free rotation's row kernel with AVX2: four destination pixels at a time, each lane doing
// exactly the double-precision steps of Sampler::PixelDouble (the same roundings, in the same
// order, never fused). A group of four where any lane is not well inside the photo or fails one
// of the checks is done by the scalar steps instead, pixel by pixel.
#include <immintrin.h>

#include "imaging/rotate_sampler.h"

namespace rumora::rotation {
namespace {

#define RUMORA_AVX2 __attribute__((target("avx2")))

// Lanes where rounding the double to a float might differ from the extended value's float (see
// FloatRoundingUnsure).
RUMORA_AVX2 __m256d RoundingUnsure(__m256d h) {
  const __m256i bits = _mm256_castpd_si256(h);
  const __m256i midpoint = _mm256_cmpeq_epi64(
      _mm256_and_si256(bits, _mm256_set1_epi64x(0x1FFFFFFF)), _mm256_set1_epi64x(0x10000000));
  const __m256d magnitude =
      _mm256_and_pd(h, _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF)));
  const __m256d tiny = _mm256_and_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(0x1p-126), _CMP_LT_OQ),
                                     _mm256_cmp_pd(h, _mm256_setzero_pd(), _CMP_NEQ_OQ));
  return _mm256_or_pd(_mm256_castsi256_pd(midpoint), tiny);
}

RUMORA_AVX2 __m256d ToFloatAndBack(__m256d v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }

RUMORA_AVX2 __m256d Between(__m256d v, __m256d low, __m256d highExclusive) {
  return _mm256_and_pd(_mm256_cmp_pd(v, low, _CMP_GE_OQ),
                       _mm256_cmp_pd(v, highExclusive, _CMP_LT_OQ));
}

// Lanes that are whole multiples of 1 / scale (scale a power of two, so the product is exact).
RUMORA_AVX2 __m256d OnGrid(__m256d f, double scale) {
  const __m256d scaled = _mm256_mul_pd(f, _mm256_set1_pd(scale));
  return _mm256_cmp_pd(scaled, _mm256_round_pd(scaled, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC),
                       _CMP_EQ_OQ);
}

RUMORA_AVX2 __m128 OnGrid(__m128 f, float scale) {
  const __m128 scaled = _mm_mul_ps(f, _mm_set1_ps(scale));
  return _mm_cmpeq_ps(scaled, _mm_round_ps(scaled, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
}

// The byte at bit `shift` of each little-endian 64-bit lane, as a double: placed in the low
// mantissa bits of 2^52, which is then taken away again.
RUMORA_AVX2 __m256d ByteOf(__m256i words, int shift) {
  const __m256i byte =
      _mm256_and_si256(_mm256_srl_epi64(words, _mm_cvtsi32_si128(shift)), _mm256_set1_epi64x(0xFF));
  return _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(byte, _mm256_set1_epi64x(0x4330000000000000))),
      _mm256_set1_pd(0x1p52));
}

// For each lane, the eight bytes that end at the last byte of pixel (ix + 1, iy + below): two
// bytes of the pixel before, then the two neighbours. Built in registers: a vector load of four
// separate stores would stall.
RUMORA_AVX2 __m256i NeighbourPairs(const TBmpData24& source, const std::int32_t* ixs,
                                   const std::int32_t* iys, int below) {
  std::int64_t word[4];
  for (int k = 0; k < 4; ++k)
    std::memcpy(&word[k], source.PixelAddress(ixs[k], iys[k] + below) - 2, 8);
  const __m128i low = _mm_insert_epi64(_mm_cvtsi64_si128(word[0]), word[1], 1);
  const __m128i high = _mm_insert_epi64(_mm_cvtsi64_si128(word[2]), word[3], 1);
  return _mm256_set_m128i(high, low);
}

}  // namespace

RUMORA_AVX2 void RotateRowAvx2(const Sampler& s, float py, std::size_t begin, std::size_t end,
                               std::uint8_t* row) {
  const double pyCos = double{py} * s.cosA;
  const double pySin = double{py} * s.sinA;
  const __m256d vPyCos = _mm256_set1_pd(pyCos);
  const __m256d vPySin = _mm256_set1_pd(pySin);
  const __m256d zero = _mm256_setzero_pd();
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d width = _mm256_set1_pd(static_cast<double>(s.W));
  const __m256d height = _mm256_set1_pd(static_cast<double>(s.H));
  const __m256d widthLess1 = _mm256_set1_pd(static_cast<double>(s.W - 1));
  const __m256d heightLess1 = _mm256_set1_pd(static_cast<double>(s.H - 1));
  // B0 G0 R0 B1 G1 R1 ... from the B, G and R quarters of a packed register.
  const __m128i interleave = _mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15);

  std::uint8_t* out = row + 3 * begin;
  std::size_t x = begin;
  for (; x + 4 <= end; x += 4, out += 12) {
    const __m256d hx = _mm256_add_pd(_mm256_loadu_pd(&s.pxCos[x]), vPySin);
    const __m256d hy = _mm256_sub_pd(vPyCos, _mm256_loadu_pd(&s.pxSin[x]));
    const __m256d sx = ToFloatAndBack(hx);
    const __m256d sy = ToFloatAndBack(hy);
    const __m256d ix = _mm256_floor_pd(sx);
    const __m256d iy = _mm256_floor_pd(sy);
    const __m256d dfx = _mm256_sub_pd(sx, ix);
    const __m256d dfy = _mm256_sub_pd(sy, iy);
    const __m256d unsure = _mm256_or_pd(_mm256_or_pd(RoundingUnsure(hx), RoundingUnsure(hy)),
                                        _mm256_or_pd(RoundingUnsure(dfx), RoundingUnsure(dfy)));
    const __m256d fx = ToFloatAndBack(dfx);
    const __m256d fy = ToFloatAndBack(dfy);
    // All four neighbours inside the photo, not in its first column, and fx, fy multiples of
    // 2^-29.
    const __m256d interior =
        _mm256_and_pd(Between(ix, one, widthLess1), Between(iy, zero, heightLess1));
    const __m256d fine = _mm256_and_pd(OnGrid(fx, 0x1p29), OnGrid(fy, 0x1p29));
    if (_mm256_movemask_pd(_mm256_andnot_pd(unsure, _mm256_and_pd(interior, fine))) != 0xF) {
      const __m256d cx =
          _mm256_add_pd(ix, _mm256_and_pd(_mm256_cmp_pd(dfx, zero, _CMP_NEQ_OQ), one));
      const __m256d cy =
          _mm256_add_pd(iy, _mm256_and_pd(_mm256_cmp_pd(dfy, zero, _CMP_NEQ_OQ), one));
      const __m256d ceilingIn = _mm256_and_pd(Between(cx, zero, width), Between(cy, zero, height));
      const __m256d floorIn = _mm256_and_pd(Between(ix, zero, width), Between(iy, zero, height));
      if (_mm256_movemask_pd(_mm256_or_pd(unsure, _mm256_or_pd(ceilingIn, floorIn))) == 0) {
        for (int k = 0; k < 4; ++k) std::memcpy(out + 3 * k, s.background, 3);
        continue;
      }
      for (std::size_t k = 0; k < 4; ++k) {
        if (!s.PixelDouble(x + k, pyCos, pySin, out + 3 * k)) {
          s.PixelExtended(s.px[x + k], py, out + 3 * k);
        }
      }
      continue;
    }

    // Eight bytes per lane and row, ending at the right neighbour's last byte: two bytes of the
    // pixel before (ix >= 1, so they lie in the same row), then both neighbours.
    alignas(16) std::int32_t ixs[4];
    alignas(16) std::int32_t iys[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(ixs), _mm256_cvttpd_epi32(ix));
    _mm_store_si128(reinterpret_cast<__m128i*>(iys), _mm256_cvttpd_epi32(iy));
    const __m256i g0 = NeighbourPairs(s.source, ixs, iys, 0);
    const __m256i g1 = NeighbourPairs(s.source, ixs, iys, 1);

    const __m256d wx = _mm256_sub_pd(one, fx);
    const __m256d wy = _mm256_sub_pd(one, fy);
    __m128 onGrid = _mm_castsi128_ps(_mm_set1_epi32(-1));
    __m256d onHalf = zero;
    __m128i channel[3];
    for (int c = 0; c < 3; ++c) {
      const __m256d p00 = ByteOf(g0, 16 + 8 * c);
      const __m256d p10 = ByteOf(g0, 40 + 8 * c);
      const __m256d p01 = ByteOf(g1, 16 + 8 * c);
      const __m256d p11 = ByteOf(g1, 40 + 8 * c);
      const __m128 topF =
          _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(p00, wx), _mm256_mul_pd(p10, fx)));
      const __m128 bottomF =
          _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(p01, wx), _mm256_mul_pd(p11, fx)));
      onGrid = _mm_and_ps(onGrid, _mm_and_ps(OnGrid(topF, 0x1p27f), OnGrid(bottomF, 0x1p27f)));
      const __m256d v = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtps_pd(topF), wy),
                                      _mm256_mul_pd(_mm256_cvtps_pd(bottomF), fy));
      const __m256d rounded = _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      const __m256d off = _mm256_sub_pd(v, rounded);
      onHalf =
          _mm256_or_pd(onHalf, _mm256_or_pd(_mm256_cmp_pd(off, _mm256_set1_pd(0.5), _CMP_EQ_OQ),
                                            _mm256_cmp_pd(off, _mm256_set1_pd(-0.5), _CMP_EQ_OQ)));
      channel[c] = _mm256_cvtpd_epi32(rounded);
    }
    if (_mm_movemask_ps(onGrid) != 0xF || _mm256_movemask_pd(onHalf) != 0) {
      for (std::size_t k = 0; k < 4; ++k) {
        if (!s.PixelDouble(x + k, pyCos, pySin, out + 3 * k)) {
          s.PixelExtended(s.px[x + k], py, out + 3 * k);
        }
      }
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
