#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "imaging/canvas.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::CoordinateBitmap;
using testing::PixelDifference;

// No channel is 0xFF, so not-xor changes every channel of every pixel it touches.
constexpr TColor kPen = RGB(200, 30, 90);

struct LineRow {
  const char* name;
  int x0, y0, x1, y1;
};

const LineRow kLines[] = {
    {"East", 3, 10, 27, 10},          {"West", 27, 11, 2, 11},
    {"South", 9, 1, 9, 22},           {"North", 14, 22, 14, 0},
    {"Diagonal", 2, 2, 20, 20},       {"AntiDiagonal", 25, 3, 5, 23},
    {"Shallow", 1, 5, 28, 12},        {"ShallowBack", 28, 17, 0, 9},
    {"Steep", 6, 0, 13, 23},          {"SteepBack", 22, 23, 16, 1},
    {"ZeroLength", 12, 12, 12, 12},   {"OneStep", 4, 4, 5, 5},
    {"FromOutside", -40, -7, 18, 15}, {"ThroughAndOut", -3, 30, 40, -12},
};

class CanvasLine : public ::testing::TestWithParam<std::tuple<LineRow, int>> {
 protected:
  const LineRow& Line() const { return std::get<0>(GetParam()); }
  int PenWidth() const { return std::get<1>(GetParam()); }

  // The pixels the line covers: drawn in copy mode on black, they turn white.
  Bitmap Coverage() const {
    Bitmap mask = Bitmap::Filled(30, 24, clBlack);
    Draw(mask, PenMode::pmCopy, clWhite);
    return mask;
  }
  void Draw(Bitmap& bitmap, PenMode mode, TColor colour) const {
    Canvas canvas(&bitmap);
    canvas.pen = Pen{colour, PenWidth(), mode};
    canvas.MoveTo(Line().x0, Line().y0);
    canvas.LineTo(Line().x1, Line().y1);
  }
};

TEST_P(CanvasLine, NotXorChangesEachCoveredPixelOnceAndTwiceRestores) {
  const Bitmap original = CoordinateBitmap(30, 24);
  const Bitmap mask = Coverage();
  Bitmap picture = original;
  Draw(picture, PenMode::pmNotXor, kPen);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 30; ++x) {
      const TColor before = original.Pixel(x, y);
      const TColor expected = mask.Pixel(x, y) == clWhite ? ~(before ^ kPen) & 0xFFFFFF : before;
      ASSERT_EQ(picture.Pixel(x, y), expected) << "pixel (" << x << ", " << y << ")";
    }
  }
  Draw(picture, PenMode::pmNotXor, kPen);
  EXPECT_EQ(PixelDifference(picture, original), "");
}

TEST_P(CanvasLine, ClippedLineMatchesTheSameLineOnALargerBitmap) {
  // The 30x24 bitmap is the window (40, 30)..(70, 54) of a large one holding the shifted line.
  Bitmap large = Bitmap::Filled(120, 100, clBlack);
  Canvas canvas(&large);
  canvas.pen = Pen{clWhite, PenWidth(), PenMode::pmCopy};
  canvas.MoveTo(Line().x0 + 40, Line().y0 + 30);
  canvas.LineTo(Line().x1 + 40, Line().y1 + 30);
  const Bitmap mask = Coverage();
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 30; ++x) {
      ASSERT_EQ(mask.Pixel(x, y), large.Pixel(x + 40, y + 30))
          << "pixel (" << x << ", " << y << ")";
    }
  }
}

class ThinLine : public ::testing::TestWithParam<LineRow> {};

TEST_P(ThinLine, HasOnePixelPerStepNearTheIdealLine) {
  const LineRow& l = GetParam();
  Bitmap large = Bitmap::Filled(120, 100, clBlack);
  Canvas canvas(&large);
  canvas.pen.colour = clWhite;
  canvas.MoveTo(l.x0 + 45, l.y0 + 40);
  canvas.LineTo(l.x1 + 45, l.y1 + 40);
  const int dx = l.x1 - l.x0, dy = l.y1 - l.y0;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  int painted = 0;
  for (int y = 0; y < large.Height(); ++y) {
    for (int x = 0; x < large.Width(); ++x) {
      if (large.Pixel(x, y) != clWhite) continue;
      ++painted;
      // Along the major axis the pixel lies from the start up to but not at the end; across it,
      // within half a pixel of the ideal line.
      const int px = x - 45 - l.x0, py = y - 40 - l.y0;
      const bool shallow = std::abs(dx) >= std::abs(dy);
      const int along = shallow ? px * (dx < 0 ? -1 : 1) : py * (dy < 0 ? -1 : 1);
      EXPECT_GE(along, 0);
      EXPECT_LT(along, steps);
      const double ideal = shallow ? double(dy) * px / dx : double(dx) * py / dy;
      EXPECT_LE(std::abs((shallow ? py : px) - ideal), 0.5) << x << "," << y;
    }
  }
  EXPECT_EQ(painted, steps);
}

INSTANTIATE_TEST_SUITE_P(Directions, CanvasLine,
                         ::testing::Combine(::testing::ValuesIn(kLines), ::testing::Values(1, 3)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "Pen" +
                                  std::to_string(std::get<1>(info.param));
                         });
INSTANTIATE_TEST_SUITE_P(Directions, ThinLine, ::testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasLineTo, LeavesOutTheEndPointAndMovesThePen) {
  Bitmap picture = Bitmap::Filled(10, 10, clWhite);
  Canvas canvas(&picture);
  canvas.MoveTo(2, 5);
  canvas.LineTo(8, 5);
  EXPECT_EQ(canvas.PenX(), 8);
  EXPECT_EQ(canvas.PenY(), 5);
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(picture.Pixel(x, 5), x >= 2 && x <= 7 ? clBlack : clWhite) << x;
  }
  canvas.LineTo(8, 1);  // continues from the pen position
  EXPECT_EQ(picture.Pixel(8, 5), clBlack);
  EXPECT_EQ(picture.Pixel(8, 2), clBlack);
  EXPECT_EQ(picture.Pixel(8, 1), clWhite);
}

TEST(CanvasLineTo, ThreePixelPenIsThreePixelsThick) {
  Bitmap picture = Bitmap::Filled(12, 12, clWhite);
  Canvas canvas(&picture);
  canvas.pen.width = 3;
  canvas.MoveTo(1, 6);
  canvas.LineTo(10, 6);
  for (int y = 0; y < 12; ++y) EXPECT_EQ(picture.Pixel(5, y), y >= 5 && y <= 7 ? clBlack : clWhite);
  canvas.MoveTo(6, 1);
  canvas.LineTo(6, 1);
  EXPECT_EQ(picture.Pixel(6, 1), clWhite);  // a zero-length line draws nothing
}

TEST(CanvasLineTo, FarOffEndPointsAreClippedQuickly) {
  Bitmap picture = Bitmap::Filled(8, 8, clWhite);
  Canvas canvas(&picture);
  canvas.pen.width = 3;
  canvas.MoveTo(INT_MIN, 3);
  canvas.LineTo(INT_MAX, 3);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(picture.Pixel(x, 3), clBlack);
  canvas.MoveTo(0, 0);
  canvas.LineTo(INT_MAX, INT_MAX);
  EXPECT_EQ(picture.Pixel(7, 7), clBlack);
  EXPECT_EQ(canvas.PenX(), INT_MAX);
}

}  // namespace
}  // namespace rumora
