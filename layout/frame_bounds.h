#pragma once

#include <cstdint>

namespace rumora {

// A frame's place and size on its parent, in the parent's client pixels.
struct FrameBounds {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const FrameBounds&, const FrameBounds&) = default;
};

}  // namespace rumora
