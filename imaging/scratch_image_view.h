#pragma once

#include "imaging/image_view.h"

namespace rumora {

// An image control that is never shown: it holds a picture and a control size that its owner
// sets (the trimming scratch view, the logo picture, and the views of the tests).
class ScratchImageView final : public ImageView {
 public:
  ScratchImageView(int width, int height) : width_(width), height_(height) {}
  int ControlWidth() const override { return width_; }
  int ControlHeight() const override { return height_; }
  void SetControlSize(int width, int height) {
    width_ = width;
    height_ = height;
  }

 private:
  int width_;
  int height_;
};

}  // namespace rumora
