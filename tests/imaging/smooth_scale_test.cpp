#include "imaging/smooth_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "imaging/image_view.h"
#include "imaging/parallel_rows.h"
#include "imaging/row_pair_sums.h"
#include "tests/imaging/fixtures.h"

namespace rumora::testing {
namespace {

// An exact fraction, kept in lowest terms.
struct Fraction {
  __int128 num = 0, den = 1;
  Fraction(__int128 n = 0, __int128 d = 1) : num(n), den(d) {
    __int128 a = num < 0 ? -num : num, b = den;
    while (b != 0) a = std::exchange(b, a % b);
    if (a > 1) num /= a, den /= a;
  }
  friend Fraction operator+(Fraction a, Fraction b) {
    return {a.num * b.den + b.num * a.den, a.den * b.den};
  }
  friend Fraction operator-(Fraction a, Fraction b) { return a + Fraction(-b.num, b.den); }
  friend Fraction operator*(Fraction a, Fraction b) { return {a.num * b.num, a.den * b.den}; }
  friend bool operator<(Fraction a, Fraction b) { return a.num * b.den < b.num * a.den; }
  __int128 Floor() const { return num >= 0 ? num / den : -((-num + den - 1) / den); }
};

// The weight of block pixel k in target pixel i of one axis, straight from the filter's
// definition in real numbers.
Fraction Weight(int i, int k, int blockSize, int targetSize) {
  const Fraction scale(blockSize, targetSize);
  if (blockSize >= targetSize) {
    const Fraction lo = Fraction(i) * scale, hi = Fraction(i + 1) * scale;
    const Fraction from = std::max(Fraction(k), lo), to = std::min(Fraction(k + 1), hi);
    return from < to ? (to - from) * Fraction(targetSize, blockSize) : Fraction(0);
  }
  Fraction u = (Fraction(i) + Fraction(1, 2)) * scale - Fraction(1, 2);
  u = std::min(std::max(u, Fraction(0)), Fraction(blockSize - 1));
  const int lower = static_cast<int>(u.Floor());
  const Fraction f = u - Fraction(lower);
  Fraction w = k == lower ? Fraction(1) - f : Fraction(0);
  return k == std::min(lower + 1, blockSize - 1) ? w + f : w;
}

// Each target pixel's weights along one axis, by the source pixel they fall on: a block pixel
// beyond the source reads its nearest edge pixel.
std::vector<std::map<int, Fraction>> AxisWeights(int start, int blockSize, int targetSize, int end,
                                                 int sourceSize) {
  std::vector<std::map<int, Fraction>> weights(end);
  for (int i = 0; i < end; ++i) {
    for (int k = 0; k < blockSize; ++k) {
      const Fraction w = Weight(i, k, blockSize, targetSize);
      if (w.num == 0) continue;
      Fraction& sum = weights[i][std::clamp(start + k, 0, sourceSize - 1)];
      sum = sum + w;
    }
  }
  return weights;
}

// How many exact halves the reference rounded down and up, to even.
using Halves = std::array<int, 2>;

// The target (width x height, only the first columnEnd x rowEnd made) of the block at
// (left, top) of `source`.
Bitmap Reference(const Bitmap& source, int left, int top, int blockWidth, int blockHeight,
                 int width, int height, int columnEnd, int rowEnd, Halves& halves) {
  Bitmap out(columnEnd, rowEnd);
  const auto wx = AxisWeights(left, blockWidth, width, columnEnd, source.Width());
  const auto wy = AxisWeights(top, blockHeight, height, rowEnd, source.Height());
  for (int j = 0; j < rowEnd; ++j) {
    for (int i = 0; i < columnEnd; ++i) {
      Fraction sum[3];
      for (const auto& [y, rowWeight] : wy[j]) {
        for (const auto& [x, columnWeight] : wx[i]) {
          const Fraction w = rowWeight * columnWeight;
          for (int c = 0; c < 3; ++c) sum[c] = sum[c] + w * Fraction(source.Row(y)[3 * x + c]);
        }
      }
      for (int c = 0; c < 3; ++c) {
        const __int128 q = sum[c].Floor();
        const Fraction rest = sum[c] - Fraction(q);
        const bool half = rest.num * 2 == rest.den;
        if (half) ++halves[q % 2 != 0];
        out.Row(j)[3 * i + c] =
            static_cast<std::uint8_t>(q + (Fraction(1, 2) < rest || (half && q % 2 != 0)));
      }
    }
  }
  return out;
}

Bitmap RandomPicture(int width, int height, int levels, std::mt19937& random) {
  Bitmap b(width, height);
  for (std::size_t i = 0; i < b.SizeInBytes(); ++i) {
    b.Data()[i] = static_cast<std::uint8_t>(random() % levels * (255 / std::max(1, levels - 1)));
  }
  return b;
}

struct Case {
  const char* name;
  int sourceWidth, sourceHeight, left, top, blockWidth, blockHeight, width, height, levels;
};

// Reducing, enlarging and equal sizes on either axis, single-pixel blocks and blocks beyond the
// source (up to weights that need the wide sums); few levels make exact halves common. A whole
// source is also stretched over a view of the target's (odd) size whose picture clips it.
const Case kCases[] = {
    {"reduce x reduce", 37, 29, 2, 3, 31, 23, 7, 5, 256},
    {"reduce x reduce, halves", 24, 16, 0, 0, 24, 16, 12, 8, 2},
    {"reduce x enlarge", 40, 9, 1, 2, 30, 4, 9, 11, 4},
    {"enlarge x reduce", 9, 40, 2, 1, 4, 30, 13, 6, 4},
    {"enlarge x enlarge", 6, 5, 1, 1, 5, 3, 17, 13, 3},
    {"single pixel", 4, 4, 2, 1, 1, 1, 6, 4, 256},
    {"equal widths", 15, 12, 1, 0, 13, 8, 13, 5, 2},
    {"beyond every edge", 20, 15, -5, -4, 50, 40, 9, 7, 256},
    {"enlarged beyond edges", 5, 4, -2, 3, 4, 3, 11, 7, 256},
    {"weights beyond 16 bits", 8, 4, 1, -20000, 6, 40001, 5, 2, 256},
    {"view, reduced", 61, 43, 0, 0, 61, 43, 31, 23, 256},
    {"view, enlarged", 21, 17, 0, 0, 21, 17, 33, 47, 256},
};

TEST(SmoothScale, MatchesTheExactWeightedMean) {
  std::mt19937 random(17);
  Halves halves{};
  std::vector<Case> cases(std::begin(kCases), std::end(kCases));
  std::uniform_int_distribution<int> size(1, 40), offset(-3, 3);
  for (int n = 0; n < 12; ++n) {
    cases.push_back({"random", size(random), size(random), offset(random), offset(random),
                     size(random), size(random), size(random), size(random), 1 + n % 4 * 85});
  }
  for (const Case& c : cases) {
    const Bitmap source = RandomPicture(c.sourceWidth, c.sourceHeight, c.levels, random);
    const auto expect = [&](int columnEnd, int rowEnd, const Bitmap& actual, const char* how) {
      const Bitmap expected = Reference(source, c.left, c.top, c.blockWidth, c.blockHeight, c.width,
                                        c.height, columnEnd, rowEnd, halves);
      Bitmap made(columnEnd, rowEnd);
      for (int y = 0; y < rowEnd; ++y) std::copy_n(actual.Row(y), made.Stride(), made.Row(y));
      ASSERT_EQ(PixelDifference(made, expected), "")
          << c.name << " " << c.blockWidth << "x" << c.blockHeight << " -> " << c.width << "x"
          << c.height << " " << how;
    };
    for (const bool clipped : {false, true}) {
      const int columnEnd = clipped ? (c.width + 1) / 2 : c.width;
      const int rowEnd = clipped ? (c.height + 1) / 2 : c.height;
      Bitmap actual(columnEnd, rowEnd);
      PlanSmoothScale(source, c.left, c.top, c.blockWidth, c.blockHeight, c.width, c.height,
                      columnEnd, rowEnd)
          .MakeRows(source, actual, 0, rowEnd);
      expect(columnEnd, rowEnd, actual, clipped ? "clipped" : "");
    }
    if (c.blockWidth == c.sourceWidth && c.blockHeight == c.sourceHeight) {
      // A picture narrower than the control and taller: the rows below the control keep theirs.
      FixedView view(c.width, c.height);
      view.AssignPicture(Bitmap::Filled(c.width - 3, c.height + 2, kMarker));
      StretchToView(source, view, Scaling::kSmooth);
      expect(c.width - 3, c.height, view.Picture(), "view");
      EXPECT_EQ(view.Picture().Pixel(0, c.height), kMarker);
    }
  }
  EXPECT_GT(halves[0], 0);
  EXPECT_GT(halves[1], 0);
}

// Rows shared between threads give the same bytes as one thread making them all.
TEST(SmoothScale, SameBytesOnAnyNumberOfThreads) {
  std::mt19937 random(3);
  const Bitmap photo = RandomPicture(1501, 1103, 256, random);
  Bitmap made[2] = {Bitmap(600, 450), Bitmap(600, 450)};
  for (const unsigned bands : {1u, 2u}) {
    SetRowBandLimit(bands);
    PlanSmoothScale(photo, -1, 2, 1499, 1101, 600, 450, 600, 450)
        .MakeRows(photo, made[bands - 1], 0, 450);
  }
  SetRowBandLimit(0);
  EXPECT_EQ(PixelDifference(made[0], made[1]), "");
}

// Rows of pixel sums up to the largest denominator whose means fit 32 bits, which the filter's
// tests of small blocks never reach: exact halves, one off them and others, over three taps.
TEST(SmoothScale, RoundsLargeSumsOfAdjacentTapsExactly) {
  std::mt19937 random(5);
  constexpr int kPixels = 61;
  for (const std::uint32_t d : {1u, 2u, 6u, 1000032u, 8421506u, 16842944u, 16843009u}) {
    std::vector<std::uint32_t> first, weights, sums(9 * kPixels + 1);
    std::vector<std::uint64_t> totals;
    for (int i = 0; i < kPixels; ++i) {
      first.push_back(9 * static_cast<std::uint32_t>(i));  // taps of its own
      weights.insert(weights.end(), {1, 3, 5});
      for (int c = 0; c < 3; ++c) {
        // A random quotient and remainder, or one on or next to a half.
        const std::int64_t q = random() % 256, kind = random() % 4, near = d / 2 + kind - 1;
        const std::uint64_t total = std::min<std::uint64_t>(
            255ull * d,
            q * d + (kind == 3 ? random() % d : std::clamp<std::int64_t>(near, 0, d - 1)));
        std::uint32_t* s = &sums[first.back() + c];
        s[3] = static_cast<std::uint32_t>(random() % (total / 16 + 1));
        s[6] = static_cast<std::uint32_t>(random() % (total / 16 + 1));
        s[0] = static_cast<std::uint32_t>(total - 3ull * s[3] - 5ull * s[6]);
        totals.push_back(total);
      }
    }
    std::uint8_t out[3 * kPixels];
    SumAndRoundPixels(out, sums.data(), AdjacentTaps(first, weights, 3), d);
    for (int n = 0; n < 3 * kPixels; ++n) {
      const std::uint64_t q = totals[n] / d, twice = 2 * (totals[n] % d);
      ASSERT_EQ(out[n], q + (twice > d || (twice == d && q % 2 != 0))) << d << " " << totals[n];
    }
  }
}

}  // namespace
}  // namespace rumora::testing
