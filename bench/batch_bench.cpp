// A batch of eight 24-megapixel photos made into 600x450 listing pictures with a preset logo,
// against the floor of decoding the same eight files with the library, two at a time, timed
// alternately in the same run: ratio = batch / floor.
#include <benchmark/benchmark.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch_runner.h"
#include "bench/library_decode.h"
#include "photo_io/atomic_file.h"
#include "photo_io/jpeg_writer.h"
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPhotos = 8;

class NoObserver final : public BatchObserver {
 public:
  void PhotoDone(std::size_t, const BatchPhotoResult&) override {}
};

double CpuMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_BatchAgainstDecoding(benchmark::State& state) {
  const testing::TempFolder folder;
  fs::create_directory(folder.Root() / "out");
  BatchJob job;
  // Two different photos, four files of each.
  const std::vector<std::uint8_t> photos[2] = {
      EncodeJpeg(testing::NoisyGradient(6000, 4000, 1), 90),
      EncodeJpeg(testing::NoisyGradient(4000, 6000, 2), 90)};
  std::vector<std::vector<std::uint8_t>> files;
  for (int i = 0; i < kPhotos; ++i) {
    job.photos.push_back((folder.Root() / ("photo" + std::to_string(i) + ".jpg")).string());
    WriteFileAtomically(job.photos.back(), photos[i % 2]);
    files.push_back(photos[i % 2]);
  }
  job.recipe.outputFolder = (folder.Root() / "out").string();
  job.logo = ReadBatchLogo(std::string(RUMORA_SOURCE_DIR) + "/logo_design/logo1.bmp",
                           LogoSlot{420, 380, 60}, OutputSize::k600x450);
  const std::atomic<bool> cancel{false};
  NoObserver observer;

  // The floor: the files' bytes (in memory) decoded two at a time, each thread into a buffer of
  // its own that it wrote before.
  std::vector<std::uint8_t> buffers[2];
  const auto decodeAll = [&] {
    std::atomic<int> next{0};
    const auto decode = [&](std::vector<std::uint8_t>& pixels) {
      for (int i = next++; i < kPhotos; i = next++) {
        LibraryDecode(files[static_cast<std::size_t>(i)], [&](std::size_t bytes) {
          pixels.resize(bytes);
          return pixels.data();
        });
      }
    };
    std::jthread other(decode, std::ref(buffers[1]));
    decode(buffers[0]);
  };
  decodeAll();

  // Wall time, and the CPU time of all threads: on a loaded machine the second is steadier.
  double ours = 0, floor = 0, oursCpu = 0, floorCpu = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    double cpu = CpuMilliseconds();
    decodeAll();
    floor += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    floorCpu += CpuMilliseconds() - cpu;
    start = Clock::now();
    cpu = CpuMilliseconds();
    const auto results = RunBatch(job, observer, cancel, BatchWorkers());

    ours += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    oursCpu += CpuMilliseconds() - cpu;
    for (const auto& result : results) {
      if (!result.Made()) state.SkipWithError(result.failure.c_str());
      fs::remove(result.written);
    }
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["batch_ms"] = ours / n;
  state.counters["decode_ms"] = floor / n;
  state.counters["ratio"] = ours / floor;
  state.counters["cpu_ratio"] = oursCpu / floorCpu;
}
BENCHMARK(BM_BatchAgainstDecoding)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace rumora
