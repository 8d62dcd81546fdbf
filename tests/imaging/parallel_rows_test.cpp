#include "imaging/parallel_rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace rumora {
namespace {

struct BandCase {
  std::int64_t rows;
  std::int64_t minimumRowsPerBand;
  unsigned limit;
  std::int64_t expectedBands;
};

class ForEachRowBandTest : public ::testing::TestWithParam<BandCase> {
 protected:
  void TearDown() override { SetRowBandLimit(0); }
};

TEST_P(ForEachRowBandTest, CoversEveryRowOnceInContiguousBands) {
  const BandCase c = GetParam();
  SetRowBandLimit(c.limit);
  std::vector<int> visits(static_cast<std::size_t>(c.rows), 0);
  std::atomic<int> count{0};
  ForEachRowBand(c.rows, c.minimumRowsPerBand, [&](std::int64_t begin, std::int64_t end) {
    ++count;
    for (std::int64_t y = begin; y < end; ++y) ++visits[static_cast<std::size_t>(y)];
  });
  EXPECT_EQ(count.load(), c.rows == 0 ? 0 : c.expectedBands);
  for (std::int64_t y = 0; y < c.rows; ++y) {
    ASSERT_EQ(visits[static_cast<std::size_t>(y)], 1) << "row " << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Bands, ForEachRowBandTest,
                         ::testing::Values(BandCase{0, 1, 4, 0}, BandCase{1, 1, 4, 1},
                                           BandCase{7, 1, 4, 4}, BandCase{7, 4, 4, 1},
                                           BandCase{100, 10, 3, 3}, BandCase{100, 10, 1, 1},
                                           BandCase{5, 1, 8, 5}));

TEST(ForEachRowBand, RethrowsAFailureAfterEveryBandHasEnded) {
  SetRowBandLimit(4);
  std::atomic<int> finished{0};
  EXPECT_THROW(ForEachRowBand(40, 1,
                              [&](std::int64_t begin, std::int64_t) {
                                if (begin == 10) throw std::runtime_error("band failed");
                                ++finished;
                              }),
               std::runtime_error);
  EXPECT_EQ(finished.load(), 3);
  SetRowBandLimit(0);
}

// A thread keeping to one band runs every row itself whatever the cores, until its last such
// scope ends.
TEST(ForEachRowBand, OneBandOnThisThreadRunsEveryRowItself) {
  SetRowBandLimit(4);
  std::atomic<int> wholeBands{0};
  {
    const OneBandOnThisThread alone;
    { const OneBandOnThisThread nested; }
    ForEachRowBand(40, 1,
                   [&](std::int64_t begin, std::int64_t end) { wholeBands += end - begin == 40; });
  }
  EXPECT_EQ(wholeBands.load(), 1);
  EXPECT_EQ(RowBandLimit(), 4u);
  SetRowBandLimit(0);
}

}  // namespace
}  // namespace rumora
