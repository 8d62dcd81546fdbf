#include "imaging/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "imaging/error.h"
#include "tests/imaging/fixtures.h"

namespace rumora {
namespace {

using testing::CoordinateBitmap;
using testing::CoordinateColour;

TEST(Bitmap, StoresBlueGreenRedBytes) {
  Bitmap bitmap = Bitmap::Filled(2, 2, clBlack);
  bitmap.SetPixel(1, 1, RGB(0x11, 0x22, 0x33));
  const std::uint8_t* p = bitmap.Row(1) + 3;
  EXPECT_EQ(p[0], 0x33);
  EXPECT_EQ(p[1], 0x22);
  EXPECT_EQ(p[2], 0x11);
  EXPECT_EQ(bitmap.Pixel(1, 1), RGB(0x11, 0x22, 0x33));
}

TEST(Bitmap, ReadOutsideGivesAValueThatResolvesToBlack) {
  const Bitmap bitmap = Bitmap::Filled(3, 2, clWhite);
  for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {3, 2}}) {
    EXPECT_EQ(bitmap.Pixel(x, y), kOutsideBitmap) << x << "," << y;
    EXPECT_EQ(ResolveColor(bitmap.Pixel(x, y)), clBlack);
  }
  EXPECT_EQ(Bitmap().Pixel(0, 0), kOutsideBitmap);
}

TEST(Bitmap, WriteOutsideChangesNothing) {
  Bitmap bitmap = CoordinateBitmap(3, 2);
  const std::vector<std::uint8_t> before(bitmap.Data(), bitmap.Data() + bitmap.SizeInBytes());
  for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {-5, 7}}) {
    bitmap.SetPixel(x, y, clRed);
  }
  EXPECT_EQ(std::memcmp(before.data(), bitmap.Data(), before.size()), 0);
}

TEST(Bitmap, WriteResolvesSystemColours) {
  Bitmap bitmap = Bitmap::Filled(1, 1, clBlack);
  bitmap.SetPixel(0, 0, SystemColour(1));
  EXPECT_EQ(bitmap.Pixel(0, 0), RGB(0, 128, 128));
  bitmap.SetPixel(0, 0, kOutsideBitmap);
  EXPECT_EQ(bitmap.Pixel(0, 0), clBlack);
}

TEST(Bitmap, CopiesOwnTheirPixels) {
  Bitmap original = CoordinateBitmap(4, 3);
  Bitmap copy(original);
  Bitmap assigned;
  assigned = original;
  original.SetPixel(2, 1, clRed);
  EXPECT_EQ(copy.Pixel(2, 1), CoordinateColour(2, 1));
  EXPECT_EQ(assigned.Pixel(2, 1), CoordinateColour(2, 1));
  EXPECT_EQ(assigned.Width(), 4);
  EXPECT_EQ(assigned.Height(), 3);
}

TEST(Bitmap, SetSizeKeepsTheOverlapAndWhitensTheRest) {
  Bitmap bitmap = CoordinateBitmap(5, 3);
  bitmap.SetSize(3, 6);  // narrower and taller
  ASSERT_EQ(bitmap.Width(), 3);
  ASSERT_EQ(bitmap.Height(), 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(bitmap.Pixel(x, y), y < 3 ? CoordinateColour(x, y) : clWhite) << x << "," << y;
    }
  }
}

TEST(Bitmap, RefusesNegativeAndOversizedDimensions) {
  EXPECT_THROW(Bitmap(-1, 5), Error);
  EXPECT_THROW(Bitmap(1 << 16, 1 << 16), Error);
  EXPECT_NO_THROW(Bitmap(0, 7));
}

// Large pixel blocks are mapped 2 MB-aligned (so huge pages can back them); small ones come from
// the heap. Either way copies and moves carry the pixels.
TEST(Bitmap, LargeBitmapsLieOnHugePageBoundaries) {
  for (const auto& [width, height] : {std::pair{10, 10}, std::pair{1200, 1164}, {6000, 4000}}) {
    const std::size_t bytes = std::size_t{3} * width * height;
    const PixelStorage storage(bytes);
    EXPECT_EQ(storage.Mapped(), bytes >= PixelStorage::kMappedBytes) << width << "x" << height;
    if (storage.Mapped()) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(storage.get()) % (std::uintptr_t{2} << 20), 0u)
          << width << "x" << height;
    }
    Bitmap bitmap(width, height);
    bitmap.SetPixel(width - 1, height - 1, RGB(1, 2, 3));
    bitmap.SetPixel(0, 0, RGB(4, 5, 6));
    const Bitmap copy = bitmap;
    Bitmap moved = std::move(bitmap);
    for (const Bitmap* b : {&copy, static_cast<const Bitmap*>(&moved)}) {
      EXPECT_EQ(b->Pixel(width - 1, height - 1), RGB(1, 2, 3)) << width << "x" << height;
      EXPECT_EQ(b->Pixel(0, 0), RGB(4, 5, 6)) << width << "x" << height;
    }
  }
}

}  // namespace
}  // namespace rumora
