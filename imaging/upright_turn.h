#pragma once

#include "imaging/bitmap.h"
#include "imaging/progress.h"

namespace rumora {

// Turns and mirrors a photo in place as an Exif orientation value says its stored pixels must
// be shown: 2 mirrors left to right, 3 is a half turn, 4 mirrors top to bottom, 5 mirrors along
// the main diagonal (x, y) -> (y, x), 6 is a clockwise quarter turn, 7 mirrors along the other
// diagonal, 8 an anticlockwise quarter turn. Any other value leaves the photo as it is.
// Mirrors and the half turn swap pixels within the photo; the values that exchange width and
// height take one quarter turn (TurnRight or TurnLeft, with their progress and their one spare
// buffer). Throws Error as a quarter turn does, the photo then unchanged.
void TurnUpright(Bitmap& photo, int orientation, Progress& progress);

// The orientation value that undoes `orientation`'s turn: 6 and 8 undo each other, every other
// value undoes itself.
int InverseOrientation(int orientation);

}  // namespace rumora
