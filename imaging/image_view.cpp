#include "imaging/image_view.h"

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

void StretchToView(const Bitmap& bitmap, ImageView& view) {
  view.GetCanvas().StretchDraw(0, 0, view.ControlWidth(), view.ControlHeight(), bitmap);
}

}  // namespace rumora
