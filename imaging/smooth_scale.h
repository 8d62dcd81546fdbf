#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/row_pair_sums.h"

namespace rumora {

// How a picture is scaled to another size: one source pixel per target pixel, or the smooth
// filter below.
enum class Scaling { kNearestPixel, kSmooth };

// The smooth filter along one axis, for a block of `blockSize` source pixels that starts at
// source index `blockStart`, scaled to `targetSize` target pixels:
// - reducing or equal (blockSize >= targetSize): target pixel i averages the source interval
//   [i * blockSize / targetSize, (i + 1) * blockSize / targetSize) of the block, each pixel
//   weighing its overlap with it (area average, fractional edges included);
// - enlarging: target pixel i's centre maps to u = (i + 0.5) * blockSize / targetSize - 0.5,
//   clamped to [0, blockSize - 1]; pixel floor(u) weighs 1 - f and the next one (the last one at
//   the end) f, with f the fraction of u (linear).
// Weights are integers over one denominator: blockSize when reducing, 2 * targetSize when
// enlarging. A block pixel outside [0, sourceSize) gives its weight to the nearest edge pixel.
// Only target indices [0, targetEnd) are planned.
class SmoothAxis {
 public:
  struct Tap {
    int source;
    std::uint64_t weight;
  };

  SmoothAxis(std::int64_t blockStart, std::int64_t blockSize, std::int64_t targetSize,
             int targetEnd, int sourceSize);

  int TargetEnd() const { return static_cast<int>(begin_.size()) - 1; }
  std::uint64_t Denominator() const { return denominator_; }
  std::uint64_t MaxWeight() const { return maxWeight_; }
  // Increasing source indices with weights above 0.
  std::span<const Tap> Taps(int target) const {
    return {taps_.data() + begin_[static_cast<std::size_t>(target)],
            taps_.data() + begin_[static_cast<std::size_t>(target) + 1]};
  }
  // The source indices any planned target pixel reads: [FirstSource(), LastSource()].
  int FirstSource() const { return firstSource_; }
  int LastSource() const { return lastSource_; }

 private:
  void Add(int source, std::uint64_t weight);

  std::vector<Tap> taps_;
  std::vector<std::size_t> begin_{0};
  std::uint64_t denominator_ = 1;
  std::uint64_t maxWeight_ = 0;
  int firstSource_ = 0;
  int lastSource_ = -1;
};

// Both axes of the smooth filter for one block scaled onto one target rectangle. A target
// pixel's channel is the exact weighted mean of the source channel values (the two axes'
// weights multiplied), rounded to the nearest integer, halves to even: formed in integers, so
// the bytes are the same on every machine and any number of threads.
class SmoothScale {
 public:
  SmoothScale(SmoothAxis columns, SmoothAxis rows);

  const SmoothAxis& Columns() const { return columns_; }
  const SmoothAxis& Rows() const { return rows_; }
  // How many source rows from row 0 target row `row` needs.
  int SourceRowsNeeded(int row) const { return rows_.Taps(row).back().source + 1; }

  // Target rows [rowBegin, rowEnd) from `source` (not empty; it holds every row they need) into
  // the same rows of `target`, from its column 0. Both cores share the rows when there are
  // enough, unless the calling thread keeps to one (OneBandOnThisThread).
  void MakeRows(const Bitmap& source, Bitmap& target, int rowBegin, int rowEnd) const;

 private:
  template <typename Sum>
  void MakeBand(const Bitmap& source, Bitmap& target, int rowBegin, int rowEnd) const;

  SmoothAxis columns_;
  SmoothAxis rows_;
  // The column taps flattened for the pixel kernel, made once: a view grown while a photo
  // arrives makes its rows one call at a time.
  std::vector<std::size_t> tapBegin_{0};
  std::vector<std::uint32_t> tapOffsets_, tapWeights_;
  // The same as adjacent source pixels; none where a target pixel's taps are not adjacent.
  AdjacentTaps adjacent_;
};

// The smooth filter of the block of `blockWidth` x `blockHeight` pixels at (blockLeft, blockTop)
// of `source`, scaled to targetWidth x targetHeight, of which only columns [0, columnEnd) and
// rows [0, rowEnd) are planned (the part of the target that is kept).
SmoothScale PlanSmoothScale(const Bitmap& source, std::int64_t blockLeft, std::int64_t blockTop,
                            std::int64_t blockWidth, std::int64_t blockHeight,
                            std::int64_t targetWidth, std::int64_t targetHeight, int columnEnd,
                            int rowEnd);

}  // namespace rumora
