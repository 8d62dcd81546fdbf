#pragma once

#include <optional>

#include "imaging/bitmap.h"
#include "imaging/canvas.h"
#include "imaging/smooth_scale.h"

namespace rumora {

// An image control: a size of its own and, separately, a picture shown unscaled from the
// control's top-left corner. The control size comes from whatever carries the view (a widget,
// or a test double); changing it never changes the picture.
class ImageView {
 public:
  virtual ~ImageView() = default;
  ImageView() = default;
  ImageView(const ImageView&) = delete;
  ImageView& operator=(const ImageView&) = delete;

  virtual int ControlWidth() const = 0;
  virtual int ControlHeight() const = 0;

  bool HasPicture() const { return picture_.has_value(); }
  // The picture; a view that has none gets a white one of the control's current size.
  Bitmap& Picture();
  // The canvas of the picture (creating the picture as Picture() does). Its drawing state
  // lives as long as the view.
  Canvas& GetCanvas();
  // Replaces the picture by a copy of `bitmap` (size and pixels).
  void AssignPicture(const Bitmap& bitmap);
  void AssignPicture(Bitmap&& bitmap);

  void SetTextRenderer(TextRenderer* renderer) { canvas_.SetTextRenderer(renderer); }

 private:
  std::optional<Bitmap> picture_;
  Canvas canvas_;
};

// Draws the whole bitmap stretched into (0, 0, control width, control height) of the view's
// canvas, nearest-pixel or with the smooth filter (SmoothScale): where the control is larger
// than the picture the excess is lost, where it is smaller the rest of the picture keeps its
// contents. The bitmap is only read.
void StretchToView(const Bitmap& bitmap, ImageView& view, Scaling scaling = Scaling::kNearestPixel);

}  // namespace rumora
