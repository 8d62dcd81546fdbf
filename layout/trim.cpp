#include "layout/trim.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/rounding.h"
#include "imaging/smooth_scale.h"
#include "imaging/stretch_index.h"
#include "layout/split_lines.h"

namespace rumora {
namespace {

constexpr std::size_t kPixelBytes = 3;

std::size_t Bytes(std::int64_t pixels) { return static_cast<std::size_t>(pixels) * kPixelBytes; }

// Byte offsets in a source row of the source column each target column of a stretch reads: the
// block's column c lies at source column blockLeft + c, held to the photo's columns.
std::vector<std::size_t> PlanColumns(int end, std::int64_t blockLeft, std::int64_t blockWidth,
                                     std::int64_t targetWidth, int sourceWidth) {
  std::vector<std::size_t> offsets(static_cast<std::size_t>(end));
  for (int x = 0; x < end; ++x) {
    const std::int64_t sx = blockLeft + StretchSourceIndex(x, blockWidth, targetWidth);
    offsets[static_cast<std::size_t>(x)] = Bytes(std::clamp<std::int64_t>(sx, 0, sourceWidth - 1));
  }
  return offsets;
}

void SampleRow(const std::vector<std::size_t>& offsets, const std::uint8_t* in, std::uint8_t* out) {
  for (const std::size_t offset : offsets) {
    out[0] = in[offset];
    out[1] = in[offset + 1];
    out[2] = in[offset + 2];
    out += 3;
  }
}

}  // namespace

double TrimScale(int workingWidth, int inputViewWidth) {
  if (inputViewWidth <= 0) return 0.0;
  return static_cast<double>(workingWidth) / static_cast<double>(inputViewWidth);
}

Region FramedRectangle(const FrameBounds& frame) {
  const auto last = [](std::int32_t start, std::int32_t size) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(start) + size - 1);
  };
  return {frame.left, frame.top, last(frame.left, frame.width), last(frame.top, frame.height)};
}

Region SourceBlock(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B, double s) {
  const long double scale = s;
  const auto map = [scale](std::int32_t v) { return Round(static_cast<long double>(v) * scale); };
  return {map(L), map(T), map(R), map(B)};
}

void CopyRegionScaled(const Bitmap& source, ImageView& target, std::int32_t L, std::int32_t T,
                      std::int32_t R, std::int32_t B, double s, Progress& progress,
                      Scaling scaling) {
  const Region block = SourceBlock(L, T, R, B, s);
  const std::int64_t width = std::int64_t{block.right} - block.left + 1;
  const std::int64_t height = std::int64_t{block.bottom} - block.top + 1;
  if (width <= 0 || height <= 0) return;

  progress.SetMax(static_cast<int>(std::min<std::int64_t>(height, INT32_MAX)));
  progress.SetMin(0);
  progress.SetPosition(0);
  // The stretch of the block over the control's area, clipped to the picture: only the pixels
  // it would show are read, straight from the source, never the whole block.
  const std::int64_t viewWidth = target.ControlWidth(), viewHeight = target.ControlHeight();
  Bitmap& picture = target.Picture();
  if (viewWidth <= 0 || viewHeight <= 0 || picture.Empty()) return;
  std::optional<Bitmap> sourceCopy;  // a view's own picture must be read as it was
  if (&source == &picture) sourceCopy.emplace(source);
  const Bitmap& from = sourceCopy ? *sourceCopy : source;

  const int columnEnd = static_cast<int>(std::min<std::int64_t>(viewWidth, picture.Width()));
  const int rowEnd = static_cast<int>(std::min<std::int64_t>(viewHeight, picture.Height()));
  if (from.Empty()) {
    for (int row = 0; row < rowEnd; ++row) std::memset(picture.Row(row), 0, Bytes(columnEnd));
    return;
  }
  if (scaling == Scaling::kSmooth) {
    PlanSmoothScale(from, block.left, block.top, width, height, viewWidth, viewHeight, columnEnd,
                    rowEnd)
        .MakeRows(from, picture, 0, rowEnd);
    progress.SetPosition(static_cast<int>(
        std::min<std::int64_t>(StretchSourceIndex(rowEnd - 1, height, viewHeight), INT32_MAX)));
    return;
  }
  const std::vector<std::size_t> offsets =
      PlanColumns(columnEnd, block.left, width, viewWidth, from.Width());
  // The first row has no predecessor; any source row, even -1, can be a block's first.
  std::optional<std::int64_t> previousY;
  for (int row = 0; row < rowEnd; ++row) {
    const std::int64_t blockRow = StretchSourceIndex(row, height, viewHeight);
    const std::int64_t y = std::clamp<std::int64_t>(block.top + blockRow, 0, from.Height() - 1);
    std::uint8_t* out = picture.Row(row);
    if (previousY == y) {
      std::memcpy(out, picture.Row(row - 1), Bytes(columnEnd));
    } else {
      SampleRow(offsets, from.Row(static_cast<int>(y)), out);
    }
    previousY = y;
    progress.SetPosition(static_cast<int>(std::min<std::int64_t>(blockRow, INT32_MAX)));
  }
}

void PasteImageAt(ImageView& source, ImageView& target, int dx, int dy) {
  const int width = source.ControlWidth();
  const int height = source.ControlHeight();
  const Bitmap& from = source.Picture();
  Bitmap& to = target.Picture();

  // Columns i of the source whose target column dx + i lies inside the target picture.
  const std::int64_t iBegin = std::max<std::int64_t>(0, -std::int64_t{dx});
  const std::int64_t iEnd = std::min<std::int64_t>(width, std::int64_t{to.Width()} - dx);
  if (iBegin >= iEnd) return;
  const std::int64_t iCopyEnd = std::min<std::int64_t>(iEnd, from.Width());

  for (int j = 0; j < height; ++j) {
    const std::int64_t ty = std::int64_t{dy} + j;
    if (ty < 0 || ty >= to.Height()) continue;
    std::uint8_t* out = to.Row(static_cast<int>(ty)) + Bytes(dx + iBegin);
    std::int64_t i = iBegin;
    if (j < from.Height() && iBegin < iCopyEnd) {
      // memmove: a view pasted onto itself shares the picture.
      std::memmove(out, from.Row(j) + Bytes(iBegin), Bytes(iCopyEnd - iBegin));
      i = iCopyEnd;
    }
    std::memset(out + Bytes(i - iBegin), 0, Bytes(iEnd - i));
  }
}

void TrimIntoOutput(const Bitmap& working, int inputViewWidth, const FrameBounds& frame,
                    const LayoutState& state, const RegionTable& table, ImageView& output,
                    ImageView& scratch, const std::function<void(int, int)>& setScratchSize,
                    bool splitLinesTicked, Progress& progress, Scaling scaling, OutputSize size) {
  setScratchSize(kOutputWidth, kOutputHeight);
  scratch.GetCanvas();
  if (size != OutputSize::k600x450) {
    // The scratch picture was made at the design's size; a larger output's panes need more.
    Bitmap& picture = scratch.Picture();
    const int width = OutputWidth(size), height = OutputHeight(size);
    if (picture.Width() < width || picture.Height() < height) {
      picture.SetSize(std::max(picture.Width(), width), std::max(picture.Height(), height));
    }
  }
  const double s = TrimScale(working.Width(), inputViewWidth);
  const Region framed = FramedRectangle(frame);
  if (state.LayoutKind == 0 && size == OutputSize::k600x450) {
    CopyRegionScaled(working, output, framed.left, framed.top, framed.right, framed.bottom, s,
                     progress, scaling);
  } else {
    // The scratch view takes the pane's size; the block then goes to the pane's corner. The
    // output view's control keeps the design's size, so a larger single pane goes this way too.
    const Region pane = ScaledPane(table[state.PaneIndex], size);
    setScratchSize(RegionWidth(pane), RegionHeight(pane));
    CopyRegionScaled(working, scratch, framed.left, framed.top, framed.right, framed.bottom, s,
                     progress, scaling);
    PasteImageAt(scratch, output, pane.left, pane.top);
  }
  DrawSplitLines(output.GetCanvas(), state.LayoutKind, splitLinesTicked, size);
}

}  // namespace rumora
