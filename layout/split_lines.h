#pragma once

#include "imaging/canvas.h"
#include "layout/output_size.h"

namespace rumora {

// Sets the output canvas's pen and brush to white, then, only when `ticked`, draws the 5-pixel
// white bars that straddle the borders between the panes of `layout` (none for layout 0). The
// canvas keeps the white pen and brush either way. At 1200x900 every bar covers the doubles of
// its columns and rows. Throws Error for a layout outside 0..6.
void DrawSplitLines(Canvas& output, int layout, bool ticked,
                    OutputSize size = OutputSize::k600x450);

}  // namespace rumora
