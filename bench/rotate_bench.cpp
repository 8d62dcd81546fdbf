// The free rotation of the generated 24 and 48 MP photos at the angles a seller straightens by
// (0.5, 1 and 3 degrees) and at 10 and 45, against the floor: a memcpy of the photo into an
// already touched buffer, timed in the same run. Counters: ours_ms and floor_ms (the fastest of
// the runs, which a busy machine disturbs least), x_floor = ours / floor against its limit
// (7 at small angles, 9 at large ones), exact_share (the share of destination pixels that took
// the exact extended-precision path), and ours_user_ms / ours_sys_ms, the processor time of the
// fastest run on all cores (the system share is mostly the destination's first touch, which
// the blocks freed bitmaps leave for reuse spare every run after the first), and
// cpu_x_floor, the same ratio from processor times (ours spread over the cores it used, against
// the floor's): what x_floor would be on an idle machine, when other work slows the run.
// BM_RotatePeakMemory reports the memory a rotation adds above the source it was given, in
// units of the destination's own 24-bit size.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <vector>

#include "bench/bench_support.h"
#include "imaging/bitmap.h"
#include "imaging/parallel_rows.h"
#include "imaging/rotate_bitmap.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The process's processor time so far, user and system, in milliseconds.
struct ProcessorTime {
  double user = 0;
  double system = 0;
};

ProcessorTime ProcessorTimeNow() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

double ThreadMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

const Bitmap& Photo(std::int64_t megapixels) {
  static const Bitmap p24 = testing::AllByteValues(6000, 4000);
  static const Bitmap p48 = testing::AllByteValues(8485, 5657);
  return megapixels == 24 ? p24 : p48;
}

void BM_Rotate(benchmark::State& state) {
  const Bitmap& photo = Photo(state.range(0));
  const float angle = static_cast<float>(state.range(1)) / 10.0f;  // given in tenths
  std::vector<std::uint8_t> floorTarget(photo.SizeInBytes(), 1);   // touched before timing
  double ours = std::numeric_limits<double>::max();
  double floor = ours;
  double floorCpu = ours;
  double oursCpu = ours;
  ProcessorTime oursTime;
  double exactShare = 0;
  for (auto _ : state) {
    Bitmap work = photo;
    const ProcessorTime before = ProcessorTimeNow();
    auto start = Clock::now();
    std::int64_t exact = 0;
    RotateBitmapWith(work, clWhite, angle, WidestRotationKernel(), &exact);
    const double oursMs = MillisecondsSince(start);
    const ProcessorTime after = ProcessorTimeNow();
    state.SetIterationTime(oursMs / 1000.0);
    benchmark::DoNotOptimize(work.Data());
    if (oursMs < ours) {
      ours = oursMs;
      oursTime = {after.user - before.user, after.system - before.system};
    }
    oursCpu = std::min(oursCpu, after.user + after.system - before.user - before.system);
    exactShare = static_cast<double>(exact) / (double{1} * work.Width() * work.Height());

    start = Clock::now();
    const double floorCpuStart = ThreadMilliseconds();
    std::memcpy(floorTarget.data(), photo.Data(), photo.SizeInBytes());
    benchmark::DoNotOptimize(floorTarget.data());
    floorCpu = std::min(floorCpu, ThreadMilliseconds() - floorCpuStart);
    floor = std::min(floor, MillisecondsSince(start));
  }
  state.counters["ours_ms"] = ours;
  state.counters["floor_ms"] = floor;
  state.counters["x_floor"] = ours / floor;
  state.counters["limit"] = angle < 5 ? 7 : 9;
  state.counters["exact_share"] = exactShare;
  state.counters["ours_user_ms"] = oursTime.user;
  state.counters["ours_sys_ms"] = oursTime.system;
  state.counters["cpu_x_floor"] = oursCpu / RowBandLimit() / floorCpu;
}
// Twelve runs each: the fastest of each side is kept, as a shared machine's other loads come
// and go.
BENCHMARK(BM_Rotate)
    ->ArgsProduct({{24, 48}, {5, 10, 30, 100, 450}})
    ->ArgNames({"MP", "tenths"})
    ->UseManualTime()
    ->Iterations(12)
    ->Unit(benchmark::kMillisecond);

// Resetting the peak needs Linux's clear_refs.
void BM_RotatePeakMemory(benchmark::State& state) {
  const Bitmap& photo = Photo(state.range(0));
  double perDestination = -1;
  for (auto _ : state) {
    Bitmap work = photo;
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::int64_t beforeKb = StatusKilobytes("VmRSS:");
    RotateBitmap(work, clWhite, 10);
    const std::int64_t peakKb = StatusKilobytes("VmHWM:");
    perDestination =
        static_cast<double>(peakKb - beforeKb) * 1024.0 / static_cast<double>(work.SizeInBytes());
  }
  state.counters["peak_per_dest_WxHx3"] = perDestination;
}
BENCHMARK(BM_RotatePeakMemory)->Arg(24)->Arg(48)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rumora
