#include "logo/blend_logo.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace rumora {
namespace {

// The blend exactly as described: logo columns outer, rows inner, per-pixel access, one
// channel at a time through the extended-precision formula.
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
                      RGB(BlendChannel(GetRValue(u), GetRValue(l), t),
                          BlendChannel(GetGValue(u), GetGValue(l), t),
                          BlendChannel(GetBValue(u), GetBValue(l), t)));
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

TEST_P(BlendChannels, MatchTheWorkedExamples) {
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

TEST(BlendLogo, WhiteIsSeeThroughAndNearWhiteIsMixed) {
  for (int p : {0, 1, 37, 50, 100}) {
    Bitmap output = Bitmap::Filled(2, 1, RGB(10, 20, 30));
    Bitmap logo(2, 1);
    logo.SetPixel(0, 0, RGB(255, 255, 255));
    logo.SetPixel(1, 0, RGB(255, 255, 254));
    BlendLogo(output, logo, 0, 0, p / 100.0);
    EXPECT_EQ(output.Pixel(0, 0), RGB(10, 20, 30)) << "white at p = " << p;
    const double t = p / 100.0;
    EXPECT_EQ(output.Pixel(1, 0),
              RGB(BlendChannel(10, 255, t), BlendChannel(20, 255, t), BlendChannel(30, 254, t)))
        << "near-white at p = " << p;
  }
}

struct PlaceCase {
  const char* name;
  int logoWidth, logoHeight;
  std::int32_t left, top;
  int p;
};

class BlendPlaces : public testing::TestWithParam<PlaceCase> {};

// Every size and place, against the description; the output outside the logo is untouched.
TEST_P(BlendPlaces, MatchThePerPixelDescription) {
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

TEST(BlendLogo, FullWeightCopiesAndZeroWeightKeeps) {
  const Bitmap logo = Pattern(40, 30, 5);
  Bitmap copied = Pattern(40, 30, 6);
  const Bitmap before = copied;
  BlendLogo(copied, logo, 0, 0, 1.0);
  Bitmap kept = before;
  BlendLogo(kept, logo, 0, 0, 0.0);
  ExpectSame(kept, before);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const TColor l = logo.Pixel(x, y);
      const TColor want = l == RGB(255, 255, 255) ? before.Pixel(x, y) : l;
      ASSERT_EQ(copied.Pixel(x, y), want) << "pixel (" << x << ", " << y << ")";
    }
  }
}

}  // namespace
}  // namespace rumora
