#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "imaging/bitmap.h"
#include "imaging/progress.h"

namespace rumora {

// What a tone pass maps each channel byte to, indexed by the byte.
using ToneTable = std::array<std::uint8_t, 256>;

// Lets the window system handle its pending events; a tone pass calls it once per column.
using EventPump = std::function<void()>;

// The frame both tone passes share. Maps every channel of every pixel of `bitmap` through
// `table`, in place. The progress bar gets maximum = width, minimum 0, position 0; then, for
// each column from left to right, its position is set to the column and `pumpEvents` runs once;
// at the end the position goes back to 0. The bytes are visited row by row, in bands on every
// core between the progress steps; the result is the same on any number of cores. Whatever
// `pumpEvents` runs must leave `bitmap` alone (the window ignores other handlers while a pass
// runs); should it replace the bitmap all the same, the pass stops before touching the new
// pixels, puts the bar back to 0 and throws Error. An empty bitmap is visited by no mapping.
void ApplyToneTable(Bitmap& bitmap, const ToneTable& table, Progress& progress,
                    const EventPump& pumpEvents);

}  // namespace rumora
