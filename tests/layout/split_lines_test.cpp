#include "layout/split_lines.h"

#include <gtest/gtest.h>

#include "imaging/colour.h"
#include "layout/region_table.h"

namespace rumora {
namespace {

int CountWhite(const Bitmap& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) == clWhite;
  }
  return n;
}

struct BarsRow {
  const char* name;
  int layout;
  int whitePixels;
  std::vector<std::pair<int, int>> white;  // pixels inside a bar
  std::vector<std::pair<int, int>> clear;  // pixels just beside one
};

class SplitBars : public ::testing::TestWithParam<BarsRow> {};

TEST_P(SplitBars, FiveWideWhiteBarsOverThePaneBorders) {
  const BarsRow& row = GetParam();
  Bitmap output = Bitmap::Filled(kOutputWidth, kOutputHeight, clBlack);
  Canvas canvas(&output);
  DrawSplitLines(canvas, row.layout, true);
  EXPECT_EQ(CountWhite(output), row.whitePixels);
  for (auto [x, y] : row.white) EXPECT_EQ(output.Pixel(x, y), clWhite) << x << "," << y;
  for (auto [x, y] : row.clear) EXPECT_EQ(output.Pixel(x, y), clBlack) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SplitBars,
    ::testing::Values(
        BarsRow{"whole", 0, 0, {}, {}},
        BarsRow{"halvesSideBySide", 1, 5 * 450, {{297, 0}, {301, 449}}, {{296, 0}, {302, 449}}},
        BarsRow{"halvesStacked", 2, 600 * 5, {{0, 222}, {599, 226}}, {{0, 221}, {599, 227}}},
        BarsRow{"columns", 3, 2 * 5 * 450, {{197, 10}, {401, 10}}, {{196, 10}, {402, 10}}},
        BarsRow{"rows", 4, 2 * 600 * 5, {{10, 147}, {10, 301}}, {{10, 146}, {10, 302}}},
        // the right half's bar starts at 300, inside the vertical bar
        BarsRow{"bigLeft",
                5,
                5 * 450 + 300 * 5 - 2 * 5,
                {{599, 222}, {300, 226}},
                {{296, 222}, {200, 224}, {599, 227}}},
        BarsRow{"quarters",
                6,
                5 * 450 + 600 * 5 - 5 * 5,
                {{0, 222}, {299, 100}},
                {{0, 221}, {302, 100}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitLines, UntickedLeavesTheOutputButStillWhitensPenAndBrush) {
  Bitmap output = Bitmap::Filled(kOutputWidth, kOutputHeight, clBlack);
  Canvas canvas(&output);
  canvas.pen.colour = clRed;
  canvas.brush.colour = clSilver;
  DrawSplitLines(canvas, 6, false);
  EXPECT_EQ(CountWhite(output), 0);
  EXPECT_EQ(canvas.pen.colour, clWhite);
  EXPECT_EQ(canvas.brush.colour, clWhite);
}

TEST(SplitLines, UntickingKeepsEarlierBars) {
  Bitmap output = Bitmap::Filled(kOutputWidth, kOutputHeight, clBlack);
  Canvas canvas(&output);
  DrawSplitLines(canvas, 1, true);
  DrawSplitLines(canvas, 2, false);
  EXPECT_EQ(CountWhite(output), 5 * 450);
}

}  // namespace
}  // namespace rumora
