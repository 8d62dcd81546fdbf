#pragma once

#include "imaging/canvas.h"

namespace rumora {

// Sets the output canvas's pen and brush to white, then, only when `ticked`, draws the 5-pixel
// white bars that straddle the borders between the panes of `layout` (none for layout 0). The
// canvas keeps the white pen and brush either way. Throws Error for a layout outside 0..6.
void DrawSplitLines(Canvas& output, int layout, bool ticked);

}  // namespace rumora
