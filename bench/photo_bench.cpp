// Opening and saving photos of today's sizes. Opening is timed as the window does it (read and
// decode the file, then stretch it into the input view) and set against the library's own
// command-line decoder on the same file; saving is timed on the 600x450 output picture against
// the library's command-line encoder. Peers are started with std::system, so their figures
// include starting a process, as a user's would. Counters: wall_ratio and cpu_ratio are ours /
// peer; peak_per_WxHx3 is the peak memory of opening in units of the photo's own 24-bit size.
// The first open in a fresh process, and the whole road of a 48 MP photo from opening to
// saving, are timed here too.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without declaring them
// clang-format on

#include "bench/bench_support.h"
#include "bench/library_decode.h"
#include "imaging/bitmap.h"
#include "imaging/growing_stretch.h"
#include "imaging/image_view.h"
#include "imaging/pixel_storage.h"
#include "imaging/progress.h"
#include "imaging/rotate_bitmap.h"
#include "imaging/scratch_image_view.h"
#include "imaging/shift_brightness.h"
#include "layout/trim.h"
#include "logo/blend_logo.h"
#include "photo_io/atomic_file.h"
#include "photo_io/jpeg_reader.h"
#include "photo_io/jpeg_writer.h"
#include "tests/photo_io/exif_segment.h"

namespace rumora {
namespace {

using Clock = std::chrono::steady_clock;

// Files the peers read, written once and removed at exit.
class Fixtures {
 public:
  // The path of a quality-90 JPEG of a generated photo of `megapixels` (24 or 48).
  const std::string& Jpeg(int megapixels) {
    auto [at, fresh] = jpegs_.try_emplace(megapixels);
    if (fresh) {
      const int width = megapixels == 24 ? 6000 : 8000;
      const int height = megapixels == 24 ? 4000 : 6000;
      at->second = folder_.Path("photo" + std::to_string(megapixels) + ".jpg");
      WriteFileAtomically(at->second, EncodeJpeg(testing::NoisyGradient(width, height), 90));
    }
    return at->second;
  }

  std::string Path(const std::string& name) const { return folder_.Path(name); }

 private:
  testing::TempFolder folder_;
  std::map<int, std::string> jpegs_;
};

bool HavePeer(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

Fixtures& Files() {
  static Fixtures fixtures;
  return fixtures;
}

double ProcessCpuMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double ChildrenCpuMilliseconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Mean wall and CPU time in milliseconds of one run of a shell command (CPU time of the
// command and the shell that starts it), over `runs` runs.
struct PeerTime {
  double wall_ms = -1;
  double cpu_ms = -1;
};

PeerTime TimeCommand(const std::string& command, int runs) {
  const auto start = Clock::now();
  const double cpu_start = ChildrenCpuMilliseconds();
  for (int i = 0; i < runs; ++i) {
    if (std::system(command.c_str()) != 0) return {};
  }
  return {std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs,
          (ChildrenCpuMilliseconds() - cpu_start) / runs};
}

// Times `work` per benchmark iteration, wall and CPU (all threads of this process), and sets
// counters with the peer's figures and the ratios ours / peer.
template <typename Work>
void TimeAgainstPeer(benchmark::State& state, Work work, const char* peer,
                     const std::string& command, int peer_runs) {
  double wall_ms = 0, cpu_ms = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const double cpu_start = ProcessCpuMilliseconds();
    work();
    cpu_ms += ProcessCpuMilliseconds() - cpu_start;
    wall_ms += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = wall_ms / n;
  state.counters["ours_cpu_ms"] = cpu_ms / n;
  if (!HavePeer(peer)) return;
  const PeerTime theirs = TimeCommand(command, peer_runs);
  if (theirs.wall_ms <= 0) {
    state.SkipWithError((std::string(peer) + " failed").c_str());
    return;
  }
  state.counters[std::string(peer) + "_ms"] = theirs.wall_ms;
  state.counters[std::string(peer) + "_cpu_ms"] = theirs.cpu_ms;
  state.counters["wall_ratio"] = wall_ms / n / theirs.wall_ms;
  state.counters["cpu_ratio"] = cpu_ms / n / theirs.cpu_ms;
}

// The input view: a 602x402 control over the fixed 600x600 picture.
ScratchImageView& InputView() {
  static ScratchImageView view(602, 402);
  view.AssignPicture(Bitmap::Filled(600, 600, clWhite));
  return view;
}

// Read + decode + stretch into the input view, as opening a photo does; with the command-line
// decoder's time on the same file and the ratio of the two.
void BM_OpenAndDisplay(benchmark::State& state) {
  const std::string& path = Files().Jpeg(static_cast<int>(state.range(0)));
  ScratchImageView& view = InputView();
  TimeAgainstPeer(
      state,
      [&] {
        JpegDecoder decoder;
        decoder.Open(path);
        const Bitmap photo = decoder.Decode();
        StretchToView(photo, view);
        benchmark::DoNotOptimize(view.Picture().Data());
      },
      "djpeg", "djpeg -outfile /dev/null '" + path + "'", 3);
}
BENCHMARK(BM_OpenAndDisplay)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeOnly(benchmark::State& state) {
  const std::vector<std::uint8_t> file =
      ReadWholeFile(Files().Jpeg(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(file).Data());
}
BENCHMARK(BM_DecodeOnly)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DisplayOnly(benchmark::State& state) {
  const Bitmap photo = DecodeJpeg(ReadWholeFile(Files().Jpeg(static_cast<int>(state.range(0)))));
  ScratchImageView& view = InputView();
  for (auto _ : state) {
    StretchToView(photo, view);
    benchmark::DoNotOptimize(view.Picture().Data());
  }
}
BENCHMARK(BM_DisplayOnly)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond)->UseRealTime();

// The library decoding the file's bytes (already in memory) into a buffer that was written
// before, so no page is new to it: the floor that repeated opening is held against.
class TouchedDecode {
 public:
  explicit TouchedDecode(std::vector<std::uint8_t> file) : file_(std::move(file)) { Run(); }
  void Run() {
    LibraryDecode(file_, [this](std::size_t bytes) {
      pixels_.resize(bytes);  // touched once, by the first run
      return pixels_.data();
    });
  }

 private:
  std::vector<std::uint8_t> file_;
  std::vector<std::uint8_t> pixels_;
};

// Opening (read the file, decode into a fresh bitmap) against the library decoding the same
// file into a touched buffer, timed in the same run: touched_ms and ratio = ours / touched; with
// smooth_view, opening also makes the smooth input view as the window does. Run
// it beside a busy process too, since the second core then has no time to spare.
void BM_OpenAgainstTouchedDecode(benchmark::State& state) {
  const std::string& path = Files().Jpeg(static_cast<int>(state.range(0)));
  TouchedDecode touched(ReadWholeFile(path));
  const bool smoothView = state.range(1) != 0;
  ScratchImageView& view = InputView();
  // Alternately, so that a change in the machine's load falls on both alike.
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    touched.Run();
    theirs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    start = Clock::now();
    JpegDecoder decoder;
    decoder.Open(path);
    if (smoothView) {
      // As the window opens a photo: the smooth input view grows while the rows arrive.
      GrowingSmoothStretch grown(decoder.Width(), decoder.Height(), view.ControlWidth(),
                                 view.ControlHeight(), 600, 600);
      const Bitmap photo = decoder.Decode(&grown);
      grown.DrawInto(view);
      benchmark::DoNotOptimize(photo.Data());
    } else {
      benchmark::DoNotOptimize(decoder.Decode().Data());
    }
    ours += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  state.counters["ours_ms"] = ours / static_cast<double>(state.iterations());
  state.counters["touched_ms"] = theirs / static_cast<double>(state.iterations());
  state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_OpenAgainstTouchedDecode)
    ->ArgsProduct({{24, 48}, {0, 1}})
    ->ArgNames({"mp", "smooth_view"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Opening a file whose Exif segment names an orientation (read, not applied) against opening
// the same photo without the segment, alternately in the same run: ratio = with / without.
void BM_OpenWithExifTag(benchmark::State& state) {
  const std::string& plain = Files().Jpeg(static_cast<int>(state.range(0)));
  const std::string tagged = Files().Path("tagged.jpg");
  WriteFileAtomically(tagged,
                      testing::WithApp1(ReadWholeFile(plain), testing::ExifSegment(6, true)));
  double with = 0, without = 0;
  for (auto _ : state) {
    for (const std::string* path : {&tagged, &plain}) {
      const auto start = Clock::now();
      JpegDecoder decoder;
      decoder.Open(*path);
      benchmark::DoNotOptimize(decoder.ExifOrientation());
      benchmark::DoNotOptimize(decoder.Decode().Data());
      (path == &tagged ? with : without) +=
          std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
  }
  state.counters["with_tag_ms"] = with / static_cast<double>(state.iterations());
  state.counters["without_tag_ms"] = without / static_cast<double>(state.iterations());
  state.counters["ratio"] = with / without;
}
BENCHMARK(BM_OpenWithExifTag)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime();

// The milliseconds `work` takes in a child process of its own, or -1: its memory is fresh. The
// blocks this process keeps for its next bitmaps are given back first, as a new process has
// none (the child's copies would share the parent's pages and be copied at their first write).
double MillisecondsInChild(const std::function<void()>& work) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ReleaseKeptPixelBlocks();
    const auto start = Clock::now();
    work();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::_Exit(::write(pipeEnds[1], &ms, sizeof ms) == sizeof ms ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  double ms = -1;
  if (child < 0 || ::read(pipeEnds[0], &ms, sizeof ms) != sizeof ms) ms = -1;
  ::close(pipeEnds[0]);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return ms;
}

// The first open in a process (read the file, decode into a fresh bitmap) against the library
// reading and decoding the same file into a fresh buffer, each in a child process per run: the
// fastest of the runs, ours_ms and library_ms, and ratio = ours / library.
void BM_FirstOpenInFreshProcess(benchmark::State& state) {
  const std::string& path = Files().Jpeg(static_cast<int>(state.range(0)));
  double ours = std::numeric_limits<double>::max();
  double theirs = ours;
  for (auto _ : state) {
    ours = std::min(ours, MillisecondsInChild([&] {
                      JpegDecoder decoder;
                      decoder.Open(path);
                      benchmark::DoNotOptimize(decoder.Decode().Data());
                    }));
    theirs = std::min(theirs, MillisecondsInChild([&] {
                        std::unique_ptr<std::uint8_t[]> pixels;
                        LibraryDecode(ReadWholeFile(path), [&](std::size_t bytes) {
                          pixels = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
                          return pixels.get();
                        });
                        benchmark::DoNotOptimize(pixels.get());
                      }));
  }
  state.counters["ours_ms"] = ours;
  state.counters["library_ms"] = theirs;
  state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_FirstOpenInFreshProcess)
    ->Arg(24)
    ->Arg(48)
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole road of the 48 MP photo: open, brighten, rotate 3 degrees, trim four panes, stamp a
// logo, save. Counters: each step and the total of the fastest run, in milliseconds, beside the
// floor (a memcpy of the opened photo into a touched buffer) and x_floor = total / floor.
void BM_WholeRoad(benchmark::State& state) {
  const std::string& path = Files().Jpeg(48);
  const std::string saved = Files().Path("road.jpg");
  const Bitmap logo = testing::AllByteValues(160, 48);
  ScratchImageView output(600, 450);
  ScratchImageView pane(600, 450);
  pane.Picture();
  pane.SetControlSize(300, 225);
  NoProgress progress;
  const EventPump nothing = [] {};
  static const char* const kSteps[] = {"open_ms", "brighten_ms", "rotate_ms",
                                       "trim_ms", "stamp_ms",    "save_ms"};
  double best[6] = {};
  double bestTotal = std::numeric_limits<double>::max();
  double floor = bestTotal;
  const Bitmap opened = DecodeJpeg(ReadWholeFile(path));
  std::vector<std::uint8_t> touched(opened.SizeInBytes(), 1);
  for (auto _ : state) {
    double steps[6];
    auto lap = Clock::now();
    const auto step = [&](int i) {
      const auto now = Clock::now();
      steps[i] = std::chrono::duration<double, std::milli>(now - lap).count();
      lap = now;
    };
    JpegDecoder decoder;
    decoder.Open(path);
    Bitmap photo = decoder.Decode();
    step(0);
    ShiftBrightness(photo, BrightnessDirection::kBrighten, progress, nothing);
    step(1);
    RotateBitmap(photo, clWhite, 3);
    step(2);
    const double s = TrimScale(photo.Width(), 602);
    for (int p = 0; p < 4; ++p) {
      CopyRegionScaled(photo, pane, 10 + 60 * p, 20 + 40 * p, 309 + 60 * p, 244 + 40 * p, s,
                       progress);
      PasteImageAt(pane, output, 300 * (p % 2), 225 * (p / 2));
    }
    step(3);
    BlendLogo(output.Picture(), logo, 10, 10, 0.37);
    step(4);
    WriteFileAtomically(saved, EncodeJpeg(output.Picture(), 90));
    step(5);
    double total = 0;
    for (const double ms : steps) total += ms;
    if (total < bestTotal) {
      bestTotal = total;
      std::copy(steps, steps + 6, best);
    }
    const auto start = Clock::now();
    std::memcpy(touched.data(), opened.Data(), touched.size());
    benchmark::DoNotOptimize(touched.data());
    floor =
        std::min(floor, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  for (int i = 0; i < 6; ++i) state.counters[kSteps[i]] = best[i];
  state.counters["total_ms"] = bestTotal;
  state.counters["floor_ms"] = floor;
  state.counters["x_floor"] = bestTotal / floor;
}
BENCHMARK(BM_WholeRoad)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory of opening one photo, above what the process held before, in units of the
// photo's own 24-bit size (W x H x 3). Resetting the peak needs Linux's clear_refs.
void BM_OpenPeakMemory(benchmark::State& state) {
  const int megapixels = static_cast<int>(state.range(0));
  const std::string& path = Files().Jpeg(megapixels);
  double peak_ratio = -1;
  for (auto _ : state) {
    ::malloc_trim(0);  // memory freed earlier must not hide this run's needs
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::int64_t before_kb = StatusKilobytes("VmRSS:");
    JpegDecoder decoder;
    decoder.Open(path);
    const Bitmap photo = decoder.Decode();
    const std::int64_t peak_kb = StatusKilobytes("VmHWM:");
    peak_ratio = static_cast<double>(peak_kb - before_kb) * 1024.0 /
                 static_cast<double>(photo.SizeInBytes());
  }
  state.counters["peak_per_WxHx3"] = peak_ratio;
}
BENCHMARK(BM_OpenPeakMemory)->Arg(24)->Arg(48)->Iterations(1)->Unit(benchmark::kMillisecond);

// Encoding the 600x450 output picture, and the command-line encoder on the same pixels.
void BM_EncodeOutput(benchmark::State& state) {
  const Bitmap picture = testing::NoisyGradient(600, 450);
  std::vector<std::uint8_t> ppm;
  const std::string header = "P6\n600 450\n255\n";
  ppm.assign(header.begin(), header.end());
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* p = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x, p += 3) ppm.insert(ppm.end(), {p[2], p[1], p[0]});
  }
  const std::string in = Files().Path("output.ppm");
  WriteFileAtomically(in, ppm);
  TimeAgainstPeer(
      state, [&] { benchmark::DoNotOptimize(EncodeJpeg(picture, 90).data()); }, "cjpeg",
      "cjpeg -quality 90 -outfile '" + Files().Path("output.jpg") + "' '" + in + "'", 20);
}
BENCHMARK(BM_EncodeOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace rumora
