// Running out of memory is an Error the window can show, never a killed process: each case runs
// in a child process whose address space is capped below what the operation needs.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <functional>

#include "imaging/error.h"
#include "imaging/pixel_storage.h"
#include "imaging/quarter_turn.h"
#include "imaging/rotate_bitmap.h"
#include "photo_io/jpeg_reader.h"
#include "photo_io/jpeg_writer.h"
#include "tests/imaging/fixtures.h"
#include "tests/imaging/recording_progress.h"
#include "tests/test_helpers.h"

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

}  // namespace
}  // namespace rumora
