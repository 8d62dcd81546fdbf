#pragma once

#include "imaging/tone_pass.h"

namespace rumora {

enum class BrightnessDirection { kBrighten, kDarken };

// Each channel byte v with x = v / 255 (a 64-bit float formed once): brightening gives
// ClampByte(255 * sqrt(x)) (1 -> 16, 64 -> 128, 128 -> 181), darkening gives
// ClampByte(255 * (x - (sqrt(x) - x))) (0..64 -> 0, 65 -> 1, 128 -> 75, 192 -> 163).
ToneTable BrightnessTable(BrightnessDirection direction);

// The brightness pass: every channel of `bitmap` through BrightnessTable(direction), in the
// frame of ApplyToneTable (progress per column, events pumped per column).
void ShiftBrightness(Bitmap& bitmap, BrightnessDirection direction, Progress& progress,
                     const EventPump& pumpEvents);

}  // namespace rumora
