// The matrix-and-curves conversion with AVX2, eight pixels at a time: the same integer steps as
// the plain loop, so the same bytes.
#include <immintrin.h>

#include "imaging/colour_conversion.h"

// Everything from here on may use the instruction set; the shared header above may not.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace rumora::colour_detail {
namespace {

// What each output channel needs, read once: the byte stores of the loop could alias the
// tables, so the compiler would read them again at every pixel group.
struct Row {
  __m256i redGreen, blue, rounding;
  const int* encode;
};

// One output channel: the matrix row over the linear values as two pairwise 16-bit products
// summed in 32 bits, exactly as the plain loop's sum; then rounded, clipped, encoded into the
// channel's byte of the pixel.
inline __m256i Channel(const Row& row, __m128i shift, __m256i redGreen, __m256i blue) {
  const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(redGreen, row.redGreen),
                                                        _mm256_madd_epi16(blue, row.blue)),
                                       row.rounding);
  const __m256i index =
      _mm256_min_epi32(_mm256_max_epi32(_mm256_sra_epi32(sum, shift), _mm256_setzero_si256()),
                       _mm256_set1_epi32(MatrixShaperConversion::kOne));
  return _mm256_i32gather_epi32(row.encode, index, 4);
}

}  // namespace

std::size_t ConvertPixelsAvx2(const MatrixShaperConversion::Layout& l, std::uint8_t* bgr,
                              std::size_t pixels) {
  // Eight pixels are 24 bytes, read as bytes 0-15 (`low`) and 8-23 (`high`). These shuffles put
  // the eight blue bytes then the eight green bytes into one register, and the eight red bytes
  // into another (-1 clears a byte).
  const __m128i blueGreenFromLow =
      _mm_setr_epi8(0, 3, 6, 9, 12, 15, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1);
  const __m128i blueGreenFromHigh =
      _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 10, 13, -1, -1, -1, -1, -1, 8, 11, 14);
  const __m128i redFromLow =
      _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i redFromHigh =
      _mm_setr_epi8(-1, -1, -1, -1, -1, 9, 12, 15, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i packBytes = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i pack = _mm256_broadcastsi128_si256(packBytes);
  const __m256i joinLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
  Row rows[3];
  for (int r = 0; r < 3; ++r) {
    rows[r] = {_mm256_set1_epi32(static_cast<int>(l.redGreen[r])),
               _mm256_set1_epi32(static_cast<int>(l.blue[r])), _mm256_set1_epi32(l.rounding[r]),
               reinterpret_cast<const int*>(l.placed[r].data())};
  }
  const __m128i shift = _mm_cvtsi32_si128(l.tables.matrixShift);
  const int* const pairTables[3] = {reinterpret_cast<const int*>(l.pairs[0].data()),
                                    reinterpret_cast<const int*>(l.pairs[1].data()),
                                    reinterpret_cast<const int*>(l.pairs[2].data())};
  std::size_t done = 0;
  for (; done + 8 <= pixels; done += 8) {
    std::uint8_t* p = bgr + 3 * done;
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
    const __m128i blueGreen = _mm_or_si128(_mm_shuffle_epi8(low, blueGreenFromLow),
                                           _mm_shuffle_epi8(high, blueGreenFromHigh));
    const __m128i red =
        _mm_or_si128(_mm_shuffle_epi8(low, redFromLow), _mm_shuffle_epi8(high, redFromHigh));
    const auto pairs = [&](int channel, __m128i samples) {
      return _mm256_i32gather_epi32(pairTables[channel], _mm256_cvtepu8_epi32(samples), 4);
    };
    const __m256i redGreen =
        _mm256_blend_epi16(pairs(0, red), pairs(1, _mm_srli_si128(blueGreen, 8)), 0xAA);
    const __m256i blue = pairs(2, blueGreen);
    const __m256i joined = _mm256_or_si256(_mm256_or_si256(Channel(rows[2], shift, redGreen, blue),
                                                           Channel(rows[1], shift, redGreen, blue)),
                                           Channel(rows[0], shift, redGreen, blue));
    // Three bytes of each pixel, the 24 bytes made contiguous.
    const __m256i packed =
        _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(joined, pack), joinLanes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm256_extracti128_si256(packed, 1));
  }
  return done;
}

}  // namespace rumora::colour_detail

#if defined(__clang__)
#pragma clang attribute pop
#endif
