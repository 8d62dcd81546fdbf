#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

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

// What a rectangle (its corners in either order) leaves at (x, y): the pen's ring as wide as the
// pen just inside it, the brush within the ring unless clear, and the old colour elsewhere.
TColor Painted(TColor before, int x, int y, const std::array<int, 4>& r, const Pen& pen,
               const Brush& brush) {
  const int left = std::min(r[0], r[2]), right = std::max(r[0], r[2]);
  const int top = std::min(r[1], r[3]), bottom = std::max(r[1], r[3]);
  if (x < left || x >= right || y < top || y >= bottom) return before;
  if (x < left + pen.width || x >= right - pen.width || y < top + pen.width ||
      y >= bottom - pen.width) {
    return ResolveColor(pen.colour);
  }
  return brush.style == BrushStyle::bsClear ? before : ResolveColor(brush.colour);
}

TEST(CanvasRectangle, PenDrawsTheRingAndBrushFillsInside) {
  const Brush clear{clWhite, BrushStyle::bsClear};
  const struct {
    const char* name;
    Bitmap picture;
    Pen pen;
    Brush brush;
    std::vector<std::array<int, 4>> rectangles;
  } cases[] = {
      {"equal pen and brush",
       Bitmap::Filled(600, 450, clBlack),
       {clWhite},
       {clWhite},
       {{297, 0, 302, 450}}},
      {"one-pixel pen", Bitmap::Filled(10, 10, clBlack), {clRed}, {clSilver}, {{2, 3, 8, 7}}},
      {"wide pen", Bitmap::Filled(12, 12, clBlack), {clRed, 2}, {}, {{1, 1, 9, 11}}},
      {"default: black on white", Bitmap::Filled(4, 4, clRed), {}, {}, {{0, 0, 4, 4}}},
      {"system colours",
       Bitmap::Filled(3, 3, clBlack),
       {SystemColour(1)},
       {SystemColour(5)},
       {{0, 0, 3, 3}}},
      {"clear brush", CoordinateBitmap(6, 6), {}, clear, {{0, 0, 6, 6}}},
      {"reversed corners", CoordinateBitmap(9, 9), {}, {}, {{7, 6, 2, 1}}},
      {"empty", CoordinateBitmap(5, 5), {}, {}, {{2, 1, 2, 4}, {1, 3, 4, 3}}},
      // The first ring's columns and rows are -5 and 2; only the second's top-left corner shows.
      {"clipped",
       Bitmap::Filled(5, 5, clBlack),
       {clRed},
       {clSilver},
       {{-5, -5, 3, 3}, {4, 4, 50, 50}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap picture = c.picture;
    Canvas canvas(&picture);
    canvas.pen = c.pen;
    canvas.brush = c.brush;
    for (const auto& r : c.rectangles) canvas.Rectangle(r[0], r[1], r[2], r[3]);
    ExpectPixels(picture, [&](int x, int y) {
      TColor colour = c.picture.Pixel(x, y);
      for (const auto& r : c.rectangles) colour = Painted(colour, x, y, r, c.pen, c.brush);
      return colour;
    });
  }
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
