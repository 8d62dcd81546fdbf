// The free rotation's row kernel with AVX2: eight destination pixels at a time, each giving
// exactly the bytes of Sampler::PixelExtended.
//
// Only pixels that lie well inside the photo take the vector steps (all four neighbours inside,
// none in the first row or column). There sx >= 1 and sy >= 1, so fx and fy are multiples of
// 2^-23 (a float from 1 up has no finer bits). With Fx = fx * 2^23, the row
// blend P * (1 - fx) + P' * fx is exactly (P * 2^23 + (P' - P) * Fx) / 2^23: an integer below
// 2^31 over a power of two, and converting that integer to a float rounds it just as the
// extended value is rounded. The final blend top * (1 - fy) + bottom * fy is exact in extended;
// here it is formed in float, less than 2^-15 from the exact value (three roundings of values
// below 256, each at most 2^-17 off), so rounding it to an integer gives the exact value's
// rounding unless it lies within 2^-14 of a half. A pixel with such a value, with a position
// whose double sum lies halfway between two floats, or near the photo's edge is done on its own
// by the shared steps.
#include <immintrin.h>

#include <array>

#include "imaging/rotate_sampler.h"

// Everything from here on may use the instruction set; the shared header above may not.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace rumora::rotation {
namespace {

constexpr std::size_t kLanes = 8;

// Byte shuffle controls that put one byte into the low byte of each 32-bit lane and clear the
// rest (a control byte of -128 clears). The shuffle works within each 128-bit block.
struct Control {
  alignas(32) std::array<std::int8_t, 32> bytes;
};

// Lane k of the low block takes byte lowFirst + 3 k, of the high block highFirst + 3 k.
constexpr Control Spaced(int lowFirst, int highFirst) {
  Control c{};
  for (int i = 0; i < 32; ++i) c.bytes[i] = -128;
  for (int k = 0; k < 4; ++k) {
    c.bytes[4 * k] = static_cast<std::int8_t>(lowFirst + 3 * k);
    c.bytes[16 + 4 * k] = static_cast<std::int8_t>(highFirst + 3 * k);
  }
  return c;
}

// Lanes 0 and 1 (or 2 and 3) of each block take byte `at` of the block's first and second
// 64-bit word; the other two stay clear.
constexpr Control FromWords(int at, bool lanes01) {
  Control c{};
  for (int i = 0; i < 32; ++i) c.bytes[i] = -128;
  for (int block = 0; block < 2; ++block) {
    const int lane = lanes01 ? 0 : 2;
    c.bytes[16 * block + 4 * lane] = static_cast<std::int8_t>(at);
    c.bytes[16 * block + 4 * lane + 4] = static_cast<std::int8_t>(at + 8);
  }
  return c;
}

// A run window holds the sixteen bytes from pixel ix0 in its low block and the sixteen from
// byte 11 after it in its high block: channel c of pixel ix0 + k is byte 3 k + c of the low
// block for k < 4, and byte 1 + 3 (k - 4) + c of the high block for the rest.
constexpr Control kRunLeft[3] = {Spaced(0, 1), Spaced(1, 2), Spaced(2, 3)};
constexpr Control kRunRight[3] = {Spaced(3, 4), Spaced(4, 5), Spaced(5, 6)};
// A gathered word is the eight bytes that end at the last byte of the right neighbour: channel
// c of the pixel is its byte 2 + c, of the neighbour 5 + c. Words A hold lanes 0, 1 | 4, 5 and
// words B lanes 2, 3 | 6, 7.
constexpr Control kWordLeftA[3] = {FromWords(2, true), FromWords(3, true), FromWords(4, true)};
constexpr Control kWordLeftB[3] = {FromWords(2, false), FromWords(3, false), FromWords(4, false)};
constexpr Control kWordRightA[3] = {FromWords(5, true), FromWords(6, true), FromWords(7, true)};
constexpr Control kWordRightB[3] = {FromWords(5, false), FromWords(6, false), FromWords(7, false)};

__m256i Load(const Control& c) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(c.bytes.data()));
}

// Where a group's source pixels come from. Each gives, for the upper or lower source row and a
// channel, the channel value of each lane's pixel and of its right neighbour, one 32-bit lane
// each; made channel by channel, so that few registers are live at once.
struct Lanes {
  __m256i left;
  __m256i right;
};

// Sixteen bytes from `run` in the low block and sixteen from byte 11 after it in the high one.
__m256i RunWindow(const std::uint8_t* run) {
  return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(run + 11),
                             reinterpret_cast<const __m128i*>(run));
}

Lanes FromWindow(__m256i window, int c) {
  return {_mm256_shuffle_epi8(window, Load(kRunLeft[c])),
          _mm256_shuffle_epi8(window, Load(kRunRight[c]))};
}

// The group side by side on one source row.
struct OneRow {
  __m256i upper;
  __m256i lower;
  Lanes Get(bool lowerRow, int c) const { return FromWindow(lowerRow ? lower : upper, c); }
};

// Side by side, stepping once to the row above (or below): a lane off the first row takes
// `other` for its upper (or lower) row.
struct SteppedRows {
  __m256i here;
  __m256i below;
  __m256i other;
  __m256i onFirstRow;
  bool stepsUp;
  Lanes Get(bool lowerRow, int c) const {
    const __m256i firstRow = lowerRow ? below : here;
    const __m256i offRow = stepsUp ? (lowerRow ? here : other) : (lowerRow ? other : below);
    const Lanes first = FromWindow(firstRow, c);
    const Lanes off = FromWindow(offRow, c);
    return {_mm256_blendv_epi8(off.left, first.left, onFirstRow),
            _mm256_blendv_epi8(off.right, first.right, onFirstRow)};
  }
};

// The eight bytes from p + offset for each of p0 p1 | p2 p3, loaded straight into the vector.
__m256i Words(const std::uint8_t* p0, const std::uint8_t* p1, const std::uint8_t* p2,
              const std::uint8_t* p3, std::int64_t offset) {
  const auto pair = [offset](const std::uint8_t* a, const std::uint8_t* b) {
    const __m128d low =
        _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + offset)));
    return _mm_castpd_si128(_mm_loadh_pd(low, reinterpret_cast<const double*>(b + offset)));
  };
  return _mm256_set_m128i(pair(p2, p3), pair(p0, p1));
}

// Anywhere: per lane the eight bytes that end at the last byte of the right neighbour; words A
// hold lanes 0, 1 | 4, 5 and words B lanes 2, 3 | 6, 7.
struct Gathered {
  __m256i upperA, upperB, lowerA, lowerB;
  Lanes Get(bool lowerRow, int c) const {
    const __m256i a = lowerRow ? lowerA : upperA;
    const __m256i b = lowerRow ? lowerB : upperB;
    return {_mm256_or_si256(_mm256_shuffle_epi8(a, Load(kWordLeftA[c])),
                            _mm256_shuffle_epi8(b, Load(kWordLeftB[c]))),
            _mm256_or_si256(_mm256_shuffle_epi8(a, Load(kWordRightA[c])),
                            _mm256_shuffle_epi8(b, Load(kWordRightB[c])))};
  }
};

// The row blend of each lane as the float it rounds to, times 2^23.
__m256 RowBlend(__m256i left, __m256i right, __m256i fx) {
  const __m256i scaled = _mm256_add_epi32(_mm256_slli_epi32(left, 23),
                                          _mm256_mullo_epi32(_mm256_sub_epi32(right, left), fx));
  return _mm256_cvtepi32_ps(scaled);
}

// The three channels of the group from its source pixels, rounded; returns the lanes (bit k for
// lane k) whose final blend lies too near a half for the float to decide.
template <class Source>
int BlendChannels(const Source& source, __m256i fx, __m256 fy, __m256i channel[3]) {
  const __m256 blendScale = _mm256_set1_ps(0x1p-23f);
  const __m256 nearHalf = _mm256_set1_ps(0.5f - 0x1p-14f);
  const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
  __m256 doubtful = _mm256_setzero_ps();
  for (int c = 0; c < 3; ++c) {
    const Lanes upper = source.Get(false, c);
    const __m256 top = RowBlend(upper.left, upper.right, fx);
    const Lanes lower = source.Get(true, c);
    const __m256 bottom = RowBlend(lower.left, lower.right, fx);
    const __m256 v = _mm256_mul_ps(
        _mm256_add_ps(top, _mm256_mul_ps(_mm256_sub_ps(bottom, top), fy)), blendScale);
    const __m256 rounded = _mm256_round_ps(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    doubtful = _mm256_or_ps(
        doubtful,
        _mm256_cmp_ps(_mm256_and_ps(_mm256_sub_ps(v, rounded), magnitude), nearHalf, _CMP_GE_OQ));
    channel[c] = _mm256_cvtps_epi32(rounded);
  }
  return _mm256_movemask_ps(doubtful);
}

// Lanes whose double lies exactly halfway between two floats (see FloatRoundingUnsure).
__m256i HalfwayBetweenFloats(__m256d h) {
  return _mm256_cmpeq_epi64(
      _mm256_and_si256(_mm256_castpd_si256(h), _mm256_set1_epi64x(0x1FFFFFFF)),
      _mm256_set1_epi64x(0x10000000));
}

// The eight floats of two groups of four doubles, in order.
__m256 ToFloats(__m256d low, __m256d high) {
  return _mm256_set_m128(_mm256_cvtpd_ps(high), _mm256_cvtpd_ps(low));
}

// B0 G0 R0 B1 G1 R1 ... from the channels of eight pixels: 24 bytes.
void StorePixels(const __m256i channel[3], std::uint8_t* out) {
  const __m256i blueGreen = _mm256_packus_epi32(channel[0], channel[1]);
  const __m256i redZero = _mm256_packus_epi32(channel[2], _mm256_setzero_si256());
  // Per block: B0-3 G0-3 R0-3, then four zeros.
  const __m256i planes = _mm256_packus_epi16(blueGreen, redZero);
  const __m256i interleave = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, 12, 13, 14, 15));
  const __m256i pixels = _mm256_shuffle_epi8(planes, interleave);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(pixels));
  const __m128i high = _mm256_extracti128_si256(pixels, 1);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 12), high);
  const std::int32_t last = _mm_extract_epi32(high, 2);
  std::memcpy(out + 20, &last, 4);
}

// The lanes of `lanes` (bit k for lane k) by the shared steps.
std::size_t PixelsOneByOne(const Sampler& s, std::size_t x, float py, double pyCos, double pySin,
                           std::uint8_t* out, int lanes) {
  std::size_t exact = 0;
  for (std::size_t k = 0; k < kLanes; ++k) {
    if ((lanes >> k & 1) != 0) exact += s.Pixel(x + k, py, pyCos, pySin, out + 3 * k);
  }
  return exact;
}

bool AllLanes(__m256i mask) { return _mm256_movemask_epi8(mask) == -1; }

}  // namespace

std::size_t RotateRowAvx2(const Sampler& s, float py, std::size_t begin, std::size_t end,
                          std::uint8_t* row) {
  const double pyCos = double{py} * s.cosA;
  const double pySin = double{py} * s.sinA;
  const __m256d vPyCos = _mm256_set1_pd(pyCos);
  const __m256d vPySin = _mm256_set1_pd(pySin);
  const __m256i iota = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i widthLess1 = _mm256_set1_epi32(static_cast<std::int32_t>(s.W - 1));
  const __m256i heightLess1 = _mm256_set1_epi32(static_cast<std::int32_t>(s.H - 1));
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i widthLess2 = _mm256_set1_epi32(static_cast<std::int32_t>(s.W - 2));
  const __m256i heightLess2 = _mm256_set1_epi32(static_cast<std::int32_t>(s.H - 2));
  const __m256 minusOne = _mm256_set1_ps(-1.0f);
  const __m256 width = _mm256_set1_ps(static_cast<float>(s.W));
  const __m256 height = _mm256_set1_ps(static_cast<float>(s.H));
  const __m256 fractionScale = _mm256_set1_ps(0x1p23f);
  const __m256i two = _mm256_set1_epi32(2);
  const __m256i stride64 = _mm256_set1_epi64x(s.stride);

  // At steep angles each pixel reads other source rows, which the processor does not fetch
  // ahead by itself: ask for what the row a few below will read at this column.
  constexpr float kRowsAhead = 16;
  const auto aheadDx = static_cast<std::int64_t>(std::lround(kRowsAhead * s.sinA));
  const auto aheadDy = static_cast<std::int64_t>(std::lround(kRowsAhead * s.cosA));
  // The row that a group's pixels step to when they leave their first pixel's row.
  const std::int32_t step = s.sinA > 0 ? -1 : 1;
  std::size_t exact = 0;
  std::uint8_t* out = row + 3 * begin;
  std::size_t x = begin;
  for (; x + kLanes <= end; x += kLanes, out += 3 * kLanes) {
    const __m256d hx0 = _mm256_add_pd(_mm256_loadu_pd(&s.pxCos[x]), vPySin);
    const __m256d hx1 = _mm256_add_pd(_mm256_loadu_pd(&s.pxCos[x + 4]), vPySin);
    const __m256d hy0 = _mm256_sub_pd(vPyCos, _mm256_loadu_pd(&s.pxSin[x]));
    const __m256d hy1 = _mm256_sub_pd(vPyCos, _mm256_loadu_pd(&s.pxSin[x + 4]));
    // Lanes whose double sum the float may not follow.
    const int unsure = _mm256_movemask_pd(_mm256_castsi256_pd(
                           _mm256_or_si256(HalfwayBetweenFloats(hx0), HalfwayBetweenFloats(hy0)))) |
                       _mm256_movemask_pd(_mm256_castsi256_pd(
                           _mm256_or_si256(HalfwayBetweenFloats(hx1), HalfwayBetweenFloats(hy1))))
                           << 4;
    const __m256 sx = ToFloats(hx0, hx1);
    const __m256 sy = ToFloats(hy0, hy1);
    const __m256 floorX = _mm256_floor_ps(sx);
    const __m256 floorY = _mm256_floor_ps(sy);
    __m256i ix = _mm256_cvttps_epi32(floorX);
    __m256i iy = _mm256_cvttps_epi32(floorY);
    // 0 < ix < W - 1 and 0 < iy < H - 1; a position too far for 32 bits converts negative.
    const int interior = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_and_si256(
        _mm256_and_si256(_mm256_cmpgt_epi32(ix, zero), _mm256_cmpgt_epi32(widthLess1, ix)),
        _mm256_and_si256(_mm256_cmpgt_epi32(iy, zero), _mm256_cmpgt_epi32(heightLess1, iy)))));
    if (interior == 0) {
      // Every sampled position has -1 < sx < W and -1 < sy < H.
      const __m256 outside = _mm256_or_ps(_mm256_or_ps(_mm256_cmp_ps(sx, minusOne, _CMP_LE_OQ),
                                                       _mm256_cmp_ps(sx, width, _CMP_GE_OQ)),
                                          _mm256_or_ps(_mm256_cmp_ps(sy, minusOne, _CMP_LE_OQ),
                                                       _mm256_cmp_ps(sy, height, _CMP_GE_OQ)));
      if (unsure == 0 && _mm256_movemask_ps(outside) == 0xFF) {
        for (std::size_t k = 0; k < kLanes; ++k) std::memcpy(out + 3 * k, s.background, 3);
      } else {
        exact += PixelsOneByOne(s, x, py, pyCos, pySin, out, 0xFF);
      }
      continue;
    }
    if (interior != 0xFF) {
      // Where the group crosses the photo's edge, the lanes outside read some pixel inside and
      // are then done one by one.
      ix = _mm256_min_epi32(_mm256_max_epi32(ix, one), widthLess2);
      iy = _mm256_min_epi32(_mm256_max_epi32(iy, one), heightLess2);
    }
    // Exact: sx and sy are floats of at least 1, their fractions multiples of 2^-23.
    const __m256i fx = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_sub_ps(sx, floorX), fractionScale));
    const __m256 fy = _mm256_sub_ps(sy, floorY);
    const std::int32_t ix0 = _mm256_cvtsi256_si32(ix);
    const std::int32_t iy0 = _mm256_cvtsi256_si32(iy);
    const std::int64_t aheadX = std::int64_t{ix0} + aheadDx;
    const std::int64_t aheadY = std::int64_t{iy0} + aheadDy;
    if (aheadX >= 0 && aheadX < s.W && aheadY >= 0 && aheadY + 1 < s.H) {
      const std::uint8_t* ahead = s.pixels + aheadY * s.stride + 3 * aheadX;
      _mm_prefetch(reinterpret_cast<const char*>(ahead), _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(ahead + s.stride), _MM_HINT_T0);
    }
    const bool run =
        AllLanes(_mm256_cmpeq_epi32(ix, _mm256_add_epi32(_mm256_set1_epi32(ix0), iota)));
    const __m256i onFirstRow = _mm256_cmpeq_epi32(iy, _mm256_set1_epi32(iy0));
    const std::uint8_t* first = s.pixels + std::int64_t{iy0} * s.stride + 3 * std::int64_t{ix0};
    __m256i channel[3];
    int doubtful;
    if (run && AllLanes(onFirstRow)) {
      // At small angles the group lies side by side on one source row: read it whole.
      doubtful =
          BlendChannels(OneRow{RunWindow(first), RunWindow(first + s.stride)}, fx, fy, channel);
    } else if (run && AllLanes(_mm256_or_si256(
                          onFirstRow, _mm256_cmpeq_epi32(iy, _mm256_set1_epi32(iy0 + step))))) {
      // Or it steps once to the next row up or down: three rows read whole.
      const SteppedRows rows{RunWindow(first), RunWindow(first + s.stride),
                             RunWindow(first + (step < 0 ? -s.stride : 2 * s.stride)), onFirstRow,
                             step < 0};
      doubtful = BlendChannels(rows, fx, fy, channel);
    } else {
      // Byte offsets iy * stride + 3 ix - 2 in 64 bits: a source bitmap may exceed 2 GB.
      alignas(32) std::int64_t offsets[kLanes];
      const __m256i offset = _mm256_add_epi32(_mm256_add_epi32(ix, ix), _mm256_sub_epi32(ix, two));
      for (int half = 0; half < 2; ++half) {
        const __m128i lines =
            half == 0 ? _mm256_castsi256_si128(iy) : _mm256_extracti128_si256(iy, 1);
        const __m128i within =
            half == 0 ? _mm256_castsi256_si128(offset) : _mm256_extracti128_si256(offset, 1);
        _mm256_store_si256(
            reinterpret_cast<__m256i*>(offsets + 4 * half),
            _mm256_add_epi64(_mm256_mul_epu32(_mm256_cvtepu32_epi64(lines), stride64),
                             _mm256_cvtepi32_epi64(within)));
      }
      const std::uint8_t* at[kLanes];
      for (std::size_t k = 0; k < kLanes; ++k) at[k] = s.pixels + offsets[k];
      const std::int64_t below = s.stride;
      const Gathered words{
          Words(at[0], at[1], at[4], at[5], 0), Words(at[2], at[3], at[6], at[7], 0),
          Words(at[0], at[1], at[4], at[5], below), Words(at[2], at[3], at[6], at[7], below)};
      doubtful = BlendChannels(words, fx, fy, channel);
    }
    StorePixels(channel, out);
    const int oneByOne = ~interior | unsure | doubtful;
    if ((oneByOne & 0xFF) != 0) exact += PixelsOneByOne(s, x, py, pyCos, pySin, out, oneByOne);
  }
  for (; x < end; ++x, out += 3) exact += s.Pixel(x, py, pyCos, pySin, out);
  return exact;
}

}  // namespace rumora::rotation

#if defined(__clang__)
#pragma clang attribute pop
#endif
