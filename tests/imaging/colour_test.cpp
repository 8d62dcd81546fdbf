#include "imaging/colour.h"

#include <gtest/gtest.h>

#include <cmath>

#include "imaging/rounding.h"

namespace rumora {
namespace {

TEST(ColourValue, PackingCutsEachChannelToEightBits) {
  EXPECT_EQ(RGB(300, 0, 0), 0x00002Cu);
  EXPECT_EQ(RGB(0, 300, 0), 0x002C00u);
  EXPECT_EQ(RGB(0, 0, 300), 0x2C0000u);
  EXPECT_EQ(RGB(-1, 256, 0), 0x0000FFu);
  EXPECT_EQ(RGB(0x11, 0x22, 0x33), 0x332211u);
}

TEST(ColourValue, UnpackingTakesRedFromTheLowByte) {
  const TColor c = 0x00332211;
  EXPECT_EQ(GetRValue(c), 0x11);
  EXPECT_EQ(GetGValue(c), 0x22);
  EXPECT_EQ(GetBValue(c), 0x33);
  EXPECT_EQ(GetRValue(0xFFFFFFFF), 0xFF);
}

TEST(ColourValue, ResolveReplacesSystemColourReferences) {
  EXPECT_EQ(ResolveColor(SystemColour(5)), clWhite);  // window background
  EXPECT_EQ(ResolveColor(SystemColour(1)), RGB(0, 128, 128));
  EXPECT_EQ(ResolveColor(SystemColour(200)), clBlack);  // unknown index
  EXPECT_EQ(ResolveColor(kOutsideBitmap), clBlack);
}

TEST(ColourValue, ResolveKeepsPlainValues) {
  EXPECT_EQ(ResolveColor(0x00ABCDEF), 0x00ABCDEFu);
  EXPECT_EQ(ResolveColor(0x7F123456), 0x7F123456u);  // top bit clear: not a reference
}

struct RoundRow {
  const char* name;
  long double value;
  int expected;
};

class RoundHalfToEven : public ::testing::TestWithParam<RoundRow> {};

TEST_P(RoundHalfToEven, GivesTheNearestInteger) {
  EXPECT_EQ(Round(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundHalfToEven,
    ::testing::Values(RoundRow{"TwoAndAHalf", 2.5L, 2}, RoundRow{"ThreeAndAHalf", 3.5L, 4},
                      RoundRow{"MinusTwoAndAHalf", -2.5L, -2},
                      RoundRow{"FourHundredFiftyAndAHalf", 450.5L, 450},
                      RoundRow{"FourHundredFiftyOneAndAHalf", 451.5L, 452},
                      RoundRow{"JustBelowAHalf", 0.4999L, 0},
                      RoundRow{"NegativeJustAboveAHalf", -0.5001L, -1},
                      // Only the 80-bit value tells these from 2.5: a double would round to 2.
                      RoundRow{"ExtendedAboveHalf", std::nextafter(2.5L, 3.0L), 3},
                      RoundRow{"ExtendedBelowHalf", std::nextafter(3.5L, 3.0L), 3}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rumora
