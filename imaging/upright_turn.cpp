#include "imaging/upright_turn.h"

#include <algorithm>
#include <cstdint>

#include "imaging/parallel_rows.h"
#include "imaging/quarter_turn.h"

namespace rumora {
namespace {

constexpr std::int64_t kMinimumRowsPerBand = 64;

void MirrorLeftRight(Bitmap& photo) {
  const int width = photo.Width();
  ForEachRowBand(photo.Height(), kMinimumRowsPerBand, [&](std::int64_t begin, std::int64_t end) {
    for (auto y = static_cast<int>(begin); y < end; ++y) {
      std::uint8_t* left = photo.Row(y);
      std::uint8_t* right = left + 3 * static_cast<std::ptrdiff_t>(width - 1);
      for (; left < right; left += 3, right -= 3) std::swap_ranges(left, left + 3, right);
    }
  });
}

void MirrorTopBottom(Bitmap& photo) {
  const int height = photo.Height();
  const std::size_t stride = photo.Stride();
  ForEachRowBand(height / 2, kMinimumRowsPerBand, [&](std::int64_t begin, std::int64_t end) {
    for (auto y = static_cast<int>(begin); y < end; ++y) {
      std::uint8_t* top = photo.Row(y);
      std::swap_ranges(top, top + stride, photo.Row(height - 1 - y));
    }
  });
}

}  // namespace

void TurnUpright(Bitmap& photo, int orientation, Progress& progress) {
  switch (orientation) {
    case 2:
      MirrorLeftRight(photo);
      break;
    case 3:
      MirrorLeftRight(photo);
      MirrorTopBottom(photo);
      break;
    case 4:
      MirrorTopBottom(photo);
      break;
    case 5:  // (x, y) -> (H - 1 - y, x) -> (y, x)
      TurnRight(photo, progress);
      MirrorLeftRight(photo);
      break;
    case 6:
      TurnRight(photo, progress);
      break;
    case 7:  // (x, y) -> (H - 1 - y, x) -> (H - 1 - y, W - 1 - x)
      TurnRight(photo, progress);
      MirrorTopBottom(photo);
      break;
    case 8:
      TurnLeft(photo, progress);
      break;
    default:
      break;
  }
}

int InverseOrientation(int orientation) {
  if (orientation == 6) return 8;
  if (orientation == 8) return 6;
  return orientation;
}

}  // namespace rumora
