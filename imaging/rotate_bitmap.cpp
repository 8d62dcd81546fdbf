// Free rotation by inverse mapping. The rotation's arithmetic is 80-bit extended with some
// values held as 32-bit floats; x87 code for every pixel is slow, so each pixel is computed in
// double precision where that provably gives the same float (or the same rounded byte), and in
// extended precision (the exact path) where it might not. Why double is enough:
// - px·cos and the like multiply two floats: exact in double as in extended. Their sum is
//   rounded once in either format, and both roundings then round to a float. The two results
//   can only differ when the double sum lies exactly halfway between two floats, so such
//   pixels (and sums in the denormal float range) take the extended path.
// - With fx a multiple of 2^-29, P·(1 - fx) + P'·fx is exact in double and in extended, so its
//   float is the same.
// - With fy a multiple of 2^-29 and the two row blends multiples of 2^-27, the final blend is
//   exact in extended and rounded once in double; rounding that to an integer can only differ
//   when the double lies exactly on a half, which again takes the extended path.
// Outside the halfway cases, fx or fy fails the 2^-29 grid only below 2^-6, that is where sx or
// sy lies within 1/64 of a pixel right of the photo's left edge or below its top edge: the exact
// path runs along the whole of those two edges (a sample or two each time a row crosses them),
// and at the rare halfway sums anywhere. The AVX2 kernel (rotate_row_avx2.cpp) goes its own
// way, in integers and floats, for the pixels well inside the photo, and falls back on these
// steps wherever its own proof does not hold.
#include "imaging/rotate_bitmap.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <utility>

#include "imaging/parallel_rows.h"
#include "imaging/rotate_sampler.h"
#include "imaging/tbmp_data24.h"

namespace rumora {
namespace {

using rotation::Extended;

constexpr Extended kPi = 3.14159265358979323846L;

struct CornerPoint {
  float X;
  float Y;
};

// The angle's sine and cosine and the extent of the turned picture.
struct Rotation {
  float cosA = 1;
  float sinA = 0;
  float minX = 0;
  float minY = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
};

Rotation Prepare(std::int32_t width, std::int32_t height, float angle) {
  Rotation r;
  const Extended radians = static_cast<Extended>(angle) * kPi / 180.0L;
  r.sinA = static_cast<float>(std::sin(radians));
  r.cosA = static_cast<float>(std::cos(radians));
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const CornerPoint corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  float minX = 100000, maxX = -100000, minY = 100000, maxY = -100000;
  for (const CornerPoint& p : corners) {
    const auto x = static_cast<float>(static_cast<Extended>(p.X) * r.cosA -
                                      static_cast<Extended>(p.Y) * r.sinA);
    const auto y = static_cast<float>(static_cast<Extended>(p.X) * r.sinA +
                                      static_cast<Extended>(p.Y) * r.cosA);
    if (x < minX) minX = x;
    if (x > maxX) maxX = x;
    if (y < minY) minY = y;
    if (y > maxY) maxY = y;
  }
  r.minX = minX;
  r.minY = minY;
  r.width = std::llrint(static_cast<Extended>(maxX) - minX + 1.0L);
  r.height = std::llrint(static_cast<Extended>(maxY) - minY + 1.0L);
  return r;
}

// The destination columns [begin, end) of one row that can sample the photo; every column
// outside is surely background. A position is sampled only when -1 < sx < W and -1 < sy < H,
// and sx, sy are linear in the column; the span is computed in double and widened by two
// source pixels and a destination pixel on each side, far more than the roundings of the
// exact path can move a position.
struct ColumnSpan {
  std::size_t begin;
  std::size_t end;
};

ColumnSpan SampledColumns(const Rotation& r, float py, std::int64_t W, std::int64_t H,
                          std::size_t columns) {
  constexpr double kMargin = 2;
  double low = r.minX - 1.0;
  double high = r.minX + static_cast<double>(columns) + 1.0;
  // Narrows [low, high] to the px where lower < slope·px + offset < upper.
  const auto narrow = [&](double slope, double offset, double lower, double upper) {
    if (slope == 0) {
      if (offset <= lower || offset >= upper) high = low - 1;
      return;
    }
    double a = (lower - offset) / slope;
    double b = (upper - offset) / slope;
    if (a > b) std::swap(a, b);
    low = std::max(low, a);
    high = std::min(high, b);
  };
  const double cosA = r.cosA;
  const double sinA = r.sinA;
  narrow(cosA, double{py} * sinA, -1 - kMargin, static_cast<double>(W) + kMargin);
  narrow(-sinA, double{py} * cosA, -1 - kMargin, static_cast<double>(H) + kMargin);
  if (!(low <= high)) return {0, 0};
  const double first = std::floor(low - r.minX) - 1;
  const double last = std::ceil(high - r.minX) + 1;
  const double count = static_cast<double>(columns);
  const auto begin = static_cast<std::size_t>(std::clamp(first, 0.0, count));
  const auto end = static_cast<std::size_t>(std::clamp(last + 1, 0.0, count));
  return {begin, std::max(begin, end)};
}

// Columns [begin, end) of `row` in the background colour: one pixel, then copies of what is
// already filled, doubling each time.
void FillBackground(std::uint8_t* row, std::size_t begin, std::size_t end,
                    const std::uint8_t* background) {
  if (begin >= end) return;
  std::uint8_t* out = row + 3 * begin;
  const std::size_t bytes = 3 * (end - begin);
  std::memcpy(out, background, 3);
  for (std::size_t filled = 3; filled < bytes;) {
    const std::size_t chunk = std::min(filled, bytes - filled);
    std::memcpy(out + filled, out, chunk);
    filled += chunk;
  }
}

}  // namespace

RotatedSize RotatedBitmapSize(std::int32_t width, std::int32_t height, float angle) {
  const Rotation r = Prepare(width, height, angle);
  return {r.width, r.height};
}

bool RotationKernelAvailable(RotationKernel kernel) {
  switch (kernel) {
    case RotationKernel::kBaseline:
      return true;
    case RotationKernel::kAvx2:
      return __builtin_cpu_supports("avx2");
  }
  return false;
}

RotationKernel WidestRotationKernel() {
  return RotationKernelAvailable(RotationKernel::kAvx2) ? RotationKernel::kAvx2
                                                        : RotationKernel::kBaseline;
}

namespace {

Bitmap RotatedBitmapWith(const Bitmap& bitmap, TColor background, float angle,
                         RotationKernel kernel, std::int64_t* exactSamples) {
  if (!RotationKernelAvailable(kernel)) kernel = RotationKernel::kBaseline;
  const Rotation r = Prepare(bitmap.Width(), bitmap.Height(), angle);
  // Everything that can fail is made before the picture is touched.
  CheckBitmapSize(r.width, r.height);
  Bitmap destination(static_cast<int>(r.width), static_cast<int>(r.height));
  const TBmpData24 source(const_cast<Bitmap&>(bitmap));  // only read
  const TBmpData24 target(destination);
  rotation::Sampler sampler{source,
                            source.Width(),
                            source.Height(),
                            {GetBValue(background), GetGValue(background), GetRValue(background)},
                            r.cosA,
                            r.sinA,
                            {},
                            {},
                            {},
                            bitmap.Data(),
                            static_cast<std::int64_t>(bitmap.Stride())};
  const auto columns = static_cast<std::size_t>(r.width);
  sampler.px.resize(columns);
  sampler.pxCos.resize(columns);
  sampler.pxSin.resize(columns);
  for (std::size_t x = 0; x < columns; ++x) {
    const auto px = static_cast<float>(static_cast<Extended>(x) + r.minX);
    sampler.px[x] = px;
    sampler.pxCos[x] = double{px} * r.cosA;
    sampler.pxSin[x] = double{px} * r.sinA;
  }
  const rotation::RowKernel row =
      kernel == RotationKernel::kAvx2 ? rotation::RotateRowAvx2 : rotation::RotateRowBaseline;
  // Tiles of a hundred rows or so by a few hundred columns: the source pixels one tile reads
  // lie on few memory pages even when the angle makes each destination row cross thousands of
  // source rows, so page-table lookups stay cached; and at steep angles the band of source a
  // tile reads is wide enough that little of each cache line fetched for it goes unused, while
  // it still fits the core's own cache.
  constexpr std::int64_t kTileRows = 128;
  constexpr std::size_t kTileColumns = 256;
  std::atomic<std::int64_t> exact{0};
  ForEachRowBand(r.height, 8, [&](std::int64_t begin, std::int64_t end) {
    std::int64_t bandExact = 0;
    float py[kTileRows];
    ColumnSpan spans[kTileRows];
    for (std::int64_t top = begin; top < end; top += kTileRows) {
      const std::int64_t rows = std::min(end - top, kTileRows);
      for (std::int64_t i = 0; i < rows; ++i) {
        py[i] = static_cast<float>(static_cast<Extended>(top + i) + r.minY);
        spans[i] = SampledColumns(r, py[i], sampler.W, sampler.H, columns);
      }
      for (std::size_t left = 0; left < columns; left += kTileColumns) {
        const std::size_t right = std::min(columns, left + kTileColumns);
        for (std::int64_t i = 0; i < rows; ++i) {
          std::uint8_t* line = target.RowAddress(static_cast<std::int32_t>(top + i));
          const std::size_t from = std::clamp(spans[i].begin, left, right);
          const std::size_t to = std::clamp(spans[i].end, from, right);
          FillBackground(line, left, from, sampler.background);
          if (from < to)
            bandExact += static_cast<std::int64_t>(row(sampler, py[i], from, to, line));
          FillBackground(line, to, right, sampler.background);
        }
      }
    }
    exact += bandExact;
  });
  if (exactSamples) *exactSamples = exact;
  return destination;
}

}  // namespace

void RotateBitmap(Bitmap& bitmap, TColor background, float angle) {
  RotateBitmapWith(bitmap, background, angle, WidestRotationKernel());
}

Bitmap RotatedBitmap(const Bitmap& bitmap, TColor background, float angle) {
  return RotatedBitmapWith(bitmap, background, angle, WidestRotationKernel(), nullptr);
}

void RotateBitmapWith(Bitmap& bitmap, TColor background, float angle, RotationKernel kernel,
                      std::int64_t* exactSamples) {
  bitmap = RotatedBitmapWith(bitmap, background, angle, kernel, exactSamples);
}

namespace rotation {

std::size_t RotateRowBaseline(const Sampler& sampler, float py, std::size_t begin, std::size_t end,
                              std::uint8_t* row) {
  const double pyCos = double{py} * sampler.cosA;
  const double pySin = double{py} * sampler.sinA;
  std::size_t exact = 0;
  std::uint8_t* out = row + 3 * begin;
  for (std::size_t x = begin; x < end; ++x, out += 3) {
    exact += sampler.Pixel(x, py, pyCos, pySin, out);
  }
  return exact;
}

}  // namespace rotation

}  // namespace rumora
