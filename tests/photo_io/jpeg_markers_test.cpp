#include "photo_io/jpeg_markers.h"

#include <gtest/gtest.h>

#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using Ids = std::vector<std::uint8_t>;

// The library's progressive scans of a colour photo, its end marker found before any padding,
// and a walk that stops wherever the bytes run out.
TEST(WalkJpegMarkers, FindsTheScansAndTheEndOfTheCodedData) {
  const std::vector<std::uint8_t> jpeg =
      testing::EncodeWithLibrary(testing::GradientPicture(64, 48), false, true);
  const JpegMarkerWalk walk = WalkJpegMarkers(jpeg, 256);
  EXPECT_EQ(walk.codedBytes, jpeg.size());
  ASSERT_EQ(walk.scans.size(), 10u);
  EXPECT_EQ(walk.scans[0], (Ids{1, 2, 3}));  // DC of all three components
  EXPECT_EQ(walk.scans[1], (Ids{1}));

  std::vector<std::uint8_t> padded = jpeg;
  padded.resize(jpeg.size() + 5000, 0);
  EXPECT_EQ(WalkJpegMarkers(padded, 256).codedBytes, jpeg.size());
  EXPECT_EQ(WalkJpegMarkers(padded, 3).scans.size(), 4u);  // stops one past the limit

  for (std::size_t cut = 0; cut < jpeg.size(); cut += 7) {
    const std::vector<std::uint8_t> part(jpeg.begin(), jpeg.begin() + static_cast<long>(cut));
    const JpegMarkerWalk partial = WalkJpegMarkers(part, 256);
    ASSERT_EQ(partial.codedBytes, cut) << "cut at " << cut;
    ASSERT_LE(partial.scans.size(), 10u) << "cut at " << cut;
  }
  EXPECT_TRUE(WalkJpegMarkers(std::vector<std::uint8_t>(100, 0), 256).scans.empty());
}

}  // namespace
}  // namespace rumora
