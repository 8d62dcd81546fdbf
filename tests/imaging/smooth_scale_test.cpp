#include "imaging/smooth_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/image_view.h"
#include "imaging/parallel_rows.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::FixedView;
using testing::kMarker;
using testing::SamePixels;

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
  friend Fraction operator/(Fraction a, Fraction b) { return {a.num * b.den, a.den * b.num}; }
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
    return from < to ? (to - from) / scale : Fraction(0);
  }
  Fraction u = (Fraction(i) + Fraction(1, 2)) * scale - Fraction(1, 2);
  u = std::min(std::max(u, Fraction(0)), Fraction(blockSize - 1));
  const int lower = static_cast<int>(u.Floor());
  const Fraction f = u - Fraction(lower);
  Fraction w = k == lower ? Fraction(1) - f : Fraction(0);
  return k == std::min(lower + 1, blockSize - 1) ? w + f : w;
}

struct Rounding {
  int halvesDown = 0, halvesUp = 0;
};

// The target (width x height, only the first columnEnd x rowEnd made) of the block at
// (left, top) of `source`, whose pixels outside it read its nearest edge pixel.
Bitmap Reference(const Bitmap& source, int left, int top, int blockWidth, int blockHeight,
                 int width, int height, int columnEnd, int rowEnd, Rounding& rounding) {
  Bitmap out(columnEnd, rowEnd);
  std::vector<std::vector<Fraction>> wx(columnEnd, std::vector<Fraction>(blockWidth));
  for (int i = 0; i < columnEnd; ++i) {
    for (int k = 0; k < blockWidth; ++k) wx[i][k] = Weight(i, k, blockWidth, width);
  }
  for (int j = 0; j < rowEnd; ++j) {
    for (int i = 0; i < columnEnd; ++i) {
      Fraction sum[3];
      for (int l = 0; l < blockHeight; ++l) {
        const Fraction wy = Weight(j, l, blockHeight, height);
        if (wy.num == 0) continue;
        const int y = std::clamp(top + l, 0, source.Height() - 1);
        for (int k = 0; k < blockWidth; ++k) {
          const Fraction w = wy * wx[i][k];
          const int x = std::clamp(left + k, 0, source.Width() - 1);
          for (int c = 0; c < 3; ++c) sum[c] = sum[c] + w * Fraction(source.Row(y)[3 * x + c]);
        }
      }
      for (int c = 0; c < 3; ++c) {
        __int128 q = sum[c].Floor();
        const Fraction rest = sum[c] - Fraction(q);
        if (Fraction(1, 2) < rest) ++q;
        if (rest.num * 2 == rest.den) {
          (q % 2 == 0 ? rounding.halvesDown : rounding.halvesUp) += 1;
          q += q % 2;
        }
        out.Row(j)[3 * i + c] = static_cast<std::uint8_t>(q);
      }
    }
  }
  return out;
}

Bitmap RandomPicture(int width, int height, int levels, std::mt19937& random) {
  Bitmap b(width, height);
  std::uniform_int_distribution<int> value(0, levels - 1);
  const int step = 255 / std::max(1, levels - 1);
  for (int y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < b.Stride(); ++i)
      b.Row(y)[i] = static_cast<std::uint8_t>(value(random) * step);
  }
  return b;
}

// The first column and row of `actual` (at least as large) that differ from `expected`.
std::string FirstDifference(const Bitmap& expected, const Bitmap& actual) {
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      if (expected.Pixel(x, y) != actual.Pixel(x, y)) {
        return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
      }
    }
  }
  return "";
}

struct Case {
  const char* name;
  int sourceWidth, sourceHeight, left, top, blockWidth, blockHeight, width, height, levels;
};

// Reducing, enlarging and equal sizes on either axis, single-pixel blocks and blocks beyond the
// source (up to weights that need the wide sums); few levels make exact halves common.
const Case kCases[] = {
    {"reduce x reduce", 37, 29, 2, 3, 31, 23, 7, 5, 256},
    {"reduce x reduce, halves", 24, 16, 0, 0, 24, 16, 12, 8, 2},
    {"reduce x enlarge", 40, 9, 1, 2, 30, 4, 9, 11, 4},
    {"enlarge x reduce", 9, 40, 2, 1, 4, 30, 13, 6, 4},
    {"enlarge x enlarge", 6, 5, 1, 1, 5, 3, 17, 13, 3},
    {"single pixel", 4, 4, 2, 1, 1, 1, 6, 4, 256},
    {"equal widths", 15, 12, 1, 0, 13, 8, 13, 5, 2},
    {"equal sizes", 15, 12, 0, 2, 15, 9, 15, 9, 256},
    {"beyond every edge", 20, 15, -5, -4, 50, 40, 9, 7, 256},
    {"enlarged beyond edges", 5, 4, -2, 3, 4, 3, 11, 7, 256},
    {"weights beyond 16 bits", 8, 4, 1, -20000, 6, 40001, 5, 2, 256},
};

TEST(SmoothScale, MatchesTheExactWeightedMean) {
  std::mt19937 random(17);
  Rounding rounding;
  std::vector<Case> cases(std::begin(kCases), std::end(kCases));
  std::uniform_int_distribution<int> size(1, 40), offset(-3, 3);
  for (int n = 0; n < 12; ++n) {
    cases.push_back({"random", size(random), size(random), offset(random), offset(random),
                     size(random), size(random), size(random), size(random), 1 + n % 4 * 85});
  }
  for (const Case& c : cases) {
    const Bitmap source = RandomPicture(c.sourceWidth, c.sourceHeight, c.levels, random);
    for (const bool clipped : {false, true}) {
      const int columnEnd = clipped ? (c.width + 1) / 2 : c.width;
      const int rowEnd = clipped ? (c.height + 1) / 2 : c.height;
      const Bitmap expected = Reference(source, c.left, c.top, c.blockWidth, c.blockHeight, c.width,
                                        c.height, columnEnd, rowEnd, rounding);
      Bitmap actual = Bitmap::Filled(columnEnd + 2, rowEnd + 1, kMarker);
      PlanSmoothScale(source, c.left, c.top, c.blockWidth, c.blockHeight, c.width, c.height,
                      columnEnd, rowEnd)
          .MakeRows(source, actual, 2, 1, 0, rowEnd);
      Bitmap placed = Bitmap::Filled(columnEnd + 2, rowEnd + 1, kMarker);
      for (int y = 0; y < rowEnd; ++y) {
        std::copy_n(expected.Row(y), expected.Stride(), placed.Row(y + 1) + 6);
      }
      ASSERT_EQ(FirstDifference(placed, actual), "")
          << c.name << " " << c.blockWidth << "x" << c.blockHeight << " -> " << c.width << "x"
          << c.height << (clipped ? " clipped" : "");
    }
  }
  EXPECT_GT(rounding.halvesDown, 0);
  EXPECT_GT(rounding.halvesUp, 0);
}

// The input view's picture: the whole photo over the control's odd size, clipped to the picture.
TEST(SmoothScale, StretchesThePhotoOverTheInputView) {
  std::mt19937 random(7);
  Rounding rounding;
  const Bitmap photo = RandomPicture(61, 43, 256, random);
  for (const auto& [controlWidth, controlHeight, pictureSize] :
       {std::tuple{31, 23, 40}, {33, 47, 40}, {79, 57, 60}, {61, 43, 50}}) {
    FixedView view(controlWidth, controlHeight);
    view.AssignPicture(Bitmap::Filled(pictureSize, pictureSize, kMarker));
    StretchToView(photo, view, Scaling::kSmooth);
    const int columnEnd = std::min(controlWidth, pictureSize);
    const int rowEnd = std::min(controlHeight, pictureSize);
    Bitmap expected = Bitmap::Filled(pictureSize, pictureSize, kMarker);
    const Bitmap made = Reference(photo, 0, 0, photo.Width(), photo.Height(), controlWidth,
                                  controlHeight, columnEnd, rowEnd, rounding);
    for (int y = 0; y < rowEnd; ++y) std::copy_n(made.Row(y), made.Stride(), expected.Row(y));
    ASSERT_EQ(FirstDifference(expected, view.Picture()), "")
        << controlWidth << "x" << controlHeight << " on " << pictureSize;
  }
}

// Rows shared between threads give the same bytes as one thread making them all.
TEST(SmoothScale, SameBytesOnAnyNumberOfThreads) {
  std::mt19937 random(3);
  const Bitmap photo = RandomPicture(1501, 1103, 256, random);
  Bitmap one(600, 450), split(600, 450);
  const SmoothScale scale = PlanSmoothScale(photo, -1, 2, 1499, 1101, 600, 450, 600, 450);
  SetRowBandLimit(1);
  scale.MakeRows(photo, one, 0, 0, 0, 450);
  SetRowBandLimit(2);
  scale.MakeRows(photo, split, 0, 0, 0, 450);
  SetRowBandLimit(0);
  EXPECT_TRUE(SamePixels(one, split));
}

}  // namespace
}  // namespace rumora
