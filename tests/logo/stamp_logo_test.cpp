#include "logo/stamp_logo.h"

#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <string>

#include "logo/blend_logo.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::PixelDifference;

// The exact value of u (1 - p a) + l p a, p = P / 100 and a = A / 255, as a reduced fraction,
// rounded to the nearest integer with halves to even.
int ExactMix(int u, int l, int P, int A) {
  std::int64_t num = std::int64_t{l - u} * P * A, den = 100 * 255;
  const std::int64_t g = std::gcd(num, den);
  num /= g;
  den /= g;
  num += std::int64_t{u} * den;  // num / den is the exact value, not negative
  std::int64_t q = num / den;
  const std::int64_t twice = 2 * (num % den);
  if (twice > den || (twice == den && q % 2 != 0)) ++q;
  return static_cast<int>(q);
}

// One output pixel of the stamp, worked out on its own: the logo pixel that covers it, then the
// blend without alpha or the exact mix (an opaque pixel mixing as without alpha).
void ReferenceStamp(Bitmap& output, const LogoImage& image, std::int64_t left, std::int64_t top,
                    int scale, int P) {
  for (int y = 0; y < output.Height(); ++y) {
    for (int x = 0; x < output.Width(); ++x) {
      if (x < left || y < top) continue;
      const std::int64_t lx = (x - left) / scale, ly = (y - top) / scale;
      if (lx >= image.Width() || ly >= image.Height()) continue;
      std::uint8_t* out = output.Row(y) + 3 * x;
      const std::uint8_t* in = image.colour.Row(static_cast<int>(ly)) + 3 * lx;
      const int A = image.HasAlpha() ? image.AlphaRow(static_cast<int>(ly))[lx] : 255;
      if (!image.HasAlpha() && in[0] == 255 && in[1] == 255 && in[2] == 255) continue;
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<std::uint8_t>(A == 255 ? BlendChannel(out[c], in[c], P / 100.0)
                                                    : ExactMix(out[c], in[c], P, A));
      }
    }
  }
}

// Colours of every kind with pure white sprinkled in, and alphas of every kind.
LogoImage Pattern(int width, int height, std::uint32_t seed, bool alpha) {
  LogoImage image;
  image.colour = Bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^
                        (static_cast<std::uint32_t>(y) * 19349663u) ^ seed;
      h *= 2654435761u;
      image.colour.SetPixel(x, y, h % 5 == 0 ? clWhite : RGB(h >> 8, h >> 16, h >> 24));
      if (alpha) image.alpha.push_back(h % 3 == 0 ? 255 : h % 7 == 0 ? 0 : (h >> 4) & 0xFF);
    }
  }
  return image;
}

struct PlaceRow {
  const char* name;
  OutputSize size;
  bool alpha, doubleSize;
  std::int32_t left, top;
  int p;
};

class StampPlaces : public ::testing::TestWithParam<PlaceRow> {};

// Every place, size and kind of logo against the pixel-by-pixel working.
TEST_P(StampPlaces, MatchThePixelByPixelStamp) {
  const PlaceRow& r = GetParam();
  LogoPicture logo{Pattern(37, 23, 5, r.alpha), std::nullopt};
  if (r.doubleSize) logo.doubleSize = Pattern(75, 45, 9, r.alpha);
  const int s = OutputScale(r.size);
  const LogoPicture other{Pattern(OutputWidth(r.size), OutputHeight(r.size), 1, false), {}};
  Bitmap actual = other.image.colour, expected = actual;
  StampLogo(actual, logo, r.left, r.top, r.p, r.size);
  const bool own = s == 2 && r.doubleSize;
  ReferenceStamp(expected, own ? *logo.doubleSize : logo.image, std::int64_t{r.left} * s,
                 std::int64_t{r.top} * s, own ? 1 : s, std::clamp(r.p, 0, 100));
  ASSERT_EQ(PixelDifference(actual, expected), "");
}

constexpr OutputSize kSmall = OutputSize::k600x450, kLarge = OutputSize::k1200x900;
INSTANTIATE_TEST_SUITE_P(
    Places, StampPlaces,
    ::testing::Values(PlaceRow{"SmallAlpha", kSmall, true, false, 100, 50, 37},
                      PlaceRow{"SmallWithoutAlpha", kSmall, false, false, 580, 440, 3},
                      PlaceRow{"LargeDoubled", kLarge, true, false, 590, 440, 63},
                      PlaceRow{"LargeDoubledWithoutAlpha", kLarge, false, false, -10, 17, 1},
                      PlaceRow{"LargeOwnDoubleSize", kLarge, true, true, -30, -20, 50},
                      PlaceRow{"LargeOwnWithoutAlpha", kLarge, false, true, 561, 3, 99},
                      PlaceRow{"SmallIgnoresDoubleSize", kSmall, true, true, 7, 8, 100},
                      PlaceRow{"FarRight", kLarge, true, false, INT_MAX, 10, 50},
                      PlaceRow{"FarNegative", kLarge, true, true, INT_MIN, INT_MIN, 50},
                      PlaceRow{"WeightBeyondTheBar", kLarge, true, false, 5, 5, 250},
                      PlaceRow{"WeightZero", kLarge, true, false, 5, 5, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// All alphas at every bar position, for a few output and logo bytes, against the exact
// fraction; pixels that are wholly opaque follow the blend without alpha instead.
TEST(StampLogo, AlphaMixIsTheExactFraction) {
  constexpr int kPairs[][2] = {{0, 255}, {255, 0}, {250, 0}, {17, 200}, {128, 127}, {3, 4}};
  constexpr int kRows = std::size(kPairs);
  LogoPicture logo;
  logo.image.colour = Bitmap(256, kRows);
  Bitmap under(256, kRows);
  for (int y = 0; y < kRows; ++y) {
    for (int a = 0; a < 256; ++a) {
      logo.image.colour.SetPixel(a, y, RGB(kPairs[y][1], kPairs[y][1], kPairs[y][1]));
      under.SetPixel(a, y, RGB(kPairs[y][0], kPairs[y][0], kPairs[y][0]));
      logo.image.alpha.push_back(static_cast<std::uint8_t>(a));
    }
  }
  for (int p = 0; p <= 100; ++p) {
    Bitmap output = under;
    StampLogo(output, logo, 0, 0, p, OutputSize::k600x450);
    for (int y = 0; y < kRows; ++y) {
      for (int a = 0; a < 256; ++a) {
        const int u = kPairs[y][0], l = kPairs[y][1];
        const int expected = a == 255 ? BlendChannel(static_cast<std::uint8_t>(u),
                                                     static_cast<std::uint8_t>(l), p / 100.0)
                                      : ExactMix(u, l, p, a);
        ASSERT_EQ(GetRValue(output.Pixel(a, y)), expected)
            << "P " << p << ", A " << a << ", u " << u << ", l " << l;
      }
    }
  }
}

// An opaque logo with alpha gives the bytes of the same colours without alpha, for every pair
// of bytes at every bar position (no pixel is pure white).
TEST(StampLogo, OpaqueAlphaGivesTheBlendWithoutAlpha) {
  LogoPicture logo;
  logo.image.colour = Bitmap(256, 256);
  Bitmap under(256, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      logo.image.colour.SetPixel(x, y, RGB(y, x, 255 - y));
      under.SetPixel(x, y, RGB(x, y, x ^ y));
    }
  }
  logo.image.alpha.assign(256 * 256, 255);
  for (int p = 0; p <= 100; ++p) {
    Bitmap actual = under, expected = under;
    StampLogo(actual, logo, 0, 0, p, OutputSize::k600x450);
    BlendLogo(expected, logo.image.colour, 0, 0, p / 100.0);
    ASSERT_EQ(PixelDifference(actual, expected), "") << "P " << p;
  }
}

}  // namespace
}  // namespace rumora
