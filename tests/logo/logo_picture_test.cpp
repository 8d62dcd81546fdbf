#include "logo/logo_picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "logo/bmp_reader.h"
#include "logo/logo_presets.h"
#include "tests/logo/bmp_builder.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

using test::BmpBuilder;

// A 32-bit logo of width x 1 whose pixels are (blue, green, red, fourth byte) = (i, 2i, 3i, a_i).
BmpBuilder ThirtyTwoBit(std::uint32_t headerSize, std::uint32_t compression,
                        std::vector<std::uint32_t> masks, std::vector<std::uint8_t> fourth) {
  BmpBuilder b;
  b.headerSize = headerSize;
  b.compression = compression;
  b.depth = 32;
  b.width = static_cast<std::int32_t>(fourth.size());
  b.height = 1;
  b.masks = std::move(masks);
  for (std::size_t i = 0; i < fourth.size(); ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    b.pixels.insert(b.pixels.end(), {v, static_cast<std::uint8_t>(2 * v),
                                     static_cast<std::uint8_t>(3 * v), fourth[i]});
  }
  return b;
}

struct AlphaRow {
  const char* name;
  BmpBuilder file;
  std::vector<std::uint8_t> alpha;  // empty: none
};

class BmpAlpha : public ::testing::TestWithParam<AlphaRow> {};

TEST_P(BmpAlpha, ComesOnlyFromTheAlphaMaskOfAThirtyTwoBitFile) {
  const AlphaRow& r = GetParam();
  std::vector<std::uint8_t> alpha = {1, 2, 3};  // cleared when there is none
  const Bitmap colour = DecodeBmp(r.file.Build(), &alpha);
  EXPECT_EQ(alpha, r.alpha);
  EXPECT_EQ(colour.Pixel(2, 0), RGB(6, 4, 2));
}

constexpr std::uint32_t kBitfields = 3;
const std::vector<std::uint32_t> kBgra = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
INSTANTIATE_TEST_SUITE_P(
    Headers, BmpAlpha,
    ::testing::Values(
        AlphaRow{"V5Bitfields", ThirtyTwoBit(124, kBitfields, kBgra, {0, 128, 255}), {0, 128, 255}},
        AlphaRow{"V4Plain", ThirtyTwoBit(108, 0, kBgra, {9, 0, 7}), {9, 0, 7}},
        AlphaRow{"ZeroEverywhereIsNone", ThirtyTwoBit(124, kBitfields, kBgra, {0, 0, 0}), {}},
        AlphaRow{"NoAlphaMask",
                 ThirtyTwoBit(124, kBitfields, {0xFF0000, 0xFF00, 0xFF, 0}, {5, 6, 7}),
                 {}},
        AlphaRow{"MaskOverlapsRed",
                 ThirtyTwoBit(124, kBitfields, {0xFF0000, 0xFF00, 0xFF, 0xFF800000}, {5, 6, 7}),
                 {}},
        AlphaRow{"WindowsThreeHeader", ThirtyTwoBit(40, 0, {}, {5, 6, 7}), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogoPicture, DoubleSizeNames) {
  EXPECT_EQ(DoubleSizeName("logo_design/logo1.bmp"), "logo_design/logo1@2x.bmp");
  EXPECT_EQ(DoubleSizeName("/a.b/shop.logo.png"), "/a.b/shop.logo@2x.png");
  EXPECT_EQ(DoubleSizeName("/a.b/shop"), "/a.b/shop@2x");
  EXPECT_EQ(DoubleSizeName("/a/.hidden"), "/a/.hidden@2x");
}

// The double-size file is read beside the logo for the large picture only, and the frame shows
// it at half its size; a preset is its BMP file, else its PNG file.
TEST(LogoPicture, FindsItsDoubleSizeFileAndPresets) {
  const testing::TempFolder scratch;
  const std::string folder = scratch.Root().string() + "/";
  std::filesystem::create_directories(folder + kLogoFolder);
  const auto write = [&](const std::string& name, int width, int height) {
    BmpBuilder b;
    b.width = width;
    b.height = height;
    b.pixels.assign(static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * height), 0x40);
    testing::WriteBytes(folder + name, b.Build());
  };
  write("shop.bmp", 5, 3);
  write("shop@2x.bmp", 9, 6);
  const LogoPicture small = ReadLogoFile(folder + "shop.bmp", OutputSize::k600x450);
  const LogoPicture large = ReadLogoFile(folder + "shop.bmp", OutputSize::k1200x900);
  EXPECT_FALSE(small.doubleSize);
  ASSERT_TRUE(large.doubleSize);
  EXPECT_EQ(large.doubleSize->Width(), 9);
  EXPECT_EQ(LogoDesignSize(small, OutputSize::k1200x900), (PixelSize{5, 3}));
  EXPECT_EQ(LogoDesignSize(large, OutputSize::k1200x900), (PixelSize{5, 3}));
  EXPECT_EQ(LogoDesignSize(large, OutputSize::k600x450), (PixelSize{5, 3}));

  EXPECT_EQ(FindPresetLogo(folder, 2), folder + "logo_design/logo2.bmp");  // neither: the BMP
  write("logo_design/logo2.png", 1, 1);
  EXPECT_EQ(FindPresetLogo(folder, 2), folder + "logo_design/logo2.png");
  write("logo_design/logo2.bmp", 1, 1);
  EXPECT_EQ(FindPresetLogo(folder, 2), folder + "logo_design/logo2.bmp");
}

// A logo larger than the picture is shrunk with its proportions; colours weigh by alpha.
TEST(LogoPicture, LargerThanThePictureIsShrunkToFit) {
  LogoPicture logo;
  logo.image.colour = Bitmap::Filled(900, 300, clBlack);
  // An opaque red column, then two see-through green ones: each third of 900 columns becomes
  // two, the first covering the red one and half a green one.
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 900; ++x) {
      logo.image.colour.SetPixel(x, y, x % 3 == 0 ? clRed : RGB(0, 255, 0));
      logo.image.alpha.push_back(x % 3 == 0 ? 255 : 0);
    }
  }
  logo.doubleSize = LogoImage{Bitmap::Filled(1000, 1800, RGB(0, 0, 255)), {}};
  EXPECT_TRUE(FitLogoToOutput(logo));
  EXPECT_EQ(logo.image.Width(), 600);
  EXPECT_EQ(logo.image.Height(), 200);
  EXPECT_EQ(logo.image.colour.Pixel(10, 10), clRed);    // the green lent nothing
  EXPECT_EQ(logo.image.alpha[10], 170);                 // 255 over 1.5 pixels
  EXPECT_EQ(logo.image.colour.Pixel(11, 10), clWhite);  // nothing to see there
  EXPECT_EQ(logo.image.alpha[11], 0);
  EXPECT_EQ(logo.doubleSize->Width(), 500);
  EXPECT_EQ(logo.doubleSize->Height(), 900);
  EXPECT_EQ(logo.doubleSize->colour.Pixel(499, 899), RGB(0, 0, 255));
  EXPECT_FALSE(FitLogoToOutput(logo));
}

}  // namespace
}  // namespace rumora
