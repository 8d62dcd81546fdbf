#include "imaging/upright_turn.h"

#include <gtest/gtest.h>

#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

enum Side { kTop, kBottom, kLeft, kRight };

// Each orientation as Exif defines it: the sides of the shown photo that the stored row 0 and
// the stored column 0 lie along.
struct Upright {
  int orientation;
  Side row0;
  Side column0;
};

class UprightTurnTest : public ::testing::TestWithParam<Upright> {};

TEST_P(UprightTurnTest, ShowsStoredRowAndColumnZeroAlongTheirSides) {
  const Upright u = GetParam();
  Bitmap photo = testing::CoordinateBitmap(7, 4);
  NoProgress progress;
  TurnUpright(photo, u.orientation, progress);

  const bool across = u.row0 == kLeft || u.row0 == kRight;
  ASSERT_EQ(photo.Width(), across ? 4 : 7);
  for (int y = 0; y < photo.Height(); ++y) {
    for (int x = 0; x < photo.Width(); ++x) {
      // A stored pixel's distance from row 0 is the shown pixel's distance from row 0's side.
      const auto distanceFrom = [&](Side side) {
        return side == kTop      ? y
               : side == kLeft   ? x
               : side == kBottom ? photo.Height() - 1 - y
                                 : photo.Width() - 1 - x;
      };
      const TColor c = photo.Pixel(x, y);
      ASSERT_TRUE(testing::CoordinateY(c) == distanceFrom(u.row0) &&
                  testing::CoordinateX(c) == distanceFrom(u.column0))
          << "orientation " << u.orientation << " at " << x << "," << y;
    }
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EachOrientation, UprightTurnTest, ::testing::Values(
    Upright{0, kTop, kLeft}, Upright{1, kTop, kLeft}, Upright{2, kTop, kRight},
    Upright{3, kBottom, kRight}, Upright{4, kBottom, kLeft}, Upright{5, kLeft, kTop},
    Upright{6, kRight, kTop}, Upright{7, kRight, kBottom}, Upright{8, kLeft, kBottom},
    Upright{9, kTop, kLeft}));
// clang-format on

}  // namespace
}  // namespace rumora
