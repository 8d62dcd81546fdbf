#include "layout/split_lines.h"

#include <array>
#include <span>

#include "imaging/colour.h"
#include "layout/region_table.h"

namespace rumora {
namespace {

struct Bar {
  int x1, y1, x2, y2;
};

constexpr Bar kVerticalHalf = {297, 0, 302, 450};
constexpr Bar kHorizontalHalf = {0, 222, 600, 227};
constexpr std::array<Bar, 1> kLayout1 = {kVerticalHalf};
constexpr std::array<Bar, 1> kLayout2 = {kHorizontalHalf};
constexpr std::array<Bar, 2> kLayout3 = {{{197, 0, 202, 450}, {397, 0, 402, 450}}};
constexpr std::array<Bar, 2> kLayout4 = {{{0, 147, 600, 152}, {0, 297, 600, 302}}};
constexpr std::array<Bar, 2> kLayout5 = {{kVerticalHalf, {300, 222, 600, 227}}};
constexpr std::array<Bar, 2> kLayout6 = {{kVerticalHalf, kHorizontalHalf}};

std::span<const Bar> BarsOf(int layout) {
  switch (layout) {
    case 1:
      return kLayout1;
    case 2:
      return kLayout2;
    case 3:
      return kLayout3;
    case 4:
      return kLayout4;
    case 5:
      return kLayout5;
    case 6:
      return kLayout6;
    default:
      return {};
  }
}

}  // namespace

void DrawSplitLines(Canvas& output, int layout, bool ticked, OutputSize size) {
  PaneCount(layout);  // rejects an unknown layout
  output.pen.colour = clWhite;
  output.brush.colour = clWhite;
  output.brush.style = BrushStyle::bsSolid;
  if (!ticked) return;
  // A bar's last column and row are x2 - 1 and y2 - 1, so the scaled pane rule scales all four.
  const int s = OutputScale(size);
  for (const Bar& bar : BarsOf(layout)) {
    output.Rectangle(bar.x1 * s, bar.y1 * s, bar.x2 * s, bar.y2 * s);
  }
}

}  // namespace rumora
