#pragma once

#include "imaging/bitmap.h"
#include "imaging/image_view.h"
#include "imaging/smooth_scale.h"

namespace rumora {

// The smooth stretch of a whole photo over a view (StretchToView with Scaling::kSmooth), made
// while the photo's rows arrive from the top, so that a decoder's rows are scaled while they are
// still in the cache. The result is the same as stretching the finished photo.
class GrowingSmoothStretch {
 public:
  // A photo of photoWidth x photoHeight over a view whose control is controlWidth x
  // controlHeight and whose picture is pictureWidth x pictureHeight; every size above 0.
  GrowingSmoothStretch(int photoWidth, int photoHeight, int controlWidth, int controlHeight,
                       int pictureWidth, int pictureHeight);

  // Rows [0, rows) of `photo` (of the planned size) are final: makes every view row they
  // complete. Never throws; a failure leaves the stretch incomplete.
  void RowsArrived(const Bitmap& photo, int rows) noexcept;
  // Whether every view row is made and the stretch was planned for a photo of this size.
  bool CompleteFor(const Bitmap& photo) const;
  // Draws the made rows into the view's picture, as StretchToView would.
  void DrawInto(ImageView& view) const;

 private:
  int photoWidth_, photoHeight_;
  SmoothScale scale_;
  Bitmap made_;
  int rowsMade_ = 0;
  bool failed_ = false;
};

}  // namespace rumora
