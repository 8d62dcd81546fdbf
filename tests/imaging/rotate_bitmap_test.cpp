#include "imaging/rotate_bitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "imaging/error.h"
#include "imaging/parallel_rows.h"
#include "imaging/tbmp_data24.h"
#include "tests/imaging/fixtures.h"
#include "tests/imaging/rotate_reference.h"
#include "tests/synthetic_photos.h"

namespace rumora {
namespace {

using testing::CoordinateBitmap;
using testing::PixelDifference;
using testing::RandomPhoto;

TEST(TBmpData24Test, EveryAddressHoldsItsOwnPixel) {
  Bitmap bitmap = CoordinateBitmap(300, 3);
  const TBmpData24 data(bitmap);
  ASSERT_EQ(data.Width(), 300);
  ASSERT_EQ(data.Height(), 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 300; ++x) {
      const std::uint8_t* p = data.PixelAddress(x, y);
      EXPECT_EQ(RGB(p[2], p[1], p[0]), testing::CoordinateColour(x, y)) << x << "," << y;
    }
  }
}

struct SizeCase {
  int width, height;
  float angle;
  int expectedWidth, expectedHeight;
};

class RotatedSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(RotatedSizeTest, MatchesTheKnownSizes) {
  const SizeCase& c = GetParam();
  Bitmap photo = Bitmap::Filled(c.width, c.height, clBlack);
  RotateBitmap(photo, clWhite, c.angle);
  EXPECT_EQ(photo.Width(), c.expectedWidth);
  EXPECT_EQ(photo.Height(), c.expectedHeight);
  const RotatedSize size = RotatedBitmapSize(c.width, c.height, c.angle);
  EXPECT_EQ(size.width, c.expectedWidth);
  EXPECT_EQ(size.height, c.expectedHeight);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RotatedSizeTest,
                         ::testing::Values(SizeCase{600, 400, 10, 661, 499},
                                           SizeCase{600, 400, -10, 661, 499},
                                           SizeCase{600, 400, 45, 708, 708},
                                           SizeCase{600, 400, 90, 401, 601},
                                           SizeCase{600, 400, 0.5f, 604, 406},
                                           SizeCase{5, 4, 10, 7, 6}, SizeCase{0, 0, 10, 1, 1}));

// Grey levels (or red values) of a result, row by row.
std::vector<std::vector<int>> Channel(const Bitmap& bitmap, int byteInPixel) {
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < bitmap.Height(); ++y) {
    rows.emplace_back();
    for (int x = 0; x < bitmap.Width(); ++x)
      rows.back().push_back(bitmap.Row(y)[3 * x + byteInPixel]);
  }
  return rows;
}

TEST(RotateBitmapTest, BlackPhotoAtTenDegreesGivesItsGreyLevels) {
  Bitmap photo = Bitmap::Filled(5, 4, clBlack);
  RotateBitmap(photo, clWhite, 10);
  const std::vector<std::vector<int>> expected = {
      {174, 14, 58, 102, 146, 255, 255},  {130, 0, 0, 0, 0, 105, 255},
      {86, 0, 0, 0, 0, 150, 255},         {255, 0, 0, 0, 0, 194, 255},
      {255, 226, 182, 137, 93, 242, 255}, {255, 255, 255, 255, 255, 255, 255}};
  for (int b = 0; b < 3; ++b) EXPECT_EQ(Channel(photo, b), expected) << "byte " << b;
}

TEST(RotateBitmapTest, RedRampAtNinetyDegreesGivesItsTable) {
  Bitmap photo = Bitmap::Filled(4, 3, clBlack);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) photo.SetPixel(x, y, RGB(10 * x + 100 * y, 0, 0));
  }
  RotateBitmap(photo, clWhite, 90);
  const std::vector<std::vector<int>> red = {{255, 200, 100, 0},
                                             {255, 210, 110, 10},
                                             {255, 220, 120, 20},
                                             {255, 230, 130, 30},
                                             {255, 255, 255, 255}};
  EXPECT_EQ(Channel(photo, 2), red);
}

TEST(RotateBitmapTest, EmptyPhotoBecomesOneBackgroundPixel) {
  Bitmap photo;
  RotateBitmap(photo, RGB(1, 2, 3), 10);
  ASSERT_EQ(photo.Width(), 1);
  ASSERT_EQ(photo.Height(), 1);
  EXPECT_EQ(photo.Pixel(0, 0), RGB(1, 2, 3));
}

// Quarter turns move pixels without blending; the extra row and column take the background
// (turned clockwise, the leftmost column and the bottom row).
TEST(RotateBitmapTest, QuarterTurnsMoveEveryPixelExactlyAndBorderWithBackground) {
  const int W = 7, H = 4;
  const Bitmap photo = CoordinateBitmap(W, H);
  for (const auto& [angle, quarters] :
       {std::pair{90.0f, 1}, {-270.0f, 1}, {180.0f, 2}, {-90.0f, 3}, {270.0f, 3}}) {
    Bitmap turned = photo;
    RotateBitmap(turned, testing::kMarker, angle);
    const bool swaps = quarters != 2;
    Bitmap expected = Bitmap::Filled((swaps ? H : W) + 1, (swaps ? W : H) + 1, testing::kMarker);
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        expected.SetPixel(quarters == 1   ? H - y
                          : quarters == 2 ? W - x
                                          : y,
                          quarters == 1   ? x
                          : quarters == 2 ? H - y
                                          : W - x,
                          photo.Pixel(x, y));
      }
    }
    EXPECT_EQ(PixelDifference(turned, expected), "") << "angle " << angle;
  }
}

// Every kernel this processor can run gives the plain extended-precision reference's bytes, byte
// for byte; with `exactPath`, some of its samples on the exact path.
void ExpectEveryKernelGivesTheReference(const Bitmap& photo, float angle, TColor background,
                                        bool exactPath = false) {
  const Bitmap expected = testing::RotateReference(photo, background, angle);
  for (const RotationKernel kernel : {RotationKernel::kBaseline, RotationKernel::kAvx2}) {
    if (!RotationKernelAvailable(kernel)) continue;
    Bitmap rotated = photo;
    std::int64_t exact = 0;
    RotateBitmapWith(rotated, background, angle, kernel, &exact);
    const std::string where =
        std::string(kernel == RotationKernel::kAvx2 ? "AVX2, " : "baseline, ") +
        std::to_string(photo.Width()) + "x" + std::to_string(photo.Height()) + " at " +
        std::to_string(angle) + " degrees on " + std::to_string(background);
    EXPECT_EQ(PixelDifference(rotated, expected), "") << where;
    EXPECT_TRUE(!exactPath || exact > 0) << where << ": no sample on the exact path";
  }
}

class MatchesReferenceTest : public ::testing::TestWithParam<std::pair<int, int>> {};

// Small angles read whole runs of source pixels, on one row or across a row step; the largest
// photo spans more than one tile each way.
TEST_P(MatchesReferenceTest, EveryKernelAtEveryAngleGivesTheReferenceBytes) {
  const auto [width, height] = GetParam();
  const Bitmap photo = RandomPhoto(width, height, 1234u + width * 7u + height);
  for (const float angle : {0.001f, 0.5f, -0.5f, 1.0f, 3.0f, -3.0f, 10.0f, -10.0f, 45.0f, 89.9f,
                            90.0f, -90.0f, 180.0f, 270.0f, 359.9f, 1000.0f, 33.3f, -1e-30f}) {
    for (const TColor background : {clWhite, RGB(7, 200, 31)}) {
      ExpectEveryKernelGivesTheReference(photo, angle, background);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MatchesReferenceTest,
                         ::testing::Values(std::pair{1, 1}, std::pair{1, 9}, std::pair{9, 1},
                                           std::pair{2, 2}, std::pair{17, 5}, std::pair{301, 151}));

// A few level areas with sharp steps: blends of equal values and halves of sums are where
// roundings tie.
TEST(RotateBitmapTest, LevelAreasMatchTheReference) {
  Bitmap photo(64, 48);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      photo.SetPixel(x, y, RGB((x / 8) % 2 ? 255 : 1, (y / 6) % 2 ? 128 : 127, (x + y) % 2));
    }
  }
  for (const float angle : {0.25f, 1.0f, 26.565051f, 30.0f, 45.0f, 60.0f, 135.0f, -0.125f}) {
    ExpectEveryKernelGivesTheReference(photo, angle, clWhite);
  }
}

// Samples the double path cannot vouch for: positions within 1/64 of a pixel right of the left
// edge or below the top edge, which a small turn's rows cross, and final blends exactly on a
// half, which a checkerboard of 0 and 1 at 30 degrees has inside the photo. The third photo has,
// at 0.8 degrees, a final blend so near a half that its float alone rounds it the wrong way (found
// by searching seeds), which the vector kernel must notice.
TEST(RotateBitmapTest, SamplesOnTheExactPathMatchTheReference) {
  Bitmap checkerboard(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) checkerboard.SetPixel(x, y, (x + y) % 2 ? RGB(1, 1, 1) : clBlack);
  }
  const std::pair<Bitmap, float> cases[] = {
      {RandomPhoto(300, 200, 3), 3.0f}, {checkerboard, 30.0f}, {RandomPhoto(64, 24, 57), 0.8f}};
  for (const auto& [photo, angle] : cases)
    ExpectEveryKernelGivesTheReference(photo, angle, clWhite, true);
}

TEST(RotateBitmapTest, OneCoreAndEveryCoreGiveTheSameBytes) {
  const Bitmap photo = RandomPhoto(701, 333, 99);
  for (const float angle : {10.0f, -37.5f}) {
    Bitmap single = photo;
    SetRowBandLimit(1);
    RotateBitmap(single, clWhite, angle);
    Bitmap split = photo;
    SetRowBandLimit(5);
    RotateBitmap(split, clWhite, angle);
    SetRowBandLimit(0);
    EXPECT_EQ(PixelDifference(split, single), "") << "at " << angle << " degrees";
  }
}

TEST(RotateBitmapTest, ResultTooLargeThrowsAndLeavesThePhoto) {
  // A thin strip turned by 45 degrees would need about 35000 x 35000 pixels.
  const Bitmap strip = RandomPhoto(1, 50000, 5);
  Bitmap photo = strip;
  EXPECT_THROW(RotateBitmap(photo, clWhite, 45), Error);
  EXPECT_EQ(PixelDifference(photo, strip), "");
}

}  // namespace
}  // namespace rumora
