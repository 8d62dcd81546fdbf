#pragma once

#include <cstdint>
#include <optional>

namespace rumora {

// The angle in degrees, folded into -45..45 (exactly -45 and 45 kept), by which the free
// rotation turns the line from (x1, y1) to (x2, y2) (view coordinates, y downwards) onto the
// nearest axis: arctan((y1 - y2) / (x2 - x1)) in extended precision times 57.29577951308232,
// held as a double. Swapping the ends gives the same angle. An exactly vertical line is already
// level and gives 0; a line of no length (both ends the same point) gives nothing.
std::optional<double> LineAngle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

}  // namespace rumora
