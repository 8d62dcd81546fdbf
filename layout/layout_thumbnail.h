#pragma once

#include "imaging/canvas.h"

namespace rumora {

// The thumbnail is the output at one fifth of its scale.
constexpr int kThumbnailWidth = 120;
constexpr int kThumbnailHeight = 90;

// Draws every pane of `layout` on the thumbnail canvas in pane order, each a rectangle with the
// canvas pen (black at the window's setting) filled white when its slot is `paneIndex` and silver
// otherwise, followed by its number "1".."4" drawn with TextOut on that fill colour. The canvas
// font is used as set by the caller. Throws Error for a layout outside 0..6, or from TextOut
// when the canvas has no text renderer.
void DrawLayoutThumbnail(Canvas& canvas, int layout, int paneIndex);

}  // namespace rumora
