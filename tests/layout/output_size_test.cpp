#include "layout/output_size.h"

#include <gtest/gtest.h>

#include <vector>

#include "layout/split_lines.h"
#include "layout/trim.h"
#include "layout/trim_frame.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::CoordinateBitmap;
using testing::PixelDifference;

constexpr OutputSize kLarge = OutputSize::k1200x900;

// Every layout at 1200x900 is its 600x450 design at twice the density: pane rectangles, split
// bars, and what a trim puts into each pane.
class LayoutAtBothSizes : public ::testing::TestWithParam<int> {};

TEST_P(LayoutAtBothSizes, TheLargePictureIsTheDesignDoubled) {
  const int layout = GetParam();
  RegionTable table;
  InitRegionTable(table);
  std::vector<int> covered(1200 * 900, 0);
  for (int slot = FirstSlot(layout); slot < FirstSlot(layout) + PaneCount(layout); ++slot) {
    const Region& pane = table[slot];
    EXPECT_EQ(ScaledPane(pane, OutputSize::k600x450), pane);
    const Region large = ScaledPane(pane, kLarge);
    EXPECT_EQ(large,
              (Region{2 * pane.left, 2 * pane.top, 2 * pane.right + 1, 2 * pane.bottom + 1}));
    for (int y = large.top; y <= large.bottom; ++y) {
      for (int x = large.left; x <= large.right; ++x) ++covered[y * 1200 + x];
    }
  }
  EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), 1200 * 900) << "panes tile once";

  Bitmap small = Bitmap::Filled(600, 450, clBlack), large = Bitmap::Filled(1200, 900, clBlack);
  Canvas smallCanvas(&small), largeCanvas(&large);
  DrawSplitLines(smallCanvas, layout, true);
  DrawSplitLines(largeCanvas, layout, true, kLarge);
  for (int y = 0; y < 900; ++y) {
    for (int x = 0; x < 1200; ++x) {
      ASSERT_EQ(large.Pixel(x, y), small.Pixel(x / 2, y / 2)) << "bar pixel " << x << "," << y;
    }
  }

  // Each pane trimmed at 1200x900 holds the frame's block scaled to the doubled pane.
  const Bitmap photo = CoordinateBitmap(900, 600);
  const double s = TrimScale(photo.Width(), 602);
  NoProgress progress;
  for (const Scaling scaling : {Scaling::kSmooth, Scaling::kNearestPixel}) {
    ScratchImageView output(600, 450), scratch(600, 450);
    output.AssignPicture(Bitmap::Filled(1200, 900, clSilver));
    for (int slot = FirstSlot(layout); slot < FirstSlot(layout) + PaneCount(layout); ++slot) {
      const LayoutState state{layout, slot, 0};
      const FrameBounds frame = TrimFrameForPane(table[slot]);
      TrimIntoOutput(
          photo, 602, frame, state, table, output, scratch,
          [&](int w, int h) { scratch.SetControlSize(w, h); }, false, progress, scaling, kLarge);
      const Region pane = ScaledPane(table[slot], kLarge);
      const Region framed = FramedRectangle(frame);
      const Region block = SourceBlock(framed.left, framed.top, framed.right, framed.bottom, s);
      Bitmap expected(RegionWidth(pane), RegionHeight(pane));
      if (scaling == Scaling::kSmooth) {
        PlanSmoothScale(photo, block.left, block.top, RegionWidth(block), RegionHeight(block),
                        expected.Width(), expected.Height(), expected.Width(), expected.Height())
            .MakeRows(photo, expected, 0, expected.Height());
      } else {
        ScratchImageView view(expected.Width(), expected.Height());
        CopyRegionScaled(photo, view, framed.left, framed.top, framed.right, framed.bottom, s,
                         progress);
        expected = view.Picture();
      }
      Bitmap actual(expected.Width(), expected.Height());
      for (int y = 0; y < actual.Height(); ++y) {
        std::copy_n(output.Picture().Row(pane.top + y) + 3 * pane.left, actual.Stride(),
                    actual.Row(y));
      }
      ASSERT_EQ(PixelDifference(actual, expected), "") << "slot " << slot;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, LayoutAtBothSizes, ::testing::Range(0, kLayoutCount));

}  // namespace
}  // namespace rumora
