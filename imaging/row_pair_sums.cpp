#include "imaging/row_pair_sums.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace rumora {
namespace {

void ScalarSums(std::uint32_t* sums, std::size_t begin, std::size_t count,
                const std::uint8_t* const* rows, const std::uint32_t* weights, std::size_t pairs) {
  for (std::size_t n = begin; n < count; ++n) {
    std::uint32_t sum = 0;
    for (std::size_t p = 0; p < pairs; ++p) {
      sum += rows[2 * p][n] * (weights[p] & 0xFFFF) + rows[2 * p + 1][n] * (weights[p] >> 16);
    }
    sums[n] = sum;
  }
}

#if defined(__x86_64__)
// Sixteen columns at a time: the two rows' bytes interleaved and widened to 16 bits, so that one
// multiply-add forms w_a * a + w_b * b for four columns.
void Sse2Sums(std::uint32_t* sums, std::size_t begin, std::size_t count,
              const std::uint8_t* const* rows, const std::uint32_t* weights, std::size_t pairs) {
  const __m128i zero = _mm_setzero_si128();
  std::size_t n = begin;
  for (; n + 16 <= count; n += 16) {
    __m128i acc[4] = {zero, zero, zero, zero};
    for (std::size_t p = 0; p < pairs; ++p) {
      const __m128i w = _mm_set1_epi32(static_cast<int>(weights[p]));
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * p] + n));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * p + 1] + n));
      const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
      acc[0] = _mm_add_epi32(acc[0], _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), w));
      acc[1] = _mm_add_epi32(acc[1], _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), w));
      acc[2] = _mm_add_epi32(acc[2], _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), w));
      acc[3] = _mm_add_epi32(acc[3], _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), w));
    }
    for (int q = 0; q < 4; ++q) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + n + 4 * q), acc[q]);
    }
  }
  ScalarSums(sums, n, count, rows, weights, pairs);
}

// The same with 32 columns at a time. The unpacks work within each 128-bit half, so the sums of
// columns 0-3 and 16-19 share a register until the halves are put in order at the store.
__attribute__((target("avx2"))) void Avx2Sums(std::uint32_t* sums, std::size_t count,
                                              const std::uint8_t* const* rows,
                                              const std::uint32_t* weights, std::size_t pairs) {
  const __m256i zero = _mm256_setzero_si256();
  std::size_t n = 0;
  for (; n + 32 <= count; n += 32) {
    __m256i acc[4] = {zero, zero, zero, zero};
    for (std::size_t p = 0; p < pairs; ++p) {
      const __m256i w = _mm256_set1_epi32(static_cast<int>(weights[p]));
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2 * p] + n));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2 * p + 1] + n));
      const __m256i lo = _mm256_unpacklo_epi8(a, b), hi = _mm256_unpackhi_epi8(a, b);
      acc[0] = _mm256_add_epi32(acc[0], _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), w));
      acc[1] = _mm256_add_epi32(acc[1], _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), w));
      acc[2] = _mm256_add_epi32(acc[2], _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), w));
      acc[3] = _mm256_add_epi32(acc[3], _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), w));
    }
    // acc[0] holds columns 0-3 | 16-19, acc[1] 4-7 | 20-23, acc[2] 8-11 | 24-27, acc[3] 12-15 |
    // 28-31.
    auto* out = reinterpret_cast<__m256i*>(sums + n);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(acc[0], acc[1], 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(acc[2], acc[3], 0x20));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(acc[0], acc[1], 0x31));
    _mm256_storeu_si256(out + 3, _mm256_permute2x128_si256(acc[2], acc[3], 0x31));
  }
  Sse2Sums(sums, n, count, rows, weights, pairs);
}

__attribute__((target("avx2"))) void Avx2PixelTaps(std::uint64_t* out, int pixels,
                                                   const std::uint32_t* sums,
                                                   const std::size_t* begin,
                                                   const std::uint32_t* offsets,
                                                   const std::uint32_t* weights) {
  for (int i = 0; i < pixels; ++i) {
    __m256i acc = _mm256_setzero_si256();
    for (std::size_t t = begin[i]; t < begin[i + 1]; ++t) {
      const __m256i pixel = _mm256_cvtepu32_epi64(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + offsets[t])));
      acc = _mm256_add_epi64(acc, _mm256_mul_epu32(pixel, _mm256_set1_epi64x(weights[t])));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i), acc);
  }
}

// One pixel a vector, its channels as doubles: a sum below 2^52 is the double whose significand
// it fills; times the double nearest 1 / d it is within 2^-44 of sum / d, while a quotient that
// does not lie halfway lies at least 1 / (2 d) >= 2^-43 from every half, so its nearest integer k
// is right. A quotient halfway between two integers leaves the remainder sum - k d, exact in
// doubles, at d / 2 either way; it then takes the even one.
__attribute__((target("avx2"))) void Avx2RoundPixelSums(std::uint8_t* out, int pixels,
                                                        const std::uint64_t* sums,
                                                        std::uint64_t denominator) {
  const __m256d twoTo52 = _mm256_set1_pd(4503599627370496.0);
  const __m256d d = _mm256_set1_pd(static_cast<double>(denominator));
  const __m256d inverse = _mm256_set1_pd(1.0 / static_cast<double>(denominator));
  const __m256d halfD = _mm256_set1_pd(static_cast<double>(denominator) / 2);
  const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m256d one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
  for (int i = 0; i < pixels; ++i) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + 4 * i));
    const __m256d x = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(v, _mm256_castpd_si256(twoTo52))), twoTo52);
    __m256d k =
        _mm256_round_pd(_mm256_mul_pd(x, inverse), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d r = _mm256_sub_pd(x, _mm256_mul_pd(k, d));
    const __m256d halves = _mm256_cmp_pd(_mm256_and_pd(r, magnitude), halfD, _CMP_EQ_OQ);
    if (!_mm256_testz_pd(halves, halves)) {
      const __m256d low =
          _mm256_sub_pd(k, _mm256_and_pd(_mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_LT_OQ), one));
      const __m256d odd = _mm256_sub_pd(
          low, _mm256_mul_pd(_mm256_floor_pd(_mm256_mul_pd(low, half)), _mm256_set1_pd(2.0)));
      k = _mm256_blendv_pd(k, _mm256_add_pd(low, odd), halves);
    }
    const __m128i words = _mm_packus_epi32(_mm256_cvtpd_epi32(k), _mm_setzero_si128());
    const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out + 3 * i, &bytes, 3);
  }
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

void ScalarPixelTaps(std::uint64_t* out, int pixels, const std::uint32_t* sums,
                     const std::size_t* begin, const std::uint32_t* offsets,
                     const std::uint32_t* weights) {
  for (int i = 0; i < pixels; ++i) {
    std::uint64_t blue = 0, green = 0, red = 0;
    for (std::size_t t = begin[i]; t < begin[i + 1]; ++t) {
      const std::uint32_t* s = sums + offsets[t];
      blue += std::uint64_t{weights[t]} * s[0];
      green += std::uint64_t{weights[t]} * s[1];
      red += std::uint64_t{weights[t]} * s[2];
    }
    out[4 * i] = blue;
    out[4 * i + 1] = green;
    out[4 * i + 2] = red;
  }
}

}  // namespace

void SumRowPairs(std::uint32_t* sums, std::size_t count, const std::uint8_t* const* rows,
                 const std::uint32_t* weights, std::size_t pairs) {
#if defined(__x86_64__)
  if (kHasAvx2) {
    Avx2Sums(sums, count, rows, weights, pairs);
  } else {
    Sse2Sums(sums, 0, count, rows, weights, pairs);
  }
#else
  ScalarSums(sums, 0, count, rows, weights, pairs);
#endif
}

void RoundPixelSums(std::uint8_t* out, int pixels, const std::uint64_t* sums,
                    std::uint64_t denominator) {
#if defined(__x86_64__)
  if (kHasAvx2) {
    Avx2RoundPixelSums(out, pixels, sums, denominator);
    return;
  }
#endif
  for (int i = 0; i < 3 * pixels; ++i) {
    const std::uint64_t sum = sums[i / 3 * 4 + i % 3];
    std::uint64_t q = sum / denominator;
    const std::uint64_t twice = 2 * (sum - q * denominator);
    q += twice > denominator || (twice == denominator && (q & 1) != 0);
    out[i] = static_cast<std::uint8_t>(q);
  }
}

void SumPixelTaps(std::uint64_t* out, int pixels, const std::uint32_t* sums,
                  const std::size_t* begin, const std::uint32_t* offsets,
                  const std::uint32_t* weights) {
#if defined(__x86_64__)
  if (kHasAvx2) {
    Avx2PixelTaps(out, pixels, sums, begin, offsets, weights);
    return;
  }
#endif
  ScalarPixelTaps(out, pixels, sums, begin, offsets, weights);
}

}  // namespace rumora
