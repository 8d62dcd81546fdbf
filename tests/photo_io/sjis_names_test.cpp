#include "photo_io/sjis_names.h"

#include <gtest/gtest.h>

namespace rumora {
namespace {

// "表" (0x95 0x5C) and "ソ" (0x83 0x5C) end in the backslash byte; "ｱ" (0xB1) is a single-byte
// katakana and must not be taken for a lead byte.
#define HYOU "\x95\x5C"
#define SO "\x83\x5C"
#define HALF_A "\xB1"

struct NameRow {
  const char* label;
  std::string name;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const NameRow& row) { return out << row.label; }
std::string RowLabel(const ::testing::TestParamInfo<NameRow>& info) { return info.param.label; }

class FolderPartTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(FolderPartTest, IsUpToTheLastRealSeparator) {
  EXPECT_EQ(FolderPart(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FolderPartTest,
    ::testing::Values(NameRow{"WindowsPath", "C:\\photos\\a.jpg", "C:\\photos\\"},
                      NameRow{"NoSeparator", "a.jpg", ""}, NameRow{"DriveOnly", "C:a.jpg", "C:"},
                      NameRow{"PosixPath", "/home/u/a.jpg", "/home/u/"},
                      NameRow{"TrailingSeparator", "C:\\photos\\", "C:\\photos\\"},
                      NameRow{"SecondByteIsBackslash", "C:\\" HYOU "\\" SO ".jpg",
                              "C:\\" HYOU "\\"},
                      NameRow{"OnlySecondByteBackslash", HYOU "x.jpg", ""},
                      NameRow{"FolderEndsInDoubleByte", "d\\" HYOU, "d\\"},
                      NameRow{"HalfWidthKatakanaIsSingleByte", HALF_A "\\a.jpg", HALF_A "\\"},
                      NameRow{"LoneLeadByteAtEnd", "d\\\x81", "d\\"},
                      NameRow{"HighLeadByteRange", "\xE0\\\\x", "\xE0\\\\"}),
    RowLabel);

class ForceJpgExtensionTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(ForceJpgExtensionTest, EndsInDotJpg) {
  EXPECT_EQ(ForceJpgExtension(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ForceJpgExtensionTest,
    ::testing::Values(
        NameRow{"NoExtension", "photo", "photo.jpg"}, NameRow{"Jpeg", "photo.jpeg", "photo.jpg"},
        NameRow{"UpperCaseJpg", "photo.JPG", "photo.jpg"},
        NameRow{"LastDotOnly", "shot.2024.png", "shot.2024.jpg"},
        NameRow{"DotOnlyInFolder", "C:\\my.dir\\photo", "C:\\my.dir\\photo.jpg"},
        NameRow{"DotOnlyInPosixFolder", "/home/u/my.dir/photo", "/home/u/my.dir/photo.jpg"},
        NameRow{"DotOnlyBeforeColon", "a.b:photo", "a.b:photo.jpg"},
        NameRow{"DoubleByteBeforeDot", HYOU ".png", HYOU ".jpg"},
        NameRow{"BackslashByteAfterDot", "a.b" HYOU, "a.jpg"},
        NameRow{"DoubleByteFolderAfterDot", "C:\\my.dir\\" HYOU, "C:\\my.dir\\" HYOU ".jpg"},
        NameRow{"TrailingDot", "photo.", "photo.jpg"},
        NameRow{"TrailingSeparator", "C:\\x.y\\", "C:\\x.y\\.jpg"}),
    RowLabel);

// In UTF-8 a byte of a multi-byte character can look like a Shift-JIS lead byte ("写" is E5 86
// 99, and 0x99 would swallow the dot after it), so UTF-8 names are walked byte by byte.
TEST(ForceJpgExtension, Utf8NamesKeepTheSameRule) {
  EXPECT_EQ(ForceJpgExtension("/u/写.png", NameEncoding::kUtf8), "/u/写.jpg");
  EXPECT_EQ(ForceJpgExtension("/u/写.d/😀", NameEncoding::kUtf8), "/u/写.d/😀.jpg");
  EXPECT_EQ(ForceJpgExtension("😀.JPG", NameEncoding::kUtf8), "😀.jpg");
}

TEST(CutToFolderCapacity, CountsBytesAndMaySplitACharacter) {
  EXPECT_EQ(CutToFolderCapacity(std::string(127, 'a')), std::string(127, 'a'));
  EXPECT_EQ(CutToFolderCapacity(std::string(200, 'a')), std::string(128, 'a'));
  const std::string split = std::string(127, 'a') + HYOU;
  EXPECT_EQ(CutToFolderCapacity(split), std::string(127, 'a') + "\x95");
}

TEST(Cp932, ConvertsBothWays) {
  const std::string title = "\x83\x8B\x83\x82\x83\x89";  // ルモラ
  EXPECT_EQ(Utf8ToCp932("ルモラ"), title);
  EXPECT_EQ(Cp932ToUtf8(title), "ルモラ");
  EXPECT_EQ(Utf8ToCp932("表.jpg"), HYOU ".jpg");
  // Characters only code page 932 has, not plain Shift-JIS.
  EXPECT_EQ(Utf8ToCp932("①～"), "\x87\x40\x81\x60");
  EXPECT_EQ(Cp932ToUtf8("\x87\x40\x81\x60"), "①～");
  const std::string long_text(5000, 'x');
  EXPECT_EQ(Utf8ToCp932(long_text), long_text);
}

TEST(Cp932, CharactersWithoutAFormGiveNothing) {
  EXPECT_EQ(Utf8ToCp932("photo😀.jpg"), std::nullopt);
  // Characters that would come back as a look-alike have no form either: a name must not change.
  EXPECT_EQ(Utf8ToCp932("out〜/listing"), std::nullopt);
  EXPECT_EQ(Utf8ToCp932("price¥100"), std::nullopt);
  EXPECT_EQ(Cp932ToUtf8("d\\\x81"), std::nullopt);  // a lead byte with no second byte
}

}  // namespace
}  // namespace rumora
