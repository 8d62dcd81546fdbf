// The free rotation's row kernel with AVX-512 (F, BW, DQ, VL): eight destination pixels at a
// time.
// GCC 12 warns that the AVX-512 intrinsics' own placeholder operands (_mm512_undefined_pd and
// the like) may be used uninitialised; they never are.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "imaging/rotate_sampler.h"

// Everything from here on may use the instruction set; the shared headers above may not.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512dq,avx512vl"))), \
                             apply_to = function)
#else
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")
#endif
#include "imaging/rotate_row_kernel.h"

namespace rumora::rotation {
namespace {

struct Avx512 {
  static constexpr std::size_t kLanes = 8;
  using Double = __m512d;
  using Mask = __mmask8;
  using Words = __m512i;

  static Double Set(double v) { return _mm512_set1_pd(v); }
  static Double Iota() { return _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0); }
  static Double Load(const double* p) { return _mm512_loadu_pd(p); }
  static Double Add(Double a, Double b) { return _mm512_add_pd(a, b); }
  static Double Sub(Double a, Double b) { return _mm512_sub_pd(a, b); }
  static Double Mul(Double a, Double b) { return _mm512_mul_pd(a, b); }
  static Double Abs(Double v) { return _mm512_abs_pd(v); }
  static Double Floor(Double v) {
    return _mm512_roundscale_pd(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  }
  static Double RoundEven(Double v) {
    return _mm512_roundscale_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  }
  static Double ToFloatAndBack(Double v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }
  static double First(Double v) { return _mm_cvtsd_f64(_mm512_castpd512_pd128(v)); }

  static Mask None() { return 0; }
  static Mask And(Mask a, Mask b) { return static_cast<Mask>(a & b); }
  static Mask Or(Mask a, Mask b) { return static_cast<Mask>(a | b); }
  static Mask AndNot(Mask no, Mask yes) { return static_cast<Mask>(~no & yes); }
  static bool All(Mask m) { return m == 0xFF; }
  static bool Any(Mask m) { return m != 0; }
  static Mask Equal(Double a, Double b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
  static Mask AtMost(Double a, Double b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
  static Mask AtLeast(Double a, Double b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
  static Mask Between(Double v, Double low, Double highExclusive) {
    return And(AtLeast(v, low), _mm512_cmp_pd_mask(v, highExclusive, _CMP_LT_OQ));
  }
  static Mask HalfwayBetweenFloats(Double h) {
    return _mm512_cmpeq_epi64_mask(
        _mm512_and_si512(_mm512_castpd_si512(h), _mm512_set1_epi64(0x1FFFFFFF)),
        _mm512_set1_epi64(0x10000000));
  }

  // Byte offsets below 2^53, so the double arithmetic is exact.
  static void Gather(const Sampler& s, Double ix, Double iy, Words& upper, Words& lower) {
    const __m512i at =
        _mm512_cvtpd_epi64(_mm512_add_pd(_mm512_mul_pd(iy, Set(static_cast<double>(s.stride))),
                                         _mm512_sub_pd(_mm512_mul_pd(ix, Set(3.0)), Set(2.0))));
    upper = _mm512_i64gather_epi64(at, s.pixels, 1);
    lower = _mm512_i64gather_epi64(_mm512_add_epi64(at, _mm512_set1_epi64(s.stride)), s.pixels, 1);
  }
  // Pixels 0-3 from the window one byte before `run`, pixels 4-7 from the one twelve further.
  static Words RunWords(const std::uint8_t* run) {
    const __m256i first =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(run - 1)));
    const __m256i second =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(run + 11)));
    const __m512i windows = _mm512_inserti64x4(_mm512_castsi256_si512(first), second, 1);
    const std::int64_t next0 = kRunLane0 + kRunNextPair;
    const std::int64_t next1 = kRunLane1 + kRunNextPair;
    return _mm512_shuffle_epi8(windows, _mm512_set_epi64(next1, next0, kRunLane1, kRunLane0, next1,
                                                         next0, kRunLane1, kRunLane0));
  }
  static Words Blend(Words no, Words yes, Mask where) {
    return _mm512_mask_blend_epi64(where, no, yes);
  }
  static Double ByteOf(Words words, Words select) {
    const __m512i byte = _mm512_shuffle_epi8(words, select);
    return _mm512_sub_pd(
        _mm512_castsi512_pd(_mm512_or_si512(byte, _mm512_set1_epi64(0x4330000000000000))),
        _mm512_set1_pd(0x1p52));
  }
  static Words SelectByte(int at) {
    const std::int64_t even = kSelectNone | at;
    return _mm512_set_epi64(even + 8, even, even + 8, even, even + 8, even, even + 8, even);
  }

  // Packing works within 128-bit halves: the low half gets pixels 0-3 as B B B B G G G G
  // R R R R, the high half pixels 4-7; each is then interleaved to B G R B G R ...
  static void StorePixels(Double blue, Double green, Double red, std::uint8_t* out) {
    const __m256i blueGreen =
        _mm256_packus_epi32(_mm512_cvtpd_epi32(blue), _mm512_cvtpd_epi32(green));
    const __m256i redZero = _mm256_packus_epi32(_mm512_cvtpd_epi32(red), _mm256_setzero_si256());
    const __m256i interleave =
        _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15, 0, 4, 8, 1, 5, 9, 2,
                         6, 10, 3, 7, 11, 12, 13, 14, 15);
    const __m256i pixels = _mm256_shuffle_epi8(_mm256_packus_epi16(blueGreen, redZero), interleave);
    for (int h = 0; h < 2; ++h) {
      const __m128i four =
          h == 0 ? _mm256_castsi256_si128(pixels) : _mm256_extracti128_si256(pixels, 1);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 12 * h), four);
      const std::int32_t last = _mm_extract_epi32(four, 2);
      std::memcpy(out + 12 * h + 8, &last, 4);
    }
  }
};

}  // namespace

std::size_t RotateRowAvx512(const Sampler& sampler, float py, std::size_t begin, std::size_t end,
                            std::uint8_t* row) {
  return RotateRowVector<Avx512>(sampler, py, begin, end, row);
}

}  // namespace rumora::rotation

#if defined(__clang__)
#pragma clang attribute pop
#endif
