#include "imaging/colour_conversion.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "imaging/parallel_rows.h"

namespace rumora {
namespace {

// Rows per band: a band of a photo's rows is worth a thread only when it is long.
constexpr std::int64_t kMinimumRowsPerBand = 64;

}  // namespace

void ConvertRows(Bitmap& photo, const ColourConversion& conversion, int begin, int end) {
  const auto width = static_cast<std::size_t>(photo.Width());
  ForEachRowBand(end - begin, kMinimumRowsPerBand, [&](std::int64_t first, std::int64_t last) {
    // Rows lie end to end: one call per band.
    conversion.ConvertPixels(photo.Row(begin + static_cast<int>(first)),
                             width * static_cast<std::size_t>(last - first));
  });
}

bool MatrixShaperConversion::Fits(const Tables& tables) {
  const auto within16Bits = [](std::int64_t v) { return v >= -32767 && v <= 32767; };
  if (tables.matrixShift < 1 || tables.matrixShift > 14) return false;
  std::int64_t largest = 0;
  for (const auto& channel : tables.linear) {
    for (const std::int32_t v : channel) {
      if (!within16Bits(v)) return false;
      largest = std::max<std::int64_t>(largest, std::abs(v));
    }
  }
  for (int row = 0; row < 3; ++row) {
    std::int64_t bound = std::abs(std::int64_t{tables.offset[row]}) + (1 << tables.matrixShift);
    for (const std::int32_t m : tables.matrix[row]) {
      if (!within16Bits(m)) return false;
      bound += std::abs(std::int64_t{m}) * largest;
    }
    if (bound >= std::int64_t{1} << 30) return false;
  }
  return true;
}

MatrixShaperConversion::MatrixShaperConversion(const Tables& tables)
    : layout_(std::make_unique<Layout>()), vector_(__builtin_cpu_supports("avx2")) {
  Layout& l = *layout_;
  l.tables = tables;
  const auto low = [](std::int32_t v) { return static_cast<std::uint32_t>(v) & 0xFFFFu; };
  for (int v = 0; v < 256; ++v) {
    l.pairs[0][v] = low(tables.linear[0][v]);
    l.pairs[1][v] = low(tables.linear[1][v]) << 16;
    l.pairs[2][v] = low(tables.linear[2][v]);
  }
  for (int row = 0; row < 3; ++row) {
    const auto& m = tables.matrix[row];
    l.redGreen[row] = low(m[0]) | (low(m[1]) << 16);
    l.blue[row] = low(m[2]);
    l.rounding[row] = tables.offset[row] + (1 << (tables.matrixShift - 1));
    for (int i = 0; i < kEncodeEntries; ++i) {
      l.placed[row][i] = std::uint32_t{tables.encode[row][i]} << (8 * (2 - row));
    }
  }
}

void MatrixShaperConversion::ConvertPixels(std::uint8_t* bgr, std::size_t pixels) const {
  std::size_t done = 0;
  if (vector_) done = colour_detail::ConvertPixelsAvx2(*layout_, bgr, pixels);
  ConvertPixelsPlain(bgr + 3 * done, pixels - done);
}

void MatrixShaperConversion::ConvertPixelsPlain(std::uint8_t* bgr, std::size_t pixels) const {
  const Layout& l = *layout_;
  const auto& linear = l.tables.linear;
  const auto& m = l.tables.matrix;
  const int shift = l.tables.matrixShift;
  for (std::uint8_t* p = bgr; p < bgr + 3 * pixels; p += 3) {
    const std::int32_t r = linear[0][p[2]], g = linear[1][p[1]], b = linear[2][p[0]];
    std::uint8_t out[3];
    for (int row = 0; row < 3; ++row) {
      const std::int32_t sum =
          (m[row][0] * r + m[row][1] * g + m[row][2] * b + l.rounding[row]) >> shift;
      out[row] = l.tables.encode[row][std::clamp(sum, 0, kOne)];
    }
    p[0] = out[2], p[1] = out[1], p[2] = out[0];
  }
}

}  // namespace rumora
