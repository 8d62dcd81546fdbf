// The free rotation on today's photo sizes at 10, 45 and 0.5 degrees, against two peers timed
// in the same run on the same pixels: a memcpy of the photo into an already touched buffer (the
// floor), and Qt's smooth QImage::transformed composited on white, as a Qt user would need it
// (Qt returns premultiplied ARGB with transparent corners). Counters: ours_ms, copy_ms, qt_ms,
// qt_white_ms; x_copy = ours / copy, qt_x_copy = Qt with its white background / copy.
// ours_user_ms and ours_sys_ms: the processor time of our rotation on all cores. The system
// share is mostly the destination's first touch; on a virtual machine that hands freed memory
// back to its host it can cost more than the rotation itself, and varies from run to run.
// BM_RotatePeakMemory reports the memory a rotation adds above the source it was given, in
// units of the destination's own 24-bit size.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "imaging/bitmap.h"
#include "imaging/rotate_bitmap.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The process's processor time so far, user and system, in milliseconds: on a shared machine
// the wall time of a run says little, its processor time much more.
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

// A smooth gradient with noise, so that the blends see varied neighbours.
Bitmap GradientPhoto(int width, int height) {
  Bitmap photo(width, height);
  std::mt19937 random(777);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x, row += 3) {
      const auto noise = static_cast<int>(random() % 13) - 6;
      row[0] = static_cast<std::uint8_t>(std::clamp(40 + 160 * x / width + noise, 0, 255));
      row[1] = static_cast<std::uint8_t>(std::clamp(60 + 120 * y / height - noise, 0, 255));
      row[2] =
          static_cast<std::uint8_t>(std::clamp(200 - 150 * (x + y) / (width + height), 0, 255));
    }
  }
  return photo;
}

const Bitmap& Photo(std::int64_t megapixels) {
  static const Bitmap p24 = GradientPhoto(6000, 4000);
  static const Bitmap p48 = GradientPhoto(8485, 5657);
  return megapixels == 24 ? p24 : p48;
}

float AngleOf(const benchmark::State& state) {
  return static_cast<float>(state.range(1)) / 10.0f;  // the second argument is in tenths
}

void BM_Rotate(benchmark::State& state) {
  const Bitmap& photo = Photo(state.range(0));
  const float angle = AngleOf(state);
  std::vector<std::uint8_t> copyTarget(photo.SizeInBytes(), 1);  // touched before timing
  const QImage source(photo.Data(), photo.Width(), photo.Height(),
                      static_cast<qsizetype>(photo.Stride()), QImage::Format_BGR888);
  double ours = 0, oursUser = 0, oursSystem = 0, copy = 0, qt = 0, qtWhite = 0;
  for (auto _ : state) {
    Bitmap work = photo;
    const ProcessorTime before = ProcessorTimeNow();
    auto start = Clock::now();
    RotateBitmap(work, clWhite, angle);
    const double oursMs = MillisecondsSince(start);
    const ProcessorTime after = ProcessorTimeNow();
    oursUser += after.user - before.user;
    oursSystem += after.system - before.system;
    state.SetIterationTime(oursMs / 1000.0);
    ours += oursMs;
    benchmark::DoNotOptimize(work.Data());

    start = Clock::now();
    std::memcpy(copyTarget.data(), photo.Data(), photo.SizeInBytes());
    benchmark::DoNotOptimize(copyTarget.data());
    copy += MillisecondsSince(start);

    start = Clock::now();
    const QImage turned = source.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    qt += MillisecondsSince(start);
    QImage onWhite(turned.size(), QImage::Format_RGB888);
    onWhite.fill(Qt::white);
    {
      QPainter painter(&onWhite);
      painter.drawImage(0, 0, turned);
    }
    qtWhite += MillisecondsSince(start);
    benchmark::DoNotOptimize(onWhite.constBits());
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = ours / n;
  state.counters["ours_user_ms"] = oursUser / n;
  state.counters["ours_sys_ms"] = oursSystem / n;
  state.counters["copy_ms"] = copy / n;
  state.counters["qt_ms"] = qt / n;
  state.counters["qt_white_ms"] = qtWhite / n;
  state.counters["x_copy"] = ours / copy;
  state.counters["qt_x_copy"] = qtWhite / copy;
}
BENCHMARK(BM_Rotate)
    ->ArgsProduct({{24, 48}, {100, 450, 5}})
    ->ArgNames({"MP", "tenths"})
    ->UseManualTime()
    ->Iterations(3)
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
