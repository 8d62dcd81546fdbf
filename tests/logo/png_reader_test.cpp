#include "logo/png_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imaging/error.h"
#include "logo/logo_picture.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kFolder = std::string(RUMORA_TEST_DATA) + "/png/";

using testing::FileBytes;

// Every colour type, bit depth, tRNS kind and interlacing against what tests/data/png's script
// wrote beside each file (and checked with Pillow): NAME.rgba for a file with alpha, else
// NAME.rgb.
TEST(PngFiles, MatchTheSamplesTheyWereWrittenFrom) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
    if (entry.path().extension() != ".png") continue;
    const std::string base = kFolder + entry.path().stem().string();
    const bool alpha = std::filesystem::exists(base + ".rgba");
    const Bytes want = FileBytes(base + (alpha ? ".rgba" : ".rgb"));
    const LogoImage image = ReadLogoImage(entry.path().string());
    ASSERT_EQ(image.HasAlpha(), alpha) << base;
    const int channels = alpha ? 4 : 3;
    ASSERT_EQ(want.size(), static_cast<std::size_t>(image.Width()) * image.Height() * channels);
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        const std::uint8_t* w =
            want.data() + static_cast<std::size_t>((y * image.Width() + x) * channels);
        const std::uint8_t* got = image.colour.Row(y) + 3 * x;
        const int a = alpha ? image.AlphaRow(y)[x] : 255;
        ASSERT_EQ((std::vector<int>{got[2], got[1], got[0], a}),
                  (std::vector<int>{w[0], w[1], w[2], alpha ? w[3] : 255}))
            << base << " pixel (" << x << ", " << y << ")";
      }
    }
    ++files;
  }
  EXPECT_GE(files, 36);
}

// A chunk's type and data given anew, its CRC made to fit.
void Rewrite(Bytes& file, std::size_t chunkStart, const Bytes& data) {
  std::copy(data.begin(), data.end(), file.begin() + static_cast<long>(chunkStart + 8));
  const std::size_t length = data.size();
  const uLong crc = crc32(0, file.data() + chunkStart + 4, static_cast<uInt>(length + 4));
  for (int i = 0; i < 4; ++i) {
    file[chunkStart + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  }
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t type) {
  Bytes b;
  for (const std::uint32_t v : {width, height}) {
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  b.insert(b.end(), {depth, type, 0, 0, 0});
  return b;
}

struct Damage {
  const char* name;
  std::function<void(Bytes&)> apply;
  const char* says;  // part of the message
};

class DamagedPng : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedPng, IsRefusedWithAJapaneseReason) {
  Bytes file = FileBytes(kFolder + "rgba8.png");
  GetParam().apply(file);
  const std::string message = testing::ErrorOf([&] { DecodePng(file); }).message;
  EXPECT_NE(message.find(GetParam().says), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedPng,
    ::testing::Values(
        Damage{"NoSignature", [](Bytes& f) { f[1] = 'Q'; }, "PNG ファイルではありません"},
        Damage{"CutInTheHeader", [](Bytes& f) { f.resize(20); }, "途中で終わっています"},
        Damage{"CutInThePixels", [](Bytes& f) { f.resize(f.size() - 40); }, "途中で終わっています"},
        Damage{"PixelDataFlipped", [](Bytes& f) { f[f.size() - 30] ^= 0x55; },
               "ファイルが壊れています"},
        Damage{"WiderThanAnyLogo", [](Bytes& f) { Rewrite(f, 8, Ihdr(16385, 7, 8, 6)); },
               "画像が大きすぎます (16385×7)"},
        Damage{"MorePixelsThanAnyLogo", [](Bytes& f) { Rewrite(f, 8, Ihdr(16384, 4097, 8, 6)); },
               "画像が大きすぎます"},
        Damage{"NoWidth", [](Bytes& f) { Rewrite(f, 8, Ihdr(0, 7, 8, 6)); }, "0 です"},
        Damage{"DepthTheTypeLacks", [](Bytes& f) { Rewrite(f, 8, Ihdr(13, 7, 4, 6)); },
               "ファイルが壊れています"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PngFiles, WhatIsNoPlainFileIsRefusedWithTheSystemsReason) {
  const testing::TempFolder folder;
  const std::string pipe = folder.Path("pipe.png");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {folder.Root().string(), pipe, folder.Path("no_such_logo.png")}) {
    EXPECT_NE(testing::ErrorOf([&] { ReadPngFile(path); }).code, 0) << path;
  }
}

}  // namespace
}  // namespace rumora
