#include "imaging/colour.h"

#include <array>

namespace rumora {
namespace {

// The classic desktop palette of the 31 system colours (scroll bar, background, active caption,
// ... hot light, gradient captions), in index order.
constexpr std::array<TColor, 31> kSystemColours = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128),
    RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(192, 192, 192), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),
    RGB(255, 255, 225), RGB(192, 192, 192), RGB(0, 0, 255),     RGB(16, 132, 208),
    RGB(181, 181, 181), RGB(0, 0, 128),     RGB(192, 192, 192),
};

}  // namespace

TColor ResolveColor(TColor c) {
  if ((c & kSystemColourFlag) == 0) return c;
  const TColor index = c & 0xFF;
  return index < kSystemColours.size() ? kSystemColours[index] : clBlack;
}

}  // namespace rumora
