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

struct ToolFile {
  const char* name;
  // ImageMagick widens a 5- or 6-bit channel by scaling and rounding, we by repeating bits (the
  // two differ by at most one); every other layout must agree exactly.
  int tolerance;
};

class ImageMagickFiles : public testing::TestWithParam<ToolFile> {};

TEST_P(ImageMagickFiles, MatchThePixelsTheToolReadsBack) {
  const ToolFile& f = GetParam();
  const Bitmap expected = ReadPpm(kFolder + f.name + ".ppm");
  ASSERT_FALSE(expected.Empty()) << "read-back pixels missing for " << f.name;
  const Bitmap actual = ReadBmpFile(kFolder + f.name + ".bmp");
  ASSERT_EQ(actual.Width(), expected.Width());
  ASSERT_EQ(actual.Height(), expected.Height());
  int whites = 0;
  for (int y = 0; y < actual.Height(); ++y) {
    for (int x = 0; x < actual.Width(); ++x) {
      const TColor a = actual.Pixel(x, y), e = expected.Pixel(x, y);
      const int channels[3][2] = {
          {GetRValue(a), GetRValue(e)}, {GetGValue(a), GetGValue(e)}, {GetBValue(a), GetBValue(e)}};
      for (int c = 0; c < 3; ++c) {
        ASSERT_LE(std::abs(channels[c][0] - channels[c][1]), f.tolerance)
            << f.name << " pixel (" << x << ", " << y << ") channel "
            << "RGB"[c] << ": expected " << channels[c][1] << ", got " << channels[c][0];
      }
      // White must stay exactly white, or the blend would mix it in.
      if (e == RGB(255, 255, 255)) {
        ++whites;
        ASSERT_EQ(a, e) << f.name << " white pixel (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_GT(whites, 0) << f.name << " holds no white to check";
}

INSTANTIATE_TEST_SUITE_P(Layouts, ImageMagickFiles,
                         testing::Values(ToolFile{"win3_24", 0}, ToolFile{"v5_24", 0},
                                         ToolFile{"v5_32", 0}, ToolFile{"v5_565", 1},
                                         ToolFile{"v5_555", 1}, ToolFile{"win3_8", 0},
                                         ToolFile{"win3_4", 0}, ToolFile{"win3_1", 0},
                                         ToolFile{"win3_rle8", 0}, ToolFile{"win3_rle8_many", 0},
                                         ToolFile{"os2_8", 0}, ToolFile{"os2_4", 0},
                                         ToolFile{"os2_1", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rumora
