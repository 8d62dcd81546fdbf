// The tone passes and the quarter turns on today's photo sizes, each timed in the same
// iterations as its peers: a plain memcpy of the same bytes into a buffer already touched (the
// physical floor) and, for the turns, Qt's own 90-degree transform of the same pixels.
// Counters: ours_ms, copy_ms, qt_ms (means), ratio_to_copy / qt_ratio_to_copy (mean time / mean
// copy time) and best_ratio_to_copy / qt_best_ratio_to_copy (fastest run / fastest copy, which
// other work on a shared machine disturbs least).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QTransform>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "imaging/bitmap.h"
#include "imaging/boost_contrast.h"
#include "imaging/quarter_turn.h"
#include "imaging/shift_brightness.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

Bitmap& Photo(int megapixels) {
  static Bitmap p24 = testing::AllByteValues(6000, 4000);
  static Bitmap p48 = testing::AllByteValues(8485, 5657);
  return megapixels == 24 ? p24 : p48;
}

template <typename Work>
double Milliseconds(Work work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One timed piece: the sum and the fastest of its runs.
struct Piece {
  double total = 0, best = 1e300;
  void Add(double ms) {
    total += ms;
    best = std::min(best, ms);
  }
};

// Reports means and ratios of the pieces timed over the iterations.
struct Timings {
  Piece ours, copy, qt;
  void Report(benchmark::State& state) const {
    const auto n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours.total / n;
    state.counters["copy_ms"] = copy.total / n;
    state.counters["ratio_to_copy"] = ours.total / copy.total;
    state.counters["best_ratio_to_copy"] = ours.best / copy.best;
    if (qt.total > 0) {
      state.counters["qt_ms"] = qt.total / n;
      state.counters["qt_ratio_to_copy"] = qt.total / copy.total;
      state.counters["qt_best_ratio_to_copy"] = qt.best / copy.best;
    }
  }
};

// The floor: the photo's bytes copied into a buffer that every run reuses.
double TimeCopy(const Bitmap& photo, std::vector<std::uint8_t>& buffer) {
  return Milliseconds([&] {
    std::memcpy(buffer.data(), photo.Data(), photo.SizeInBytes());
    benchmark::DoNotOptimize(buffer.data());
  });
}

void BM_TonePass(benchmark::State& state) {
  Bitmap& photo = Photo(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> buffer(photo.SizeInBytes(), 1);
  NoProgress progress;
  const EventPump nothing = [] {};
  Timings t;
  for (auto _ : state) {
    t.copy.Add(TimeCopy(photo, buffer));
    t.ours.Add(Milliseconds([&] {
      switch (state.range(1)) {
        case 0:
          BoostContrast(photo, 0.3, progress, nothing);
          break;
        case 1:
          ShiftBrightness(photo, BrightnessDirection::kBrighten, progress, nothing);
          break;
        default:
          ShiftBrightness(photo, BrightnessDirection::kDarken, progress, nothing);
          break;
      }
    }));
    benchmark::ClobberMemory();
  }
  t.Report(state);
}

void BM_QuarterTurn(benchmark::State& state) {
  Bitmap& photo = Photo(static_cast<int>(state.range(0)));
  const bool clockwise = state.range(1) == 0;
  std::vector<std::uint8_t> buffer(photo.SizeInBytes(), 1);
  NoProgress progress;
  Bitmap spare;
  // The first turn makes the spare buffer; the timed ones reuse it, as the window does.
  clockwise ? TurnRight(photo, progress, spare) : TurnLeft(photo, progress, spare);
  Timings t;
  for (auto _ : state) {
    t.copy.Add(TimeCopy(photo, buffer));
    const QImage image(photo.Data(), photo.Width(), photo.Height(),
                       static_cast<qsizetype>(photo.Stride()), QImage::Format_RGB888);
    t.qt.Add(Milliseconds([&] {
      const QImage turned = image.transformed(QTransform().rotate(clockwise ? 90 : -90));
      benchmark::DoNotOptimize(turned.constBits());
    }));
    t.ours.Add(Milliseconds(
        [&] { clockwise ? TurnRight(photo, progress, spare) : TurnLeft(photo, progress, spare); }));
    benchmark::ClobberMemory();
  }
  t.Report(state);
}

// Second argument: 0 contrast, 1 brighten, 2 darken.
BENCHMARK(BM_TonePass)
    ->ArgsProduct({{24, 48}, {0, 1, 2}})
    ->ArgNames({"MP", "pass"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Second argument: 0 right, 1 left.
BENCHMARK(BM_QuarterTurn)
    ->ArgsProduct({{24, 48}, {0, 1}})
    ->ArgNames({"MP", "left"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace rumora
