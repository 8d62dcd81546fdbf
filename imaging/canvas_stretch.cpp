// Canvas::StretchDraw: nearest-pixel stretch of a whole bitmap into a rectangle.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "imaging/canvas.h"
#include "imaging/stretch_index.h"

namespace rumora {
namespace {

// From this many target pixels on, the rows are shared between two threads.
constexpr std::int64_t kThreadedPixels = std::int64_t{1} << 20;

struct StretchJob {
  const Bitmap* source;
  Bitmap* target;
  std::int64_t top;                               // target row of source row 0 (unclipped)
  std::int64_t targetHeight;                      // of the whole rectangle
  int columnFirst;                                // clipped target columns
  const std::vector<std::size_t>* sourceOffsets;  // byte offset in a source row, per column

  void Rows(int rowFirst, int rowEnd) const {
    const std::size_t bytes = sourceOffsets->size() * 3;
    std::int64_t previousSource = -1;
    std::uint8_t* previousRow = nullptr;
    for (int y = rowFirst; y < rowEnd; ++y) {
      std::uint8_t* out = target->Row(y) + static_cast<std::size_t>(columnFirst) * 3;
      const std::int64_t sy = StretchSourceIndex(y - top, source->Height(), targetHeight);
      if (sy == previousSource) {
        std::memcpy(out, previousRow, bytes);
        continue;
      }
      const std::uint8_t* in = source->Row(static_cast<int>(sy));
      std::uint8_t* p = out;
      for (const std::size_t offset : *sourceOffsets) {
        p[0] = in[offset];
        p[1] = in[offset + 1];
        p[2] = in[offset + 2];
        p += 3;
      }
      previousSource = sy;
      previousRow = out;
    }
  }
};

}  // namespace

void Canvas::StretchDraw(int x1, int y1, int x2, int y2, const Bitmap& source) {
  Bitmap& target = Target();
  if (source.Empty() || target.Empty() || x2 <= x1 || y2 <= y1) return;

  // Drawing a bitmap onto itself must read the pixels as they were before.
  std::optional<Bitmap> sourceCopy;
  if (&source == &target) sourceCopy.emplace(source);
  const Bitmap& from = sourceCopy ? *sourceCopy : source;

  const std::int64_t targetWidth = std::int64_t{x2} - x1, targetHeight = std::int64_t{y2} - y1;
  const int columnFirst = std::max(x1, 0), columnEnd = std::min(x2, target.Width());
  const int rowFirst = std::max(y1, 0), rowEnd = std::min(y2, target.Height());
  if (columnFirst >= columnEnd || rowFirst >= rowEnd) return;

  std::vector<std::size_t> offsets(static_cast<std::size_t>(columnEnd - columnFirst));
  for (int x = columnFirst; x < columnEnd; ++x) {
    offsets[static_cast<std::size_t>(x - columnFirst)] =
        static_cast<std::size_t>(
            StretchSourceIndex(x - std::int64_t{x1}, from.Width(), targetWidth)) *
        3;
  }

  const StretchJob job{&from, &target, y1, targetHeight, columnFirst, &offsets};
  const std::int64_t pixels = std::int64_t{columnEnd - columnFirst} * (rowEnd - rowFirst);
  if (pixels < kThreadedPixels) {
    job.Rows(rowFirst, rowEnd);
    return;
  }
  const int middle = rowFirst + (rowEnd - rowFirst) / 2;
  std::thread lower([&job, middle, rowEnd] { job.Rows(middle, rowEnd); });
  job.Rows(rowFirst, middle);
  lower.join();
}

}  // namespace rumora
