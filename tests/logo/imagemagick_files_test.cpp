// Our reader against another tool: every BMP layout ImageMagick writes, compared with the pixels
// ImageMagick itself reads back from the same file.
#include <gtest/gtest.h>

#include <string>

#include "logo/bmp_reader.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

const std::string kFolder = std::string(RUMORA_TEST_DATA) + "/bmp/";

class ImageMagickFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageMagickFiles, MatchThePixelsTheToolReadsBack) {
  const std::string name = GetParam();
  const Bitmap expected = testing::ReadPnm(kFolder + name + ".ppm");
  EXPECT_EQ(testing::PixelDifference(ReadBmpFile(kFolder + name + ".bmp"), expected), "") << name;
  // White must stay exactly white, or the blend would mix it in: every file holds some.
  int whites = 0;
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) whites += expected.Pixel(x, y) == clWhite;
  }
  EXPECT_GT(whites, 0) << name << " holds no white to check";
}

INSTANTIATE_TEST_SUITE_P(Layouts, ImageMagickFiles,
                         ::testing::Values("win3_24", "v5_24", "v5_32", "v5_565", "v5_555",
                                           "win3_8", "win3_4", "win3_1", "win3_rle8",
                                           "win3_rle8_many", "os2_8", "os2_4", "os2_1"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace rumora
