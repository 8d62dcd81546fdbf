#include "imaging/boost_contrast.h"

#include "imaging/clamp_byte.h"

namespace rumora {

ToneTable ContrastTable(double strength) {
  ToneTable table{};
  for (int v = 0; v < 256; ++v) {
    const double value = v;
    table[v] = ClampByte(value + (value - 127.5) * strength);
  }
  return table;
}

void BoostContrast(Bitmap& bitmap, double strength, Progress& progress,
                   const EventPump& pumpEvents) {
  ApplyToneTable(bitmap, ContrastTable(strength), progress, pumpEvents);
}

}  // namespace rumora
