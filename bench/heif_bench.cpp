// Opening photos of the new kinds, each against a peer timed alternately in the same run:
// - a HEIC photo of 12 and 24 MP (made by the library's encoder) opened as the window opens it,
//   against the library's own decode of the same file to interleaved RGB: ratio = ours /
//   library;
// - a 24 MP JPEG with a Display P3 profile opened as the window opens it (with the smooth input
//   view), colours matched, against the same with the option off: ratio = matched / as stored.
#include <benchmark/benchmark.h>
#include <libheif/heif.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "bench/bench_support.h"
#include "imaging/growing_stretch.h"
#include "imaging/scratch_image_view.h"
#include "photo_io/atomic_file.h"
#include "photo_io/photo_reader.h"
#include "tests/photo_io/colour_profiles.h"
#include "tests/photo_io/heif_files.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

// Files written once and removed at exit.
class Files {
 public:
  Files() : folder_(std::filesystem::temp_directory_path() / "heif_bench") {
    std::filesystem::create_directories(folder_);
  }
  ~Files() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  // A HEIC of `megapixels` (12 or 24).
  const std::string& Heic(int megapixels) {
    auto [at, fresh] = made_.try_emplace("heic" + std::to_string(megapixels));
    if (fresh) {
      at->second = (folder_ / (at->first + ".heic")).string();
      const Bitmap photo = megapixels == 12 ? testing::NoisyGradient(4000, 3000)
                                            : testing::NoisyGradient(6000, 4000);
      WriteFileAtomically(
          at->second,
          testing::EncodeHeic(photo, {.quality = 80, .preset = "ultrafast", .chroma = "420"}));
    }
    return at->second;
  }
  const std::string& DisplayP3Jpeg() {
    auto [at, fresh] = made_.try_emplace("p3");
    if (fresh) {
      at->second = (folder_ / "p3.jpg").string();
      WriteFileAtomically(at->second, testing::EncodeWithProfile(testing::NoisyGradient(6000, 4000),
                                                                 testing::DisplayP3Profile(), 90));
    }
    return at->second;
  }

 private:
  std::filesystem::path folder_;
  std::map<std::string, std::string> made_;
};

Files& Made() {
  static Files files;
  return files;
}

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The library's own decode of the file to interleaved RGB.
void LibraryDecode(const std::string& path) {
  heif_context* context = heif_context_alloc();
  heif_context_read_from_file(context, path.c_str(), nullptr);
  heif_image_handle* handle = nullptr;
  heif_context_get_primary_image_handle(context, &handle);
  heif_image* image = nullptr;
  heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
  benchmark::DoNotOptimize(image);
  heif_image_release(image);
  heif_image_handle_release(handle);
  heif_context_free(context);
}

// Opening as the window does: the reader, with the smooth input view growing from its rows.
Bitmap OpenAsTheWindowDoes(const std::string& path, bool matchColours) {
  static ScratchImageView view(602, 402);
  view.AssignPicture(Bitmap::Filled(600, 600, clWhite));
  PhotoReader reader({.matchColours = matchColours});
  reader.Open(path);
  GrowingSmoothStretch grown(reader.Width(), reader.Height(), view.ControlWidth(),
                             view.ControlHeight(), 600, 600);
  Bitmap photo = reader.Decode(&grown);
  grown.DrawInto(view);
  return photo;
}

void BM_OpenHeicAgainstLibrary(benchmark::State& state) {
  const std::string& path = Made().Heic(static_cast<int>(state.range(0)));
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    LibraryDecode(path);
    theirs += Milliseconds(start);
    start = Clock::now();
    benchmark::DoNotOptimize(OpenAsTheWindowDoes(path, true).Data());
    ours += Milliseconds(start);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = ours / n;
  state.counters["library_ms"] = theirs / n;
  state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_OpenHeicAgainstLibrary)
    ->Arg(12)
    ->Arg(24)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_OpenDisplayP3Jpeg(benchmark::State& state) {
  const std::string& path = Made().DisplayP3Jpeg();
  double matched = 0, stored = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    benchmark::DoNotOptimize(OpenAsTheWindowDoes(path, false).Data());
    stored += Milliseconds(start);
    start = Clock::now();
    benchmark::DoNotOptimize(OpenAsTheWindowDoes(path, true).Data());
    matched += Milliseconds(start);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["matched_ms"] = matched / n;
  state.counters["as_stored_ms"] = stored / n;
  state.counters["ratio"] = matched / stored;
}
BENCHMARK(BM_OpenDisplayP3Jpeg)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace rumora
