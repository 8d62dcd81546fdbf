#pragma once

#include <cstddef>
#include <cstdint>

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

}  // namespace rumora
