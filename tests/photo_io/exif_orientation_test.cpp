#include "photo_io/exif_orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "photo_io/jpeg_reader.h"
#include "tests/photo_io/exif_segment.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using testing::ExifLayout;
using testing::ExifSegment;
using testing::PutNumber;

// One segment: the orientation read from it, the tag's value, where it lies, a number written
// over the built segment at a TIFF offset in its byte order (or the segment cut short).
struct ExifCase {
  std::string name;
  int expected;
  int value;
  bool inIfd1Only = false;
  int patchAt = -1;
  std::uint32_t patch = 0;
  int patchBytes = 0;
  int cutTo = 0;
};

// clang-format off
const ExifCase kCases[] = {
    {"Value1", 1, 1}, {"Value2", 2, 2}, {"Value3", 3, 3}, {"Value4", 4, 4}, {"Value5", 5, 5},
    {"Value6", 6, 6}, {"Value7", 7, 7}, {"Value8", 8, 8}, {"Value0", 1, 0}, {"Value9", 1, 9},
    {"TagInIfd1Only", 1, 6, true},
    {"Ifd0PastTheEnd", 1, 6, false, ExifLayout::kIfd0Offset, 60, 4},
    {"Ifd0OffsetHuge", 1, 6, false, ExifLayout::kIfd0Offset, 0xFFFFFFFF, 4},
    {"EntryCountPastTheEnd", 1, 6, false, ExifLayout::kIfd0, 1000, 2},
    {"TagAsLong", 1, 6, false, ExifLayout::kOrientationEntry + 2, 4, 2},
    {"TagWithTwoValues", 1, 6, false, ExifLayout::kOrientationEntry + 4, 2, 4},
    {"NotTiffMagic", 1, 6, false, 2, 43, 2},
    {"CutInsideTheTag", 1, 6, false, -1, 0, 0, ExifLayout::kOrientationEntry + 10},
    {"CutInsideTheHeader", 1, 6, false, -1, 0, 0, 5},
};
// clang-format on

class ExifOrientationTest : public ::testing::TestWithParam<std::tuple<bool, ExifCase>> {};

// The segment alone, and the same segment placed in a real photo's file.
TEST_P(ExifOrientationTest, ReadsTheTagOfIfd0OrNothing) {
  const auto& [bigEndian, c] = GetParam();
  std::vector<std::uint8_t> segment = ExifSegment(c.value, bigEndian, c.inIfd1Only);
  if (c.patchAt >= 0) {
    PutNumber(segment, ExifLayout::kSignatureBytes + c.patchAt, c.patch, c.patchBytes, bigEndian);
  }
  if (c.cutTo > 0) segment.resize(ExifLayout::kSignatureBytes + c.cutTo);
  EXPECT_EQ(ReadExifOrientation(segment), c.expected);

  const auto file =
      testing::WithApp1(testing::FileBytes(testing::TestPhoto("testorig.jpg")), segment);
  JpegDecoder decoder;
  decoder.OpenMemory(file);
  EXPECT_EQ(decoder.ExifOrientation(), c.expected);
  EXPECT_EQ(decoder.Decode().Width(), 227);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, ExifOrientationTest,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kCases)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Motorola" : "Intel") +
                                  std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace rumora
