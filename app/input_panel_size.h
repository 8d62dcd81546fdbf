#pragma once

#include <cstdint>

namespace rumora {

struct PanelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The input panel for a photo of width x height: 602 pixels along the long side and the other
// side scaled by the same factor (600 / long side, divided in extended precision and then held
// as a double), rounded half to even on the extended product, plus 2. A square photo counts as
// upright. Throws Error for an empty photo, which has no proportions.
PanelSize InputPanelSize(std::int32_t width, std::int32_t height);

}  // namespace rumora
