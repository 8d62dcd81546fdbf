#pragma once

#include <cstdint>

namespace rumora {

// How a photo fills a listing picture.
enum class ListingFit {
  // 全体: the whole photo, as large as it fits, centred on white; nothing of it is lost.
  kWhole,
  // 切り抜き: the largest block of the picture's proportions centred on the photo, filling it.
  kFill,
};

// Where a photo goes in a listing picture: the block of the photo that is scaled, and the
// rectangle of the picture it is scaled onto (the rest of the picture stays white).
struct ListingPlacement {
  std::int64_t blockLeft = 0, blockTop = 0, blockWidth = 0, blockHeight = 0;
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ListingPlacement&) const = default;
};

// The placement of a photoWidth x photoHeight photo (both above 0) in a pictureWidth x
// pictureHeight picture (P x Q):
// - kWhole: the whole photo; when W * Q >= H * P it becomes P wide and Round(H * P / W) high,
//   else Q high and Round(W * Q / H) wide (halves to even, at least one pixel), placed at
//   ((P - w) div 2, (Q - h) div 2);
// - kFill: the block min(W, floor(H * P / Q)) wide and min(H, floor(W * Q / P)) high (at least
//   one pixel), at
//   (floor((W - width) / 2), floor((H - height) / 2)), onto the whole picture.
// Exact in integers for any photo size. Cannot fail.
ListingPlacement PlaceInListing(std::int64_t photoWidth, std::int64_t photoHeight, int pictureWidth,
                                int pictureHeight, ListingFit fit);

}  // namespace rumora
