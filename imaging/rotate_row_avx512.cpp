// The free rotation's row kernel with AVX-512: the AVX2 kernel's steps (see
// rotate_row_avx2.cpp for why they give the extended-precision bytes) on eight destination
// pixels at a time.
// GCC 12 warns that the AVX-512 intrinsics' own placeholder operands (_mm512_undefined_pd and
// the like) may be used uninitialised; they never are.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include "imaging/rotate_sampler.h"

namespace rumora::rotation {
namespace {

#define RUMORA_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl")))
#define RUMORA_AVX512_INLINE \
  __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl"), always_inline)) inline

RUMORA_AVX512_INLINE __mmask8 HalfwayBetweenFloats(__m512d h) {
  return _mm512_cmpeq_epi64_mask(
      _mm512_and_si512(_mm512_castpd_si512(h), _mm512_set1_epi64(0x1FFFFFFF)),
      _mm512_set1_epi64(0x10000000));
}

RUMORA_AVX512_INLINE __m512d ToFloatAndBack(__m512d v) {
  return _mm512_cvtps_pd(_mm512_cvtpd_ps(v));
}

RUMORA_AVX512_INLINE __mmask8 Between(__m512d v, __m512d low, __m512d highExclusive) {
  return _mm512_cmp_pd_mask(v, low, _CMP_GE_OQ) & _mm512_cmp_pd_mask(v, highExclusive, _CMP_LT_OQ);
}

RUMORA_AVX512_INLINE __m512d ByteOf(__m512i words, __m512i select) {
  const __m512i byte = _mm512_shuffle_epi8(words, select);
  return _mm512_sub_pd(
      _mm512_castsi512_pd(_mm512_or_si512(byte, _mm512_set1_epi64(0x4330000000000000))),
      _mm512_set1_pd(0x1p52));
}

// Moves byte `at` of each 64-bit lane to the lane's low byte and clears the rest.
RUMORA_AVX512_INLINE __m512i SelectByte(int at) {
  const std::int64_t lane = at;  // the other seven indexes are 0x80: cleared
  const std::int64_t pattern = lane | static_cast<std::int64_t>(0x8080808080808000);
  return _mm512_set_epi64(pattern + 8, pattern, pattern + 8, pattern, pattern + 8, pattern,
                          pattern + 8, pattern);
}

RUMORA_AVX512 void PixelsOneByOne(const Sampler& s, std::size_t x, float py, double pyCos,
                                  double pySin, std::uint8_t* out) {
  for (std::size_t k = 0; k < 8; ++k) {
    if (!s.PixelDouble(x + k, pyCos, pySin, out + 3 * k)) {
      s.PixelExtended(s.px[x + k], py, out + 3 * k);
    }
  }
}

}  // namespace

RUMORA_AVX512 void RotateRowAvx512(const Sampler& s, float py, std::size_t begin, std::size_t end,
                                   std::uint8_t* row) {
  const double pyCos = double{py} * s.cosA;
  const double pySin = double{py} * s.sinA;
  const __m512d vPyCos = _mm512_set1_pd(pyCos);
  const __m512d vPySin = _mm512_set1_pd(pySin);
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d minusOne = _mm512_set1_pd(-1.0);
  const __m512d width = _mm512_set1_pd(static_cast<double>(s.W));
  const __m512d height = _mm512_set1_pd(static_cast<double>(s.H));
  const __m512d widthLess1 = _mm512_set1_pd(static_cast<double>(s.W - 1));
  const __m512d heightLess1 = _mm512_set1_pd(static_cast<double>(s.H - 1));
  const __m512d half = _mm512_set1_pd(0.5);
  const __m512d three = _mm512_set1_pd(3.0);
  const __m512d two = _mm512_set1_pd(2.0);
  const __m512d stride = _mm512_set1_pd(static_cast<double>(s.stride));
  const __m512i strideBytes = _mm512_set1_epi64(s.stride);
  const __m512i left[3] = {SelectByte(2), SelectByte(3), SelectByte(4)};
  const __m512i right[3] = {SelectByte(5), SelectByte(6), SelectByte(7)};
  // Per 128-bit half: B0 G0 R0 B1 G1 R1 ... from the B, G and R quarters.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15,
                                              0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15);
  constexpr float kRowsAhead = 8;
  const auto aheadDx = static_cast<std::int64_t>(std::lround(kRowsAhead * s.sinA));
  const auto aheadDy = static_cast<std::int64_t>(std::lround(kRowsAhead * s.cosA));

  std::uint8_t* out = row + 3 * begin;
  std::size_t x = begin;
  for (; x + 8 <= end; x += 8, out += 24) {
    const __m512d hx = _mm512_add_pd(_mm512_loadu_pd(&s.pxCos[x]), vPySin);
    const __m512d hy = _mm512_sub_pd(vPyCos, _mm512_loadu_pd(&s.pxSin[x]));
    const __mmask8 sure =
        static_cast<__mmask8>(~(HalfwayBetweenFloats(hx) | HalfwayBetweenFloats(hy)));
    const __m512d sx = ToFloatAndBack(hx);
    const __m512d sy = ToFloatAndBack(hy);
    const __m512d ix = _mm512_roundscale_pd(sx, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    const __m512d iy = _mm512_roundscale_pd(sy, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    const __mmask8 interior = Between(ix, one, widthLess1) & Between(iy, one, heightLess1);
    if (static_cast<__mmask8>(sure & interior) != 0xFF) {
      const __mmask8 outside =
          _mm512_cmp_pd_mask(sx, minusOne, _CMP_LE_OQ) | _mm512_cmp_pd_mask(sx, width, _CMP_GE_OQ) |
          _mm512_cmp_pd_mask(sy, minusOne, _CMP_LE_OQ) | _mm512_cmp_pd_mask(sy, height, _CMP_GE_OQ);
      if (static_cast<__mmask8>(sure & outside) == 0xFF) {
        for (int k = 0; k < 8; ++k) std::memcpy(out + 3 * k, s.background, 3);
      } else {
        PixelsOneByOne(s, x, py, pyCos, pySin, out);
      }
      continue;
    }
    const __m512d fx = _mm512_sub_pd(sx, ix);
    const __m512d fy = _mm512_sub_pd(sy, iy);

    const std::int64_t aheadX =
        static_cast<std::int64_t>(_mm_cvtsd_f64(_mm512_castpd512_pd128(ix))) + aheadDx;
    const std::int64_t aheadY =
        static_cast<std::int64_t>(_mm_cvtsd_f64(_mm512_castpd512_pd128(iy))) + aheadDy;
    if (aheadX >= 0 && aheadX < s.W && aheadY >= 0 && aheadY + 1 < s.H) {
      const auto column = static_cast<std::int32_t>(aheadX);
      const auto line = static_cast<std::int32_t>(aheadY);
      _mm_prefetch(reinterpret_cast<const char*>(s.source.PixelAddress(column, line)), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(s.source.PixelAddress(column, line + 1)),
                   _MM_HINT_T0);
    }
    // Byte offsets of the eight bytes before (ix + 1, iy)'s end: whole numbers far below 2^53,
    // so the double arithmetic is exact.
    const __m512i upperAt = _mm512_cvtpd_epi64(
        _mm512_add_pd(_mm512_mul_pd(iy, stride), _mm512_sub_pd(_mm512_mul_pd(ix, three), two)));
    const __m512i upper = _mm512_i64gather_epi64(upperAt, s.pixels, 1);
    const __m512i lower =
        _mm512_i64gather_epi64(_mm512_add_epi64(upperAt, strideBytes), s.pixels, 1);

    const __m512d wx = _mm512_sub_pd(one, fx);
    const __m512d wy = _mm512_sub_pd(one, fy);
    __mmask8 onHalf = 0;
    __m256i channel[3];
    for (int c = 0; c < 3; ++c) {
      const __m512d top = ToFloatAndBack(_mm512_add_pd(_mm512_mul_pd(ByteOf(upper, left[c]), wx),
                                                       _mm512_mul_pd(ByteOf(upper, right[c]), fx)));
      const __m512d bottom = ToFloatAndBack(_mm512_add_pd(
          _mm512_mul_pd(ByteOf(lower, left[c]), wx), _mm512_mul_pd(ByteOf(lower, right[c]), fx)));
      const __m512d v = _mm512_add_pd(_mm512_mul_pd(top, wy), _mm512_mul_pd(bottom, fy));
      const __m512d rounded =
          _mm512_roundscale_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      onHalf |= _mm512_cmp_pd_mask(_mm512_abs_pd(_mm512_sub_pd(v, rounded)), half, _CMP_EQ_OQ);
      channel[c] = _mm512_cvtpd_epi32(rounded);
    }
    if (onHalf != 0) {
      PixelsOneByOne(s, x, py, pyCos, pySin, out);
      continue;
    }
    // Packing works within 128-bit halves: the low half gets pixels 0-3 as B B B B G G G G
    // R R R R, the high half pixels 4-7; each is then interleaved to B G R B G R ...
    const __m256i blueGreen = _mm256_packus_epi32(channel[0], channel[1]);
    const __m256i red = _mm256_packus_epi32(channel[2], _mm256_setzero_si256());
    const __m256i pixels = _mm256_shuffle_epi8(_mm256_packus_epi16(blueGreen, red), interleave);
    for (int h = 0; h < 2; ++h) {
      const __m128i four =
          h == 0 ? _mm256_castsi256_si128(pixels) : _mm256_extracti128_si256(pixels, 1);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 12 * h), four);
      const std::int32_t last = _mm_extract_epi32(four, 2);
      std::memcpy(out + 12 * h + 8, &last, 4);
    }
  }
  for (; x < end; ++x, out += 3) {
    if (!s.PixelDouble(x, pyCos, pySin, out)) s.PixelExtended(s.px[x], py, out);
  }
}

}  // namespace rumora::rotation
