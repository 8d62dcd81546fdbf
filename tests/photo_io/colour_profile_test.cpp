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

struct WideGamut {
  std::string name;
  std::vector<std::uint8_t> (*profile)();
  long double toXyz[3][3];  // linear light to XYZ (D65), as published
  long double (*toLinear)(long double);
};

long double SrgbToLinear(long double v) {
  return v <= 0.04045L ? v / 12.92L : std::pow((v + 0.055L) / 1.055L, 2.4L);
}
long double AdobeToLinear(long double v) { return std::pow(v, 563.0L / 256.0L); }

const WideGamut kWideGamuts[] = {
    {"DisplayP3",
     testing::DisplayP3Profile,
     {{0.4865709L, 0.2656677L, 0.1982173L},
      {0.2289746L, 0.6917385L, 0.0792869L},
      {0.0L, 0.0451134L, 1.0439444L}},
     SrgbToLinear},
    {"AdobeRgb",
     testing::AdobeRgbProfile,
     {{0.5767309L, 0.1855540L, 0.1881852L},
      {0.2973769L, 0.6273491L, 0.0752741L},
      {0.0270343L, 0.0706872L, 0.9911085L}},
     AdobeToLinear},
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

// XYZ (D65) to sRGB's linear light: the published inverse of sRGB's primaries' matrix.
constexpr long double kXyzToSrgb[3][3] = {{3.2404542L, -1.5371385L, -0.4985314L},
                                          {-0.9692660L, 1.8760108L, 0.0415560L},
                                          {0.0556434L, -0.2040259L, 1.0572252L}};

// A few dozen colours against the textbook computation: to linear light, to XYZ by the space's
// published matrix, to sRGB's linear light (both spaces have the D65 white), encoded.
TEST_P(WideGamutTest, AgreesWithTheTextbookComputation) {
  const SrgbConversionPlan plan = PlanSrgbConversion(GetParam().profile());
  ASSERT_NE(plan.conversion, nullptr);
  for (int i = 0; i < 36; ++i) {
    const int rgb[3] = {(i * 97) % 256, (i * 53 + 100) % 256, (i * 29 + 7) % 256};
    std::uint8_t bgr[3] = {static_cast<std::uint8_t>(rgb[2]), static_cast<std::uint8_t>(rgb[1]),
                           static_cast<std::uint8_t>(rgb[0])};
    plan.conversion->ConvertPixels(bgr, 1);
    long double xyz[3] = {};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        xyz[r] += GetParam().toXyz[r][c] * GetParam().toLinear(rgb[c] / 255.0L);
      }
    }
    for (int c = 0; c < 3; ++c) {
      const long double v = std::clamp(
          kXyzToSrgb[c][0] * xyz[0] + kXyzToSrgb[c][1] * xyz[1] + kXyzToSrgb[c][2] * xyz[2], 0.0L,
          1.0L);
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
