#include "imaging/upright_turn.h"

#include <gtest/gtest.h>

#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

enum Side { kTop, kBottom, kLeft, kRight };

// Each value as Exif defines it: the sides of the shown photo along which the stored row 0 and
// the stored column 0 lie (0 and 9 are no orientation: the photo stays as stored).
constexpr Side kRow0[10] = {kTop, kTop, kTop, kBottom, kBottom, kLeft, kRight, kRight, kLeft, kTop};
constexpr Side kColumn0[10] = {kLeft, kLeft, kRight,  kRight,  kLeft,
                               kTop,  kTop,  kBottom, kBottom, kLeft};

class UprightTurnTest : public ::testing::TestWithParam<int> {};

TEST_P(UprightTurnTest, ShowsStoredRowAndColumnZeroAlongTheirSides) {
  const int o = GetParam();
  Bitmap photo = testing::CoordinateBitmap(7, 4);
  NoProgress progress;
  TurnUpright(photo, o, progress);
  ASSERT_EQ(photo.Width(), kRow0[o] == kLeft || kRow0[o] == kRight ? 4 : 7);
  for (int y = 0; y < photo.Height(); ++y) {
    for (int x = 0; x < photo.Width(); ++x) {
      // A stored pixel's distance from row 0 is the shown pixel's distance from row 0's side.
      const auto from = [&](Side side) {
        return side == kTop      ? y
               : side == kLeft   ? x
               : side == kBottom ? photo.Height() - 1 - y
                                 : photo.Width() - 1 - x;
      };
      const TColor c = photo.Pixel(x, y);
      ASSERT_TRUE(testing::CoordinateY(c) == from(kRow0[o]) &&
                  testing::CoordinateX(c) == from(kColumn0[o]))
          << "orientation " << o << " at " << x << "," << y;
    }
  }
  TurnUpright(photo, InverseOrientation(o), progress);
  EXPECT_EQ(photo.Pixel(6, 3), testing::CoordinateBitmap(7, 4).Pixel(6, 3)) << o;
  EXPECT_EQ(photo.Width(), 7) << o;
}

INSTANTIATE_TEST_SUITE_P(EachValue, UprightTurnTest, ::testing::Range(0, 10));

}  // namespace
}  // namespace rumora
