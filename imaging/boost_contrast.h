#pragma once

#include "imaging/tone_pass.h"

namespace rumora {

// The contrast boost of each channel byte v: ClampByte(v + (v - 127.5) * strength), on 64-bit
// floats. With strength 0.3: 0..29 give 0, 226..255 give 255, 126..129 stay, 200 gives 222.
ToneTable ContrastTable(double strength);

// The contrast pass: every channel of `bitmap` through ContrastTable(strength), in the frame of
// ApplyToneTable (progress per column, events pumped per column).
void BoostContrast(Bitmap& bitmap, double strength, Progress& progress,
                   const EventPump& pumpEvents);

}  // namespace rumora
