#include "batch/listing_picture.h"

#include <gtest/gtest.h>

#include "batch/listing_geometry.h"
#include "imaging/stretch_index.h"
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

TEST(ListingGeometry, PlacesTheWholePhotoOrTheCentredBlock) {
  struct Case {
    int width, height, pictureWidth;
    ListingFit fit;
    ListingPlacement expected;
  };
  const ListingFit whole = ListingFit::kWhole, fill = ListingFit::kFill;
  for (const Case& c : std::vector<Case>{
           {6000, 4000, 600, whole, {0, 0, 6000, 4000, 0, 25, 600, 400}},
           {3000, 4000, 600, whole, {0, 0, 3000, 4000, 131, 0, 338, 450}},  // 337.5 to even
           {1000, 1000, 600, whole, {0, 0, 1000, 1000, 75, 0, 450, 450}},
           {800, 600, 600, whole, {0, 0, 800, 600, 0, 0, 600, 450}},
           {1200, 1, 600, whole, {0, 0, 1200, 1, 0, 224, 600, 1}},  // 0.5 to even: kept at 1
           {6000, 4000, 1200, whole, {0, 0, 6000, 4000, 0, 50, 1200, 800}},
           {6000, 4000, 600, fill, {333, 0, 5333, 4000, 0, 0, 600, 450}},
           {3000, 4000, 600, fill, {0, 875, 3000, 2250, 0, 0, 600, 450}},
           {1000, 1000, 1200, fill, {0, 125, 1000, 750, 0, 0, 1200, 900}},
           {1, 1, 600, fill, {0, 0, 1, 1, 0, 0, 600, 450}}}) {
    EXPECT_EQ(PlaceInListing(c.width, c.height, c.pictureWidth, c.pictureWidth * 3 / 4, c.fit),
              c.expected)
        << c.width << "x" << c.height << " into " << c.pictureWidth;
  }
}

// The picture by the rule: the placed block scaled by the trim's filter, or stretched by nearest
// pixel, at its place on white.
TEST(ListingPicture, IsTheBlockScaledOntoWhite) {
  for (const auto& [width, height] : {std::pair{120, 80}, {60, 80}, {70, 70}}) {
    const Bitmap photo = testing::RandomPhoto(width, height, 3);
    for (const Scaling scaling : {Scaling::kSmooth, Scaling::kNearestPixel}) {
      const ListingFit fit = scaling == Scaling::kSmooth ? ListingFit::kWhole : ListingFit::kFill;
      const ListingPlacement at = PlaceInListing(width, height, 600, 450, fit);
      Bitmap scaled(at.width, at.height);
      if (scaling == Scaling::kSmooth) {
        PlanSmoothScale(photo, at.blockLeft, at.blockTop, at.blockWidth, at.blockHeight, at.width,
                        at.height, at.width, at.height)
            .MakeRows(photo, scaled, 0, at.height);
      }
      Bitmap expected = Bitmap::Filled(600, 450, clWhite);
      for (int y = 0; y < at.height; ++y) {
        for (int x = 0; x < at.width; ++x) {
          const auto sx = at.blockLeft + StretchSourceIndex(x, at.blockWidth, at.width);
          const auto sy = at.blockTop + StretchSourceIndex(y, at.blockHeight, at.height);
          expected.SetPixel(
              at.left + x, at.top + y,
              scaling == Scaling::kSmooth ? scaled.Pixel(x, y) : photo.Pixel(int(sx), int(sy)));
        }
      }
      EXPECT_EQ(
          testing::PixelDifference(MakeListingPicture(photo, 600, 450, fit, scaling), expected), "")
          << width << "x" << height << (fit == ListingFit::kFill ? " fill" : " whole");
    }
  }
}

}  // namespace
}  // namespace rumora
