#pragma once

#include "layout/frame_bounds.h"
#include "layout/region_table.h"

namespace rumora {

// Where the trimming frame goes for a pane: at the pane's left and top (output coordinates used
// directly on the input view), 0.7 of right - left by 0.7 of bottom - top, rounded half to even
// (slot 1 gives 419x314). The frame is not clamped to the input view. Cannot fail.
FrameBounds TrimFrameForPane(const Region& pane);

// The ratio keeper run on every mouse move over the trimming frame: with r the pane's
// height-to-width ratio and limit = panel2Height - 2, the height follows the width
// (Round(width * r)) while the frame's bottom stays within the limit; otherwise the width is cut
// to Round((limit - top) / r) and the height kept. Cannot fail.
FrameBounds KeepPaneRatio(FrameBounds frame, const Region& pane, int panel2Height);

// The part of a panelWidth x panelHeight input view that shows the photo and that the trim maps
// into it: columns and rows from 0 up to the last one inside the scaled photo (the panel less
// its two extra pixels) whose source pixel (SourceBlock at TrimScale(photoWidth, panelWidth))
// lies in the photo. At least one column and one row. Cannot fail.
Region PhotoPartOfView(int photoWidth, int photoHeight, int panelWidth, int panelHeight);

// A frame placed for `pane` kept on `photoPart`: where it is larger, made smaller with the pane's
// height-to-width ratio (as KeepPaneRatio has it), never narrower than minWidth; then moved in
// where it sticks out. Cannot fail.
FrameBounds KeepFrameOnPhoto(FrameBounds frame, const Region& pane, const Region& photoPart,
                             int minWidth);

}  // namespace rumora
