#include "layout/trim_frame.h"

#include "imaging/rounding.h"

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

FrameBounds KeepPaneRatio(FrameBounds frame, const Region& pane, int panel2Height) {
  // The ratio is a stored double; everything formed from it is extended.
  const double r = static_cast<double>(pane.bottom - pane.top + 1) /
                   static_cast<double>(pane.right - pane.left + 1);
  const long double ratio = r;
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

}  // namespace rumora
