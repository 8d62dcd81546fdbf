#include "photo_io/jpeg_markers.h"

#include <gtest/gtest.h>

#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

// The library's standard progressive scans of a colour photo (components Y = 1, Cb = 2, Cr = 3);
// an end marker's bytes inside a comment are no end, and bytes after the real one are never
// coded; cut anywhere, the walk finds each scan whose header's component count lies before the
// cut (the start-of-scan marker 0xFF 0xDA never occurs inside coded data).
TEST(WalkJpegMarkers, ReadsEveryScanHeaderUpToTheEndOfTheCodedData) {
  const std::vector<std::uint8_t> jpeg =
      testing::EncodeWithLibrary(testing::GradientPicture(64, 48), {.progressive = true});
  const std::vector<JpegScan> expected = {
      {{1, 2, 3}, 0, 0, false}, {{1}, 1, 5, false}, {{3}, 1, 63, false},     {{2}, 1, 63, false},
      {{1}, 6, 63, false},      {{1}, 1, 63, true}, {{1, 2, 3}, 0, 0, true}, {{3}, 1, 63, true},
      {{2}, 1, 63, true},       {{1}, 1, 63, true}};
  EXPECT_EQ(WalkJpegMarkers(jpeg, 256).scans, expected);
  EXPECT_EQ(WalkJpegMarkers(jpeg, 3).scans.size(), 4u);  // stops one past the limit

  std::vector<std::uint8_t> quirky = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x04, 0xFF, 0xD9};
  quirky.insert(quirky.end(), jpeg.begin() + 2, jpeg.end());
  const std::size_t end = quirky.size();
  quirky.insert(quirky.end(), {0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0xFF, 0xD9});
  EXPECT_EQ(WalkJpegMarkers(quirky, 256).codedBytes, end);
  EXPECT_EQ(WalkJpegMarkers(quirky, 256).scans, expected);

  for (std::size_t cut = 0; cut < jpeg.size(); cut += 7) {
    const std::vector<std::uint8_t> part(jpeg.begin(), jpeg.begin() + static_cast<long>(cut));
    std::size_t headers = 0;
    for (std::size_t i = 0; i + 4 < cut; ++i) headers += jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA;
    ASSERT_EQ(WalkJpegMarkers(part, 256).scans.size(), headers) << "cut at " << cut;
  }
  EXPECT_TRUE(WalkJpegMarkers(std::vector<std::uint8_t>(100, 0), 256).scans.empty());
}

}  // namespace
}  // namespace rumora
