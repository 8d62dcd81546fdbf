#include "imaging/row_pair_sums.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

// Two target pixels a vector, each in a 128-bit half: its three channel sums and a fourth lane
// that is not used. For a sum s below 2^32 and a denominator d below 2^24.01, the float estimate
// of s / d lies within 5e-5 of it (formed from s / 2 when s may reach 2^31, which moves it by
// 1 / d at most, d then being above 2^23), so its nearest integer k is within 0.51 of the
// quotient: the remainder s - k d, exact in 32 bits, settles the result with one step up or
// down, halves to even.
struct PixelRounding {
  __m256i denominator, one;
  __m256 scale;   // 2^shift / d
  __m128i shift;  // 1 when a sum may reach 2^31, else 0
};

__attribute__((target("avx2"), always_inline)) inline __m256i RoundTwoPixels(
    __m256i s, const PixelRounding& k) {
  const __m256 estimate = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srl_epi32(s, k.shift)), k.scale);
  __m256i q = _mm256_cvtps_epi32(estimate);
  const __m256i twice =
      _mm256_slli_epi32(_mm256_sub_epi32(s, _mm256_mullo_epi32(q, k.denominator)), 1);
  // 2 |r| + (q odd) > d: past the half, or on it with q odd.
  const __m256i step = _mm256_cmpgt_epi32(
      _mm256_add_epi32(_mm256_abs_epi32(twice), _mm256_and_si256(q, k.one)), k.denominator);
  return _mm256_sub_epi32(q, _mm256_sign_epi32(step, twice));
}

// Eight target pixels from pixel i into out[0, 24); out[24, 28) is overwritten too. FixedTaps,
// when above 0, is the number of taps known in advance, so that the loops unroll.
template <int FixedTaps>
__attribute__((target("avx2"), always_inline)) inline void EightPixels(std::uint8_t* out,
                                                                       const std::uint32_t* sums,
                                                                       const AdjacentTaps& taps,
                                                                       int i,
                                                                       const PixelRounding& k) {
  const int count = FixedTaps > 0 ? FixedTaps : taps.Taps();
  __m256i q[4];
#pragma GCC unroll 4
  for (int pair = 0; pair < 4; ++pair) {
    const std::uint32_t* a = sums + taps.First(i + 2 * pair);
    const std::uint32_t* b = sums + taps.First(i + 2 * pair + 1);
    const std::uint32_t* w = taps.PairWeights(i / 2 + pair, 0);
    __m256i acc = _mm256_setzero_si256();
#pragma GCC unroll 8
    for (int t = 0; t < count; ++t) {
      const __m256i s = _mm256_inserti128_si256(
          _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 3 * t))),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 3 * t)), 1);
      acc = _mm256_add_epi32(
          acc,
          _mm256_mullo_epi32(s, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + 8 * t))));
    }
    q[pair] = RoundTwoPixels(acc, k);
  }
  // The packs work within each 128-bit half: pixels 0 2 4 6 | 1 3 5 7, four bytes each; the
  // permute puts them in order and the shuffle drops every fourth byte.
  const __m256i bytes =
      _mm256_packus_epi16(_mm256_packus_epi32(q[0], q[1]), _mm256_packus_epi32(q[2], q[3]));
  const __m256i ordered =
      _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
  const __m256i packed = _mm256_shuffle_epi8(
      ordered, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4,
                                5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12), _mm256_extracti128_si256(packed, 1));
}

template <int FixedTaps>
__attribute__((target("avx2"))) void Avx2SumAndRoundRow(std::uint8_t* out,
                                                        const std::uint32_t* sums,
                                                        const AdjacentTaps& taps,
                                                        const PixelRounding& k) {
  const int pixels = taps.Pixels();
  int i = 0;
  // Whole groups while four bytes beyond them are still the row's; the rest through a copy.
  for (; i + 10 <= pixels; i += 8) EightPixels<FixedTaps>(out + 3 * i, sums, taps, i, k);
  for (; i < pixels; i += 8) {
    std::uint8_t bytes[32];
    EightPixels<FixedTaps>(bytes, sums, taps, i, k);
    std::memcpy(out + 3 * i, bytes, static_cast<std::size_t>(3 * std::min(8, pixels - i)));
  }
}

__attribute__((target("avx2"))) void Avx2SumAndRoundPixels(std::uint8_t* out,
                                                           const std::uint32_t* sums,
                                                           const AdjacentTaps& taps,
                                                           std::uint32_t denominator) {
  const bool wide = std::uint64_t{denominator} * 255 >= std::uint64_t{1} << 31;
  const PixelRounding k{_mm256_set1_epi32(static_cast<int>(denominator)), _mm256_set1_epi32(1),
                        _mm256_set1_ps(static_cast<float>((wide ? 2.0 : 1.0) / denominator)),
                        _mm_cvtsi32_si128(wide ? 1 : 0)};
  // Enlarging takes two taps, reducing by up to 6 at most 8.
  switch (taps.Taps()) {
    case 2:
      return Avx2SumAndRoundRow<2>(out, sums, taps, k);
    case 3:
      return Avx2SumAndRoundRow<3>(out, sums, taps, k);
    case 4:
      return Avx2SumAndRoundRow<4>(out, sums, taps, k);
    case 5:
      return Avx2SumAndRoundRow<5>(out, sums, taps, k);
    case 6:
      return Avx2SumAndRoundRow<6>(out, sums, taps, k);
    case 7:
      return Avx2SumAndRoundRow<7>(out, sums, taps, k);
    case 8:
      return Avx2SumAndRoundRow<8>(out, sums, taps, k);
    default:
      return Avx2SumAndRoundRow<0>(out, sums, taps, k);
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

AdjacentTaps::AdjacentTaps(std::span<const std::uint32_t> first,
                           std::span<const std::uint32_t> weights, int taps)
    : pixels_(static_cast<int>(first.size())), taps_(taps) {
  // Whole groups of eight pixels; those beyond the row read its last pixel's sums with no weight.
  const std::size_t groups = (first.size() + 7) / 8;
  first_.assign(first.begin(), first.end());
  first_.resize(8 * groups, first.empty() ? 0 : first.back());
  weights_.resize(8 * groups * 4 * static_cast<std::size_t>(taps));
  for (int i = 0; i < pixels_; ++i) {
    for (int t = 0; t < taps; ++t) {
      std::fill_n(weights_.begin() + static_cast<std::ptrdiff_t>(WeightIndex(i, t)), 4,
                  weights[static_cast<std::size_t>(i) * static_cast<std::size_t>(taps) +
                          static_cast<std::size_t>(t)]);
    }
  }
}

void SumAndRoundPixels(std::uint8_t* out, const std::uint32_t* sums, const AdjacentTaps& taps,
                       std::uint32_t denominator) {
#if defined(__x86_64__)
  if (kHasAvx2) {
    Avx2SumAndRoundPixels(out, sums, taps, denominator);
    return;
  }
#endif
  for (int i = 0; i < taps.Pixels(); ++i) {
    for (int c = 0; c < 3; ++c) {
      std::uint64_t sum = 0;
      for (int t = 0; t < taps.Taps(); ++t) {
        sum += std::uint64_t{taps.Weight(i, t)} * sums[taps.First(i) + 3 * t + c];
      }
      std::uint64_t q = sum / denominator;
      const std::uint64_t twice = 2 * (sum - q * denominator);
      q += twice > denominator || (twice == denominator && (q & 1) != 0);
      out[3 * i + c] = static_cast<std::uint8_t>(q);
    }
  }
}

}  // namespace rumora
