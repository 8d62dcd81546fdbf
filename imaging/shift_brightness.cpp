#include "imaging/shift_brightness.h"

#include <cmath>

#include "imaging/clamp_byte.h"

namespace rumora {

ToneTable BrightnessTable(BrightnessDirection direction) {
  ToneTable table{};
  for (int v = 0; v < 256; ++v) {
    const double x = v / 255.0;
    table[v] = direction == BrightnessDirection::kBrighten
                   ? ClampByte(255 * std::sqrt(x))
                   : ClampByte(255 * (x - (std::sqrt(x) - x)));
  }
  return table;
}

void ShiftBrightness(Bitmap& bitmap, BrightnessDirection direction, Progress& progress,
                     const EventPump& pumpEvents) {
  ApplyToneTable(bitmap, BrightnessTable(direction), progress, pumpEvents);
}

}  // namespace rumora
