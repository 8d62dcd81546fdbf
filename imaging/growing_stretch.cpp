#include "imaging/growing_stretch.h"

#include <algorithm>
#include <cstring>

namespace rumora {

GrowingSmoothStretch::GrowingSmoothStretch(int photoWidth, int photoHeight, int controlWidth,
                                           int controlHeight, int pictureWidth, int pictureHeight)
    : photoWidth_(photoWidth),
      photoHeight_(photoHeight),
      scale_(
          SmoothAxis(0, photoWidth, controlWidth, std::min(controlWidth, pictureWidth), photoWidth),
          SmoothAxis(0, photoHeight, controlHeight, std::min(controlHeight, pictureHeight),
                     photoHeight)),
      made_(scale_.Columns().TargetEnd(), scale_.Rows().TargetEnd()) {}

void GrowingSmoothStretch::RowsArrived(const Bitmap& photo, int rows) noexcept {
  if (failed_ || photo.Width() != photoWidth_ || photo.Height() != photoHeight_) return;
  int end = rowsMade_;
  while (end < made_.Height() && scale_.SourceRowsNeeded(end) <= rows) ++end;
  try {
    scale_.MakeRows(photo, made_, rowsMade_, end);
    rowsMade_ = end;
  } catch (...) {
    failed_ = true;
  }
}

bool GrowingSmoothStretch::CompleteFor(const Bitmap& photo) const {
  return !failed_ && rowsMade_ == made_.Height() && photo.Width() == photoWidth_ &&
         photo.Height() == photoHeight_;
}

void GrowingSmoothStretch::DrawInto(ImageView& view) const {
  Bitmap& picture = view.Picture();
  const int columns = std::min(made_.Width(), picture.Width());
  for (int y = 0; y < std::min(rowsMade_, picture.Height()); ++y) {
    std::memcpy(picture.Row(y), made_.Row(y), static_cast<std::size_t>(columns) * 3);
  }
}

}  // namespace rumora
