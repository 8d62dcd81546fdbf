#pragma once

#include <cstdint>
#include <functional>

#include "imaging/bitmap.h"
#include "imaging/image_view.h"
#include "imaging/progress.h"
#include "imaging/smooth_scale.h"
#include "layout/frame_bounds.h"
#include "layout/output_size.h"
#include "layout/region_table.h"

namespace rumora {

// The scale from input-view pixels to working-bitmap pixels, one factor for both axes, taken
// from the widths: workingWidth / inputViewWidth as a double (0 for a view without width).
double TrimScale(int workingWidth, int inputViewWidth);

// The framed rectangle of a frame, both edges inside: left, top, left + width - 1,
// top + height - 1.
Region FramedRectangle(const FrameBounds& frame);

// The block of the source that a view rectangle (L, T, R, B, inclusive) maps to with scale s:
// each edge Round(edge * s), the product formed in extended precision, halves to even.
Region SourceBlock(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B, double s);

// Copies the source block of view rectangle (L, T, R, B) at scale s (see SourceBlock) over the
// whole target view, clipped to its picture. Nearest-pixel scaling gives the bytes of copying the
// block into a temporary bitmap and stretching that (StretchToView), reading only the pixels the
// stretch shows; smooth scaling is the filter of SmoothAxis over the block. The block is never
// clamped: a block pixel beyond the source reads the source's nearest edge pixel (black for an
// empty source). Progress: maximum = the block's rows, minimum and position 0, then the index of
// the block row each target row shows (nearest pixel: after each row; smooth: once, at the end);
// the caller puts it back to 0. A block without pixels (a frame of no width or height) draws
// nothing. Cannot fail (beyond creating a missing picture).
void CopyRegionScaled(const Bitmap& source, ImageView& target, std::int32_t L, std::int32_t T,
                      std::int32_t R, std::int32_t B, double s, Progress& progress,
                      Scaling scaling = Scaling::kNearestPixel);

// Copies the top-left part of the source view's picture, as large as the source control, into
// the target view's picture with its top-left corner at (dx, dy). Reading beyond the source
// picture gives black; what falls outside the target picture is dropped. Source and target are
// meant to be different views. Cannot fail (beyond creating a missing picture).
void PasteImageAt(ImageView& source, ImageView& target, int dx, int dy);

// The trim's work on the pictures: the scratch view is set to 600x450 and its picture made, the
// frame's block of `working` is copied at s = working width / input view width into the whole
// output (layout 0) or into the scratch view at the pane's size and pasted at the pane's corner,
// then the split lines are drawn (DrawSplitLines with `splitLinesTicked`). `setScratchSize`
// sets the scratch view's control size; `scaling` is CopyRegionScaled's. At 1200x900 (`size`,
// which the output picture must have) the block fills the doubled pane (ScaledPane), through
// the scratch view also in layout 0. Hiding and showing the views and resetting the progress
// bar are the caller's.
void TrimIntoOutput(const Bitmap& working, int inputViewWidth, const FrameBounds& frame,
                    const LayoutState& state, const RegionTable& table, ImageView& output,
                    ImageView& scratch, const std::function<void(int, int)>& setScratchSize,
                    bool splitLinesTicked, Progress& progress,
                    Scaling scaling = Scaling::kNearestPixel,
                    OutputSize size = OutputSize::k600x450);

}  // namespace rumora
