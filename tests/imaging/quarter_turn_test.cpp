#include "imaging/quarter_turn.h"

#include <gtest/gtest.h>

#include <tuple>

#include "imaging/parallel_rows.h"
#include "tests/imaging/recording_progress.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

using testing::ExpectedProgress;
using testing::RecordingProgress;

using Size = std::pair<int, int>;

// Each pixel holds its own index y * width + x (up to 2^24 pixels, any side length), so a
// swapped axis, a mirrored walk or a shifted tile reads back as the wrong position.
Bitmap IndexBitmap(int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, static_cast<TColor>(y * width + x));
  }
  return bitmap;
}

class QuarterTurnTest : public ::testing::TestWithParam<std::tuple<bool, Size>> {};

// Every destination pixel names the source pixel it came from.
TEST_P(QuarterTurnTest, MovesEveryPixelToItsPlace) {
  const auto [clockwise, size] = GetParam();
  const auto [w, h] = size;
  Bitmap bitmap = IndexBitmap(w, h);
  RecordingProgress progress;
  Bitmap* const identity = &bitmap;
  clockwise ? TurnRight(bitmap, progress) : TurnLeft(bitmap, progress);

  ASSERT_EQ(&bitmap, identity);
  ASSERT_EQ(bitmap.Width(), h);
  ASSERT_EQ(bitmap.Height(), w);
  EXPECT_EQ(progress.calls, ExpectedProgress(w, false));
  for (int i = 0; i < w; ++i) {
    for (int j = 0; j < h; ++j) {
      const int sourceX = clockwise ? i : w - 1 - i;
      const int sourceY = clockwise ? h - 1 - j : j;
      const auto index = static_cast<int>(bitmap.Pixel(j, i));
      ASSERT_TRUE(index % w == sourceX && index / w == sourceY)
          << (clockwise ? "right" : "left") << " destination (" << j << ", " << i
          << ") expected source (" << sourceX << ", " << sourceY << "), got (" << index % w << ", "
          << index / w << ")";
    }
  }
}

// A turn and its inverse, and four turns the same way, give the photo back.
TEST_P(QuarterTurnTest, TurnsUndoEachOther) {
  const auto [clockwise, size] = GetParam();
  const Bitmap original = IndexBitmap(size.first, size.second);
  NoProgress progress;
  Bitmap spare;
  Bitmap bitmap = original;
  clockwise ? TurnRight(bitmap, progress, spare) : TurnLeft(bitmap, progress, spare);
  clockwise ? TurnLeft(bitmap, progress, spare) : TurnRight(bitmap, progress, spare);
  EXPECT_EQ(testing::PixelDifference(bitmap, original), "") << "turn and its inverse";
  for (int turn = 0; turn < 4; ++turn) {
    clockwise ? TurnRight(bitmap, progress, spare) : TurnLeft(bitmap, progress, spare);
  }
  EXPECT_EQ(testing::PixelDifference(bitmap, original), "") << "four turns";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, QuarterTurnTest,
    ::testing::Combine(::testing::Bool(),
                       // Odd sizes, one row (turned right, a column headed by its leftmost
                       // pixel) or column, more than one tile each way, and no columns.
                       ::testing::Values(Size{0, 4}, Size{1, 1}, Size{1, 7}, Size{7, 1}, Size{3, 5},
                                         Size{4097, 3}, Size{3, 4097}, Size{1030, 1100})),
    [](const auto& info) {
      const Size size = std::get<1>(info.param);
      return std::string(std::get<0>(info.param) ? "right_" : "left_") +
             std::to_string(size.first) + "x" + std::to_string(size.second);
    });

// The spare and the photo swap buffers: the second turn writes into the first one's source.
TEST(QuarterTurn, ConsecutiveTurnsReuseTheSpareBuffer) {
  Bitmap bitmap = IndexBitmap(40, 30);
  const std::uint8_t* const original = bitmap.Data();
  Bitmap spare = Bitmap(7, 7);  // the wrong size: replaced
  NoProgress progress;
  TurnLeft(bitmap, progress, spare);
  EXPECT_EQ(spare.Data(), original);
  EXPECT_EQ(spare.Width(), 40);
  EXPECT_EQ(spare.Height(), 30);
  TurnLeft(bitmap, progress, spare);
  EXPECT_EQ(bitmap.Data(), original);
}

TEST(QuarterTurn, SameBytesOnOneCoreAndOnMany) {
  // Wider than the smallest band and taller than one round of rows, so both splits happen.
  const Bitmap original = IndexBitmap(4000, 1500);
  NoProgress progress;
  for (bool clockwise : {true, false}) {
    Bitmap single = original;
    Bitmap split = original;
    SetRowBandLimit(1);
    clockwise ? TurnRight(single, progress) : TurnLeft(single, progress);
    SetRowBandLimit(4);
    RecordingProgress rounds;
    clockwise ? TurnRight(split, rounds) : TurnLeft(split, rounds);
    SetRowBandLimit(0);
    EXPECT_EQ(testing::PixelDifference(split, single), "") << (clockwise ? "right" : "left");
    EXPECT_EQ(rounds.calls, ExpectedProgress(4000, false));
  }
}

}  // namespace
}  // namespace rumora
