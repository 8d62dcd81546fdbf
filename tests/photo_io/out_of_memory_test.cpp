// Running out of memory is an Error the window can show, never a killed process: each case runs
// in a child process whose address space is capped below what the operation needs.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <utility>

#include "imaging/available_memory.h"
#include "imaging/error.h"
#include "imaging/growing_stretch.h"
#include "imaging/pixel_storage.h"
#include "imaging/quarter_turn.h"
#include "imaging/rotate_bitmap.h"
#include "photo_io/jpeg_reader.h"
#include "photo_io/jpeg_writer.h"
#include "tests/imaging/fixtures.h"
#include "tests/imaging/recording_progress.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

// Set to fail the next allocation through operator new on this thread.
thread_local bool failNextAllocation = false;

}  // namespace
}  // namespace rumora

void* operator new(std::size_t size) {
  if (std::exchange(rumora::failNextAllocation, false)) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
// The blocks come from malloc above, whatever the compiler infers from the operator's name.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace rumora {
namespace {

// Runs `operation` on a copy of `photo` with the address space capped at what the process maps
// now plus half the photo's size; exits 0 when Error was thrown and the copy is intact.
[[noreturn]] void RunCapped(const Bitmap& photo, const std::function<void(Bitmap&)>& operation) {
  Bitmap subject = photo;
  ReleaseKeptPixelBlocks();
  const auto cap =
      static_cast<rlim_t>(testing::StatusKilobytes("VmSize:")) * 1024 + photo.SizeInBytes() / 2;
  const rlimit limit{cap, cap};
  ::setrlimit(RLIMIT_AS, &limit);
  bool reported = false;
  try {
    operation(subject);
  } catch (const Error&) {
    reported = true;
  }
  std::_Exit(reported && testing::PixelDifference(subject, photo).empty() ? 0 : 1);
}

TEST(OutOfMemoryTest, OpeningTurningAndRotatingReportAnError) {
  const Bitmap photo = testing::CoordinateBitmap(3000, 2000);
  const std::vector<std::uint8_t> jpeg = EncodeJpeg(photo, 90);
  testing::RecordingProgress progress;
  const auto exitsWell = ::testing::ExitedWithCode(0);
  EXPECT_EXIT(RunCapped(photo, [&](Bitmap&) { DecodeJpeg(jpeg); }), exitsWell, "");
  EXPECT_EXIT(RunCapped(photo, [&](Bitmap& p) { TurnRight(p, progress); }), exitsWell, "");
  EXPECT_EXIT(RunCapped(photo, [](Bitmap& p) { RotateBitmap(p, clWhite, 3); }), exitsWell, "");
}

// A photo whose bitmap alone fits in the memory left, but not with the library's store of its
// coefficients, is refused before either is taken; one without such a store opens.
TEST(OutOfMemoryTest, OpeningCountsTheLibrarysStoreBesideTheBitmap) {
  const testing::TempFolder system;
  std::filesystem::create_directories(system.Path("proc"));
  const std::string meminfo = "MemAvailable: 5120 kB\n";  // the 3.2 MB bitmap, not 6.5 MB
  testing::WriteBytes(system.Path("proc/meminfo"), {meminfo.begin(), meminfo.end()});
  const Bitmap photo = testing::GradientPicture(1200, 900);
  const std::vector<std::uint8_t> baseline = EncodeJpeg(photo, 90);
  const std::vector<std::uint8_t> progressive =
      testing::EncodeWithLibrary(photo, {.progressive = true});
  ReleaseKeptPixelBlocks();
  SetMemoryFiguresRoot(system.Root().string());
  EXPECT_THROW(DecodeJpeg(progressive), Error);
  EXPECT_EQ(DecodeJpeg(baseline).Width(), 1200);
  SetMemoryFiguresRoot("");
}

// Starting the view's thread can fail for want of memory as well as of threads: the view's rows
// are then made between the decoder's, and it is the finished photo's.
TEST(OutOfMemoryTest, AGrowingViewWithoutItsThreadMakesItsRowsItself) {
  const Bitmap photo = testing::NoisyGradient(640, 480);
  GrowingSmoothStretch grown(640, 480, 203, 151, 203, 151);
  failNextAllocation = true;  // the thread's state
  grown.Arrived(photo, 240);
  grown.Arrived(photo, 480);
  grown.Ended();
  EXPECT_EQ(testing::GrownViewDifference(grown, photo), "");
}

}  // namespace
}  // namespace rumora
