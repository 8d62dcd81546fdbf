#include "imaging/smooth_scale.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <type_traits>

#include "imaging/parallel_rows.h"
#include "imaging/row_pair_sums.h"

namespace rumora {
namespace {

using Wide = __int128;
using WideUnsigned = unsigned __int128;

constexpr std::uint64_t kMaxChannel = 255;
// Column sums are 32-bit and formed two source rows at a time with 16-bit signed weights.
constexpr std::uint64_t kMaxPairedWeight = 32767;
// Pixel sums over a denominator up to this are rounded by RoundPixelSums.
constexpr std::uint64_t kMaxRoundedDenominator = std::uint64_t{1} << 42;
// Below this much source data a band is not worth a thread.
constexpr std::int64_t kBytesPerBand = std::int64_t{1} << 20;
// The rows a core takes at a time when they are shared.
constexpr std::int64_t kRowsPerRun = 16;

void AccumulateRow(std::uint64_t* acc, std::size_t count, const std::uint8_t* a,
                   std::uint64_t weight) {
  for (std::size_t n = 0; n < count; ++n) acc[n] += weight * a[n];
}

// sum / denominator rounded to the nearest integer, halves to even.
template <typename Sum>
std::uint8_t RoundedQuotient(Sum sum, Sum denominator, Sum reciprocal) {
  Sum quotient;
  if constexpr (std::is_same_v<Sum, std::uint64_t>) {
    // reciprocal = floor((2^64 - 1) / denominator) leaves the quotient at most one short.
    quotient = static_cast<Sum>((static_cast<WideUnsigned>(sum) * reciprocal) >> 64);
  } else {
    quotient = sum / denominator;
  }
  Sum remainder = sum - quotient * denominator;
  for (int step = 0; step < 2; ++step) {  // two steps, to be sure
    const bool under = remainder >= denominator;
    quotient += under;
    remainder -= under ? denominator : 0;
  }
  // Without branches: which way a half goes is as random as the picture.
  const Sum twice = 2 * remainder;
  quotient += static_cast<Sum>((twice > denominator) | ((twice == denominator) & (quotient & 1)));
  return static_cast<std::uint8_t>(quotient);
}

}  // namespace

SmoothAxis::SmoothAxis(std::int64_t blockStart, std::int64_t blockSize, std::int64_t targetSize,
                       int targetEnd, int sourceSize) {
  const auto clampSource = [sourceSize](Wide s) {
    return static_cast<int>(std::clamp<Wide>(s, 0, sourceSize - 1));
  };
  const Wide b = blockSize, p = targetSize;
  begin_.reserve(static_cast<std::size_t>(targetEnd) + 1);
  if (blockSize >= targetSize) {
    denominator_ = static_cast<std::uint64_t>(blockSize);
    // In units of 1 / targetSize: target i covers [i * b, (i + 1) * b), block pixel k covers
    // [k * p, (k + 1) * p); the edge pixels of the source reach out to either side.
    constexpr Wide kFar = Wide{1} << 120;
    for (int i = 0; i < targetEnd; ++i) {
      const Wide lo = i * b, hi = (i + 1) * b;
      const int first = clampSource(blockStart + lo / p),
                last = clampSource(blockStart + (hi - 1) / p);
      for (int c = first; c <= last; ++c) {
        const Wide start = c == 0 ? -kFar : (c - blockStart) * p;
        const Wide end = c == sourceSize - 1 ? kFar : (c - blockStart + 1) * p;
        const Wide overlap = std::min(end, hi) - std::max(start, lo);
        if (overlap > 0) Add(c, static_cast<std::uint64_t>(overlap));
      }
      begin_.push_back(taps_.size());
    }
  } else {
    denominator_ = static_cast<std::uint64_t>(2 * targetSize);
    // In units of 1 / (2 * targetSize): u = ((2i + 1) * b - p) / (2p).
    for (int i = 0; i < targetEnd; ++i) {
      const Wide u = std::clamp<Wide>((2 * Wide{i} + 1) * b - p, 0, (b - 1) * 2 * p);
      const Wide k = u / (2 * p), f = u % (2 * p);
      Add(clampSource(blockStart + k), static_cast<std::uint64_t>(2 * p - f));
      Add(clampSource(blockStart + std::min(k + 1, b - 1)), static_cast<std::uint64_t>(f));
      begin_.push_back(taps_.size());
    }
  }
}

void SmoothAxis::Add(int source, std::uint64_t weight) {
  if (weight == 0) return;
  if (taps_.size() > begin_.back() && taps_.back().source == source) {
    taps_.back().weight += weight;
  } else {
    taps_.push_back({source, weight});
  }
  if (lastSource_ < firstSource_) {
    firstSource_ = lastSource_ = source;
  } else {
    firstSource_ = std::min(firstSource_, source);
    lastSource_ = std::max(lastSource_, source);
  }
  maxWeight_ = std::max(maxWeight_, taps_.back().weight);
}

SmoothScale::SmoothScale(SmoothAxis columns, SmoothAxis rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {
  bool adjacent = true;
  int taps = 0;
  for (int column = 0; column < columns_.TargetEnd(); ++column) {
    const auto columnTaps = columns_.Taps(column);
    for (const SmoothAxis::Tap& tap : columnTaps) {
      tapOffsets_.push_back(static_cast<std::uint32_t>(tap.source - columns_.FirstSource()) * 3);
      tapWeights_.push_back(static_cast<std::uint32_t>(tap.weight));  // used where it fits
      adjacent = adjacent && tap.source - columnTaps.front().source == &tap - columnTaps.data();
    }
    tapBegin_.push_back(tapOffsets_.size());
    taps = std::max(taps, static_cast<int>(columnTaps.size()));
  }
  // Not where the padding would outweigh the taps (a block mostly beyond the source, whose
  // edge pixels take whole runs of its pixels).
  const auto padded = static_cast<std::size_t>(taps) * tapBegin_.size();
  if (!adjacent || padded > 2 * tapOffsets_.size()) return;
  std::vector<std::uint32_t> first, weights;
  for (int column = 0; column < columns_.TargetEnd(); ++column) {
    const auto begin = tapBegin_[static_cast<std::size_t>(column)];
    const auto end = tapBegin_[static_cast<std::size_t>(column) + 1];
    first.push_back(tapOffsets_[begin]);
    for (std::size_t t = begin; t < begin + static_cast<std::size_t>(taps); ++t) {
      weights.push_back(t < end ? tapWeights_[t] : 0);
    }
  }
  adjacent_ = AdjacentTaps(first, weights, taps);
}

template <typename Sum>
void SmoothScale::MakeBand(const Bitmap& source, Bitmap& target, int rowBegin, int rowEnd) const {
  // 32-bit column sums, two rows at a time, with 64-bit pixel sums; 64 and 128 bits for
  // blocks whose weights would not fit.
  using ColumnSum =
      std::conditional_t<std::is_same_v<Sum, std::uint64_t>, std::uint32_t, std::uint64_t>;
  const int columnFirst = columns_.FirstSource();
  const std::size_t count = static_cast<std::size_t>(columns_.LastSource() - columnFirst + 1) * 3;
  const std::size_t offset = static_cast<std::size_t>(columnFirst) * 3;
  const Sum denominator = static_cast<Sum>(columns_.Denominator()) * rows_.Denominator();
  // Pixel sums in 32 bits, straight to bytes, where they fit.
  const bool adjacent = std::is_same_v<Sum, std::uint64_t> && adjacent_.Taps() > 0 &&
                        denominator * kMaxChannel <= UINT32_MAX;
  // Not cleared: every sum is written before it is read. Beyond them, 0 for the reads of the
  // pixel kernels' fourth lane and of the adjacent taps that weigh 0.
  const std::size_t padding = 1 + 3 * static_cast<std::size_t>(adjacent_.Taps());
  const auto sums = std::make_unique_for_overwrite<ColumnSum[]>(count + padding);
  std::fill_n(sums.get() + count, padding, ColumnSum{0});
  std::vector<std::uint64_t> pixelSums;
  if constexpr (std::is_same_v<Sum, std::uint64_t>) {
    if (!adjacent) pixelSums.resize(static_cast<std::size_t>(columns_.TargetEnd()) * 4);
  }
  Sum reciprocal = 0;
  if constexpr (std::is_same_v<Sum, std::uint64_t>) reciprocal = UINT64_MAX / denominator;
  std::vector<const std::uint8_t*> pairRows;
  std::vector<std::uint32_t> pairWeights;
  for (int row = rowBegin; row < rowEnd; ++row) {
    const auto rowTaps = rows_.Taps(row);
    if constexpr (std::is_same_v<ColumnSum, std::uint32_t>) {
      pairRows.clear();
      pairWeights.clear();
      for (std::size_t t = 0; t < rowTaps.size(); t += 2) {
        const bool paired = t + 1 < rowTaps.size();
        const SmoothAxis::Tap& next = rowTaps[paired ? t + 1 : t];
        pairRows.push_back(source.Row(rowTaps[t].source) + offset);
        pairRows.push_back(source.Row(next.source) + offset);
        pairWeights.push_back(static_cast<std::uint32_t>(rowTaps[t].weight) |
                              (paired ? static_cast<std::uint32_t>(next.weight) << 16 : 0));
      }
      SumRowPairs(sums.get(), count, pairRows.data(), pairWeights.data(), pairWeights.size());
    } else {
      std::fill_n(sums.get(), count, ColumnSum{0});
      for (const SmoothAxis::Tap& tap : rowTaps) {
        AccumulateRow(sums.get(), count, source.Row(tap.source) + offset, tap.weight);
      }
    }
    std::uint8_t* out = target.Row(row);
    if constexpr (std::is_same_v<Sum, std::uint64_t>) {
      if (adjacent) {
        SumAndRoundPixels(out, sums.get(), adjacent_, static_cast<std::uint32_t>(denominator));
        continue;
      }
      SumPixelTaps(pixelSums.data(), columns_.TargetEnd(), sums.get(), tapBegin_.data(),
                   tapOffsets_.data(), tapWeights_.data());
      if (denominator <= kMaxRoundedDenominator) {
        RoundPixelSums(out, columns_.TargetEnd(), pixelSums.data(), denominator);
        continue;
      }
      for (std::size_t n = 0; n < pixelSums.size(); n += 4, out += 3) {
        for (int c = 0; c < 3; ++c) {
          out[c] = RoundedQuotient<Sum>(pixelSums[n + c], denominator, reciprocal);
        }
      }
      continue;
    }
    for (int column = 0; column < columns_.TargetEnd(); ++column, out += 3) {
      Sum blue = 0, green = 0, red = 0;
      for (const SmoothAxis::Tap& tap : columns_.Taps(column)) {
        const ColumnSum* s = sums.get() + static_cast<std::size_t>(tap.source - columnFirst) * 3;
        blue += static_cast<Sum>(tap.weight) * s[0];
        green += static_cast<Sum>(tap.weight) * s[1];
        red += static_cast<Sum>(tap.weight) * s[2];
      }
      out[0] = RoundedQuotient<Sum>(blue, denominator, reciprocal);
      out[1] = RoundedQuotient<Sum>(green, denominator, reciprocal);
      out[2] = RoundedQuotient<Sum>(red, denominator, reciprocal);
    }
  }
}

void SmoothScale::MakeRows(const Bitmap& source, Bitmap& target, int rowBegin, int rowEnd) const {
  if (rowBegin >= rowEnd || columns_.TargetEnd() == 0) return;
  // The widest channel sum is the whole denominator times 255.
  const WideUnsigned largest =
      WideUnsigned{columns_.Denominator()} * rows_.Denominator() * kMaxChannel;
  const bool narrow = rows_.MaxWeight() <= kMaxPairedWeight && columns_.MaxWeight() <= UINT32_MAX &&
                      rows_.Denominator() * kMaxChannel <= UINT32_MAX && largest <= UINT64_MAX;
  std::int64_t taps = 0;
  for (int row = rowBegin; row < rowEnd; ++row) taps += std::ssize(rows_.Taps(row));
  const std::int64_t rows = rowEnd - rowBegin;
  const std::int64_t bytes = taps * (columns_.LastSource() - columns_.FirstSource() + 1) * 3;
  const auto make = [&](std::int64_t begin, std::int64_t end) {
    const int first = rowBegin + static_cast<int>(begin), last = rowBegin + static_cast<int>(end);
    if (narrow) {
      MakeBand<std::uint64_t>(source, target, first, last);
    } else {
      MakeBand<WideUnsigned>(source, target, first, last);
    }
  };
  if (bytes < kBytesPerBand || RowBandLimit() == 1) {
    make(0, rows);
    return;
  }
  // The cores take short runs of rows in turn rather than one band each: a core that another
  // program keeps busy then holds up only its last run.
  std::atomic<std::int64_t> next{0};
  ForEachRowBand(RowBandLimit(), 1, [&](std::int64_t, std::int64_t) {
    for (std::int64_t begin; (begin = next.fetch_add(kRowsPerRun)) < rows;) {
      make(begin, std::min(begin + kRowsPerRun, rows));
    }
  });
}

SmoothScale PlanSmoothScale(const Bitmap& source, std::int64_t blockLeft, std::int64_t blockTop,
                            std::int64_t blockWidth, std::int64_t blockHeight,
                            std::int64_t targetWidth, std::int64_t targetHeight, int columnEnd,
                            int rowEnd) {
  return SmoothScale(SmoothAxis(blockLeft, blockWidth, targetWidth, columnEnd, source.Width()),
                     SmoothAxis(blockTop, blockHeight, targetHeight, rowEnd, source.Height()));
}

}  // namespace rumora
