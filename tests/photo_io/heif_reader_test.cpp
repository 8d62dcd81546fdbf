#include "photo_io/heif_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "imaging/error.h"
#include "imaging/upright_turn.h"
#include "tests/photo_io/heif_files.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using testing::HeicRecipe;

// One HEIC file made here: its recipe, the picture the decoder should give (as Exif numbers the
// turn, laid over white) and how far the codec may stray from it.
struct HeicCase {
  std::string name;
  HeicRecipe recipe;
  int tolerance = 6;
};

// Alpha falling from opaque at the left to clear at the right.
std::vector<std::uint8_t> AlphaRamp(int width, int height) {
  std::vector<std::uint8_t> alpha(std::size_t(width) * height);
  for (std::size_t i = 0; i < alpha.size(); ++i) {
    alpha[i] = static_cast<std::uint8_t>(255 - 255 * int(i % width) / (width - 1));
  }
  return alpha;
}

constexpr int kWidth = 101, kHeight = 75;  // odd: no axis can be mistaken for the other

const HeicCase kHeicCases[] = {
    {"Photo", {}},
    {"TurnedClockwise", {.orientation = 6}},
    {"Mirrored", {.orientation = 2}},
    {"TurnedAndMirrored", {.orientation = 7}},
    {"TenBits", {.bitDepth = 10}},
    {"Alpha", {.alpha = AlphaRamp(kWidth, kHeight)}},
    {"TenBitsWithAlpha", {.bitDepth = 10, .alpha = AlphaRamp(kWidth, kHeight)}},
    {"GridOfOneTile", {.chroma = "420"}, 12},
};

class HeicTest : public ::testing::TestWithParam<HeicCase> {};

// The encoder stores the picture as given and the turn beside it: the decoder gives the source
// laid over white, turned when asked.
Bitmap Expected(const Bitmap& source, const HeicRecipe& recipe, bool followOrientation) {
  Bitmap expected = source;
  if (!recipe.alpha.empty()) {
    for (int y = 0; y < expected.Height(); ++y) {
      std::uint8_t* p = expected.Row(y);
      for (int x = 0; x < expected.Width(); ++x) {
        const int a = recipe.alpha[std::size_t(y) * expected.Width() + x];
        for (int c = 0; c < 3; ++c, ++p)
          *p = static_cast<std::uint8_t>((*p * a + 255 * (255 - a) + 127) / 255);
      }
    }
  }
  NoProgress progress;
  if (followOrientation) TurnUpright(expected, recipe.orientation, progress);
  return expected;
}

TEST_P(HeicTest, DecodesWithinTheCodecsErrorAndTurnsExactly) {
  const Bitmap source = testing::PatternPhoto(kWidth, kHeight);
  const std::vector<std::uint8_t> file = testing::EncodeHeic(source, GetParam().recipe);
  ASSERT_EQ(HeifKindOf(file), HeifKind::kHevc);
  for (const bool follow : {true, false}) {
    HeifDecoder decoder;
    decoder.OpenMemory(file, follow);
    const Bitmap expected = Expected(source, GetParam().recipe, follow);
    if (follow) {
      EXPECT_EQ(decoder.Width(), expected.Width());
    }
    EXPECT_EQ(testing::PixelDifference(decoder.Decode(), expected, GetParam().tolerance), "")
        << (follow ? "turned" : "as stored");
    EXPECT_THROW(decoder.Decode(), Error);
  }
}

INSTANTIATE_TEST_SUITE_P(MadeHere, HeicTest, ::testing::ValuesIn(kHeicCases),
                         [](const auto& info) { return info.param.name; });

// Files that are not whole HEIF photos fail at Open or Decode with a message that names HEIF,
// or AVIF for an AVIF file.
TEST(HeicTest, DamagedFilesAreRefused) {
  const std::vector<std::uint8_t> good = testing::EncodeHeic(testing::PatternPhoto(64, 48));
  std::vector<std::uint8_t> cut = good;
  cut.resize(good.size() * 2 / 3);
  std::vector<std::uint8_t> avif = good;
  std::copy_n("avif", 4, avif.begin() + 8);
  std::copy_n("avif", 4, avif.begin() + 20);
  std::vector<std::uint8_t> noMeta = good;
  const auto meta = std::search(noMeta.begin(), noMeta.end(), "meta", "meta" + 4);
  std::copy_n("xxxx", 4, meta);
  std::vector<std::uint8_t> hugeSize = good;  // every ispe box claims 30000 x 30000
  for (auto at = hugeSize.begin();
       (at = std::search(at, hugeSize.end(), "ispe", "ispe" + 4)) != hugeSize.end(); ++at) {
    const std::uint8_t side[] = {0, 0, 0x75, 0x30};
    std::copy_n(side, 4, at + 8);
    std::copy_n(side, 4, at + 12);
  }
  // A grid of one 63 x 47 tile whose grid states a canvas of 16384 x 12288.
  std::vector<std::uint8_t> hugeGrid =
      testing::EncodeHeic(testing::PatternPhoto(63, 47), {.chroma = "420"});
  const auto grid = std::search(hugeGrid.begin(), hugeGrid.end(), "idat", "idat" + 4);
  ASSERT_NE(grid, hugeGrid.end());
  const std::uint8_t canvas[] = {0x40, 0, 0x30, 0};
  std::copy_n(canvas, 4, grid + 8);  // after version, flags, rows - 1 and columns - 1
  const struct {
    const char* name;
    const std::vector<std::uint8_t>& bytes;
    const char* named;
  } kFiles[] = {{"cut short", cut, "HEIF"},
                {"grid canvas beyond its size", hugeGrid, "大きすぎる"},
                {"AVIF", avif, "AVIF"},
                {"no meta box", noMeta, "HEIF"},
                {"huge size", hugeSize, "大きすぎます"},
                {"empty", {}, "HEIF"}};
  for (const auto& [name, bytes, named] : kFiles) {
    try {
      HeifDecoder decoder;
      decoder.OpenMemory(bytes, true);
      decoder.Decode();
      ADD_FAILURE() << name << " opened";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << name << ": " << e.what();
      EXPECT_TRUE(testing::ReadsInJapanese(e.what())) << e.what();
    }
  }
}

// Coded primaries the library does not know (H.273 leaves 99 unassigned) mean no conversion;
// the record it hands back with its refusal is freed (the leak checker watches this one).
TEST(HeicTest, UnknownCodedPrimariesAreLeftAsTheyAre) {
  std::vector<std::uint8_t> file =
      testing::EncodeHeic(testing::PatternPhoto(64, 48), {.nclxPrimaries = 12});
  const auto nclx = std::search(file.begin(), file.end(), "nclx", "nclx" + 4);
  ASSERT_NE(nclx, file.end());
  nclx[5] = 99;  // the primaries' low byte
  HeifDecoder decoder;
  decoder.OpenMemory(file, true);
  EXPECT_FALSE(decoder.Colours().has_value());
  EXPECT_EQ(decoder.Decode().Width(), 64);
}

TEST(HeicTest, BrandsTellTheKind) {
  const auto ftyp = [](const std::string& brands) {
    std::string box = std::string("\0\0\0", 3) + char(16 + brands.size() - 4) + "ftyp" +
                      brands.substr(0, 4) + std::string(4, '\0') + brands.substr(4);
    box += std::string(32, '\0');
    return std::vector<std::uint8_t>(box.begin(), box.end());
  };
  EXPECT_EQ(HeifKindOf(ftyp("heicmif1heic")), HeifKind::kHevc);
  EXPECT_EQ(HeifKindOf(ftyp("mif1mif1heix")), HeifKind::kHevc);
  EXPECT_EQ(HeifKindOf(ftyp("avifavifmif1miaf")), HeifKind::kAvif);
  EXPECT_EQ(HeifKindOf(ftyp("mif1mif1")), HeifKind::kOther);
  EXPECT_EQ(HeifKindOf(ftyp("isomisomavc1")), HeifKind::kNone);
  // A compatible brand beyond the box's own size does not count.
  std::vector<std::uint8_t> shortBox = ftyp("isomisomheic");
  shortBox[3] = 16;
  EXPECT_EQ(HeifKindOf(shortBox), HeifKind::kNone);
  EXPECT_EQ(HeifKindOf(std::vector<std::uint8_t>(8, 0)), HeifKind::kNone);
}

}  // namespace
}  // namespace rumora
