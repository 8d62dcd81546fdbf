#include "batch/listing_picture.h"

#include <cstring>
#include <vector>

#include "imaging/stretch_index.h"

namespace rumora {
namespace {

// The block stretched over a width x height target by nearest pixel.
Bitmap StretchBlock(const Bitmap& photo, const ListingPlacement& at) {
  Bitmap scaled(at.width, at.height);
  std::vector<std::size_t> columns(static_cast<std::size_t>(at.width));
  for (int x = 0; x < at.width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<std::size_t>(at.blockLeft + StretchSourceIndex(x, at.blockWidth, at.width)) * 3;
  }
  for (int y = 0; y < at.height; ++y) {
    const std::uint8_t* in =
        photo.Row(static_cast<int>(at.blockTop + StretchSourceIndex(y, at.blockHeight, at.height)));
    std::uint8_t* out = scaled.Row(y);
    for (const std::size_t column : columns) {
      std::memcpy(out, in + column, 3);
      out += 3;
    }
  }
  return scaled;
}

// The scaled block on white at its place in the picture.
Bitmap OnWhite(Bitmap scaled, const ListingPlacement& at, int pictureWidth, int pictureHeight) {
  if (at.width == pictureWidth && at.height == pictureHeight) return scaled;
  Bitmap picture = Bitmap::Filled(pictureWidth, pictureHeight, clWhite);
  for (int y = 0; y < at.height; ++y) {
    std::memcpy(picture.Row(at.top + y) + static_cast<std::size_t>(at.left) * 3, scaled.Row(y),
                scaled.Stride());
  }
  return picture;
}

SmoothScale PlanBlock(const ListingPlacement& at, int photoWidth, int photoHeight) {
  return SmoothScale(SmoothAxis(at.blockLeft, at.blockWidth, at.width, at.width, photoWidth),
                     SmoothAxis(at.blockTop, at.blockHeight, at.height, at.height, photoHeight));
}

}  // namespace

Bitmap MakeListingPicture(const Bitmap& photo, int pictureWidth, int pictureHeight, ListingFit fit,
                          Scaling scaling) {
  const ListingPlacement at =
      PlaceInListing(photo.Width(), photo.Height(), pictureWidth, pictureHeight, fit);
  Bitmap scaled;
  if (scaling == Scaling::kSmooth) {
    scaled = Bitmap(at.width, at.height);
    PlanBlock(at, photo.Width(), photo.Height()).MakeRows(photo, scaled, 0, at.height);
  } else {
    scaled = StretchBlock(photo, at);
  }
  return OnWhite(std::move(scaled), at, pictureWidth, pictureHeight);
}

}  // namespace rumora
