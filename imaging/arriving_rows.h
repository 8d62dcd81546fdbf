#pragma once

#include "imaging/bitmap.h"

namespace rumora {

// Takes a picture's rows while they are being made (a photo while it is decoded), so that work
// on the finished rows can go on beside the maker.
class ArrivingRows {
 public:
  // Rows [0, rows) of `picture` are final; they may be read until Ended returns.
  virtual void Arrived(const Bitmap& picture, int rows) noexcept = 0;
  // No more rows come, whether the picture is whole or not: once this returns, the picture is
  // no longer read and may be moved or freed.
  virtual void Ended() noexcept = 0;

 protected:
  ~ArrivingRows() = default;
};

}  // namespace rumora
