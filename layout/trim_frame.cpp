#include "layout/trim_frame.h"

#include <algorithm>
#include <cmath>

#include "imaging/rounding.h"
#include "layout/trim.h"

namespace rumora {

FrameBounds TrimFrameForPane(const Region& pane) {
  constexpr long double kShare = 0.7L;
  FrameBounds frame;
  frame.left = pane.left;
  frame.top = pane.top;
  frame.width = Round(kShare * static_cast<long double>(pane.right - pane.left));
  frame.height = Round(kShare * static_cast<long double>(pane.bottom - pane.top));
  return frame;
}

namespace {

// The pane's height-to-width ratio: a stored double; everything formed from it is extended.
long double PaneRatio(const Region& pane) {
  const double r = static_cast<double>(pane.bottom - pane.top + 1) /
                   static_cast<double>(pane.right - pane.left + 1);
  return r;
}

}  // namespace

FrameBounds KeepPaneRatio(FrameBounds frame, const Region& pane, int panel2Height) {
  const long double ratio = PaneRatio(pane);
  const long double limit = static_cast<long double>(panel2Height) - 2;
  const long double bottom =
      static_cast<long double>(frame.top) + static_cast<long double>(frame.width) * ratio;
  if (bottom <= limit) {
    frame.height = Round(static_cast<long double>(frame.width) * ratio);
  } else {
    frame.width = Round((limit - static_cast<long double>(frame.top)) / ratio);
  }
  return frame;
}

Region PhotoPartOfView(int photoWidth, int photoHeight, int panelWidth, int panelHeight) {
  const long double s = TrimScale(photoWidth, panelWidth);
  // The last view index below `shown` whose source index lies before `size`: at the foot of a
  // wide photo the rows map with the columns' scale and can pass the photo's last row.
  const auto last = [s](int size, int shown) {
    int v = std::max(shown - 1, 0);
    while (v > 0 && Round(static_cast<long double>(v) * s) > size - 1) --v;
    return v;
  };
  return {0, 0, last(photoWidth, panelWidth - 2), last(photoHeight, panelHeight - 2)};
}

FrameBounds KeepFrameOnPhoto(FrameBounds frame, const Region& pane, const Region& photoPart,
                             int minWidth) {
  const int partWidth = photoPart.right - photoPart.left + 1;
  const int partHeight = photoPart.bottom - photoPart.top + 1;
  if (frame.width > partWidth || frame.height > partHeight) {
    const long double ratio = PaneRatio(pane);
    const long double widest =
        std::min<long double>(partWidth, std::floor(static_cast<long double>(partHeight) / ratio));
    frame.width = std::max(minWidth, static_cast<int>(std::min<long double>(frame.width, widest)));
    frame.height = std::clamp(Round(static_cast<long double>(frame.width) * ratio), 1, partHeight);
  }
  const auto inside = [](std::int32_t start, std::int32_t size, std::int32_t first,
                         std::int32_t last) {
    return std::clamp(start, first, std::max(first, last - size + 1));
  };
  frame.left = inside(frame.left, frame.width, photoPart.left, photoPart.right);
  frame.top = inside(frame.top, frame.height, photoPart.top, photoPart.bottom);
  return frame;
}

}  // namespace rumora
