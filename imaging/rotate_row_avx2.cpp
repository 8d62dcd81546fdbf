// The free rotation's row kernel with AVX2: four destination pixels at a time.
#include <immintrin.h>

#include "imaging/rotate_sampler.h"

// Everything from here on may use the instruction set; the shared headers above may not.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif
#include "imaging/rotate_row_kernel.h"

namespace rumora::rotation {
namespace {

struct Avx2 {
  static constexpr std::size_t kLanes = 4;
  using Double = __m256d;
  using Mask = __m256d;  // all ones in a lane that holds
  using Words = __m256i;

  static Double Set(double v) { return _mm256_set1_pd(v); }
  static Double Iota() { return _mm256_setr_pd(0, 1, 2, 3); }
  static Double Load(const double* p) { return _mm256_loadu_pd(p); }
  static Double Add(Double a, Double b) { return _mm256_add_pd(a, b); }
  static Double Sub(Double a, Double b) { return _mm256_sub_pd(a, b); }
  static Double Mul(Double a, Double b) { return _mm256_mul_pd(a, b); }
  static Double Abs(Double v) {
    return _mm256_and_pd(v, _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF)));
  }
  static Double Floor(Double v) { return _mm256_floor_pd(v); }
  static Double RoundEven(Double v) {
    return _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  }
  static Double ToFloatAndBack(Double v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }
  static double First(Double v) { return _mm256_cvtsd_f64(v); }

  static Mask None() { return _mm256_setzero_pd(); }
  static Mask And(Mask a, Mask b) { return _mm256_and_pd(a, b); }
  static Mask Or(Mask a, Mask b) { return _mm256_or_pd(a, b); }
  static Mask AndNot(Mask no, Mask yes) { return _mm256_andnot_pd(no, yes); }
  static bool All(Mask m) { return _mm256_movemask_pd(m) == 0xF; }
  static bool Any(Mask m) { return _mm256_movemask_pd(m) != 0; }
  static Mask Equal(Double a, Double b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  static Mask AtMost(Double a, Double b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
  static Mask AtLeast(Double a, Double b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
  static Mask Between(Double v, Double low, Double highExclusive) {
    return And(AtLeast(v, low), _mm256_cmp_pd(v, highExclusive, _CMP_LT_OQ));
  }
  // Lanes whose double lies exactly halfway between two floats (see FloatRoundingUnsure).
  static Mask HalfwayBetweenFloats(Double h) {
    const __m256i bits = _mm256_castpd_si256(h);
    return _mm256_castsi256_pd(_mm256_cmpeq_epi64(
        _mm256_and_si256(bits, _mm256_set1_epi64x(0x1FFFFFFF)), _mm256_set1_epi64x(0x10000000)));
  }

  // Built in registers from scalar loads: a vector load of four separate stores would stall.
  static void Gather(const Sampler& s, Double ix, Double iy, Words& upper, Words& lower) {
    alignas(16) std::int32_t columns[4];
    alignas(16) std::int32_t lines[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(columns), _mm256_cvttpd_epi32(ix));
    _mm_store_si128(reinterpret_cast<__m128i*>(lines), _mm256_cvttpd_epi32(iy));
    std::int64_t top[4];
    std::int64_t bottom[4];
    for (int k = 0; k < 4; ++k) {
      const std::uint8_t* at = s.pixels + lines[k] * s.stride + 3 * std::int64_t{columns[k]} - 2;
      std::memcpy(&top[k], at, 8);
      std::memcpy(&bottom[k], at + s.stride, 8);
    }
    upper = _mm256_setr_epi64x(top[0], top[1], top[2], top[3]);
    lower = _mm256_setr_epi64x(bottom[0], bottom[1], bottom[2], bottom[3]);
  }
  // The words of four pixels side by side from `run` on: sixteen bytes from the one before.
  static Words RunWords(const std::uint8_t* run) {
    const __m256i window =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(run - 1)));
    return _mm256_shuffle_epi8(window, RunShuffle());
  }
  static Words Blend(Words no, Words yes, Mask where) {
    return _mm256_blendv_epi8(no, yes, _mm256_castpd_si256(where));
  }
  // Byte `at` of each lane as a double: moved into the low mantissa bits of 2^52, which is then
  // taken away again.
  static Double ByteOf(Words words, Words select) {
    const __m256i byte = _mm256_shuffle_epi8(words, select);
    return _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(byte, _mm256_set1_epi64x(0x4330000000000000))),
        _mm256_set1_pd(0x1p52));
  }
  static Words SelectByte(int at) {
    const std::int64_t even = kSelectNone | at;
    return _mm256_setr_epi64x(even, even + 8, even, even + 8);
  }
  static Words RunShuffle() {
    return _mm256_setr_epi64x(kRunLane0, kRunLane1, kRunLane0 + kRunNextPair,
                              kRunLane1 + kRunNextPair);
  }

  // B0 G0 R0 B1 G1 R1 ... from the rounded channels: twelve bytes.
  static void StorePixels(Double blue, Double green, Double red, std::uint8_t* out) {
    const __m128i blueGreen = _mm_packus_epi32(_mm256_cvtpd_epi32(blue), _mm256_cvtpd_epi32(green));
    const __m128i redZero = _mm_packus_epi32(_mm256_cvtpd_epi32(red), _mm_setzero_si128());
    const __m128i interleave = _mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15);
    const __m128i pixels = _mm_shuffle_epi8(_mm_packus_epi16(blueGreen, redZero), interleave);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pixels);
    const std::int32_t last = _mm_extract_epi32(pixels, 2);
    std::memcpy(out + 8, &last, 4);
  }
};

}  // namespace

std::size_t RotateRowAvx2(const Sampler& sampler, float py, std::size_t begin, std::size_t end,
                          std::uint8_t* row) {
  return RotateRowVector<Avx2>(sampler, py, begin, end, row);
}

}  // namespace rumora::rotation

#if defined(__clang__)
#pragma clang attribute pop
#endif
