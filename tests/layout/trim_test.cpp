#include "layout/trim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "imaging/colour.h"
#include "imaging/scratch_image_view.h"
#include "layout/trim_frame.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::PixelDifference;

// A colour that names its position, so a wrong row or column shows.
TColor PositionColour(int x, int y) { return RGB(x, y, (x >> 8) | (y >> 8) << 4); }

Bitmap PositionPhoto(int width, int height) {
  Bitmap b(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, PositionColour(x, y));
  }
  return b;
}

bool AllPixels(const Bitmap& b, int x1, int y1, int x2, int y2, TColor c) {
  for (int y = y1; y < y2; ++y) {
    for (int x = x1; x < x2; ++x) {
      if (b.Pixel(x, y) != c) return false;
    }
  }
  return true;
}

class RecordingProgress final : public Progress {
 public:
  void SetMax(int v) override { max = v; }
  void SetMin(int v) override { min = v; }
  void SetPosition(int v) override {
    last = v;
    ++positions;
  }
  int max = -1, min = -1, last = -1, positions = 0;
};

TEST(CopyRegionScaled, PhotoOfThreeThousandInAViewSixHundredTwoWide) {
  const double s = 3000.0 / 602.0;
  const Region framed = FramedRectangle({10, 20, 419, 314});
  EXPECT_EQ(framed, (Region{10, 20, 428, 333}));
  EXPECT_EQ(SourceBlock(framed.left, framed.top, framed.right, framed.bottom, s),
            (Region{50, 100, 2133, 1659}));

  // A view the block's own size receives the block one to one.
  const Bitmap photo = PositionPhoto(3000, 2000);
  ScratchImageView view(2084, 1560);
  RecordingProgress progress;
  CopyRegionScaled(photo, view, 10, 20, 428, 333, s, progress);
  const Bitmap& out = view.Picture();
  for (auto [x, y] : {std::pair{0, 0}, {2083, 0}, {0, 1559}, {2083, 1559}, {1000, 777}}) {
    ASSERT_EQ(out.Pixel(x, y), PositionColour(x + 50, y + 100)) << x << "," << y;
  }
  EXPECT_EQ(progress.max, 1560);
  EXPECT_EQ(progress.min, 0);
  EXPECT_EQ(progress.last, 1559);
  EXPECT_EQ(progress.positions, 1561);  // the start, then once per row
}

TEST(CopyRegionScaled, ProductsAreExtendedThenRoundedHalfToEven) {
  EXPECT_EQ(SourceBlock(1, 3, 5, 7, 0.5), (Region{0, 2, 2, 4}));    // 0.5 1.5 2.5 3.5
  EXPECT_EQ(SourceBlock(-3, 0, 0, 0, 0.5), (Region{-2, 0, 0, 0}));  // -1.5
  // The double 3/602 is a little below 3/602: 301 times it is 1.4999... in extended precision
  // (a product rounded to double would be 1.5 and go to 2); 1/602 is a little above.
  EXPECT_EQ(SourceBlock(301, 301, 0, 0, 3.0 / 602.0).left, 1);
  EXPECT_EQ(SourceBlock(301, 301, 0, 0, 1.0 / 602.0).left, 1);
}

// Beyond every edge of the photo, at scale 1 on either side: the nearest edge pixel.
TEST(CopyRegionScaled, PixelsBeyondThePhotoReadTheNearestEdge) {
  const Bitmap photo = PositionPhoto(100, 80);
  NoProgress progress;
  for (const auto& [left, top] : {std::pair{90, 70}, {-5, -5}}) {
    ScratchImageView view(20, 20);
    CopyRegionScaled(photo, view, left, top, left + 19, top + 19, 1.0, progress);
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        ASSERT_EQ(view.Picture().Pixel(x, y),
                  PositionColour(std::clamp(left + x, 0, 99), std::clamp(top + y, 0, 79)))
            << left << "," << top << ": " << x << "," << y;
      }
    }
  }
}

TEST(CopyRegionScaled, BeforeAnyPhotoThePaneTurnsBlack) {
  const Bitmap empty;
  ScratchImageView view(300, 225);
  NoProgress progress;
  CopyRegionScaled(empty, view, 0, 0, 208, 156, TrimScale(0, 602), progress);
  EXPECT_TRUE(AllPixels(view.Picture(), 0, 0, 300, 225, clBlack));
}

TEST(CopyRegionScaled, SmallFrameIsMagnifiedOverTheWholeView) {
  const Bitmap photo = Bitmap::Filled(50, 50, clRed);
  ScratchImageView view(300, 225);
  NoProgress progress;
  CopyRegionScaled(photo, view, 10, 10, 13, 12, 1.0, progress);
  EXPECT_TRUE(AllPixels(view.Picture(), 0, 0, 300, 225, clRed));
}

TEST(CopyRegionScaled, FrameWithoutWidthDrawsNothing) {
  const Bitmap photo = Bitmap::Filled(50, 50, clRed);
  ScratchImageView view(30, 20);
  view.Picture().Fill(clSilver);
  NoProgress progress;
  CopyRegionScaled(photo, view, 10, 10, 4, 20, 2.0, progress);  // width 0 at scale 2
  EXPECT_TRUE(AllPixels(view.Picture(), 0, 0, 30, 20, clSilver));
}

TEST(PasteImageAt, CopiesTheControlSizedCornerAtTheOffset) {
  ScratchImageView scratch(600, 450);
  scratch.AssignPicture(PositionPhoto(600, 450));
  scratch.SetControlSize(300, 225);
  ScratchImageView output(600, 450);
  output.Picture().Fill(clSilver);
  PasteImageAt(scratch, output, 300, 225);
  const Bitmap& out = output.Picture();
  EXPECT_EQ(out.Pixel(300, 225), PositionColour(0, 0));
  EXPECT_EQ(out.Pixel(599, 449), PositionColour(299, 224));
  EXPECT_TRUE(AllPixels(out, 0, 0, 600, 225, clSilver));
  EXPECT_TRUE(AllPixels(out, 0, 225, 300, 450, clSilver));
}

TEST(PasteImageAt, ClipsToTheTargetAndReadsBlackBeyondTheSource) {
  ScratchImageView source(4, 3);
  source.AssignPicture(PositionPhoto(2, 2));  // smaller than its control
  ScratchImageView target(5, 5);
  target.Picture().Fill(clSilver);
  PasteImageAt(source, target, -1, 3);
  const Bitmap& out = target.Picture();
  EXPECT_EQ(out.Pixel(0, 3), PositionColour(1, 0));
  EXPECT_EQ(out.Pixel(0, 4), PositionColour(1, 1));
  EXPECT_TRUE(AllPixels(out, 1, 3, 3, 5, clBlack));  // source columns 2 and 3
  EXPECT_EQ(out.Pixel(3, 3), clSilver);
  EXPECT_TRUE(AllPixels(out, 0, 0, 5, 3, clSilver));
}

// The trim as first built: the whole block copied pixel by pixel into a temporary bitmap (the
// nearest edge pixel outside the photo), then stretched over the view.
void BlockCopyThenStretch(const Bitmap& source, ImageView& target, const Region& view, double s,
                          Scaling scaling) {
  const Region block = SourceBlock(view.left, view.top, view.right, view.bottom, s);
  Bitmap temporary(block.right - block.left + 1, block.bottom - block.top + 1);
  for (int y = block.top; y <= block.bottom; ++y) {
    const std::uint8_t* row = source.Row(std::clamp(y, 0, source.Height() - 1));
    std::uint8_t* out = temporary.Row(y - block.top);
    for (int x = block.left; x <= block.right; ++x, out += 3) {
      const std::uint8_t* pixel = row + 3 * std::clamp(x, 0, source.Width() - 1);
      out[0] = pixel[0], out[1] = pixel[1], out[2] = pixel[2];
    }
  }
  StretchToView(temporary, target, scaling);
}

// Scaling the pane straight from the photo gives the bytes of scaling a copy of the block, for
// frames of every pane of every layout, inside, across and beyond the photo's edges, at scales
// both ways, nearest-pixel and smooth.
// At scale 1 the blocks start at every row and column from -3 to 0.
TEST(CopyRegionScaled, SamplesTheSameBytesAsCopyingTheBlock) {
  const Bitmap photo = PositionPhoto(331, 219);
  RegionTable table;
  InitRegionTable(table);
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> left(-150, 620), top(-150, 470), width(1, 400);
  NoProgress progress;
  for (const int viewWidth : {602, 97, 331}) {
    const double s = TrimScale(photo.Width(), viewWidth);
    for (int slot = 1; slot <= 18; ++slot) {
      const Region& pane = table[slot];
      for (int trial = 0; trial < 8; ++trial) {
        const int w = width(random);
        const int h = std::max(1, w * RegionHeight(pane) / RegionWidth(pane) + trial % 3 - 1);
        const bool nearCorner = viewWidth == photo.Width();
        const int l = nearCorner ? -(trial % 4) : left(random);
        const int t = nearCorner ? -((trial / 4 + slot) % 4) : top(random);
        const Region framed = FramedRectangle({l, t, w, h});
        const Scaling scaling = trial % 2 ? Scaling::kSmooth : Scaling::kNearestPixel;
        ScratchImageView expected(600, 450), actual(600, 450);
        expected.Picture().Fill(clSilver);
        actual.Picture().Fill(clSilver);
        expected.SetControlSize(RegionWidth(pane), RegionHeight(pane));
        actual.SetControlSize(RegionWidth(pane), RegionHeight(pane));
        BlockCopyThenStretch(photo, expected, framed, s, scaling);
        CopyRegionScaled(photo, actual, framed.left, framed.top, framed.right, framed.bottom, s,
                         progress, scaling);
        ASSERT_EQ(PixelDifference(actual.Picture(), expected.Picture()), "")
            << "slot " << slot << ", view width " << viewWidth << ", frame (" << framed.left << ","
            << framed.top << ")-(" << framed.right << "," << framed.bottom << ")"
            << (trial % 2 ? " smooth" : "");
      }
    }
  }
}

class TrimIntoOutputTest : public ::testing::Test {
 protected:
  TrimIntoOutputTest() {
    InitRegionTable(table);
    output.Picture().Fill(RGB(0, 128, 0));
  }
  void Trim(const Bitmap& photo, const LayoutState& state, bool ticked = true) {
    const FrameBounds frame = TrimFrameForPane(table[state.PaneIndex]);
    TrimIntoOutput(
        photo, 602, frame, state, table, output, scratch,
        [this](int w, int h) { scratch.SetControlSize(w, h); }, ticked, progress);
  }
  RegionTable table;
  ScratchImageView output{600, 450};
  ScratchImageView scratch{600, 450};
  NoProgress progress;
};

TEST_F(TrimIntoOutputTest, OnePaneChangesOnlyThatPane) {
  const Bitmap blue = Bitmap::Filled(602, 452, RGB(0, 0, 255));
  Trim(blue, {.LayoutKind = 6, .PaneIndex = 17, .PaneStep = 2}, false);
  const Bitmap& out = output.Picture();
  EXPECT_TRUE(AllPixels(out, 300, 0, 600, 225, RGB(0, 0, 255)));
  EXPECT_TRUE(AllPixels(out, 0, 0, 300, 450, RGB(0, 128, 0)));
  EXPECT_TRUE(AllPixels(out, 300, 225, 600, 450, RGB(0, 128, 0)));
  EXPECT_EQ(scratch.Picture().Width(), 600);  // made at 600x450 and never resized
  EXPECT_EQ(scratch.ControlWidth(), 300);

  // A second pane keeps the first; the bars go over both.
  const Bitmap red = Bitmap::Filled(602, 452, clRed);
  Trim(red, {.LayoutKind = 6, .PaneIndex = 16, .PaneStep = 1});
  EXPECT_EQ(out.Pixel(450, 100), RGB(0, 0, 255));
  EXPECT_EQ(out.Pixel(100, 300), clRed);
  EXPECT_EQ(out.Pixel(100, 100), RGB(0, 128, 0));
  EXPECT_EQ(out.Pixel(299, 100), clWhite);
  EXPECT_EQ(out.Pixel(450, 224), clWhite);
}

TEST_F(TrimIntoOutputTest, SinglePaneReplacesTheWholeOutput) {
  const Bitmap photo = PositionPhoto(602, 452);
  Trim(photo, LayoutState{});
  // 419x314 frame at scale 1 stretched to 600x450 from the output's own corner
  ScratchImageView expected(600, 450);
  Bitmap block(419, 314);
  for (int y = 0; y < 314; ++y) {
    for (int x = 0; x < 419; ++x) block.SetPixel(x, y, photo.Pixel(x, y));
  }
  StretchToView(block, expected);
  for (int y = 0; y < 450; y += 7) {
    for (int x = 0; x < 600; x += 5) {
      ASSERT_EQ(output.Picture().Pixel(x, y), expected.Picture().Pixel(x, y)) << x << "," << y;
    }
  }
}

TEST_F(TrimIntoOutputTest, BigLeftPaneUsesATallScratch) {
  const Bitmap blue = Bitmap::Filled(602, 452, RGB(0, 0, 255));
  Trim(blue, {.LayoutKind = 5, .PaneIndex = 12, .PaneStep = 0}, false);
  EXPECT_TRUE(AllPixels(output.Picture(), 0, 0, 300, 450, RGB(0, 0, 255)));
  EXPECT_TRUE(AllPixels(output.Picture(), 300, 0, 600, 450, RGB(0, 128, 0)));
}

}  // namespace
}  // namespace rumora
