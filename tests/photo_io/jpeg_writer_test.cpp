#include "photo_io/jpeg_writer.h"

#include <gtest/gtest.h>

#include <regex>

#include "imaging/error.h"
#include "photo_io/jpeg_markers.h"
#include "photo_io/jpeg_reader.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using testing::GradientPicture;
using testing::PixelDifference;
using testing::TempFolder;

TEST(EncodeJpeg, RoundTripStaysWithinCodingLoss) {
  // Smooth pictures lose at most a few levels per sample at quality 90.
  for (const auto& [width, height] : {std::pair{600, 450}, std::pair{17, 9}, std::pair{1, 1}}) {
    const Bitmap picture = GradientPicture(width, height);
    const Bitmap back = DecodeJpeg(EncodeJpeg(picture));
    EXPECT_EQ(PixelDifference(back, picture, 4), "") << width << "x" << height;
  }
}

TEST(EncodeJpeg, WritesBaselineJfifWithTwoByTwoChroma) {
  const std::vector<std::uint8_t> jpeg = EncodeJpeg(GradientPicture(600, 450));
  ASSERT_GE(jpeg.size(), 4u);
  EXPECT_EQ(std::vector(jpeg.begin(), jpeg.begin() + 2), (std::vector<std::uint8_t>{0xFF, 0xD8}));
  EXPECT_EQ(std::vector(jpeg.end() - 2, jpeg.end()), (std::vector<std::uint8_t>{0xFF, 0xD9}));
  const auto markers = testing::HeaderMarkers(jpeg);
  ASSERT_FALSE(markers.empty());
  EXPECT_EQ(markers.front().first, 0xE0);
  EXPECT_EQ(std::string(jpeg.begin() + markers.front().second + 4,
                        jpeg.begin() + markers.front().second + 9),
            std::string("JFIF\0", 5));
  std::string frames;
  for (const auto& [code, at] : markers) {
    if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) {
      // The frame's type, precision, components and sampling (Y 2x2, Cb and Cr 1x1).
      for (const int i : {1, 4, 9, 11, 14, 17}) frames += std::to_string(jpeg[at + i]) + " ";
    }
    // The luminance table's first entry: 16 scaled to quality 90 is (16 * 20 + 50) / 100.
    if (code == 0xDB && jpeg[at + 4] == 0x00) {
      EXPECT_EQ(jpeg[at + 5], 3);
    }
  }
  EXPECT_EQ(frames, "192 8 3 34 17 17 ");
  EXPECT_EQ(markers.back().first, 0xDA);
  EXPECT_EQ(WalkJpegMarkers(jpeg, 2).scans.size(), 1u);
}

TEST(EncodeJpeg, QualityChangesTheTables) {
  const Bitmap picture = GradientPicture(64, 64);
  EXPECT_LT(EncodeJpeg(picture, 50).size(), EncodeJpeg(picture, 90).size());
}

TEST(EncodeJpeg, EmptyPictureIsAnError) { EXPECT_THROW(EncodeJpeg(Bitmap()), Error); }

// The library's release ("2.1.5"), not the interface level it offers ("6.2").
TEST(EncodeJpeg, NamesTheLibrarysRelease) {
  EXPECT_TRUE(std::regex_match(JpegLibraryVersion(), std::regex(R"([1-9]\d*\.\d+\.\d+)")));
}

// Every parameter but the quality stays at the library's default, exactly as the library's own
// command-line encoder leaves them.
TEST(EncodeJpeg, EqualsTheReferenceEncoderAtQuality90) {
  if (!testing::HaveProgram("cjpeg")) GTEST_SKIP() << "cjpeg is not installed";
  TempFolder folder;
  for (const auto& [width, height] : {std::pair{600, 450}, std::pair{33, 17}}) {
    const Bitmap picture = GradientPicture(width, height);
    testing::WritePpm(picture, folder.Path("in.ppm"));
    const std::string command = "cjpeg -quality 90 -outfile '" + folder.Path("ref.jpg") + "' '" +
                                folder.Path("in.ppm") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(EncodeJpeg(picture), testing::FileBytes(folder.Path("ref.jpg")))
        << width << "x" << height;
  }
}

}  // namespace
}  // namespace rumora
