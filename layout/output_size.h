#pragma once

#include <optional>
#include <string_view>

#include "layout/region_table.h"

namespace rumora {

// The size of the listing picture (this header stands alone: the logo core uses it too). Panes,
// split lines, the trimming frame and logo places are laid out in the 600x450 design; 1200x900 is
// the same design at twice the pixel density.
enum class OutputSize { k600x450, k1200x900 };

// Output pixels per design pixel along each axis: 1 or 2.
constexpr int OutputScale(OutputSize size) { return size == OutputSize::k1200x900 ? 2 : 1; }
constexpr int OutputWidth(OutputSize size) { return kOutputWidth * OutputScale(size); }
constexpr int OutputHeight(OutputSize size) { return kOutputHeight * OutputScale(size); }

// The output size of a picture of width x height pixels; nothing for any other size.
constexpr std::optional<OutputSize> OutputSizeOf(int width, int height) {
  for (const OutputSize size : {OutputSize::k600x450, OutputSize::k1200x900}) {
    if (width == OutputWidth(size) && height == OutputHeight(size)) return size;
  }
  return std::nullopt;
}

// A pane of the design as it lies in the picture: (l, t)-(r, b), both edges inside, becomes
// (s l, s t)-(s r + s - 1, s b + s - 1) at scale s.
constexpr Region ScaledPane(const Region& pane, OutputSize size) {
  const int s = OutputScale(size);
  return {pane.left * s, pane.top * s, pane.right * s + s - 1, pane.bottom * s + s - 1};
}

// The name the options file keeps ("600x450", "1200x900"), and the size a name stands for.
constexpr std::string_view OutputSizeName(OutputSize size) {
  return size == OutputSize::k1200x900 ? "1200x900" : "600x450";
}
constexpr std::optional<OutputSize> OutputSizeNamed(std::string_view name) {
  for (const OutputSize size : {OutputSize::k600x450, OutputSize::k1200x900}) {
    if (name == OutputSizeName(size)) return size;
  }
  return std::nullopt;
}

// The size as the window's label shows it, in full-width digits: "６００×４５０",
// "１２００×９００".
constexpr std::string_view OutputSizeCaption(OutputSize size) {
  return size == OutputSize::k1200x900 ? "１２００×９００" : "６００×４５０";
}

}  // namespace rumora
