#include "imaging/tone_pass.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "imaging/error.h"
#include "imaging/parallel_rows.h"

namespace rumora {
namespace {

// Rows mapped between two rounds of progress steps: about this many bytes, so the window still
// answers every few milliseconds while a band per core keeps both cores busy.
constexpr std::size_t kBytesPerRound = std::size_t{4} << 20;
// Rows below which a band is not worth a thread of its own.
constexpr std::int64_t kMinimumBytesPerBand = std::int64_t{256} << 10;

// Two channel bytes per lookup: a 65,536-entry table of byte pairs built from the 256-entry
// one halves the lookups, and at 128 KB it stays in the second-level cache.
using PairTable = std::vector<std::uint16_t>;

PairTable PairsOf(const ToneTable& table) {
  PairTable pairs(65536);
  // A pair is loaded from memory as it lies: the first byte is the low one on little-endian
  // machines, the high one elsewhere.
  constexpr int kFirstShift = std::endian::native == std::endian::little ? 0 : 8;
  constexpr int kSecondShift = 8 - kFirstShift;
  for (int second = 0; second < 256; ++second) {
    for (int first = 0; first < 256; ++first) {
      pairs[static_cast<std::size_t>(first << kFirstShift | second << kSecondShift)] =
          static_cast<std::uint16_t>(table[first] << kFirstShift | table[second] << kSecondShift);
    }
  }
  return pairs;
}

void MapBytes(std::uint8_t* bytes, std::size_t count, const ToneTable& table,
              const PairTable& pairs) {
  std::size_t i = 0;
  const std::uint16_t* const lookup = pairs.data();
  for (; i + 8 <= count; i += 8) {
    std::uint16_t a, b, c, d;
    std::memcpy(&a, bytes + i, 2);
    std::memcpy(&b, bytes + i + 2, 2);
    std::memcpy(&c, bytes + i + 4, 2);
    std::memcpy(&d, bytes + i + 6, 2);
    a = lookup[a];
    b = lookup[b];
    c = lookup[c];
    d = lookup[d];
    std::memcpy(bytes + i, &a, 2);
    std::memcpy(bytes + i + 2, &b, 2);
    std::memcpy(bytes + i + 4, &c, 2);
    std::memcpy(bytes + i + 6, &d, 2);
  }
  for (; i < count; ++i) bytes[i] = table[bytes[i]];
}

void MapRows(Bitmap& bitmap, const ToneTable& table, const PairTable& pairs, int firstRow,
             int endRow) {
  if (firstRow >= endRow) return;
  // Rows are packed, so a run of rows is one run of bytes.
  MapBytes(bitmap.Row(firstRow), bitmap.Stride() * static_cast<std::size_t>(endRow - firstRow),
           table, pairs);
}

}  // namespace

void ApplyToneTable(Bitmap& bitmap, const ToneTable& table, Progress& progress,
                    const EventPump& pumpEvents) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  progress.SetMax(width);
  progress.SetMin(0);
  progress.SetPosition(0);

  const std::size_t stride = std::max<std::size_t>(1, bitmap.Stride());
  const int rowsPerRound =
      static_cast<int>(std::clamp<std::size_t>(kBytesPerRound / stride, 1, std::max(height, 1)));
  const std::int64_t minimumRowsPerBand =
      std::max<std::int64_t>(1, kMinimumBytesPerBand / static_cast<std::int64_t>(stride));

  const std::uint8_t* const pixels = bitmap.Data();
  const PairTable pairs = bitmap.Empty() ? PairTable() : PairsOf(table);
  // Column x is reported once (x + 1) / width of the rows are mapped.
  int nextColumn = 0;
  int rowsDone = 0;
  bool replaced = false;
  do {
    const int endRow = std::min(height, rowsDone + rowsPerRound);
    if (!bitmap.Empty() && endRow > rowsDone) {
      ForEachRowBand(endRow - rowsDone, minimumRowsPerBand,
                     [&](std::int64_t begin, std::int64_t end) {
                       MapRows(bitmap, table, pairs, rowsDone + static_cast<int>(begin),
                               rowsDone + static_cast<int>(end));
                     });
    }
    rowsDone = endRow;
    const int columnsDone =
        rowsDone >= height ? width
                           : static_cast<int>(static_cast<std::int64_t>(rowsDone) * width / height);
    for (; nextColumn < columnsDone; ++nextColumn) {
      progress.SetPosition(nextColumn);
      pumpEvents();
    }
    // The rows of a bitmap that another operation replaced meanwhile must not be touched.
    replaced = bitmap.Width() != width || bitmap.Height() != height || bitmap.Data() != pixels;
  } while (rowsDone < height && !replaced);
  progress.SetPosition(0);
  if (replaced) throw Error("写真が処理の途中で置き換えられました");
}

}  // namespace rumora
