#include "logo/png_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "logo/logo_picture.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kFolder = std::string(RUMORA_TEST_DATA) + "/png/";

// Every kind of PNG against what tests/data/png's script wrote (and Pillow read) beside it.
TEST(PngFiles, MatchTheSamplesTheyWereWrittenFrom) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
    if (entry.path().extension() != ".png") continue;
    const std::string base = kFolder + entry.path().stem().string();
    const bool alpha = std::filesystem::exists(base + ".rgba");
    const LogoImage image = ReadLogoImage(entry.path().string());
    ASSERT_EQ(image.HasAlpha(), alpha) << base;
    Bytes got;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        const std::uint8_t* p = image.colour.Row(y) + 3 * x;
        got.insert(got.end(), {p[2], p[1], p[0]});
        if (alpha) got.push_back(image.AlphaRow(y)[x]);
      }
    }
    ASSERT_EQ(got, testing::FileBytes(base + (alpha ? ".rgba" : ".rgb"))) << base;
    ++files;
  }
  EXPECT_GE(files, 36);
}

// Damaged and hostile files, derived from a good one, are refused with a Japanese reason.
TEST(PngFiles, DamagedOrHostileFilesAreRefused) {
  const auto header = [](std::uint32_t width, std::uint32_t height) {
    return [=](Bytes& f) {
      for (int i = 0; i < 4; ++i) {
        f[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        f[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
      }
      const uLong crc = crc32(0, f.data() + 12, 17);  // the IHDR chunk's type and data
      for (int i = 0; i < 4; ++i) f[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    };
  };
  const std::pair<std::function<void(Bytes&)>, const char*> damages[] = {
      {[](Bytes& f) { f[1] = 'Q'; }, "PNG ファイルではありません"},
      {[](Bytes& f) { f.resize(f.size() - 40); }, "途中で終わっています"},
      {[](Bytes& f) { f[f.size() - 30] ^= 0x55; }, "ファイルが壊れています"},
      {header(16385, 7), "画像が大きすぎます (16385×7)"},
      {header(16384, 4097), "画像が大きすぎます"},
      {header(0, 7), "幅か高さが 0 です"}};
  for (const auto& [damage, says] : damages) {
    Bytes file = testing::FileBytes(kFolder + "rgba8.png");
    damage(file);
    const std::string message = testing::ErrorOf([&] { DecodePng(file); }).message;
    EXPECT_NE(message.find(says), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace rumora
