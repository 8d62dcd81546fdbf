#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/canvas.h"
#include "imaging/image_view.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::CoordinateBitmap;
using testing::CoordinateColour;
using testing::CoordinateX;
using testing::CoordinateY;
using testing::FixedView;
using testing::kMarker;
using testing::PixelDifference;

// Target pixel d of `targetSize` must come from the part of the source that d covers when the
// whole source is laid proportionally over the whole target.
void ExpectProportional(int d, int source, int targetSize, int sourceSize) {
  const long long lowest = static_cast<long long>(d) * sourceSize / targetSize;
  const long long highest = (static_cast<long long>(d + 1) * sourceSize - 1) / targetSize;
  EXPECT_GE(source, lowest) << "target " << d;
  EXPECT_LE(source, highest) << "target " << d;
}

struct SizeRow {
  const char* name;
  int sourceWidth, sourceHeight, targetWidth, targetHeight;
};

class StretchDraw : public ::testing::TestWithParam<SizeRow> {};

TEST_P(StretchDraw, EveryPixelComesFromItsShareOfTheSource) {
  const SizeRow& s = GetParam();
  const Bitmap source = CoordinateBitmap(s.sourceWidth, s.sourceHeight);
  Bitmap target = Bitmap::Filled(s.targetWidth, s.targetHeight, kMarker);
  Canvas(&target).StretchDraw(0, 0, s.targetWidth, s.targetHeight, source);

  std::vector<int> columnUses(s.sourceWidth), rowUses(s.sourceHeight);
  for (int y = 0; y < s.targetHeight; ++y) {
    for (int x = 0; x < s.targetWidth; ++x) {
      const TColor c = target.Pixel(x, y);
      ASSERT_NE(c, kMarker) << "pixel (" << x << ", " << y << ") not drawn";
      ExpectProportional(x, CoordinateX(c), s.targetWidth, s.sourceWidth);
      ExpectProportional(y, CoordinateY(c), s.targetHeight, s.sourceHeight);
      // A column of the target takes one source column, a row one source row.
      ASSERT_EQ(CoordinateX(c), CoordinateX(target.Pixel(x, 0)));
      ASSERT_EQ(CoordinateY(c), CoordinateY(target.Pixel(0, y)));
    }
  }
  for (int x = 0; x < s.targetWidth; ++x) ++columnUses[CoordinateX(target.Pixel(x, 0))];
  for (int y = 0; y < s.targetHeight; ++y) ++rowUses[CoordinateY(target.Pixel(0, y))];
  // Enlarging repeats every source line evenly, shrinking drops lines but never repeats one.
  const auto expectEven = [](const std::vector<int>& uses, int targetSize) {
    const int sourceSize = static_cast<int>(uses.size());
    for (int i = 0; i < sourceSize; ++i) {
      if (targetSize >= sourceSize) {
        EXPECT_GE(uses[i], targetSize / sourceSize) << "line " << i;
        EXPECT_LE(uses[i], (targetSize + sourceSize - 1) / sourceSize) << "line " << i;
      } else {
        EXPECT_LE(uses[i], 1) << "line " << i;
      }
    }
  };
  expectEven(columnUses, s.targetWidth);
  expectEven(rowUses, s.targetHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, StretchDraw,
    ::testing::Values(SizeRow{"Same", 7, 5, 7, 5}, SizeRow{"Double", 3, 2, 6, 4},
                      SizeRow{"Half", 6, 4, 3, 2}, SizeRow{"WideOnly", 5, 5, 13, 5},
                      SizeRow{"UnevenEnlarge", 7, 3, 17, 11}, SizeRow{"UnevenShrink", 31, 29, 7, 9},
                      SizeRow{"OnePixelSource", 1, 1, 4, 3}, SizeRow{"ToOnePixel", 9, 8, 1, 1},
                      SizeRow{"PhotoToView", 1200, 900, 602, 452},
                      SizeRow{"PortraitToView", 900, 1200, 452, 602}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StretchDrawPixels, DrawsOnlyInsideTheRectangle) {
  const Bitmap source = CoordinateBitmap(4, 4);
  Bitmap target = Bitmap::Filled(10, 10, kMarker);
  Canvas(&target).StretchDraw(3, 2, 7, 9, source);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 3 && x < 7 && y >= 2 && y < 9;
      EXPECT_EQ(target.Pixel(x, y) != kMarker, inside) << x << "," << y;
    }
  }
  EXPECT_EQ(target.Pixel(3, 2), CoordinateColour(0, 0));
  EXPECT_EQ(target.Pixel(6, 8), CoordinateColour(3, 3));
}

// A draw seen through a smaller bitmap shows the matching part of the whole draw: clipped to a
// window, and for a target big enough to be shared between threads, each half (which is not).
TEST(StretchDrawPixels, PartsOfADrawMatchTheWholeDraw) {
  const struct {
    int sourceWidth, sourceHeight, width, height;
    std::vector<std::array<int, 4>> parts;  // left, top, width, height within the whole
  } cases[] = {{13, 11, 40, 30, {{15, 9, 20, 12}}},
               {97, 61, 1300, 900, {{0, 0, 1300, 450}, {0, 450, 1300, 450}}}};
  for (const auto& c : cases) {
    const Bitmap source = CoordinateBitmap(c.sourceWidth, c.sourceHeight);
    Bitmap whole = Bitmap::Filled(c.width, c.height, kMarker);
    Canvas(&whole).StretchDraw(0, 0, c.width, c.height, source);
    for (const auto& [left, top, width, height] : c.parts) {
      Bitmap part = Bitmap::Filled(width, height, kMarker);
      Canvas(&part).StretchDraw(-left, -top, c.width - left, c.height - top, source);
      for (int y = 0; y < height; ++y) {
        ASSERT_EQ(std::memcmp(part.Row(y), whole.Row(top + y) + 3 * left, part.Stride()), 0)
            << "row " << y << " of the part at " << left << "," << top << " of " << c.width << "x"
            << c.height;
      }
    }
  }
}

TEST(StretchDrawPixels, EmptySourceOrRectangleDrawsNothing) {
  const Bitmap original = CoordinateBitmap(6, 6);
  Bitmap target = original;
  Canvas canvas(&target);
  canvas.StretchDraw(0, 0, 6, 6, Bitmap());
  canvas.StretchDraw(0, 0, 6, 6, Bitmap(5, 0));
  canvas.StretchDraw(4, 0, 4, 6, CoordinateBitmap(2, 2));
  canvas.StretchDraw(0, 5, 6, 2, CoordinateBitmap(2, 2));
  EXPECT_EQ(PixelDifference(target, original), "");
}

TEST(StretchDrawPixels, ABitmapStretchedOntoItselfReadsItsOldPixels) {
  Bitmap picture = CoordinateBitmap(8, 8);
  Bitmap expected = picture;
  Canvas(&expected).StretchDraw(0, 0, 16, 16, CoordinateBitmap(8, 8));
  Canvas(&picture).StretchDraw(0, 0, 16, 16, picture);
  EXPECT_EQ(PixelDifference(picture, expected), "");
}

// The photo is stretched over the control's area of the view's picture, from its corners to
// its corners; a picture larger than the control keeps the rest.
TEST(StretchToView, FillsTheControlAreaOfThePicture) {
  const struct {
    int photoWidth, photoHeight, controlWidth, controlHeight, pictureWidth, pictureHeight;
  } cases[] = {{1200, 900, 602, 452, 600, 600}, {40, 30, 20, 10, 50, 50}};
  for (const auto& c : cases) {
    FixedView view(c.controlWidth, c.controlHeight);
    view.AssignPicture(Bitmap::Filled(c.pictureWidth, c.pictureHeight, kMarker));
    StretchToView(CoordinateBitmap(c.photoWidth, c.photoHeight), view);
    const Bitmap& picture = view.Picture();
    ASSERT_EQ(picture.Width(), c.pictureWidth);
    ASSERT_EQ(picture.Height(), c.pictureHeight);
    const int right = std::min(c.controlWidth, c.pictureWidth) - 1, bottom = c.controlHeight - 1;
    for (int y = 0; y < c.pictureHeight; ++y) {
      for (int x = 0; x < c.pictureWidth; ++x) {
        ASSERT_EQ(picture.Pixel(x, y) != kMarker, x <= right && y <= bottom) << x << "," << y;
      }
    }
    EXPECT_LE(CoordinateX(picture.Pixel(0, 0)), 1);
    EXPECT_LE(CoordinateY(picture.Pixel(0, 0)), 1);
    ExpectProportional(right, CoordinateX(picture.Pixel(right, bottom)), c.controlWidth,
                       c.photoWidth);
    ExpectProportional(bottom, CoordinateY(picture.Pixel(right, bottom)), c.controlHeight,
                       c.photoHeight);
  }
}

TEST(ImageView, FirstCanvasUseMakesAWhitePictureOfTheControlSize) {
  FixedView view(7, 4);
  EXPECT_FALSE(view.HasPicture());
  Canvas& canvas = view.GetCanvas();
  ASSERT_TRUE(view.HasPicture());
  EXPECT_EQ(&canvas.Target(), &view.Picture());
  EXPECT_EQ(view.Picture().Width(), 7);
  EXPECT_EQ(view.Picture().Height(), 4);
  EXPECT_EQ(view.Picture().Pixel(6, 3), clWhite);
  view.SetControlSize(30, 30);  // the picture keeps its size
  view.GetCanvas().SetPixel(1, 1, clRed);
  EXPECT_EQ(view.Picture().Width(), 7);
  EXPECT_EQ(view.Picture().Pixel(1, 1), clRed);
}

TEST(ImageView, CanvasStateOutlivesANewPicture) {
  FixedView view(5, 5);
  view.GetCanvas().pen = Pen{clRed, 3, PenMode::pmNotXor};
  view.GetCanvas().MoveTo(2, 3);
  view.AssignPicture(Bitmap::Filled(9, 9, clBlack));
  Canvas& canvas = view.GetCanvas();
  EXPECT_EQ(canvas.pen.colour, clRed);
  EXPECT_EQ(canvas.pen.width, 3);
  EXPECT_EQ(canvas.PenX(), 2);
  canvas.pen = Pen{};
  canvas.LineTo(8, 3);
  EXPECT_EQ(view.Picture().Width(), 9);
  EXPECT_EQ(view.Picture().Pixel(7, 3), clBlack);
  canvas.SetPixel(7, 3, clWhite);
  EXPECT_EQ(view.Picture().Pixel(7, 3), clWhite);
}

TEST(ImageView, AssigningAPictureCopiesIt) {
  FixedView view(5, 5);
  Bitmap bitmap = CoordinateBitmap(3, 2);
  view.AssignPicture(bitmap);
  bitmap.SetPixel(0, 0, clRed);
  EXPECT_EQ(view.Picture().Pixel(0, 0), CoordinateColour(0, 0));
  view.AssignPicture(view.Picture());  // onto itself
  EXPECT_EQ(view.Picture().Width(), 3);
  EXPECT_EQ(view.Picture().Pixel(2, 1), CoordinateColour(2, 1));
}

}  // namespace
}  // namespace rumora
