#include "layout/region_table.h"

#include <string>

#include "imaging/error.h"

namespace rumora {
namespace {

constexpr std::array<int, kLayoutCount> kFirstSlots = {1, 2, 4, 6, 9, 12, 15};
constexpr std::array<int, kLayoutCount> kPaneCounts = {1, 2, 2, 3, 3, 3, 4};

constexpr std::array<Region, RegionTable::kLastPaneSlot> kPanes = {{
    {0, 0, 599, 449},  // layout 0
    {0, 0, 299, 449},
    {300, 0, 599, 449},  // layout 1: halves side by side
    {0, 0, 599, 224},
    {0, 225, 599, 449},  // layout 2: halves stacked
    {0, 0, 199, 449},
    {200, 0, 399, 449},
    {400, 0, 599, 449},  // layout 3: columns
    {0, 0, 599, 149},
    {0, 150, 599, 299},
    {0, 300, 599, 449},  // layout 4: rows
    {0, 0, 299, 449},
    {300, 0, 599, 224},
    {300, 225, 599, 449},  // layout 5
    {0, 0, 299, 224},
    {0, 225, 299, 449},
    {300, 0, 599, 224},    // layout 6: down the left
    {300, 225, 599, 449},  //   column first
}};

void CheckLayout(int layout) {
  if (layout < 0 || layout >= kLayoutCount) {
    throw Error("分割の種類が正しくありません (" + std::to_string(layout) + ")");
  }
}

void CheckSlot(int slot) {
  if (slot < RegionTable::kFirstSlot || slot > RegionTable::kLastSlot) {
    throw Error("領域の番号が正しくありません (" + std::to_string(slot) + ")");
  }
}

}  // namespace

Region& RegionTable::operator[](int slot) {
  CheckSlot(slot);
  return slots_[static_cast<std::size_t>(slot - kFirstSlot)];
}

const Region& RegionTable::operator[](int slot) const {
  CheckSlot(slot);
  return slots_[static_cast<std::size_t>(slot - kFirstSlot)];
}

void InitRegionTable(RegionTable& table) {
  for (int slot = 1; slot <= RegionTable::kLastPaneSlot; ++slot) {
    table[slot] = kPanes[static_cast<std::size_t>(slot - 1)];
  }
}

int FirstSlot(int layout) {
  CheckLayout(layout);
  return kFirstSlots[static_cast<std::size_t>(layout)];
}

int PaneCount(int layout) {
  CheckLayout(layout);
  return kPaneCounts[static_cast<std::size_t>(layout)];
}

int LayoutOfSlot(int slot) {
  if (slot < 1 || slot > RegionTable::kLastPaneSlot) {
    throw Error("区画の番号が正しくありません (" + std::to_string(slot) + ")");
  }
  int layout = kLayoutCount - 1;
  while (kFirstSlots[static_cast<std::size_t>(layout)] > slot) --layout;
  return layout;
}

}  // namespace rumora
