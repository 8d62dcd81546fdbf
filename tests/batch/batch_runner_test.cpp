#include <gtest/gtest.h>

#include "batch/listing_picture.h"
#include "imaging/boost_contrast.h"
#include "imaging/shift_brightness.h"
#include "logo/blend_logo.h"
#include "logo/bmp_reader.h"
#include "photo_io/jpeg_reader.h"
#include "tests/batch/batch_fixture.h"

namespace rumora {
namespace {

using testing::BatchFixture;
using testing::FileBytes;

// The pictures are the listing pictures of the photos with their tone steps, the preset logo
// stamped as the window stamps it.
TEST(Batch, PicturesAreTheListingPicturesWithTheLogo) {
  BatchFixture f;
  BatchJob job;
  job.photos = {f.Photo("landscape.jpg", 120, 80), f.Photo("portrait.jpg", 60, 80)};
  job.logo = ReadBatchLogo(testing::PresetLogoPath(), testing::kTestSlot, OutputSize::k600x450);
  const Bitmap logo = ReadBmpFile(testing::PresetLogoPath());
  for (const bool fill : {false, true}) {
    job.recipe.fit = fill ? ListingFit::kFill : ListingFit::kWhole;
    job.recipe.contrast = job.recipe.darken = fill;
    job.options.scaling = fill ? Scaling::kNearestPixel : Scaling::kSmooth;
    const auto results = f.Run(job, f.folder.Path(fill ? "fill" : "whole"));
    ASSERT_EQ(results.size(), job.photos.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
      Bitmap photo = DecodeJpeg(FileBytes(job.photos[i]));
      if (fill) {
        NoProgress none;
        BoostContrast(photo, 0.3, none, [] {});
        ShiftBrightness(photo, BrightnessDirection::kDarken, none, [] {});
      }
      Bitmap picture = MakeListingPicture(photo, 600, 450, job.recipe.fit, job.options.scaling);
      BlendLogo(picture, logo, testing::kTestSlot.Left, testing::kTestSlot.Top, 0.6);
      EXPECT_EQ(FileBytes(results[i].written), EncodeJpeg(picture))
          << job.photos[i] << (fill ? " fill" : " whole");
    }
  }
}

TEST(Batch, GoesOnPastAFailureAndNeverReplacesAFile) {
  BatchFixture f;
  BatchJob job;
  job.photos = {f.Photo("a.jpg", 40, 30), f.folder.Path("broken.jpg"), f.Photo("b.jpg", 30, 40),
                f.Photo("b.jpeg", 50, 50)};
  testing::WriteBytes(job.photos[1], {0xFF, 0xD8, 0xFF, 0xE0, 0x00});
  const std::string out = f.folder.Path("out");
  std::filesystem::create_directories(out);
  testing::WriteBytes(out + "/b_listing.jpg", {'k', 'e', 'e', 'p'});
  const auto results = f.Run(job, out);
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(f.told, (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_EQ(results[0].written, out + "/a_listing.jpg");
  EXPECT_FALSE(results[1].Made());
  EXPECT_NE(results[1].failure.find("JPEG"), std::string::npos) << results[1].failure;
  EXPECT_EQ(results[1].failureInEnglish,
            "the photo is damaged, too large or of a kind that does not open");
  EXPECT_EQ(results[2].written, out + "/b_listing-2.jpg");
  EXPECT_EQ(results[3].written, out + "/b_listing-3.jpg");
  EXPECT_EQ(FileBytes(out + "/b_listing.jpg"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));

  // One thread gives the same files, byte for byte.
  const auto alone = f.Run(job, f.folder.Path("alone"), 1);
  for (const std::size_t i : {0u, 2u, 3u}) {
    EXPECT_EQ(FileBytes(alone[i].written), FileBytes(results[i].written)) << i;
  }
}

TEST(Batch, StopsAfterThePhotoUnderWay) {
  BatchFixture f;
  BatchJob job;
  job.photos = {f.Photo("1.jpg", 20, 20), f.Photo("2.jpg", 20, 20), f.Photo("3.jpg", 20, 20)};
  f.cancelAfter = 1;
  EXPECT_EQ(f.Run(job, f.folder.Path("out"), 1).size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(f.folder.Path("out/2_listing.jpg")));
}

}  // namespace
}  // namespace rumora
