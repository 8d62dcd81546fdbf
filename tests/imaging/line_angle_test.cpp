#include "imaging/line_angle.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "imaging/angle_text.h"
#include "tests/test_helpers.h"

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

// 0.35 is held just below 0.35; 999.96 and -9.96 carry into a new digit.
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const FormatCase kFormatCases[] = {
    {0.25, ".", "0.3"},      {-0.25, ".", "-0.3"},  {0.75, ".", "0.8"},
    {2.5, ".", "2.5"},       {0.35, ".", "0.3"},    {44.95, ".", "45.0"},
    {-44.96, ".", "-45.0"},  {-0.04, ".", "0.0"},   {-0.0, ".", "0.0"},
    {-0.05, ".", "-0.1"},    {12.34, ",", "12,3"},  {0.0, "\u2024", "0\u20240"},
    {999.96, ".", "1000.0"}, {-9.96, ".", "-10.0"}, {0x1p-1074, ".", "0.0"},
    {-kInf, ".", "-inf"},    {kInf, ".", "inf"},    {kNaN, ".", "nan"}};

// Values far beyond any angle keep every digit of their exact expansion.
TEST(AngleTextTest, WritesEveryDigitOfTheLargestValues) {
  EXPECT_EQ(FormatAngle(0x1p63, "."), "9223372036854775808.0");
  EXPECT_EQ(FormatAngle(-0x1p70, "."), "-1180591620717411303424.0");
  EXPECT_EQ(FormatAngle(1e38, "."), "99999999999999997748809823456034029568.0");
}

struct ParseCase {
  const char* text;
  const char* separator;
  bool accepted;
  long double value;
};

const ParseCase kParseCases[] = {
    {"10", ".", true, 10},    {"-9.5", ".", true, -9.5L},     {"+.5", ".", true, 0.5L},
    {"3.", ".", true, 3},     {" 1e1 ", ".", true, 10},       {"2.5E-1", ".", true, 0.25L},
    {"0.1", ".", true, 0.1L}, {"1,5", ",", true, 1.5L},       {"1e-5000", ".", true, 0},
    {"0", ".", true, 0},      {"3.4e38", ".", true, 3.4e38L}, {"1.5", ",", false, 0},
    {"", ".", false, 0},      {".", ".", false, 0},           {"-", ".", false, 0},
    {"1e", ".", false, 0},    {"e5", ".", false, 0},          {"1e39", ".", false, 0},
    {"-1e39", ".", false, 0}, {"1e5000", ".", false, 0},      {"nan", ".", false, 0},
    {"inf", ".", false, 0},   {"1.2.3", ".", false, 0},       {"10度", ".", false, 0},
    {"0x10", ".", false, 0}};

// Both tables: the texts written (tenths rounded half away from zero) and read.
void ExpectTheAngleTextTables() {
  for (const FormatCase& c : kFormatCases) {
    EXPECT_EQ(FormatAngle(c.degrees, c.separator), c.text) << c.degrees;
  }
  for (const ParseCase& c : kParseCases) {
    EXPECT_EQ(ParseAngleText(c.text, c.separator),
              c.accepted ? std::optional<long double>(c.value) : std::nullopt)
        << "'" << c.text << "'";
  }
}

TEST(AngleTextTest, WritesAndReadsAsTheAngleBoxDoes) { ExpectTheAngleTextTables(); }

// The C library's numbers switched to a decimal comma for one scope, as the toolkit leaves them
// in a session whose language writes one. The locale is built from its four defining lines into
// a scratch folder, so no installed language is needed.
class CommaNumbers {
 public:
  CommaNumbers() {
    const std::string definition =
        "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n";
    testing::WriteBytes(folder_.Path("comma.def"), {definition.begin(), definition.end()});
    const std::string build = "localedef -c -f ANSI_X3.4-1968 -i " + folder_.Path("comma.def") +
                              " " + folder_.Path("comma") + " >/dev/null 2>&1";
    [[maybe_unused]] const int ignored = std::system(build.c_str());  // judged by what it made
    ::setenv("LOCPATH", folder_.Root().c_str(), 1);
    ::setlocale(LC_NUMERIC, "comma");
  }
  ~CommaNumbers() {
    ::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
  }

 private:
  testing::TempFolder folder_;
};

TEST(AngleTextTest, WritesAndReadsTheSameUnderADecimalCommaLocale) {
  const CommaNumbers comma;
  ASSERT_STREQ(::localeconv()->decimal_point, ",") << "no comma locale (localedef, locales)";
  ExpectTheAngleTextTables();
}

}  // namespace
}  // namespace rumora
