#include "layout/output_size.h"

#include <gtest/gtest.h>

#include "layout/split_lines.h"
#include "layout/trim.h"
#include "layout/trim_frame.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::PixelDifference;

constexpr OutputSize kLarge = OutputSize::k1200x900;

// Every layout at 1200x900 is its 600x450 design doubled: panes, bars and trims.
class LayoutAtBothSizes : public ::testing::TestWithParam<int> {};

TEST_P(LayoutAtBothSizes, TheLargePictureIsTheDesignDoubled) {
  const int layout = GetParam();
  RegionTable table;
  InitRegionTable(table);

  // The bars drawn at 1200x900 are those of 600x450 with every pixel doubled.
  Bitmap small = Bitmap::Filled(600, 450, clBlack), large = Bitmap::Filled(1200, 900, clBlack);
  Bitmap doubled(1200, 900);
  Canvas smallCanvas(&small), largeCanvas(&large), doubledCanvas(&doubled);
  DrawSplitLines(smallCanvas, layout, true);
  DrawSplitLines(largeCanvas, layout, true, kLarge);
  doubledCanvas.StretchDraw(0, 0, 1200, 900, small);
  EXPECT_EQ(PixelDifference(large, doubled), "");

  // Each pane is the design's doubled, and trimmed at 1200x900 holds the frame's block scaled to
  // it.
  const Bitmap photo = testing::CoordinateBitmap(900, 600);
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
      const Region& d = table[slot];
      const Region pane = ScaledPane(d, kLarge);
      ASSERT_EQ(pane, (Region{2 * d.left, 2 * d.top, 2 * d.right + 1, 2 * d.bottom + 1}));
      const Region framed = FramedRectangle(frame);
      // The exact filter (or the nearest-pixel stretch) of the same block, into a view of the
      // doubled pane's size.
      ScratchImageView view(RegionWidth(pane), RegionHeight(pane));
      CopyRegionScaled(photo, view, framed.left, framed.top, framed.right, framed.bottom, s,
                       progress, scaling);
      const Bitmap& expected = view.Picture();
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
