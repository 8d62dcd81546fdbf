#include "imaging/tbmp_data24.h"

namespace rumora {

TBmpData24::TBmpData24(Bitmap& bitmap) : width_(bitmap.Width()), height_(bitmap.Height()) {
  rows_.reserve(static_cast<std::size_t>(height_));
  for (std::int32_t y = 0; y < height_; ++y) rows_.push_back(bitmap.Row(y));
}

}  // namespace rumora
