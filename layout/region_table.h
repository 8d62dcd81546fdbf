#pragma once

#include <array>
#include <cstdint>

namespace rumora {

// The output picture every layout divides.
constexpr int kOutputWidth = 600;
constexpr int kOutputHeight = 450;

// The number of output layouts (LayoutKind runs 0 to kLayoutCount - 1).
constexpr int kLayoutCount = 7;

// One slot of the region table: a pane as left, top, right, bottom with right and bottom the last
// column and row inside it (inclusive); slot 21 holds the angle line's x1, y1, x2, y2 instead.
struct Region {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const Region&, const Region&) = default;
};

// Pane size in pixels; both edges are inside the pane.
constexpr std::int32_t RegionWidth(const Region& r) { return r.right - r.left + 1; }
constexpr std::int32_t RegionHeight(const Region& r) { return r.bottom - r.top + 1; }

// Slots 1 to 21, all zero until InitRegionTable fills the panes (1 to 18). Slots 19 and 20 are
// unused; slot 21 belongs to the angle-measuring line.
class RegionTable {
 public:
  static constexpr int kFirstSlot = 1;
  static constexpr int kLastSlot = 21;
  static constexpr int kLastPaneSlot = 18;
  static constexpr int kAngleLineSlot = 21;

  // The slot; throws Error for a slot outside 1..21.
  Region& operator[](int slot);
  const Region& operator[](int slot) const;

 private:
  std::array<Region, kLastSlot> slots_{};
};

// Writes the pane rectangles of all seven layouts into slots 1 to 18; other slots are untouched.
void InitRegionTable(RegionTable& table);

// Which layout is shown, which slot is the current pane and where the position button stands:
// PaneStep is k while pane k + 1 was picked by a position step and -1 right after the last pane.
struct LayoutState {
  std::int32_t LayoutKind = 0;
  std::int32_t PaneIndex = 1;
  std::int32_t PaneStep = 0;
};

// The first slot of a layout (1, 2, 4, 6, 9, 12, 15) and its number of panes (1, 2, 2, 3, 3, 3,
// 4). Both throw Error for a layout outside 0..6.
int FirstSlot(int layout);
int PaneCount(int layout);

// The layout a pane slot (1..18) belongs to; throws Error for any other slot.
int LayoutOfSlot(int slot);

}  // namespace rumora
