// Canvas::LineTo: straight lines with a square pen of any width, in copy or not-xor mode.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "imaging/canvas.h"
#include "imaging/pixel_span.h"

namespace rumora {
namespace {

// Position along the minor axis of point `step` of a line that advances `minor` over `major`
// steps: the nearest pixel to the ideal line, a tie going away from the start. 128-bit because
// step * minor can exceed 64 bits for far-off coordinates.
std::int64_t MinorOffset(std::int64_t step, std::int64_t minor, std::int64_t major) {
  __extension__ using Wide = __int128;
  return static_cast<std::int64_t>((Wide{2} * step * minor + major) / (Wide{2} * major));
}

struct Span {
  std::int64_t first = std::numeric_limits<std::int64_t>::max();
  std::int64_t last = std::numeric_limits<std::int64_t>::min();
};

}  // namespace

// The covered pixels are gathered per row first and each is then changed once, so that a pen
// wider than one pixel, whose squares overlap from point to point, still leaves a not-xor line
// undoable by drawing it again. Within one row the covered pixels are always one run: the
// points that reach a row are consecutive and step at most one column apart.
void Canvas::LineTo(int x, int y) {
  const std::int64_t x0 = penX_, y0 = penY_, x1 = x, y1 = y;
  MoveTo(x, y);
  Bitmap& bitmap = Target();
  const std::int64_t adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
  const std::int64_t steps = std::max(adx, ady);  // the end point is left out
  if (steps == 0 || bitmap.Empty()) return;

  const std::int64_t width = bitmap.Width(), height = bitmap.Height();
  const std::int64_t penWidth = std::max(pen.width, 1);
  const std::int64_t lo = -((penWidth - 1) / 2), hi = lo + penWidth - 1;

  const bool shallow = adx >= ady;
  const std::int64_t sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;

  // Only steps whose major coordinate brings the pen square onto the bitmap are walked, so
  // far-off end points cost nothing.
  const std::int64_t majorStart = shallow ? x0 : y0;
  const std::int64_t majorSign = shallow ? sx : sy;
  const std::int64_t majorLimit = shallow ? width : height;
  std::int64_t stepA = (-hi - majorStart) * majorSign;
  std::int64_t stepB = (majorLimit - 1 - lo - majorStart) * majorSign;
  if (stepA > stepB) std::swap(stepA, stepB);
  const std::int64_t firstStep = std::max<std::int64_t>(stepA, 0);
  const std::int64_t lastStep = std::min(stepB, steps - 1);
  if (firstStep > lastStep) return;

  const std::int64_t rowBase = std::max<std::int64_t>(std::min(y0, y1) + lo, 0);
  const std::int64_t rowTop = std::min(std::max(y0, y1) + hi, height - 1);
  if (rowBase > rowTop) return;
  std::vector<Span> rows(static_cast<std::size_t>(rowTop - rowBase + 1));

  for (std::int64_t i = firstStep; i <= lastStep; ++i) {
    std::int64_t px, py;
    if (shallow) {
      px = x0 + sx * i;
      py = y0 + sy * MinorOffset(i, ady, adx);
    } else {
      py = y0 + sy * i;
      px = x0 + sx * MinorOffset(i, adx, ady);
    }
    const std::int64_t from = std::max(py + lo, rowBase), to = std::min(py + hi, rowTop);
    for (std::int64_t r = from; r <= to; ++r) {
      Span& span = rows[static_cast<std::size_t>(r - rowBase)];
      span.first = std::min(span.first, px + lo);
      span.last = std::max(span.last, px + hi);
    }
  }

  const TColor colour = ResolveColor(pen.colour);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::int64_t first = std::max<std::int64_t>(rows[k].first, 0);
    const std::int64_t last = std::min(rows[k].last, width - 1);
    if (first > last) continue;
    PaintSpan(bitmap.Row(static_cast<int>(rowBase + static_cast<std::int64_t>(k))),
              static_cast<int>(first), static_cast<int>(last + 1), colour, pen.mode);
  }
}

}  // namespace rumora
