#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "imaging/canvas.h"
#include "imaging/error.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::CoordinateBitmap;
using testing::CoordinateColour;
using testing::PixelDifference;

// Checks every pixel of `bitmap` against `expected(x, y)`; names the first few that differ.
void ExpectPixels(const Bitmap& bitmap, const std::function<TColor(int, int)>& expected) {
  int failures = 0;
  for (int y = 0; y < bitmap.Height() && failures < 5; ++y) {
    for (int x = 0; x < bitmap.Width() && failures < 5; ++x) {
      if (bitmap.Pixel(x, y) != expected(x, y)) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << "): expected " << std::hex << expected(x, y)
                      << ", got " << bitmap.Pixel(x, y);
        ++failures;
      }
    }
  }
}

TEST(CanvasRectangle, EqualPenAndBrushPaintAnExactBlock) {
  Bitmap picture = Bitmap::Filled(600, 450, clBlack);
  Canvas canvas(&picture);
  canvas.pen.colour = clWhite;
  canvas.brush.colour = clWhite;
  canvas.Rectangle(297, 0, 302, 450);
  ExpectPixels(picture, [](int x, int) { return x >= 297 && x <= 301 ? clWhite : clBlack; });
}

TEST(CanvasRectangle, OnePixelPenDrawsTheOuterRingAndBrushFillsInside) {
  Bitmap picture = Bitmap::Filled(10, 10, clBlack);
  Canvas canvas(&picture);
  canvas.pen.colour = clRed;
  canvas.brush.colour = clSilver;
  canvas.Rectangle(2, 3, 8, 7);
  ExpectPixels(picture, [](int x, int y) {
    if (x < 2 || x > 7 || y < 3 || y > 6) return clBlack;
    return x == 2 || x == 7 || y == 3 || y == 6 ? clRed : clSilver;
  });
}

TEST(CanvasRectangle, DefaultStateIsBlackOutlineOnWhite) {
  Bitmap picture = Bitmap::Filled(4, 4, clRed);
  Canvas canvas(&picture);
  canvas.Rectangle(0, 0, 4, 4);
  EXPECT_EQ(picture.Pixel(0, 0), clBlack);
  EXPECT_EQ(picture.Pixel(3, 2), clBlack);
  EXPECT_EQ(picture.Pixel(1, 1), clWhite);
  EXPECT_EQ(picture.Pixel(2, 2), clWhite);
}

TEST(CanvasRectangle, ClearBrushLeavesTheInterior) {
  Bitmap picture = CoordinateBitmap(6, 6);
  Canvas canvas(&picture);
  canvas.brush.style = BrushStyle::bsClear;
  canvas.Rectangle(0, 0, 6, 6);
  ExpectPixels(picture, [](int x, int y) {
    return x == 0 || x == 5 || y == 0 || y == 5 ? clBlack : CoordinateColour(x, y);
  });
}

TEST(CanvasRectangle, WidePenRingLiesInsideTheCoveredArea) {
  Bitmap picture = Bitmap::Filled(12, 12, clBlack);
  Canvas canvas(&picture);
  canvas.pen.colour = clRed;
  canvas.pen.width = 2;
  canvas.Rectangle(1, 1, 9, 11);
  ExpectPixels(picture, [](int x, int y) {
    if (x < 1 || x > 8 || y < 1 || y > 10) return clBlack;
    return x <= 2 || x >= 7 || y <= 2 || y >= 9 ? clRed : clWhite;
  });
}

TEST(CanvasRectangle, ReversedCornersDrawTheSameRectangle) {
  Bitmap straight = CoordinateBitmap(9, 9);
  Bitmap reversed = straight;
  Canvas(&straight).Rectangle(2, 1, 7, 6);
  Canvas(&reversed).Rectangle(7, 6, 2, 1);
  EXPECT_EQ(PixelDifference(straight, reversed), "");
  EXPECT_EQ(straight.Pixel(2, 1), clBlack);
}

TEST(CanvasRectangle, EmptyRectanglesDrawNothing) {
  const Bitmap original = CoordinateBitmap(5, 5);
  Bitmap picture = original;
  Canvas canvas(&picture);
  canvas.Rectangle(2, 1, 2, 4);
  canvas.Rectangle(1, 3, 4, 3);
  EXPECT_EQ(PixelDifference(picture, original), "");
}

TEST(CanvasRectangle, ClippingKeepsTheRingWhereItWas) {
  Bitmap picture = Bitmap::Filled(5, 5, clBlack);
  Canvas canvas(&picture);
  canvas.pen.colour = clRed;
  canvas.brush.colour = clSilver;
  canvas.Rectangle(-5, -5, 3, 3);  // ring columns -5 and 2, rows -5 and 2
  canvas.Rectangle(4, 4, 50, 50);  // only its top-left ring corner is inside
  ExpectPixels(picture, [](int x, int y) {
    if (x == 4 && y == 4) return clRed;
    if (x > 2 || y > 2) return clBlack;
    return x == 2 || y == 2 ? clRed : clSilver;
  });
}

TEST(CanvasRectangle, NotXorOutlineTwiceRestoresThePicture) {
  const Bitmap original = CoordinateBitmap(20, 16);
  Bitmap picture = original;
  Canvas canvas(&picture);
  canvas.pen.mode = PenMode::pmNotXor;
  canvas.pen.colour = RGB(200, 30, 90);
  canvas.brush.style = BrushStyle::bsClear;
  for (const int width : {1, 3}) {
    canvas.pen.width = width;
    canvas.Rectangle(3, 2, 15, 13);
    EXPECT_EQ(picture.Pixel(3, 2), ~(original.Pixel(3, 2) ^ RGB(200, 30, 90)) & 0xFFFFFF);
    canvas.Rectangle(3, 2, 15, 13);
    EXPECT_EQ(PixelDifference(picture, original), "") << "pen width " << width;
  }
}

TEST(CanvasRectangle, PenAndBrushColoursAreResolved) {
  Bitmap picture = Bitmap::Filled(3, 3, clBlack);
  Canvas canvas(&picture);
  canvas.pen.colour = SystemColour(1);
  canvas.brush.colour = SystemColour(5);
  canvas.Rectangle(0, 0, 3, 3);
  EXPECT_EQ(picture.Pixel(0, 0), RGB(0, 128, 128));
  EXPECT_EQ(picture.Pixel(1, 1), clWhite);
}

class RecordingRenderer : public TextRenderer {
 public:
  void DrawText(Bitmap& target, int x, int y, const std::string& text, const Font& font,
                const Brush& brush) override {
    target_ = &target;
    x_ = x;
    y_ = y;
    text_ = text;
    points_ = font.sizePoints;
    brushStyle_ = brush.style;
  }
  Bitmap* target_ = nullptr;
  int x_ = 0, y_ = 0, points_ = 0;
  std::string text_;
  BrushStyle brushStyle_ = BrushStyle::bsSolid;
};

TEST(CanvasText, HandsTextFontAndBrushToTheRenderer) {
  Bitmap picture(10, 10);
  RecordingRenderer renderer;
  Canvas canvas(&picture, &renderer);
  canvas.font.sizePoints = 16;
  canvas.brush.style = BrushStyle::bsClear;
  canvas.TextOut(55, 35, "1");
  EXPECT_EQ(renderer.target_, &picture);
  EXPECT_EQ(renderer.x_, 55);
  EXPECT_EQ(renderer.y_, 35);
  EXPECT_EQ(renderer.text_, "1");
  EXPECT_EQ(renderer.points_, 16);
  EXPECT_EQ(renderer.brushStyle_, BrushStyle::bsClear);
}

TEST(CanvasText, FailsWithoutARenderer) {
  Bitmap picture(10, 10);
  Canvas canvas(&picture);
  EXPECT_THROW(canvas.TextOut(0, 0, "x"), Error);
}

TEST(Canvas, WithoutABitmapDrawingFails) {
  Canvas canvas;
  EXPECT_THROW(canvas.Rectangle(0, 0, 1, 1), Error);
  EXPECT_THROW(canvas.Pixel(0, 0), Error);
}

}  // namespace
}  // namespace rumora
