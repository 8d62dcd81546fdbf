#include "batch/listing_geometry.h"

#include <algorithm>

namespace rumora {
namespace {

// numerator / denominator (both above 0) rounded to the nearest integer, halves to even.
std::int64_t RoundedQuotient(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  const std::int64_t twice = 2 * (numerator % denominator);
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

}  // namespace

ListingPlacement PlaceInListing(std::int64_t photoWidth, std::int64_t photoHeight, int pictureWidth,
                                int pictureHeight, ListingFit fit) {
  const std::int64_t W = photoWidth, H = photoHeight, P = pictureWidth, Q = pictureHeight;
  ListingPlacement placement;
  if (fit == ListingFit::kFill) {
    // At least one pixel, for a photo a pixel or two across.
    placement.blockWidth = std::max<std::int64_t>(1, std::min(W, H * P / Q));
    placement.blockHeight = std::max<std::int64_t>(1, std::min(H, W * Q / P));
    placement.blockLeft = (W - placement.blockWidth) / 2;
    placement.blockTop = (H - placement.blockHeight) / 2;
    placement.width = pictureWidth;
    placement.height = pictureHeight;
    return placement;
  }
  placement.blockWidth = W;
  placement.blockHeight = H;
  // Photo sides are below 2^31 and picture sides small: the products fit in 64 bits.
  if (W * Q >= H * P) {
    placement.width = pictureWidth;
    placement.height = static_cast<int>(std::max<std::int64_t>(1, RoundedQuotient(H * P, W)));
  } else {
    placement.height = pictureHeight;
    placement.width = static_cast<int>(std::max<std::int64_t>(1, RoundedQuotient(W * Q, H)));
  }
  placement.left = (pictureWidth - placement.width) / 2;
  placement.top = (pictureHeight - placement.height) / 2;
  return placement;
}

}  // namespace rumora
