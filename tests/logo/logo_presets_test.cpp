#include "logo/logo_presets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "logo/bmp_reader.h"

namespace rumora {
namespace {

// The preset indices are exactly the logos shipped in the logo folder, each a picture the logo
// reader takes; the index before them is the file dialog's, and no index is both.
TEST(LogoPresets, AreExactlyTheShippedLogos) {
  const std::string root = std::string(RUMORA_TEST_DATA) + "/../../";
  EXPECT_TRUE(std::filesystem::is_directory(root + kLogoFolder));
  for (int n = -1; n <= 5; ++n) {
    const std::string file = root + PresetLogoFile(n);
    EXPECT_EQ(LogoSource::IsPreset(n), std::filesystem::exists(file)) << file;
    if (LogoSource::IsPreset(n)) {
      EXPECT_GT(ReadBmpFile(file).Width(), 0) << file;
    }
    EXPECT_FALSE(LogoSource::IsFile(n) && LogoSource::IsPreset(n)) << n;
  }
  EXPECT_TRUE(LogoSource::IsFile(LogoSource::kFirstPreset - 1));
}

TEST(LogoPresets, WeightIsClampedToTheBarsRange) {
  const std::pair<std::int32_t, double> cases[] = {{0, 0.0},         {1, 0.01},       {50, 0.5},
                                                   {100, 1.0},       {101, 1.0},      {-5, 0.0},
                                                   {INT32_MIN, 0.0}, {INT32_MAX, 1.0}};
  for (const auto& [position, weight] : cases) {
    EXPECT_EQ(LogoWeight(position), weight) << "position " << position;
  }
}

TEST(LogoPresets, RecordingFillsOnlyItsSlot) {
  SettingsRecord record;
  record.Bytes().fill(0x5A);
  const SettingsRecord::Image before = record.Bytes();
  RecordLogoSlot(record, 2, -7, 300, 37);
  EXPECT_EQ(record.GetLogoSlot(2), (LogoSlot{-7, 300, 37}));
  for (std::size_t i = 0; i < SettingsRecord::kSize; ++i) {
    if (i >= 16 && i < 28) continue;  // slot 2
    ASSERT_EQ(record.Bytes()[i], before[i]) << "byte " << i;
  }
  EXPECT_EQ(record.Bytes()[16], 0xF9);  // -7, little-endian
  EXPECT_EQ(record.Bytes()[20], 300 & 0xFF);
  EXPECT_EQ(record.Bytes()[24], 37);
}

}  // namespace
}  // namespace rumora
