// Stamping a logo into the 600 x 450 output at weight 0.37: a whole-output logo and one of the
// presets' size. The floor is a plain loop that copies the same non-white logo pixels into the
// output, timed in the same run; `ratio` is the blend's time over the floor's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>

#include "imaging/bitmap.h"
#include "logo/blend_logo.h"

namespace rumora {
namespace {

Bitmap Pattern(int width, int height) {
  Bitmap b(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      const bool white = (x / 8 + y / 8) % 3 == 0;  // a third see-through, as logos have
      row[3 * x] = white ? 255 : static_cast<std::uint8_t>(x * 7 + y);
      row[3 * x + 1] = white ? 255 : static_cast<std::uint8_t>(x ^ y);
      row[3 * x + 2] = white ? 255 : static_cast<std::uint8_t>(y * 3);
    }
  }
  return b;
}

// The floor: the same visit of the logo with its white test, copying instead of mixing.
void CopyLogo(Bitmap& output, const Bitmap& logo) {
  for (int y = 0; y < logo.Height(); ++y) {
    const std::uint8_t* in = logo.Row(y);
    std::uint8_t* out = output.Row(y);
    for (int x = 0; x < logo.Width(); ++x, in += 3, out += 3) {
      if ((in[0] & in[1] & in[2]) == 255) continue;
      std::memcpy(out, in, 3);
    }
  }
}

double MillisecondsPerRun(const std::function<void()>& work, int runs) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
             .count() /
         runs;
}

void BM_BlendLogo(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const Bitmap logo = Pattern(width, height);
  Bitmap output = Pattern(600, 450);
  const double floor = MillisecondsPerRun(
      [&] {
        CopyLogo(output, logo);
        benchmark::DoNotOptimize(output.Data());
      },
      200);
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    BlendLogo(output, logo, 0, 0, 0.37);
    benchmark::DoNotOptimize(output.Data());
    total +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const double ours = total / static_cast<double>(state.iterations());
  state.counters["blend_ms"] = ours;
  state.counters["floor_ms"] = floor;
  state.counters["ratio"] = ours / floor;
}

BENCHMARK(BM_BlendLogo)->Args({600, 450})->Args({160, 48})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rumora
