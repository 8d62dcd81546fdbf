#include "logo/blend_logo.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

namespace rumora {
namespace {

// `n` rounded half to even to a multiple of 2^shift.
__int128 RoundToMultiple(__int128 n, int shift) {
  if (shift <= 0) return n;
  const __int128 unit = static_cast<__int128>(1) << shift;
  __int128 kept = n >> shift;
  const __int128 rest = n - (kept << shift);
  if (2 * rest > unit || (2 * rest == unit && kept % 2 != 0)) ++kept;
  return kept << shift;
}

// `n` (not negative) rounded half to even to 64 significant bits, as an 80-bit value holds it.
__int128 ToExtended(__int128 n) {
  int bits = 0;
  while (bits < 127 && (n >> bits) > 0) ++bits;
  return RoundToMultiple(n, bits - 64);
}

// One channel of the blend worked out in whole numbers: with the weight t = m / 2^s as the
// double holds it, (1 - t) u and t l are the numerators (2^s - m) u and m l over 2^s, each
// product and their sum rounded to 64 significant bits, then the sum to a whole number.
int ExtendedChannel(int u, int l, double t) {
  if (t == 0) return u;
  int exponent = 0;
  const double fraction = std::frexp(t, &exponent);  // t = fraction * 2^exponent
  const auto m = static_cast<__int128>(std::ldexp(fraction, 53));
  const int s = 53 - exponent;
  const __int128 under = ToExtended(((static_cast<__int128>(1) << s) - m) * u);
  const __int128 sum = ToExtended(under + ToExtended(m * l));
  return static_cast<int>(RoundToMultiple(sum, s) >> s);
}

// The blend pixel by pixel: logo columns outer, rows inner, one channel at a time.
void ReferenceBlend(Bitmap& output, const Bitmap& logo, std::int32_t left, std::int32_t top,
                    double t) {
  for (int x = 0; x < logo.Width(); ++x) {
    for (int y = 0; y < logo.Height(); ++y) {
      const std::int64_t ox = std::int64_t{left} + x, oy = std::int64_t{top} + y;
      if (ox < 0 || oy < 0 || ox >= output.Width() || oy >= output.Height()) continue;
      const TColor u = output.Pixel(static_cast<int>(ox), static_cast<int>(oy));
      const TColor l = logo.Pixel(x, y);
      if (GetRValue(l) == 255 && GetGValue(l) == 255 && GetBValue(l) == 255) continue;
      output.SetPixel(static_cast<int>(ox), static_cast<int>(oy),
                      RGB(ExtendedChannel(GetRValue(u), GetRValue(l), t),
                          ExtendedChannel(GetGValue(u), GetGValue(l), t),
                          ExtendedChannel(GetBValue(u), GetBValue(l), t)));
    }
  }
}

// Pixels of every kind: a hash pattern with pure white and near-white sprinkled in.
Bitmap Pattern(int width, int height, std::uint32_t seed) {
  Bitmap b(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^
                        (static_cast<std::uint32_t>(y) * 19349663u) ^ seed;
      h *= 2654435761u;
      TColor c = RGB(h >> 8, h >> 16, h >> 24);
      if (h % 7 == 0) c = RGB(255, 255, 255);
      if (h % 11 == 0) c = RGB(255, 255, 254);
      b.SetPixel(x, y, c);
    }
  }
  return b;
}

void ExpectSame(const Bitmap& actual, const Bitmap& expected) {
  ASSERT_EQ(actual.Width(), expected.Width());
  ASSERT_EQ(actual.Height(), expected.Height());
  for (int y = 0; y < actual.Height(); ++y) {
    for (int x = 0; x < actual.Width(); ++x) {
      const TColor a = actual.Pixel(x, y), e = expected.Pixel(x, y);
      ASSERT_EQ(a, e) << "pixel (" << x << ", " << y << "): expected RGB(" << int(GetRValue(e))
                      << "," << int(GetGValue(e)) << "," << int(GetBValue(e)) << "), got RGB("
                      << int(GetRValue(a)) << "," << int(GetGValue(a)) << "," << int(GetBValue(a))
                      << ")";
    }
  }
}

struct ChannelCase {
  int p;
  int under;
  int over;
  int expected;
};

class BlendChannels : public testing::TestWithParam<ChannelCase> {};

TEST_P(BlendChannels, MatchThePinnedValues) {
  const ChannelCase c = GetParam();
  const double t = static_cast<double>(c.p) / 100;
  EXPECT_EQ(BlendChannel(static_cast<std::uint8_t>(c.under), static_cast<std::uint8_t>(c.over), t),
            c.expected)
      << "p = " << c.p << ", output " << c.under << " under logo " << c.over;
  // The whole blend of a one-pixel logo agrees with the channel.
  Bitmap output = Bitmap::Filled(1, 1, RGB(c.under, c.under, c.under));
  const Bitmap logo = Bitmap::Filled(1, 1, RGB(c.over, c.over, 0));
  BlendLogo(output, logo, 0, 0, t);
  EXPECT_EQ(GetRValue(output.Pixel(0, 0)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Halves, BlendChannels,
    testing::Values(ChannelCase{1, 250, 0, 247},  // 248 in 64-bit double arithmetic
                    ChannelCase{50, 255, 0, 128}, ChannelCase{50, 100, 101, 100},
                    ChannelCase{50, 101, 102, 102}, ChannelCase{0, 37, 200, 37},
                    ChannelCase{100, 37, 200, 200}, ChannelCase{100, 0, 254, 254},
                    ChannelCase{37, 255, 0, 161}));

struct PlaceCase {
  const char* name;
  int logoWidth, logoHeight;
  std::int32_t left, top;
  int p;
};

class BlendPlaces : public testing::TestWithParam<PlaceCase> {};

// Every size and place, against the pixel-by-pixel blend; the output outside the logo is
// untouched.
TEST_P(BlendPlaces, MatchThePixelByPixelBlend) {
  const PlaceCase& c = GetParam();
  const Bitmap logo = Pattern(c.logoWidth, c.logoHeight, 17);
  Bitmap actual = Pattern(600, 450, 99);
  Bitmap expected = actual;
  BlendLogo(actual, logo, c.left, c.top, c.p / 100.0);
  ReferenceBlend(expected, logo, c.left, c.top, c.p / 100.0);
  ExpectSame(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(Places, BlendPlaces,
                         testing::Values(PlaceCase{"OnePixel", 1, 1, 300, 200, 37},
                                         PlaceCase{"Preset", 160, 48, 152, 128, 37},
                                         PlaceCase{"WholeOutput", 600, 450, 0, 0, 37},
                                         PlaceCase{"PastRightAndBottom", 160, 48, 500, 430, 50},
                                         PlaceCase{"NegativePlace", 160, 48, -100, -40, 1},
                                         PlaceCase{"LargerThanOutput", 700, 500, -50, -25, 63},
                                         PlaceCase{"FarRight", 160, 48, INT_MAX, 10, 50},
                                         PlaceCase{"FarAbove", 160, 48, 10, INT_MIN, 50},
                                         PlaceCase{"FarNegative", 160, 48, INT_MIN, INT_MIN, 50},
                                         PlaceCase{"WeightZero", 160, 48, 10, 10, 0},
                                         PlaceCase{"WeightFull", 160, 48, 10, 10, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

// The extended-precision channel, for every pair of bytes at every slider position.
TEST(BlendChannel, IsTheMixInExtendedPrecision) {
  for (int p = 0; p <= 100; ++p) {
    const double t = p / 100.0;
    for (int u = 0; u < 256; ++u) {
      for (int l = 0; l < 256; ++l) {
        ASSERT_EQ(BlendChannel(static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(l), t),
                  ExtendedChannel(u, l, t))
            << "p = " << p << ", output " << u << " under logo " << l;
      }
    }
  }
}

}  // namespace
}  // namespace rumora
