// Our reader against another tool: every BMP layout ImageMagick writes, compared with the pixels
// ImageMagick itself reads back from the same file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "logo/bmp_reader.h"

namespace rumora {
namespace {

const std::string kFolder = std::string(RUMORA_TEST_DATA) + "/bmp/";

// A binary PPM (P6, maxval 255) with no comments, as convert writes it.
Bitmap ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  in >> magic >> width >> height >> maxval;
  in.get();
  if (!in || magic != "P6" || maxval != 255) return Bitmap();
  std::vector<char> rgb(static_cast<std::size_t>(width) * height * 3);
  in.read(rgb.data(), static_cast<std::streamsize>(rgb.size()));
  if (!in) return Bitmap();
  Bitmap b(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto* p = reinterpret_cast<const std::uint8_t*>(rgb.data()) + 3 * (y * width + x);
      b.SetPixel(x, y, RGB(p[0], p[1], p[2]));
    }
  }
  return b;
}

class ImageMagickFiles : public testing::TestWithParam<const char*> {};

TEST_P(ImageMagickFiles, MatchThePixelsTheToolReadsBack) {
  const std::string name = GetParam();
  const Bitmap expected = ReadPpm(kFolder + name + ".ppm");
  ASSERT_FALSE(expected.Empty()) << "read-back pixels missing for " << name;
  const Bitmap actual = ReadBmpFile(kFolder + name + ".bmp");
  ASSERT_EQ(actual.Width(), expected.Width());
  ASSERT_EQ(actual.Height(), expected.Height());
  int whites = 0;
  for (int y = 0; y < actual.Height(); ++y) {
    for (int x = 0; x < actual.Width(); ++x) {
      const TColor a = actual.Pixel(x, y), e = expected.Pixel(x, y);
      const int channels[3][2] = {
          {GetRValue(a), GetRValue(e)}, {GetGValue(a), GetGValue(e)}, {GetBValue(a), GetBValue(e)}};
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(channels[c][0], channels[c][1])
            << name << " pixel (" << x << ", " << y << ") channel "
            << "RGB"[c];
      }
      whites += e == RGB(255, 255, 255);
    }
  }
  // White must stay exactly white, or the blend would mix it in: every file holds some.
  EXPECT_GT(whites, 0) << name << " holds no white to check";
}

INSTANTIATE_TEST_SUITE_P(Layouts, ImageMagickFiles,
                         testing::Values("win3_24", "v5_24", "v5_32", "v5_565", "v5_555", "win3_8",
                                         "win3_4", "win3_1", "win3_rle8", "win3_rle8_many", "os2_8",
                                         "os2_4", "os2_1"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace rumora
