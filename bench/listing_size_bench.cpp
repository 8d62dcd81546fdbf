// The 1200x900 listing picture against memcpy floors timed in the same run (counter `ratio`):
// - a trim into one pane from the frame placed on a 24 MP photo, against a memcpy of the
//   frame's block of the photo (the whole picture's pane and a quarter pane, smooth and
//   nearest-pixel);
// - stamping a 400x120 logo with soft alpha edges, against a memcpy of the picture bytes the
//   logo covers: its pixels doubled (800x240 covered) or an @2x logo at its own size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "imaging/scratch_image_view.h"
#include "layout/trim.h"
#include "layout/trim_frame.h"
#include "logo/stamp_logo.h"
#include "tests/synthetic_photos.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Times `ours` over the benchmark's iterations and `floor` as many times (ten at least), so that
// both means take in the machine's interruptions alike; sets the counters.
void AgainstFloor(benchmark::State& state, const std::function<void()>& ours,
                  const std::function<void()>& floor) {
  double total = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    ours();
    total += Milliseconds(Clock::now() - start);
  }
  const std::int64_t floorRuns = std::max<std::int64_t>(10, state.iterations());
  const auto start = Clock::now();
  for (std::int64_t i = 0; i < floorRuns; ++i) floor();
  const double floorMs = Milliseconds(Clock::now() - start) / static_cast<double>(floorRuns);
  const double oursMs = total / static_cast<double>(state.iterations());
  state.counters["ours_ms"] = oursMs;
  state.counters["memcpy_ms"] = floorMs;
  state.counters["ratio"] = oursMs / floorMs;
}

// Arguments: the pane's slot (1: the whole picture, 15: a quarter), 1 for smooth scaling.
void BM_LargeTrimAgainstMemcpy(benchmark::State& state) {
  static const Bitmap photo = testing::AllByteValues(6000, 4000);
  RegionTable table;
  InitRegionTable(table);
  const int slot = static_cast<int>(state.range(0));
  const LayoutState layout{LayoutOfSlot(slot), slot, 0};
  const FrameBounds frame = TrimFrameForPane(table[slot]);
  const Scaling scaling = state.range(1) != 0 ? Scaling::kSmooth : Scaling::kNearestPixel;
  ScratchImageView output(600, 450), scratch(600, 450);
  output.AssignPicture(Bitmap::Filled(1200, 900, clWhite));
  NoProgress progress;

  const Region framed = FramedRectangle(frame);
  const Region block = SourceBlock(framed.left, framed.top, framed.right, framed.bottom,
                                   TrimScale(photo.Width(), 602));
  const std::size_t rowBytes = static_cast<std::size_t>(RegionWidth(block)) * 3;
  std::vector<std::uint8_t> copy(rowBytes * static_cast<std::size_t>(RegionHeight(block)), 1);
  AgainstFloor(
      state,
      [&] {
        TrimIntoOutput(
            photo, 602, frame, layout, table, output, scratch,
            [&](int w, int h) { scratch.SetControlSize(w, h); }, true, progress, scaling,
            OutputSize::k1200x900);
        benchmark::DoNotOptimize(output.Picture().Data());
      },
      [&] {
        for (int y = 0; y < RegionHeight(block); ++y) {
          std::memcpy(copy.data() + rowBytes * static_cast<std::size_t>(y),
                      photo.Row(block.top + y) + static_cast<std::size_t>(block.left) * 3,
                      rowBytes);
        }
        benchmark::DoNotOptimize(copy.data());
      });
}
BENCHMARK(BM_LargeTrimAgainstMemcpy)
    ->Args({1, 1})
    ->Args({15, 1})
    ->Args({1, 0})
    ->Args({15, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Lettering with soft shadows, as logos drawn for the web have: about half see-through, a fifth
// opaque and the rest in between.
LogoImage SoftLogo(int width, int height) {
  LogoImage logo{testing::AllByteValues(width, height), {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double v = 2.2 * std::sin(x / 9.0) * std::sin(y / 7.0);
      logo.alpha.push_back(static_cast<std::uint8_t>(std::lround(255 * std::clamp(v, 0.0, 1.0))));
    }
  }
  return logo;
}

// Argument: 1 for an @2x logo drawn at its own size, 0 for the logo's pixels doubled.
void BM_StampAlphaLogoAgainstMemcpy(benchmark::State& state) {
  const bool own = state.range(0) != 0;
  LogoPicture logo{SoftLogo(400, 120), std::nullopt};
  if (own) logo.doubleSize = SoftLogo(400, 120);
  Bitmap output = testing::AllByteValues(1200, 900);
  const int covered = own ? 1 : 2;
  const std::size_t rowBytes = static_cast<std::size_t>(400 * covered) * 3;
  const std::vector<std::uint8_t> source(rowBytes * 120 * covered, 7);
  AgainstFloor(
      state,
      [&] {
        StampLogo(output, logo, 150, 300, 63, OutputSize::k1200x900);
        benchmark::DoNotOptimize(output.Data());
      },
      [&] {
        for (int y = 0; y < 120 * covered; ++y) {
          std::memcpy(output.Row(600 + y) + 900, source.data() + rowBytes * y, rowBytes);
        }
        benchmark::DoNotOptimize(output.Data());
      });
}
BENCHMARK(BM_StampAlphaLogoAgainstMemcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace rumora
