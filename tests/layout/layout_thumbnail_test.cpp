#include "layout/layout_thumbnail.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/colour.h"
#include "layout/region_table.h"

namespace rumora {
namespace {

struct TextCall {
  std::string text;
  int x;
  int y;
  TColor brush;
  TColor underText;  // the thumbnail pixel at the text point when the text was drawn
};

class RecordingRenderer final : public TextRenderer {
 public:
  void DrawText(Bitmap& target, int x, int y, const std::string& utf8Text, const Font&,
                const Brush& brush) override {
    calls.push_back({utf8Text, x, y, brush.colour, target.Pixel(x, y)});
  }
  std::vector<TextCall> calls;
};

struct Thumbnail {
  Thumbnail() : bitmap(Bitmap::Filled(kThumbnailWidth, kThumbnailHeight, RGB(1, 2, 3))) {}
  Bitmap bitmap;
  RecordingRenderer renderer;
  Canvas canvas{&bitmap, &renderer};
};

TEST(LayoutThumbnail, FourQuartersWithTheThirdCurrent) {
  Thumbnail t;
  DrawLayoutThumbnail(t.canvas, 6, 17);

  // interiors
  EXPECT_EQ(t.bitmap.Pixel(30, 20), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(30, 70), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(90, 20), clWhite);
  EXPECT_EQ(t.bitmap.Pixel(90, 70), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(1, 1), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(118, 43), clWhite);
  // one-pixel outlines: the panes' outer rings meet in a two-pixel line
  for (auto [x, y] : {std::pair{0, 0}, {119, 89}, {59, 10}, {60, 10}, {10, 44}, {10, 45}}) {
    EXPECT_EQ(t.bitmap.Pixel(x, y), clBlack) << x << "," << y;
  }
  EXPECT_EQ(t.bitmap.Pixel(58, 10), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(61, 10), clWhite);

  ASSERT_EQ(t.renderer.calls.size(), 4u);
  const std::vector<std::tuple<std::string, int, int, TColor>> expected = {{"1", 25, 10, clSilver},
                                                                           {"2", 25, 55, clSilver},
                                                                           {"3", 85, 10, clWhite},
                                                                           {"4", 85, 55, clSilver}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TextCall& call = t.renderer.calls[i];
    EXPECT_EQ(std::tie(call.text, call.x, call.y, call.brush), expected[i]) << "call " << i;
    // the pane was filled before its number went on it
    EXPECT_EQ(call.underText, call.brush) << "call " << i;
  }
}

TEST(LayoutThumbnail, RedrawLeavesExactlyOneWhitePane) {
  Thumbnail t;
  DrawLayoutThumbnail(t.canvas, 4, 9);
  DrawLayoutThumbnail(t.canvas, 4, 11);
  EXPECT_EQ(t.bitmap.Pixel(10, 15), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(10, 45), clSilver);
  EXPECT_EQ(t.bitmap.Pixel(10, 75), clWhite);
  EXPECT_EQ(t.bitmap.Pixel(10, 29), clBlack);
  EXPECT_EQ(t.bitmap.Pixel(10, 30), clBlack);
}

class ThumbnailPerLayout : public ::testing::TestWithParam<int> {};

TEST_P(ThumbnailPerLayout, NumbersEveryPaneInOrderOnAFilledThumbnail) {
  const int layout = GetParam();
  const int current = FirstSlot(layout) + PaneCount(layout) - 1;
  Thumbnail t;
  DrawLayoutThumbnail(t.canvas, layout, current);
  ASSERT_EQ(t.renderer.calls.size(), static_cast<std::size_t>(PaneCount(layout)));
  for (int k = 0; k < PaneCount(layout); ++k) {
    const TextCall& call = t.renderer.calls[static_cast<std::size_t>(k)];
    EXPECT_EQ(call.text, std::to_string(k + 1));
    EXPECT_EQ(call.brush, k + 1 == PaneCount(layout) ? clWhite : clSilver);
  }
  // Nothing of the old contents is left: every pixel is outline, silver or white.
  int white = 0;
  for (int y = 0; y < kThumbnailHeight; ++y) {
    for (int x = 0; x < kThumbnailWidth; ++x) {
      const TColor c = t.bitmap.Pixel(x, y);
      ASSERT_TRUE(c == clBlack || c == clSilver || c == clWhite) << x << "," << y;
      white += c == clWhite;
    }
  }
  EXPECT_GT(white, 0);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, ThumbnailPerLayout, ::testing::Range(0, kLayoutCount),
                         [](const auto& info) { return "layout" + std::to_string(info.param); });

}  // namespace
}  // namespace rumora
