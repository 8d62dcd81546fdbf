#include "logo/logo_picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "logo/logo_presets.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

// A 32-bit BMP with an alpha mask has alpha (ImageMagick's 60 %), others none. The double-size
// file is read beside the logo for the large picture only, and the frame shows it at half its
// size; a preset is its BMP file, else its PNG file.
TEST(LogoPicture, ReadsAlphaTheDoubleSizeFileAndPresets) {
  const std::string bmp = std::string(RUMORA_TEST_DATA) + "/bmp/";
  EXPECT_EQ(ReadLogoImage(bmp + "v5_32.bmp").alpha, std::vector<std::uint8_t>(13 * 7, 153));
  EXPECT_FALSE(ReadLogoImage(bmp + "v5_24.bmp").HasAlpha());
  EXPECT_EQ(DoubleSizeName("/a.b/shop.logo.png"), "/a.b/shop.logo@2x.png");
  const testing::TempFolder scratch;
  const std::string folder = scratch.Root().string() + "/";
  const std::string data = std::string(RUMORA_TEST_DATA) + "/png/";
  std::filesystem::create_directories(folder + kLogoFolder);
  const auto copy = [&](const char* from, const std::string& to) {
    std::filesystem::copy_file(data + from, folder + to,
                               std::filesystem::copy_options::overwrite_existing);
  };
  copy("rgba8.png", "shop.bmp");  // told apart by its signature, whatever its name
  copy("rgba16_all.png", "shop@2x.bmp");
  const LogoPicture small = ReadLogoFile(folder + "shop.bmp", OutputSize::k600x450);
  const LogoPicture large = ReadLogoFile(folder + "shop.bmp", OutputSize::k1200x900);
  EXPECT_FALSE(small.doubleSize);
  ASSERT_TRUE(large.doubleSize);
  EXPECT_EQ(LogoDesignSize(large, OutputSize::k1200x900), (PixelSize{64, 64}));  // 128 halved

  EXPECT_EQ(FindPresetLogo(folder, 2), folder + "logo_design/logo2.bmp");  // neither: the BMP
  copy("rgba8.png", "logo_design/logo2.png");
  EXPECT_EQ(FindPresetLogo(folder, 2), folder + "logo_design/logo2.png");
  copy("rgba8.png", "logo_design/logo2.bmp");
  EXPECT_EQ(FindPresetLogo(folder, 2), folder + "logo_design/logo2.bmp");
}

// A logo larger than the picture is shrunk with its proportions; colours weigh by alpha.
TEST(LogoPicture, LargerThanThePictureIsShrunkToFit) {
  LogoPicture logo{{Bitmap(900, 300), {}}, LogoImage{Bitmap::Filled(1000, 1800, clRed), {}}};
  // An opaque red column, then two see-through green ones: each three of 900 columns become two,
  // the first covering the red one and half a green one.
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 900; ++x) {
      logo.image.colour.SetPixel(x, y, x % 3 == 0 ? clRed : RGB(0, 255, 0));
      logo.image.alpha.push_back(x % 3 == 0 ? 255 : 0);
    }
  }
  EXPECT_TRUE(FitLogoToOutput(logo));
  EXPECT_EQ(logo.image.Width(), 600);
  EXPECT_EQ(logo.image.Height(), 200);
  EXPECT_EQ(logo.image.colour.Pixel(10, 10), clRed);    // the green lent nothing
  EXPECT_EQ(logo.image.alpha[10], 170);                 // 255 over 1.5 pixels
  EXPECT_EQ(logo.image.colour.Pixel(11, 10), clWhite);  // nothing to see there
  EXPECT_EQ(logo.image.alpha[11], 0);
  EXPECT_EQ(logo.doubleSize->Width(), 500);  // 1000 x 1800 into 1200 x 900
  EXPECT_FALSE(FitLogoToOutput(logo));
}

}  // namespace
}  // namespace rumora
