// Colour conversion of a 24 MP photo to sRGB, set against a memcpy of the photo and against the
// colour engine's own transform, each timed alternately in the same run on one core: ours_ms,
// memcpy_ms, engine_ms, x_memcpy = ours / memcpy, x_engine = ours / engine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <vector>

#include "bench/bench_support.h"
#include "imaging/colour_conversion.h"
#include "imaging/parallel_rows.h"
#include "photo_io/colour_profile.h"
#include "tests/photo_io/colour_profiles.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsOf(const auto& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_ConvertColoursOneCore(benchmark::State& state) {
  const Bitmap photo = testing::NoisyGradient(6000, 4000);
  const std::vector<std::uint8_t> icc = testing::DisplayP3Profile();
  const SrgbConversionPlan plan = PlanSrgbConversion(icc);
  if (!plan.conversion) {
    state.SkipWithError("no conversion");
    return;
  }
  const testing::EngineTransform engine(icc);
  Bitmap work = photo;
  std::vector<std::uint8_t> copy(photo.SizeInBytes(), 1);
  double ours = std::numeric_limits<double>::max(), floor = ours, theirs = ours;
  SetRowBandLimit(1);
  for (auto _ : state) {
    std::memcpy(work.Data(), photo.Data(), photo.SizeInBytes());
    ours = std::min(ours, MillisecondsOf([&] { ConvertRows(work, *plan.conversion, 0, 4000); }));
    floor = std::min(floor, MillisecondsOf([&] {
                       std::memcpy(copy.data(), photo.Data(), copy.size());
                       benchmark::DoNotOptimize(copy.data());
                     }));
    theirs = std::min(theirs, MillisecondsOf([&] { engine.Apply(photo, work); }));
  }
  SetRowBandLimit(0);
  state.counters["ours_ms"] = ours;
  state.counters["memcpy_ms"] = floor;
  state.counters["engine_ms"] = theirs;
  state.counters["x_memcpy"] = ours / floor;
  state.counters["x_engine"] = ours / theirs;
}
BENCHMARK(BM_ConvertColoursOneCore)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace rumora
