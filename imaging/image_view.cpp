#include "imaging/image_view.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace rumora {

Bitmap& ImageView::Picture() {
  if (!picture_) picture_.emplace(Bitmap::Filled(ControlWidth(), ControlHeight(), clWhite));
  return *picture_;
}

Canvas& ImageView::GetCanvas() {
  canvas_.Bind(&Picture());
  return canvas_;
}

void ImageView::AssignPicture(const Bitmap& bitmap) {
  // Copy first: `bitmap` may be this view's own picture.
  Bitmap copy(bitmap);
  AssignPicture(std::move(copy));
}

void ImageView::AssignPicture(Bitmap&& bitmap) {
  if (picture_) {
    if (&bitmap != &*picture_) *picture_ = std::move(bitmap);
  } else {
    picture_.emplace(std::move(bitmap));
  }
  canvas_.Bind(&*picture_);
}

void StretchToView(const Bitmap& bitmap, ImageView& view, Scaling scaling) {
  const int width = view.ControlWidth(), height = view.ControlHeight();
  if (scaling == Scaling::kNearestPixel) {
    view.GetCanvas().StretchDraw(0, 0, width, height, bitmap);
    return;
  }
  Bitmap& picture = view.Picture();
  const int columnEnd = std::min(width, picture.Width());
  const int rowEnd = std::min(height, picture.Height());
  if (bitmap.Empty() || columnEnd <= 0 || rowEnd <= 0) return;
  std::optional<Bitmap> sourceCopy;  // a picture stretched onto itself is read as it was
  if (&bitmap == &picture) sourceCopy.emplace(bitmap);
  const Bitmap& from = sourceCopy ? *sourceCopy : bitmap;
  PlanSmoothScale(from, 0, 0, from.Width(), from.Height(), width, height, columnEnd, rowEnd)
      .MakeRows(from, picture, 0, rowEnd);
}

}  // namespace rumora
