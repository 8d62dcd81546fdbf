#include "logo/stamp_logo.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include "logo/blend_logo.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

constexpr OutputSize kSmall = OutputSize::k600x450, kLarge = OutputSize::k1200x900;

// u (1 - p a) + l p a as an exact fraction over 100 * 255 rounded half to even; opaque as
// without alpha.
int Mixed(int u, int l, int P, int A) {
  if (A == 255)
    return BlendChannel(static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(l), P / 100.0);
  const int num = u * 25500 + (l - u) * P * A, q = num / 25500, twice = 2 * (num % 25500);
  return q + (twice > 25500 || (twice == 25500 && q % 2 != 0));
}

// Colours and alphas of every kind, pure white among them.
LogoImage Pattern(int width, int height, std::uint32_t seed, bool alpha) {
  LogoImage image{Bitmap(width, height), {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t h = ((x * 73856093u) ^ (y * 19349663u) ^ seed) * 2654435761u;
      image.colour.SetPixel(x, y, h % 5 == 0 ? clWhite : RGB(h >> 8, h >> 16, h >> 24));
      if (alpha) image.alpha.push_back(h % 3 == 0 ? 255 : h % 7 == 0 ? 0 : (h >> 4) & 0xFF);
    }
  }
  return image;
}

// Places, sizes and kinds of logo against the stamp worked out pixel by pixel.
TEST(StampLogo, MatchesThePixelByPixelStamp) {
  struct Row {
    OutputSize size;
    bool alpha, doubleSize;
    std::int32_t left, top;
    int p;
  } const rows[] = {{kSmall, true, false, 100, 50, 37},         {kLarge, true, false, 590, 440, 63},
                    {kLarge, false, false, -10, 17, 1},         {kLarge, true, true, -30, -20, 50},
                    {kLarge, false, true, 561, 3, 99},          {kSmall, true, true, 7, 8, 100},
                    {kLarge, true, true, INT_MIN, INT_MIN, 50}, {kLarge, true, false, 5, 5, 250}};
  for (const Row& r : rows) {
    const LogoPicture logo{
        Pattern(37, 23, 5, r.alpha),
        r.doubleSize ? std::optional(Pattern(75, 45, 9, r.alpha)) : std::nullopt};
    Bitmap actual = Pattern(OutputWidth(r.size), OutputHeight(r.size), 1, false).colour;
    Bitmap expected = actual;
    StampLogo(actual, logo, r.left, r.top, r.p, r.size);
    const int s = OutputScale(r.size), scale = s == 2 && r.doubleSize ? 1 : s;
    const LogoImage& image = scale != s ? *logo.doubleSize : logo.image;
    const std::int64_t left = std::int64_t{r.left} * s, top = std::int64_t{r.top} * s;
    for (int y = 0; y < expected.Height(); ++y) {
      for (int x = 0; x < expected.Width(); ++x) {
        const std::int64_t lx = (x - left) / scale, ly = (y - top) / scale;
        if (x < left || y < top || lx >= image.Width() || ly >= image.Height()) continue;
        const std::uint8_t* in = image.colour.Row(static_cast<int>(ly)) + 3 * lx;
        const int a = image.HasAlpha() ? image.AlphaRow(static_cast<int>(ly))[lx] : 255;
        if (!image.HasAlpha() && (in[0] & in[1] & in[2]) == 255) continue;
        for (int c = 0; c < 3; ++c) {
          std::uint8_t& u = expected.Row(y)[3 * x + c];
          u = static_cast<std::uint8_t>(Mixed(u, in[c], std::clamp(r.p, 0, 100), a));
        }
      }
    }
    ASSERT_EQ(testing::PixelDifference(actual, expected), "") << "place " << r.left << "," << r.top;
  }
}

// Every bar position and alpha for every difference l - u, each with an even and an odd u (the
// mix depends on u only through them), one pair a channel; every pair under opaque pixels.
TEST(StampLogo, AlphaMixesExactlyAndOpaqueAsWithoutAlpha) {
  std::vector<std::array<int, 2>> pairs;
  for (int d = 0; d < 256; ++d) {
    for (int u = 0; u < 2 && u + d < 256; ++u) pairs.push_back({u, u + d});
    for (int u = 255; u > 253 && d > 0 && u - d >= 0; --u) pairs.push_back({u, u - d});
  }
  const int sweepRows = static_cast<int>(pairs.size() + 2) / 3;
  pairs.resize(3 * static_cast<std::size_t>(sweepRows), pairs.back());
  LogoPicture sweep{{Bitmap(256, sweepRows), {}}, {}}, opaque{{Bitmap(256, 256), {}}, {}};
  Bitmap sweepUnder(256, sweepRows), opaqueUnder(256, 256);
  for (int y = 0; y < std::max(256, sweepRows); ++y) {
    for (int x = 0; x < 256; ++x) {
      opaque.image.colour.SetPixel(x, y, RGB(y, x, 255 - y));  // ignored beyond the bitmap
      opaqueUnder.SetPixel(x, y, RGB(x, y, x ^ y));
      if (y >= sweepRows) continue;
      for (int c = 0; c < 3; ++c) {
        sweepUnder.Row(y)[3 * x + c] = static_cast<std::uint8_t>(pairs[3 * y + c][0]);
        sweep.image.colour.Row(y)[3 * x + c] = static_cast<std::uint8_t>(pairs[3 * y + c][1]);
      }
      sweep.image.alpha.push_back(static_cast<std::uint8_t>(x));
    }
  }
  opaque.image.alpha.assign(256 * 256, 255);
  for (int p = 0; p <= 100; ++p) {
    Bitmap output = sweepUnder, actual = opaqueUnder, expected = opaqueUnder;
    StampLogo(output, sweep, 0, 0, p, kSmall);
    for (int y = 0; y < sweepRows; ++y) {
      const std::uint8_t* row = output.Row(y);
      for (int i = 0; i < 3 * 256; ++i) {
        const int u = pairs[3 * y + i % 3][0], l = pairs[3 * y + i % 3][1];
        if (row[i] == Mixed(u, l, p, i / 3)) continue;
        FAIL() << "P " << p << ", A " << i / 3 << ", u " << u << ", l " << l << ": " << int{row[i]}
               << " instead of " << Mixed(u, l, p, i / 3);
      }
    }
    StampLogo(actual, opaque, 0, 0, p, kSmall);
    BlendLogo(expected, opaque.image.colour, 0, 0, p / 100.0);
    ASSERT_EQ(testing::PixelDifference(actual, expected), "") << "P " << p;
  }
}

}  // namespace
}  // namespace rumora
