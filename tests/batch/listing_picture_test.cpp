#include "batch/listing_picture.h"

#include <gtest/gtest.h>

#include "batch/listing_geometry.h"
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

// The picture against the trim's filter of the block written out by hand: for whole, the scaled
// photo at its place on white; for fill, nearest pixel by the stretch's own rule.
TEST(ListingPicture, IsTheBlockScaledOntoWhite) {
  const Bitmap photo = testing::RandomPhoto(90, 60, 3);
  const Bitmap whole = MakeListingPicture(photo, 600, 450, ListingFit::kWhole, Scaling::kSmooth);
  Bitmap scaled(600, 400);
  PlanSmoothScale(photo, 0, 0, 90, 60, 600, 400, 600, 400).MakeRows(photo, scaled, 0, 400);
  for (const int y : {0, 24, 425, 449}) EXPECT_EQ(whole.Pixel(300, y), clWhite) << y;
  for (const int y : {25, 200, 424}) {
    for (const int x : {0, 123, 599}) EXPECT_EQ(whole.Pixel(x, y), scaled.Pixel(x, y - 25));
  }
  const Bitmap fill =
      MakeListingPicture(photo, 600, 450, ListingFit::kFill, Scaling::kNearestPixel);
  // The block is 80x60 at (5, 0); target x takes block column (2x + 1) * 80 / 1200.
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {599, 449}, {300, 225}}) {
    EXPECT_EQ(fill.Pixel(x, y), photo.Pixel(5 + (2 * x + 1) * 80 / 1200, (2 * y + 1) * 60 / 900));
  }
}

}  // namespace
}  // namespace rumora
