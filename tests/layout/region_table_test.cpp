#include "layout/region_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/error.h"

namespace rumora {
namespace {

class LayoutTiling : public ::testing::TestWithParam<int> {};

TEST_P(LayoutTiling, PanesCoverTheOutputExactlyOnce) {
  const int layout = GetParam();
  RegionTable table;
  InitRegionTable(table);
  std::vector<int> cover(kOutputWidth * kOutputHeight, 0);
  for (int slot = FirstSlot(layout); slot < FirstSlot(layout) + PaneCount(layout); ++slot) {
    const Region& r = table[slot];
    ASSERT_GE(r.left, 0);
    ASSERT_GE(r.top, 0);
    ASSERT_LT(r.right, kOutputWidth);
    ASSERT_LT(r.bottom, kOutputHeight);
    for (int y = r.top; y <= r.bottom; ++y) {
      for (int x = r.left; x <= r.right; ++x) ++cover[y * kOutputWidth + x];
    }
  }
  for (int y = 0; y < kOutputHeight; ++y) {
    for (int x = 0; x < kOutputWidth; ++x) {
      ASSERT_EQ(cover[y * kOutputWidth + x], 1) << "layout " << layout << " at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, LayoutTiling, ::testing::Range(0, kLayoutCount),
                         [](const auto& info) { return "layout" + std::to_string(info.param); });

TEST(RegionTable, LayoutsOwnConsecutiveSlotsOneToEighteen) {
  int next = 1;
  for (int layout = 0; layout < kLayoutCount; ++layout) {
    EXPECT_EQ(FirstSlot(layout), next);
    for (int k = 0; k < PaneCount(layout); ++k) EXPECT_EQ(LayoutOfSlot(next + k), layout);
    next += PaneCount(layout);
  }
  EXPECT_EQ(next, 19);
}

TEST(RegionTable, SpareSlotsAndTheAngleLineStartAtZero) {
  RegionTable table;
  InitRegionTable(table);
  for (int slot : {19, 20, 21}) EXPECT_EQ(table[slot], Region{}) << "slot " << slot;
  table[RegionTable::kAngleLineSlot] = {1, 2, 3, 4};
  InitRegionTable(table);  // filling the panes leaves the angle line alone
  EXPECT_EQ(table[21], (Region{1, 2, 3, 4}));
}

TEST(RegionTable, LayoutSixRunsDownTheLeftColumnFirst) {
  RegionTable table;
  InitRegionTable(table);
  EXPECT_EQ(table[15], (Region{0, 0, 299, 224}));
  EXPECT_EQ(table[16], (Region{0, 225, 299, 449}));
  EXPECT_EQ(table[17], (Region{300, 0, 599, 224}));
  EXPECT_EQ(table[18], (Region{300, 225, 599, 449}));
}

TEST(RegionTable, RejectsSlotsAndLayoutsOutsideTheTable) {
  RegionTable table;
  EXPECT_THROW(table[0], Error);
  EXPECT_THROW(table[22], Error);
  EXPECT_THROW(FirstSlot(7), Error);
  EXPECT_THROW(PaneCount(-1), Error);
  EXPECT_THROW(LayoutOfSlot(19), Error);
}

}  // namespace
}  // namespace rumora
