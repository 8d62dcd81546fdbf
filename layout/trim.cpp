#include "layout/trim.h"

#include <algorithm>
#include <cstring>

#include "imaging/rounding.h"
#include "layout/split_lines.h"

namespace rumora {
namespace {

constexpr std::size_t kPixelBytes = 3;

std::size_t Bytes(std::int64_t pixels) { return static_cast<std::size_t>(pixels) * kPixelBytes; }

// One block row: source columns x1..x2 of `sourceRow` (null when the row lies outside the
// source), black wherever a column is outside the source.
void CopyBlockRow(const std::uint8_t* sourceRow, int sourceWidth, std::int64_t x1, std::int64_t x2,
                  std::uint8_t* out) {
  const std::int64_t width = x2 - x1 + 1;
  const std::int64_t lo = std::max<std::int64_t>(x1, 0);
  const std::int64_t hi = std::min<std::int64_t>(x2, sourceWidth - 1);
  if (sourceRow == nullptr || lo > hi) {
    std::memset(out, 0, Bytes(width));
    return;
  }
  std::memset(out, 0, Bytes(lo - x1));
  std::memcpy(out + Bytes(lo - x1), sourceRow + Bytes(lo), Bytes(hi - lo + 1));
  std::memset(out + Bytes(hi - x1 + 1), 0, Bytes(x2 - hi));
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
                      std::int32_t R, std::int32_t B, double s, Progress& progress) {
  const Region block = SourceBlock(L, T, R, B, s);
  const std::int64_t width = std::int64_t{block.right} - block.left + 1;
  const std::int64_t height = std::int64_t{block.bottom} - block.top + 1;
  if (width <= 0 || height <= 0) return;
  CheckBitmapSize(width, height);
  Bitmap temporary(static_cast<int>(width), static_cast<int>(height));

  progress.SetMax(static_cast<int>(height));
  progress.SetMin(0);
  progress.SetPosition(0);
  for (int row = 0; row < temporary.Height(); ++row) {
    const std::int64_t y = std::int64_t{block.top} + row;
    const std::uint8_t* sourceRow =
        y >= 0 && y < source.Height() ? source.Row(static_cast<int>(y)) : nullptr;
    CopyBlockRow(sourceRow, source.Width(), block.left, block.right, temporary.Row(row));
    progress.SetPosition(row);
  }
  StretchToView(temporary, target);
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
                    bool splitLinesTicked, Progress& progress) {
  setScratchSize(kOutputWidth, kOutputHeight);
  scratch.GetCanvas();
  const double s = TrimScale(working.Width(), inputViewWidth);
  const Region framed = FramedRectangle(frame);
  if (state.LayoutKind == 0) {
    CopyRegionScaled(working, output, framed.left, framed.top, framed.right, framed.bottom, s,
                     progress);
  } else {
    // The scratch view takes the pane's size; the block then goes to the pane's corner.
    const Region& pane = table[state.PaneIndex];
    setScratchSize(RegionWidth(pane), RegionHeight(pane));
    CopyRegionScaled(working, scratch, framed.left, framed.top, framed.right, framed.bottom, s,
                     progress);
    PasteImageAt(scratch, output, pane.left, pane.top);
  }
  DrawSplitLines(output.GetCanvas(), state.LayoutKind, splitLinesTicked);
}

}  // namespace rumora
