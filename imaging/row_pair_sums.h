#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace rumora {

// Kernels of the smooth filter.
//
// Weighted column sums of source rows, two rows at a time:
// sums[n] = sum over p of rows[2p][n] * (weights[p] & 0xFFFF) + rows[2p + 1][n] * (weights[p] >>
// 16) for n in [0, count). Each weight is at most 32767 and every sum must fit 32 bits. Uses the
// widest vector unit the processor has; every unit gives the same sums.
void SumRowPairs(std::uint32_t* sums, std::size_t count, const std::uint8_t* const* rows,
                 const std::uint32_t* weights, std::size_t pairs);

// Weighted sums of the pixels of one row of 32-bit channel sums (three per pixel, followed by at
// least one more value): out[4i + c] = the sum over the taps t of target pixel i of
// weights[t] * sums[offsets[t] + c] for c < 3 (out[4i + 3] is left undefined). The taps of pixel
// i are [begin[i], begin[i + 1]); every sum must fit 64 bits.
void SumPixelTaps(std::uint64_t* out, int pixels, const std::uint32_t* sums,
                  const std::size_t* begin, const std::uint32_t* offsets,
                  const std::uint32_t* weights);

// out[3i + c] = sums[4i + c] / denominator rounded to the nearest integer, halves to even, for
// c < 3 and i in [0, pixels): each quotient at most 255, the denominator at most 2^42.
void RoundPixelSums(std::uint8_t* out, int pixels, const std::uint64_t* sums,
                    std::uint64_t denominator);

// The taps of a row of target pixels whose taps are adjacent source pixels, laid out for
// SumAndRoundPixels: pixel i's taps are `taps` source pixels from channel first[i] of a row of
// sums (three channels a pixel), the t-th weighing weights[taps i + t]. Pixels with fewer taps
// weigh 0 beyond them.
class AdjacentTaps {
 public:
  AdjacentTaps() = default;
  AdjacentTaps(std::span<const std::uint32_t> first, std::span<const std::uint32_t> weights,
               int taps);

  int Pixels() const { return pixels_; }
  int Taps() const { return taps_; }
  // The channel of a row of sums the first tap of pixel i starts at (i below Pixels() rounded
  // up to a multiple of 8), and the weight of its tap t.
  std::uint32_t First(int i) const { return first_[static_cast<std::size_t>(i)]; }
  std::uint32_t Weight(int i, int t) const { return weights_[WeightIndex(i, t)]; }
  // Four copies of pixel 2j's weight of tap t, then four of pixel 2j + 1's.
  const std::uint32_t* PairWeights(int j, int t) const { return &weights_[WeightIndex(2 * j, t)]; }

 private:
  std::size_t WeightIndex(int i, int t) const {
    return 8 * (static_cast<std::size_t>(i / 2) * static_cast<std::size_t>(taps_) +
                static_cast<std::size_t>(t)) +
           4 * static_cast<std::size_t>(i % 2);
  }

  int pixels_ = 0;
  int taps_ = 0;
  std::vector<std::uint32_t> first_;
  std::vector<std::uint32_t> weights_;
};

// One row of target pixels straight from a row of 32-bit channel sums: out[3i + c] = (the sum
// over t < taps of the weight of tap t of pixel i times sums[First(i) + 3t + c]) / denominator,
// rounded to the nearest integer, halves to even, for c < 3 and i in [0, Pixels()). Each of
// these sums must be below 2^32 and each quotient at most 255; sums[First(i) + 3 Taps()] must
// exist (read, not used).
void SumAndRoundPixels(std::uint8_t* out, const std::uint32_t* sums, const AdjacentTaps& taps,
                       std::uint32_t denominator);

}  // namespace rumora
