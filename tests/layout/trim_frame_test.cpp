#include "layout/trim_frame.h"

#include <gtest/gtest.h>

namespace rumora {
namespace {

struct FrameRow {
  const char* name;
  int slot;
  int width;
  int height;
};

class FrameForPane : public ::testing::TestWithParam<FrameRow> {};

TEST_P(FrameForPane, SevenTenthsOfTheEdgeDistances) {
  const FrameRow& row = GetParam();
  RegionTable table;
  InitRegionTable(table);
  const FrameBounds frame = TrimFrameForPane(table[row.slot]);
  EXPECT_EQ(frame.left, table[row.slot].left);
  EXPECT_EQ(frame.top, table[row.slot].top);
  EXPECT_EQ(frame.width, row.width);
  EXPECT_EQ(frame.height, row.height);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, FrameForPane,
    ::testing::Values(FrameRow{"whole", 1, 419, 314}, FrameRow{"leftHalf", 2, 209, 314},
                      FrameRow{"rightHalf", 3, 209, 314}, FrameRow{"topHalf", 4, 419, 157},
                      FrameRow{"bottomHalf", 5, 419, 157}, FrameRow{"column1", 6, 139, 314},
                      FrameRow{"column3", 8, 139, 314}, FrameRow{"row2", 10, 419, 104},
                      FrameRow{"bigLeft", 12, 209, 314}, FrameRow{"smallTop", 13, 209, 157},
                      FrameRow{"quarter4", 18, 209, 157}),
    [](const auto& info) { return std::string(info.param.name); });

const Region kWhole{0, 0, 599, 449};     // r = 0.75
const Region kTopHalf{0, 0, 599, 224};   // r = 0.375
const Region kColumn{200, 0, 399, 449};  // r = 2.25

TEST(KeepPaneRatio, HeightFollowsWidthWhileTheBottomFits) {
  const FrameBounds kept = KeepPaneRatio({10, 20, 400, 17}, kWhole, 452);
  EXPECT_EQ(kept, (FrameBounds{10, 20, 400, 300}));
}

TEST(KeepPaneRatio, BottomExactlyOnTheLimitStillFits) {
  // 150 + 400 * 0.75 = 450 = 452 - 2
  EXPECT_EQ(KeepPaneRatio({0, 150, 400, 1}, kWhole, 452), (FrameBounds{0, 150, 400, 300}));
  // one pixel wider passes the limit: narrowed back, height kept
  EXPECT_EQ(KeepPaneRatio({0, 150, 401, 1}, kWhole, 452), (FrameBounds{0, 150, 400, 1}));
}

TEST(KeepPaneRatio, NarrowPanelMakesTheFrameNarrowerNotShorter) {
  // A wide photo: panel 202 high. The placed 419x314 frame cannot keep its ratio.
  const FrameBounds kept = KeepPaneRatio({0, 0, 419, 314}, kWhole, 202);
  EXPECT_EQ(kept.width, 267);  // Round(200 / 0.75) = Round(266.67)
  EXPECT_EQ(kept.height, 314);
  EXPECT_EQ(KeepPaneRatio({5, 0, 100, 50}, kColumn, 202).width, 89);  // Round(200 / 2.25)
}

TEST(KeepPaneRatio, HalvesRoundToEven) {
  EXPECT_EQ(KeepPaneRatio({0, 0, 12, 0}, kTopHalf, 452).height, 4);  // 4.5
  EXPECT_EQ(KeepPaneRatio({0, 0, 20, 0}, kTopHalf, 452).height, 8);  // 7.5
  EXPECT_EQ(KeepPaneRatio({0, 0, 13, 0}, kTopHalf, 452).height, 5);  // 4.875
}

}  // namespace
}  // namespace rumora
