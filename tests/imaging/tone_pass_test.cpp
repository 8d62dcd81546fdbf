#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

#include "imaging/boost_contrast.h"
#include "imaging/error.h"
#include "imaging/parallel_rows.h"
#include "imaging/shift_brightness.h"
#include "tests/imaging/recording_progress.h"
#include "tests/imaging/tone_reference.h"
#include "tests/synthetic_photos.h"

namespace rumora {
namespace {

using testing::AllByteValues;
using testing::ExpectedProgress;
using testing::RecordingProgress;

using testing::Tone;
using Pass = Tone;

const char* Name(Pass pass) { return testing::ToneName(pass); }

int Reference(Pass pass, int v) {
  static const std::array<std::array<int, 256>, 3> tables = {
      testing::ReferenceToneTable(Tone::kContrast), testing::ReferenceToneTable(Tone::kBrighten),
      testing::ReferenceToneTable(Tone::kDarken)};
  return tables[static_cast<int>(pass)][v];
}

ToneTable TableOf(Pass pass) {
  if (pass == Pass::kContrast) return ContrastTable(0.3);
  return BrightnessTable(pass == Pass::kBrighten ? BrightnessDirection::kBrighten
                                                 : BrightnessDirection::kDarken);
}

void RunPass(Pass pass, Bitmap& bitmap, Progress& progress, const EventPump& pump) {
  if (pass == Pass::kContrast) return BoostContrast(bitmap, 0.3, progress, pump);
  ShiftBrightness(
      bitmap,
      pass == Pass::kBrighten ? BrightnessDirection::kBrighten : BrightnessDirection::kDarken,
      progress, pump);
}

class ToneTableTest : public ::testing::TestWithParam<Pass> {};

TEST_P(ToneTableTest, EveryEntryIsTheFormula) {
  const ToneTable table = TableOf(GetParam());
  for (int v = 0; v < 256; ++v) {
    ASSERT_EQ(table[v], Reference(GetParam(), v)) << Name(GetParam()) << " of " << v;
  }
}

INSTANTIATE_TEST_SUITE_P(Passes, ToneTableTest,
                         ::testing::Values(Pass::kContrast, Pass::kBrighten, Pass::kDarken),
                         [](const auto& info) { return std::string(Name(info.param)); });

// Values pinned by hand: {pass, first byte, last byte, result (-1: unchanged)}.
struct Pinned {
  Pass pass;
  int first, last, result;
};

TEST(ToneTables, GiveThePinnedValues) {
  const Pinned pinned[] = {
      {Pass::kContrast, 0, 29, 0},      {Pass::kContrast, 226, 255, 255},
      {Pass::kContrast, 126, 129, -1},  {Pass::kContrast, 200, 200, 222},
      {Pass::kContrast, 30, 30, 1},     {Pass::kContrast, 225, 225, 254},
      {Pass::kBrighten, 1, 1, 16},      {Pass::kBrighten, 64, 64, 128},
      {Pass::kBrighten, 128, 128, 181}, {Pass::kBrighten, 0, 0, -1},
      {Pass::kBrighten, 254, 255, -1},  {Pass::kDarken, 0, 64, 0},
      {Pass::kDarken, 65, 65, 1},       {Pass::kDarken, 128, 128, 75},
      {Pass::kDarken, 192, 192, 163},   {Pass::kDarken, 254, 255, -1},
  };
  for (const Pinned& p : pinned) {
    const ToneTable table = TableOf(p.pass);
    for (int v = p.first; v <= p.last; ++v) {
      EXPECT_EQ(table[v], p.result < 0 ? v : p.result) << Name(p.pass) << " of " << v;
    }
  }
  // Presses compound: brighten then darken takes 64 to 128, then 75; two boosts take 30 and 225
  // to their limits.
  EXPECT_EQ(TableOf(Pass::kDarken)[TableOf(Pass::kBrighten)[64]], 75);
  EXPECT_EQ(TableOf(Pass::kContrast)[TableOf(Pass::kContrast)[30]], 0);
  EXPECT_EQ(TableOf(Pass::kContrast)[TableOf(Pass::kContrast)[225]], 255);
}

using Size = std::pair<int, int>;
class TonePassTest : public ::testing::TestWithParam<std::tuple<Pass, Size>> {};

// Every channel goes through the table; the bar runs over the columns, one pump per column.
TEST_P(TonePassTest, MapsEveryChannelWithOneStepAndPumpPerColumn) {
  const auto [pass, size] = GetParam();
  const auto [width, height] = size;
  const Bitmap before = AllByteValues(width, height);
  Bitmap bitmap = before;
  RecordingProgress progress;
  RunPass(pass, bitmap, progress, [&] { progress.Pump(); });

  EXPECT_EQ(progress.calls, ExpectedProgress(width, true));
  ASSERT_EQ(bitmap.Width(), width);
  ASSERT_EQ(bitmap.Height(), height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int v = before.Row(y)[3 * x + c];
        ASSERT_EQ(bitmap.Row(y)[3 * x + c], Reference(pass, v))
            << Name(pass) << " at (" << x << ", " << y << ") channel " << c << " from " << v;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TonePassTest,
    ::testing::Combine(::testing::Values(Pass::kContrast, Pass::kBrighten, Pass::kDarken),
                       // Sides of 32768 and more are served like any other; an empty bitmap
                       // sets the bar to nothing and back.
                       ::testing::Values(Size{0, 0}, Size{4, 0}, Size{1, 1}, Size{3, 5},
                                         Size{1, 2001}, Size{2001, 1}, Size{257, 2003},
                                         Size{1501, 1203}, Size{40000, 3}, Size{3, 40000})),
    [](const auto& info) {
      const Size size = std::get<1>(info.param);
      return std::string(Name(std::get<0>(info.param))) + "_" + std::to_string(size.first) + "x" +
             std::to_string(size.second);
    });

TEST(TonePass, SameBytesOnOneCoreAndOnMany) {
  const Bitmap before = AllByteValues(1501, 1203);  // several rounds, each split in bands
  for (Pass pass : {Pass::kContrast, Pass::kBrighten, Pass::kDarken}) {
    Bitmap single = before;
    Bitmap split = before;
    NoProgress progress;
    SetRowBandLimit(1);
    RunPass(pass, single, progress, [] {});
    SetRowBandLimit(4);
    RunPass(pass, split, progress, [] {});
    SetRowBandLimit(0);
    ASSERT_EQ(std::memcmp(single.Data(), split.Data(), single.SizeInBytes()), 0) << Name(pass);
  }
}

// Should anything replace the bitmap while events are pumped, by one of another size or by new
// pixels of the same size, the pass stops before touching the new one instead of writing past its
// end or into it.
TEST(TonePass, StopsWhenTheBitmapIsReplacedDuringAPump) {
  for (const auto& [width, height] : {std::pair{2, 2}, std::pair{3000, 2000}}) {
    Bitmap bitmap = AllByteValues(3000, 2000);
    const Bitmap replacement = Bitmap::Filled(width, height, clWhite);
    RecordingProgress progress;
    bool replaced = false;
    EXPECT_THROW(BoostContrast(bitmap, 0.3, progress,
                               [&] {
                                 if (!replaced) bitmap = replacement;
                                 replaced = true;
                               }),
                 Error);
    EXPECT_EQ(std::memcmp(bitmap.Data(), replacement.Data(), replacement.SizeInBytes()), 0)
        << width << "x" << height;
    EXPECT_EQ(progress.calls.back(), "pos 0");
  }
}

}  // namespace
}  // namespace rumora
