#include "photo_io/colour_profile.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <string>

#include "imaging/parallel_rows.h"
#include "tests/photo_io/colour_profiles.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using testing::Chromaticities;

struct WideGamut {
  std::string name;
  std::vector<std::uint8_t> (*profile)();
  Chromaticities primaries;
  long double (*toLinear)(long double);
};

long double SrgbToLinear(long double v) {
  return v <= 0.04045L ? v / 12.92L : std::pow((v + 0.055L) / 1.055L, 2.4L);
}
long double AdobeToLinear(long double v) { return std::pow(v, 563.0L / 256.0L); }

const WideGamut kWideGamuts[] = {
    {"DisplayP3", testing::DisplayP3Profile, testing::kDisplayP3, SrgbToLinear},
    {"AdobeRgb", testing::AdobeRgbProfile, testing::kAdobeRgb, AdobeToLinear},
};

class WideGamutTest : public ::testing::TestWithParam<WideGamut> {};

// Every 8-bit colour: within one level of the engine, the same on one core or two; the plain loop
// the same as the vector one on a sixteenth of them (every value of each channel, the plain loop
// being slow in a sanitizer build).
TEST_P(WideGamutTest, AllColoursWithinOneOfTheEngine) {
  const std::vector<std::uint8_t> icc = GetParam().profile();
  const SrgbConversionPlan plan = PlanSrgbConversion(icc);
  ASSERT_FALSE(plan.unusable);
  ASSERT_NE(plan.conversion, nullptr);
  const auto* own = dynamic_cast<const MatrixShaperConversion*>(plan.conversion.get());
  ASSERT_NE(own, nullptr) << "a matrix-and-curves profile takes our own path";

  const Bitmap all = testing::AllColours();
  Bitmap twoCores = all;
  ConvertRows(twoCores, *plan.conversion, 0, all.Height());
  Bitmap engine = all;
  testing::EngineTransform(icc).Apply(all, engine);
  EXPECT_EQ(testing::PixelDifference(twoCores, engine, 1), "");
  Bitmap oneCore = all;
  SetRowBandLimit(1);
  ConvertRows(oneCore, *plan.conversion, 0, all.Height());
  SetRowBandLimit(0);
  EXPECT_EQ(testing::PixelDifference(oneCore, twoCores), "");
  Bitmap plain(all.Width(), all.Height() / 16), vector = plain;
  for (int y = 0; y < plain.Height(); ++y) {
    const int row = 16 * y + y % 16;  // red y, green's high half y % 16
    std::copy_n(all.Row(row), all.Stride(), plain.Row(y));
    std::copy_n(twoCores.Row(row), all.Stride(), vector.Row(y));
  }
  own->ConvertPixelsPlain(plain.Data(), plain.SizeInBytes() / 3);
  EXPECT_EQ(testing::PixelDifference(plain, vector), "");
}

using Matrix = std::array<std::array<long double, 3>, 3>;

// The x with m x = v, by Cramer's rule.
std::array<long double, 3> Solve(const Matrix& m, const std::array<long double, 3>& v) {
  const auto det = [](const Matrix& a) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  std::array<long double, 3> x{};
  for (int c = 0; c < 3; ++c) {
    Matrix replaced = m;
    for (int r = 0; r < 3; ++r) replaced[r][c] = v[r];
    x[c] = det(replaced) / det(m);
  }
  return x;
}

// Linear RGB to XYZ for primaries with the D65 white: each primary's xyz, scaled so that
// (1, 1, 1) is the white.
Matrix ToXyz(const Chromaticities& p) {
  const long double xy[3][2] = {
      {p.red[0], p.red[1]}, {p.green[0], p.green[1]}, {p.blue[0], p.blue[1]}};
  Matrix m{};
  for (int c = 0; c < 3; ++c) {
    m[0][c] = xy[c][0] / xy[c][1], m[1][c] = 1, m[2][c] = (1 - xy[c][0] - xy[c][1]) / xy[c][1];
  }
  const auto scale = Solve(m, {0.3127L / 0.3290L, 1, (1 - 0.3127L - 0.3290L) / 0.3290L});
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[r][c] *= scale[c];
  }
  return m;
}

// A few dozen colours against the textbook computation: to linear light, to XYZ (both spaces
// have the D65 white), to sRGB's linear light, encoded.
TEST_P(WideGamutTest, AgreesWithTheTextbookComputation) {
  const Matrix from = ToXyz(GetParam().primaries), to = ToXyz(testing::kSrgb);
  const SrgbConversionPlan plan = PlanSrgbConversion(GetParam().profile());
  ASSERT_NE(plan.conversion, nullptr);
  for (int i = 0; i < 36; ++i) {
    const int rgb[3] = {(i * 97) % 256, (i * 53 + 100) % 256, (i * 29 + 7) % 256};
    std::uint8_t bgr[3] = {static_cast<std::uint8_t>(rgb[2]), static_cast<std::uint8_t>(rgb[1]),
                           static_cast<std::uint8_t>(rgb[0])};
    plan.conversion->ConvertPixels(bgr, 1);
    std::array<long double, 3> xyz{};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) xyz[r] += from[r][c] * GetParam().toLinear(rgb[c] / 255.0L);
    }
    const auto linear = Solve(to, xyz);
    for (int c = 0; c < 3; ++c) {
      const long double v = std::clamp(linear[c], 0.0L, 1.0L);
      const long double encoded =
          v <= 0.0031308L ? 12.92L * v : 1.055L * std::pow(v, 1 / 2.4L) - 0.055L;
      EXPECT_NEAR(bgr[2 - c], std::round(255 * encoded), 1)
          << "colour " << rgb[0] << "," << rgb[1] << "," << rgb[2] << " channel " << c;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Profiles, WideGamutTest, ::testing::ValuesIn(kWideGamuts),
                         [](const auto& info) { return info.param.name; });

// Display P3 as a table (an A2B0 tag of sampled XYZ beside its matrix and curves), which the
// engine takes instead of the matrix.
std::vector<std::uint8_t> TabulatedDisplayP3() {
  const std::vector<std::uint8_t> p3 = testing::DisplayP3Profile();
  cmsHPROFILE profile = cmsOpenProfileFromMem(p3.data(), static_cast<cmsUInt32Number>(p3.size()));
  cmsHPROFILE xyz = cmsCreateXYZProfile();
  cmsHTRANSFORM toXyz = cmsCreateTransform(profile, TYPE_RGB_16, xyz, TYPE_XYZ_16,
                                           INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
  cmsPipeline* table = cmsPipelineAlloc(nullptr, 3, 3);
  cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 33, 3, 3, nullptr);
  cmsStageSampleCLut16bit(
      grid,
      [](const cmsUInt16Number in[], cmsUInt16Number out[], void* transform) {
        cmsDoTransform(static_cast<cmsHTRANSFORM>(transform), in, out, 1);
        return 1;
      },
      toXyz, 0);
  // The tag's form wants curves before and after the grid: straight ones.
  cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsPipelineInsertStage(table, cmsAT_END, grid);
  cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsWriteTag(profile, cmsSigAToB0Tag, table);
  cmsPipelineFree(table);
  cmsDeleteTransform(toXyz);
  cmsCloseProfile(xyz);
  return testing::SavedProfile(profile);
}

// A profile built of tables goes through the engine's own transform, exactly, and still
// converts as the same space's matrix does, within the table's error (a few levels near black,
// where sRGB's curve is steep).
TEST(TableProfile, TakesTheEnginesTransform) {
  const std::vector<std::uint8_t> icc = TabulatedDisplayP3();
  const SrgbConversionPlan plan = PlanSrgbConversion(icc);
  ASSERT_NE(plan.conversion, nullptr);
  EXPECT_EQ(dynamic_cast<const MatrixShaperConversion*>(plan.conversion.get()), nullptr);
  const Bitmap colours = testing::NoisyGradient(256, 256);
  Bitmap ours = colours, engine = colours, matrix = colours;
  ConvertRows(ours, *plan.conversion, 0, ours.Height());
  testing::EngineTransform(icc).Apply(colours, engine);
  EXPECT_EQ(testing::PixelDifference(ours, engine), "");
  const SrgbConversionPlan p3 = PlanSrgbConversion(testing::DisplayP3Profile());
  ConvertRows(matrix, *p3.conversion, 0, matrix.Height());
  EXPECT_EQ(testing::PixelDifference(ours, matrix, 8), "");
}

}  // namespace
}  // namespace rumora
