#include "photo_io/photo_reader.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include "imaging/colour_conversion.h"
#include "imaging/error.h"
#include "imaging/upright_turn.h"
#include "photo_io/colour_profile.h"
#include "photo_io/heif_reader.h"
#include "photo_io/jpeg_reader.h"
#include "tests/photo_io/colour_profiles.h"
#include "tests/photo_io/exif_segment.h"
#include "tests/photo_io/heif_files.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

TEST(PhotoFileNames, MatchThePatternsInAnyCase) {
  const struct {
    const char* name;
    bool photo;
  } kNames[] = {{"a.jpg", true},      {"/x/B.JPG", true}, {"c.JpEg", true}, {"d.jpe", true},
                {"e.JFIF", true},     {"f.heic", true},   {"G.HEIF", true}, {"h.Hif", true},
                {"f.jpg.bmp", false}, {"jpg", false},     {".jpgx", false}, {"g.png", false},
                {"/x.jpg/h", false},  {"i.avif", false}};
  for (const auto& [name, photo] : kNames) EXPECT_EQ(IsPhotoFileName(name), photo) << name;
}

// The reader turns the decoded photo upright only when asked, and says beforehand whether it will.
TEST(PhotoReader, TurnsUprightAsTheOptionSays) {
  testing::TempFolder folder;
  const std::string path = folder.Path("turned.jpg");
  testing::WriteBytes(path,
                      testing::WithApp1(testing::FileBytes(testing::TestPhoto("testorig.jpg")),
                                        testing::ExifSegment(6, false)));
  const Bitmap stored = DecodeJpeg(testing::FileBytes(path));
  Bitmap upright = stored;
  NoProgress progress;
  TurnUpright(upright, 6, progress);
  for (const bool follow : {false, true}) {
    PhotoReader reader(PhotoReadOptions{.followOrientation = follow});
    reader.Open(path);
    EXPECT_EQ(reader.Width(), stored.Width());
    EXPECT_EQ(reader.TurnsAfterDecoding(), follow);
    PhotoReadNotes notes{.lostData = true};
    EXPECT_EQ(testing::PixelDifference(reader.Decode(nullptr, &notes), follow ? upright : stored),
              "");
    EXPECT_FALSE(notes.lostData);
    EXPECT_THROW(reader.Decode(), Error);
    EXPECT_EQ(testing::PixelDifference(ReadPhotoFile(path, {.followOrientation = follow}),
                                       follow ? upright : stored),
              "");
  }
}

enum class Colours { kAsStored, kConverted, kUnusable };
// A JPEG carrying the profile, a HEIC carrying it, or a HEIC with its primaries coded instead.
enum class File { kJpeg, kHeic, kHeicCoded };

// A photo's colour profile and what opening it with colours matched makes of the pixels.
struct TaggedCase {
  std::string name;
  std::vector<std::uint8_t> profile;
  Colours expected;
  File file = File::kJpeg;
  bool grey = false;
};

std::vector<TaggedCase> TaggedCases() {
  const double gamma22[] = {2.2};
  std::vector<std::uint8_t> cut = testing::DisplayP3Profile();
  cut.resize(cut.size() / 2);
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  const std::vector<std::uint8_t> greyProfile =
      testing::SavedProfile(cmsCreateGrayProfile(cmsD50_xyY(), gamma));
  cmsFreeToneCurve(gamma);
  std::vector<std::uint8_t> unknownSpace = testing::DisplayP3Profile();
  const std::uint8_t space[] = {0xAD, 0xB8, 0x00, 0x20};  // beyond every signature
  std::copy_n(space, 4, unknownSpace.begin() + 16);
  return {
      {"Untagged", {}, Colours::kAsStored},
      {"Srgb", testing::SavedProfile(cmsCreate_sRGBProfile()), Colours::kAsStored},
      {"SrgbByAnotherMaker", testing::RgbProfile(testing::kSrgb, 4, testing::kSrgbCurve, true),
       Colours::kAsStored},
      {"DisplayP3", testing::DisplayP3Profile(), Colours::kConverted},
      {"AdobeRgb", testing::AdobeRgbProfile(), Colours::kConverted},
      {"SrgbPrimariesGamma22", testing::RgbProfile(testing::kSrgb, 1, gamma22),
       Colours::kConverted},
      {"Damaged", std::vector<std::uint8_t>(600, 0x5A), Colours::kUnusable},
      {"CutShort", cut, Colours::kUnusable},
      {"UnknownColourSpace", unknownSpace, Colours::kUnusable},
      {"GreyOnColour", greyProfile, Colours::kUnusable},
      {"GreyOnGrey", greyProfile, Colours::kConverted, File::kJpeg, true},
      {"HeicUntagged", {}, Colours::kAsStored, File::kHeic},
      {"HeicDisplayP3", testing::DisplayP3Profile(), Colours::kConverted, File::kHeic},
      {"HeicCodedDisplayP3", testing::DisplayP3Profile(), Colours::kConverted, File::kHeicCoded},
  };
}

class TaggedPhotoTest : public ::testing::TestWithParam<TaggedCase> {};

// Converted as the profile (or a HEIC's coded primaries) asks, the same bytes with the option off
// or nothing to convert, and the damaged profiles noted.
TEST_P(TaggedPhotoTest, OpensInSrgb) {
  const TaggedCase& c = GetParam();
  testing::TempFolder folder;
  const std::string path = folder.Path("tagged");
  const Bitmap source = testing::NoisyGradient(160, 120);
  Bitmap stored;
  if (c.file == File::kJpeg) {
    testing::WriteBytes(path,
                        testing::EncodeWithLibrary(source, {.grey = c.grey, .profile = c.profile}));
    stored = DecodeJpeg(testing::FileBytes(path));
  } else {
    const bool coded = c.file == File::kHeicCoded;
    testing::WriteBytes(
        path,
        testing::EncodeHeic(source, {.profile = coded ? std::vector<std::uint8_t>{} : c.profile,
                                     .nclxPrimaries = coded ? 12 : 0}));
    HeifDecoder decoder;
    decoder.Open(path, true);
    stored = decoder.Decode();
  }
  Bitmap expected = stored;
  if (c.expected == Colours::kConverted) {
    const SrgbConversionPlan plan = PlanSrgbConversion(c.profile, c.grey);
    ASSERT_NE(plan.conversion, nullptr);
    ConvertRows(expected, *plan.conversion, 0, expected.Height());
    ASSERT_NE(testing::PixelDifference(expected, stored), "") << "the conversion changes colours";
  }
  // Coded primaries make their own matrix, not quite the profile's stored one.
  const int tolerance = c.file == File::kHeicCoded ? 1 : 0;
  PhotoReadNotes notes;
  EXPECT_EQ(testing::PixelDifference(ReadPhotoFile(path, {}, &notes), expected, tolerance), "");
  EXPECT_EQ(notes.colourProfileUnusable, c.expected == Colours::kUnusable);
  EXPECT_EQ(testing::PixelDifference(ReadPhotoFile(path, {.matchColours = false}, &notes), stored),
            "");
  EXPECT_FALSE(notes.colourProfileUnusable);
}

INSTANTIATE_TEST_SUITE_P(Profiles, TaggedPhotoTest, ::testing::ValuesIn(TaggedCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace rumora
