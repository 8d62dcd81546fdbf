#pragma once

#include "batch/listing_geometry.h"
#include "imaging/bitmap.h"
#include "imaging/smooth_scale.h"

namespace rumora {

// The listing picture of `photo` (not empty): a white pictureWidth x pictureHeight picture with
// the placement's block of the photo (PlaceInListing) scaled onto its rectangle, by the trim's
// smooth filter (SmoothAxis over the block) or by nearest pixel (the trim's stretch: target
// pixel d takes block pixel StretchSourceIndex(d, block size, target size)). Throws Error when
// the picture cannot be made.
Bitmap MakeListingPicture(const Bitmap& photo, int pictureWidth, int pictureHeight, ListingFit fit,
                          Scaling scaling);

}  // namespace rumora
