#pragma once

#include "imaging/bitmap.h"
#include "imaging/progress.h"

namespace rumora {

// Quarter turns of a W x H bitmap in place: the same Bitmap object becomes H x W.
// TurnRight (clockwise) moves source pixel (x, y) to (H - 1 - y, x); TurnLeft (anticlockwise)
// moves it to (y, W - 1 - x). Pixels are copied whole, so four turns give the photo back.
// Progress: maximum W, minimum 0, position 0, then the position of each destination row in
// turn, then 0; no events are pumped. The result is the same on any number of cores.
//
// The turned pixels are written into `spare`, which then swaps buffers with `bitmap`: pass the
// same spare to consecutive turns and each turn writes into the buffer the previous one left
// behind, without fresh pages. A spare of the wrong size is freed before a new one is made, so
// at most the photo and one photo-sized buffer are held. Throws Error when no memory is left for
// the spare; `bitmap` is then unchanged.
void TurnRight(Bitmap& bitmap, Progress& progress, Bitmap& spare);
void TurnLeft(Bitmap& bitmap, Progress& progress, Bitmap& spare);

// The same with a spare buffer that lives only for the turn.
void TurnRight(Bitmap& bitmap, Progress& progress);
void TurnLeft(Bitmap& bitmap, Progress& progress);

}  // namespace rumora
