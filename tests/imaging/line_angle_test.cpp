#include "imaging/line_angle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imaging/angle_text.h"

namespace rumora {
namespace {

struct LineCase {
  int x1, y1, x2, y2;
  const char* text;  // as the angle box shows it
};

class LineAngleTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineAngleTest, ReadsTheSameTextFromEitherEnd) {
  const LineCase& c = GetParam();
  const auto forward = LineAngle(c.x1, c.y1, c.x2, c.y2);
  const auto backward = LineAngle(c.x2, c.y2, c.x1, c.y1);
  ASSERT_TRUE(forward && backward);
  EXPECT_EQ(FormatAngle(*forward, "."), c.text)
      << "(" << c.x1 << ", " << c.y1 << ") -> (" << c.x2 << ", " << c.y2 << "): " << *forward;
  EXPECT_EQ(FormatAngle(*backward, "."), c.text) << "drawn the other way: " << *backward;
  EXPECT_LE(std::fabs(*forward), 45.0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineAngleTest,
    ::testing::Values(LineCase{100, 300, 400, 250, "9.5"}, LineCase{200, 100, 220, 400, "3.8"},
                      LineCase{100, 100, 200, 200, "-45.0"}, LineCase{100, 200, 200, 100, "45.0"},
                      LineCase{0, 100, 100, 99, "0.6"}, LineCase{300, 40, 10, 40, "0.0"},
                      LineCase{10, 40, 300, 40, "0.0"}, LineCase{5, 5, 5, 300, "0.0"},
                      LineCase{0, 0, 1000, 1, "-0.1"}, LineCase{0, 0, 1, 1000, "0.1"},
                      LineCase{0, 0, 10000, 7, "0.0"}));

TEST(LineAngleTest, FoldsIntoTheNearestAxis) {
  EXPECT_DOUBLE_EQ(*LineAngle(0, 0, 100, -100), 45.0);      // exactly 45 is kept
  EXPECT_DOUBLE_EQ(*LineAngle(0, 0, 100, 100), -45.0);      // exactly -45 is kept
  EXPECT_NEAR(*LineAngle(0, 0, 100, -101), -44.715, 1e-3);  // steeper: made vertical
  EXPECT_NEAR(*LineAngle(0, 100, 300, 50), 9.462322208, 1e-8);
}

TEST(LineAngleTest, ALineOfNoLengthHasNoAngle) { EXPECT_FALSE(LineAngle(7, 9, 7, 9).has_value()); }

struct FormatCase {
  double degrees;
  const char* separator;
  const char* text;
};

class FormatAngleTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatAngleTest, OneDigitHalvesAwayFromZero) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(FormatAngle(c.degrees, c.separator), c.text) << c.degrees;
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatAngleTest,
    ::testing::Values(FormatCase{0.25, ".", "0.3"}, FormatCase{-0.25, ".", "-0.3"},
                      FormatCase{0.75, ".", "0.8"}, FormatCase{2.5, ".", "2.5"},
                      FormatCase{0.35, ".", "0.3"},  // the double lies just below 0.35
                      FormatCase{44.95, ".", "45.0"}, FormatCase{-44.96, ".", "-45.0"},
                      FormatCase{-0.04, ".", "0.0"}, FormatCase{-0.0, ".", "0.0"},
                      FormatCase{-0.05, ".", "-0.1"}, FormatCase{12.34, ",", "12,3"},
                      FormatCase{0.0, "\xE2\x80\xA4",
                                 "0\xE2\x80\xA4"
                                 "0"}));

struct ParseCase {
  const char* text;
  const char* separator;
  bool accepted;
  long double value;
};

class ParseAngleTextTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseAngleTextTest, ReadsNumbersAsTheAngleBoxDoes) {
  const ParseCase& c = GetParam();
  const auto value = ParseAngleText(c.text, c.separator);
  ASSERT_EQ(value.has_value(), c.accepted) << "'" << c.text << "'";
  if (c.accepted) {
    EXPECT_EQ(*value, c.value) << "'" << c.text << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseAngleTextTest,
    ::testing::Values(ParseCase{"10", ".", true, 10}, ParseCase{"-9.5", ".", true, -9.5L},
                      ParseCase{"+.5", ".", true, 0.5L}, ParseCase{"3.", ".", true, 3},
                      ParseCase{" 1e1 ", ".", true, 10}, ParseCase{"2.5E-1", ".", true, 0.25L},
                      ParseCase{"0.1", ".", true, 0.1L}, ParseCase{"1,5", ",", true, 1.5L},
                      ParseCase{"1e-5000", ".", true, 0}, ParseCase{"0", ".", true, 0},
                      ParseCase{"3.4e38", ".", true, 3.4e38L}, ParseCase{"1.5", ",", false, 0},
                      ParseCase{"", ".", false, 0}, ParseCase{".", ".", false, 0},
                      ParseCase{"-", ".", false, 0}, ParseCase{"1e", ".", false, 0},
                      ParseCase{"e5", ".", false, 0}, ParseCase{"1e39", ".", false, 0},
                      ParseCase{"-1e39", ".", false, 0}, ParseCase{"1e5000", ".", false, 0},
                      ParseCase{"nan", ".", false, 0}, ParseCase{"inf", ".", false, 0},
                      ParseCase{"1.2.3", ".", false, 0}, ParseCase{"10度", ".", false, 0},
                      ParseCase{"0x10", ".", false, 0}));

}  // namespace
}  // namespace rumora
