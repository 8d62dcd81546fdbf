// Trimming a frame of today's photo sizes into the output: the whole output (single-pane
// layout) and one quarter pane (copy into the scratch view, then paste at the pane's corner).
// Each is set against the first way of trimming, timed in the same run: the whole framed block
// copied into a temporary bitmap, then stretched (counters ours_ms, block_copy_ms and
// ratio = ours / block copy). The per-pixel reference copies the same block one pixel at a time.
#include <benchmark/benchmark.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "imaging/bitmap.h"
#include "imaging/scratch_image_view.h"
#include "layout/trim.h"

namespace rumora {
namespace {

const Bitmap& Photo(int megapixels) {
  static const Bitmap p24 = testing::AllByteValues(6000, 4000);
  static const Bitmap p48 = testing::AllByteValues(8485, 5657);
  return megapixels == 24 ? p24 : p48;
}

// The frame placed on the whole output, moved a little into the photo.
constexpr std::int32_t kL = 10, kT = 20, kR = 10 + 419 - 1, kB = 20 + 314 - 1;

// The first way of trimming: the framed block, black beyond the photo, copied row by row into a
// temporary bitmap, which is then stretched over the view.
void BlockCopyThenStretch(const Bitmap& photo, ImageView& view, double s) {
  const Region block = SourceBlock(kL, kT, kR, kB, s);
  Bitmap temporary(block.right - block.left + 1, block.bottom - block.top + 1);
  for (int y = block.top; y <= block.bottom; ++y) {
    std::uint8_t* out = temporary.Row(y - block.top);
    std::memset(out, 0, temporary.Stride());
    if (y < 0 || y >= photo.Height()) continue;
    const int lo = std::max(block.left, 0), hi = std::min(block.right, photo.Width() - 1);
    if (lo <= hi) {
      std::memcpy(out + 3 * (lo - block.left), photo.Row(y) + 3 * lo,
                  3 * static_cast<std::size_t>(hi - lo + 1));
    }
  }
  StretchToView(temporary, view);
}

// Times `trim` per iteration, then the block copy a few times, and sets the counters.
template <typename Trim, typename BlockCopy>
void TimeAgainstBlockCopy(benchmark::State& state, Trim trim, BlockCopy blockCopy) {
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };
  double ours = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    trim();
    ours += ms(Clock::now() - start);
  }
  constexpr int kBlockCopyRuns = 10;
  const auto start = Clock::now();
  for (int i = 0; i < kBlockCopyRuns; ++i) blockCopy();
  const double theirs = ms(Clock::now() - start) / kBlockCopyRuns;
  ours /= static_cast<double>(state.iterations());
  state.counters["ours_ms"] = ours;
  state.counters["block_copy_ms"] = theirs;
  state.counters["ratio"] = ours / theirs;
}

void BM_TrimWholeOutput(benchmark::State& state) {
  const Bitmap& photo = Photo(static_cast<int>(state.range(0)));
  const double s = TrimScale(photo.Width(), 602);
  ScratchImageView output(600, 450);
  output.Picture();
  NoProgress progress;
  TimeAgainstBlockCopy(
      state,
      [&] {
        CopyRegionScaled(photo, output, kL, kT, kR, kB, s, progress);
        benchmark::DoNotOptimize(output.Picture().Data());
      },
      [&] {
        BlockCopyThenStretch(photo, output, s);
        benchmark::DoNotOptimize(output.Picture().Data());
      });
}

void BM_TrimQuarterPane(benchmark::State& state) {
  const Bitmap& photo = Photo(static_cast<int>(state.range(0)));
  const double s = TrimScale(photo.Width(), 602);
  ScratchImageView output(600, 450);
  output.Picture();
  ScratchImageView scratch(600, 450);
  scratch.Picture();
  scratch.SetControlSize(300, 225);
  NoProgress progress;
  TimeAgainstBlockCopy(
      state,
      [&] {
        CopyRegionScaled(photo, scratch, kL, kT, kR, kB, s, progress);
        PasteImageAt(scratch, output, 300, 225);
        benchmark::DoNotOptimize(output.Picture().Data());
      },
      [&] {
        BlockCopyThenStretch(photo, scratch, s);
        PasteImageAt(scratch, output, 300, 225);
        benchmark::DoNotOptimize(output.Picture().Data());
      });
}

// The block copy alone, one Pixel/SetPixel call per pixel.
void BM_BlockCopyPerPixelReference(benchmark::State& state) {
  const Bitmap& photo = Photo(static_cast<int>(state.range(0)));
  const Region block = SourceBlock(kL, kT, kR, kB, TrimScale(photo.Width(), 602));
  Bitmap temporary(block.right - block.left + 1, block.bottom - block.top + 1);
  for (auto _ : state) {
    for (int y = block.top; y <= block.bottom; ++y) {
      for (int x = block.left; x <= block.right; ++x) {
        temporary.SetPixel(x - block.left, y - block.top, photo.Pixel(x, y));
      }
    }
    benchmark::DoNotOptimize(temporary.Data());
  }
}

// The smooth trim of the frame placed on the single pane of a 3:2 photo (419x314 at the view's
// corner) against two floors timed in the same run: a memcpy of the block's bytes, which any
// filter must read (counter memcpy_ratio), and Qt's own smooth scaling of the same block
// (qt_ratio).
void BM_SmoothTrimAgainstFloors(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };
  const Bitmap& photo = Photo(static_cast<int>(state.range(0)));
  const double s = TrimScale(photo.Width(), 602);
  constexpr std::int32_t kRight = 418, kBottom = 313;
  const Region block = SourceBlock(0, 0, kRight, kBottom, s);
  const int width = block.right - block.left + 1, height = block.bottom - block.top + 1;
  ScratchImageView output(600, 450);
  output.Picture();
  NoProgress progress;
  double ours = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    CopyRegionScaled(photo, output, 0, 0, kRight, kBottom, s, progress, Scaling::kSmooth);
    benchmark::DoNotOptimize(output.Picture().Data());
    ours += ms(Clock::now() - start);
  }
  ours /= static_cast<double>(state.iterations());

  constexpr int kRuns = 10;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> copy(rowBytes * static_cast<std::size_t>(height), 1);
  auto start = Clock::now();
  for (int run = 0; run < kRuns; ++run) {
    for (int y = 0; y < height; ++y) {
      std::memcpy(copy.data() + rowBytes * static_cast<std::size_t>(y),
                  photo.Row(block.top + y) + static_cast<std::size_t>(block.left) * 3, rowBytes);
    }
    benchmark::DoNotOptimize(copy.data());
  }
  const double memcpyMs = ms(Clock::now() - start) / kRuns;

  const QImage qtBlock(copy.data(), width, height, static_cast<qsizetype>(rowBytes),
                       QImage::Format_BGR888);
  start = Clock::now();
  for (int run = 0; run < kRuns; ++run) {
    const QImage scaled = qtBlock.scaled(600, 450, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    benchmark::DoNotOptimize(scaled.constBits());
  }
  const double qtMs = ms(Clock::now() - start) / kRuns;
  state.counters["ours_ms"] = ours;
  state.counters["memcpy_ms"] = memcpyMs;
  state.counters["qt_ms"] = qtMs;
  state.counters["memcpy_ratio"] = ours / memcpyMs;
  state.counters["qt_ratio"] = ours / qtMs;
}
BENCHMARK(BM_SmoothTrimAgainstFloors)
    ->Arg(24)
    ->Arg(48)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_TrimWholeOutput)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimQuarterPane)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockCopyPerPixelReference)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rumora
