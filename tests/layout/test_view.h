#pragma once

#include "imaging/image_view.h"

namespace rumora::testing {

// An image view whose control size the test sets.
class TestView final : public ImageView {
 public:
  TestView(int width, int height) : width_(width), height_(height) {}
  int ControlWidth() const override { return width_; }
  int ControlHeight() const override { return height_; }
  void Resize(int width, int height) {
    width_ = width;
    height_ = height;
  }

 private:
  int width_;
  int height_;
};

}  // namespace rumora::testing
