#include "layout/layout_thumbnail.h"

#include <array>
#include <string>

#include "imaging/colour.h"
#include "layout/region_table.h"

namespace rumora {
namespace {

struct ThumbnailPane {
  int x1, y1, x2, y2;  // rectangle, right and bottom exclusive
  int textX, textY;    // top-left of the pane's number
};

// Panes of each layout in slot order; unused entries are all zero.
constexpr std::array<std::array<ThumbnailPane, 4>, kLayoutCount> kThumbnailPanes = {{
    {{{0, 0, 120, 90, 55, 35}}},
    {{{0, 0, 60, 90, 25, 35}, {60, 0, 120, 90, 85, 35}}},
    {{{0, 0, 120, 45, 55, 10}, {0, 45, 120, 90, 55, 55}}},
    {{{0, 0, 40, 90, 15, 35}, {40, 0, 80, 90, 55, 35}, {80, 0, 120, 90, 95, 35}}},
    {{{0, 0, 120, 30, 55, 5}, {0, 30, 120, 60, 55, 35}, {0, 60, 120, 90, 55, 65}}},
    {{{0, 0, 60, 90, 25, 35}, {60, 0, 120, 45, 85, 10}, {60, 45, 120, 90, 85, 55}}},
    {{{0, 0, 60, 45, 25, 10},
      {0, 45, 60, 90, 25, 55},
      {60, 0, 120, 45, 85, 10},
      {60, 45, 120, 90, 85, 55}}},
}};

}  // namespace

void DrawLayoutThumbnail(Canvas& canvas, int layout, int paneIndex) {
  const int first = FirstSlot(layout);
  const int panes = PaneCount(layout);
  const auto& table = kThumbnailPanes[static_cast<std::size_t>(layout)];
  for (int k = 0; k < panes; ++k) {
    const ThumbnailPane& pane = table[static_cast<std::size_t>(k)];
    canvas.brush.style = BrushStyle::bsSolid;
    canvas.brush.colour = first + k == paneIndex ? clWhite : clSilver;
    canvas.Rectangle(pane.x1, pane.y1, pane.x2, pane.y2);
    canvas.TextOut(pane.textX, pane.textY, std::to_string(k + 1));
  }
}

}  // namespace rumora
