#include "logo/bmp_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/error.h"
#include "imaging/system_reason.h"
#include "tests/logo/bmp_builder.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

using test::BmpBuilder;
using Bytes = std::vector<std::uint8_t>;

std::string Hex(TColor c) {
  char text[16];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// Compares every pixel, top row first, naming the first that differs.
void ExpectPixels(const Bitmap& picture, int width, int height, const std::vector<TColor>& rgb) {
  ASSERT_EQ(picture.Width(), width);
  ASSERT_EQ(picture.Height(), height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const TColor want = rgb[static_cast<std::size_t>(y * width + x)];
      ASSERT_EQ(Hex(picture.Pixel(x, y)), Hex(want)) << "pixel (" << x << ", " << y << ")";
    }
  }
}

Bytes Quad(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {b, g, r, 0}; }
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct LayoutCase {
  const char* name;
  BmpBuilder file;
  std::vector<TColor> expected;  // 3 x 2 pixels, top row first
};

constexpr TColor kWhite = RGB(255, 255, 255);

std::vector<LayoutCase> LayoutCases() {
  std::vector<LayoutCase> cases;
  BmpBuilder b;
  b.width = 3;
  // 24-bit rows, bottom-up, padded to 12 bytes.
  b.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  cases.push_back({"Bgr24BottomUp",
                   b,
                   {RGB(12, 11, 10), RGB(15, 14, 13), RGB(18, 17, 16), RGB(3, 2, 1), RGB(6, 5, 4),
                    RGB(9, 8, 7)}});
  b.height = -2;
  cases.push_back({"Bgr24TopDown",
                   b,
                   {RGB(3, 2, 1), RGB(6, 5, 4), RGB(9, 8, 7), RGB(12, 11, 10), RGB(15, 14, 13),
                    RGB(18, 17, 16)}});
  b.height = 2;
  b.headerSize = 124;
  cases.push_back({"Bgr24V5Header", b, cases[0].expected});
  b.headerSize = 108;
  cases.push_back({"Bgr24V4Header", b, cases[0].expected});

  // 8-bit with a two-entry palette: index 5 lies past it and is black.
  BmpBuilder p8;
  p8.width = 3;
  p8.depth = 8;
  p8.coloursUsed = 2;
  p8.palette = Join({Quad(200, 100, 50), Quad(1, 2, 3)});
  p8.pixels = {0, 1, 5, 0, 1, 1, 0, 0};
  cases.push_back({"Indexed8PastPaletteIsBlack",
                   p8,
                   {RGB(1, 2, 3), RGB(1, 2, 3), RGB(200, 100, 50), RGB(200, 100, 50), RGB(1, 2, 3),
                    RGB(0, 0, 0)}});
  BmpBuilder core = p8;
  core.headerSize = 12;
  core.palette = {50, 100, 200, 3, 2, 1};  // three bytes an entry
  cases.push_back({"Os2Core8", core, cases.back().expected});

  BmpBuilder p4 = p8;
  p4.depth = 4;
  p4.coloursUsed = 0;
  p4.palette = Join({Quad(10, 20, 30), Quad(40, 50, 60), Quad(70, 80, 90)});
  for (int i = 3; i < 16; ++i) p4.palette = Join({p4.palette, Quad(255, 255, 255)});
  p4.pixels = {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0};
  cases.push_back({"Indexed4",
                   p4,
                   {RGB(70, 80, 90), RGB(40, 50, 60), RGB(10, 20, 30), RGB(10, 20, 30),
                    RGB(40, 50, 60), RGB(70, 80, 90)}});
  BmpBuilder p1 = p4;
  p1.depth = 1;
  p1.palette = Join({Quad(0, 0, 0), Quad(255, 255, 255)});
  p1.pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};
  cases.push_back({"Indexed1",
                   p1,
                   {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), kWhite, RGB(0, 0, 0), kWhite}});

  // 16-bit 5-5-5: all ones is white, 31 widens to 255 and 1 to 8 by repeating bits.
  BmpBuilder w16;
  w16.width = 3;
  w16.depth = 16;
  w16.pixels = {0xFF, 0x7F, 0x00, 0x7C, 0x00, 0x04, 0, 0, 0x1F, 0x00, 0xE0, 0x03, 0x01, 0x00, 0, 0};
  cases.push_back(
      {"Rgb555WhiteStaysWhite",
       w16,
       {RGB(0, 0, 255), RGB(0, 255, 0), RGB(0, 0, 8), kWhite, RGB(255, 0, 0), RGB(8, 0, 0)}});
  // 5-6-5 through BITFIELDS after a 40-byte header: six-bit 1 widens to 4.
  BmpBuilder b565 = w16;
  b565.compression = 3;
  b565.masks = {0xF800, 0x07E0, 0x001F};
  b565.pixels = {0x1F, 0x00, 0xE0, 0x07, 0x20, 0x00, 0, 0,
                 0xFF, 0xFF, 0x00, 0xF8, 0x00, 0x08, 0, 0};
  cases.push_back(
      {"Bitfields565",
       b565,
       {kWhite, RGB(255, 0, 0), RGB(8, 0, 0), RGB(0, 0, 255), RGB(0, 255, 0), RGB(0, 4, 0)}});
  // 32-bit: the fourth byte is ignored, also in a V5 header that names an alpha mask.
  BmpBuilder b32;
  b32.width = 3;
  b32.depth = 32;
  b32.pixels = {1,  2,  3,  0, 4,  5,  6,  255, 7,  8,  9,  128,
                10, 11, 12, 0, 13, 14, 15, 9,   16, 17, 18, 77};
  cases.push_back({"Rgb32AlphaIgnored",
                   b32,
                   {RGB(12, 11, 10), RGB(15, 14, 13), RGB(18, 17, 16), RGB(3, 2, 1), RGB(6, 5, 4),
                    RGB(9, 8, 7)}});
  b32.headerSize = 124;
  b32.compression = 3;
  b32.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  cases.push_back({"Bitfields32V5", b32, cases.back().expected});
  // Ten-bit channels keep their top eight bits.
  BmpBuilder b10 = b32;
  b10.masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0};
  b10.pixels.assign(24, 0);
  const std::uint32_t tenBits = (1023u << 20) | (512u << 10) | 3u;  // 255, 128, 0
  for (int i = 0; i < 4; ++i)
    b10.pixels[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(tenBits >> (8 * i));
  cases.push_back(
      {"Bitfields10Bit",
       b10,
       {RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 128, 0), RGB(0, 0, 0), RGB(0, 0, 0)}});
  return cases;
}

class BmpLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BmpLayouts, DecodesToTheStoredColours) {
  const LayoutCase& c = GetParam();
  ExpectPixels(DecodeBmp(c.file.Build()), 3, 2, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpLayouts, ::testing::ValuesIn(LayoutCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// RLE: a 6 x 3 picture with a palette of four colours; entry 0 fills what the stream skips.
BmpBuilder RleFile(std::uint16_t depth, Bytes stream) {
  BmpBuilder b;
  b.width = 6;
  b.height = 3;
  b.depth = depth;
  b.compression = depth == 8 ? 1 : 2;
  b.coloursUsed = 4;
  b.palette = Join({Quad(9, 9, 9), Quad(255, 0, 0), Quad(0, 255, 0), Quad(0, 0, 255)});
  b.pixels = std::move(stream);
  return b;
}

constexpr TColor k0 = RGB(9, 9, 9), kR = RGB(255, 0, 0), kG = RGB(0, 255, 0), kB = RGB(0, 0, 255);

struct RleCase {
  const char* name;
  BmpBuilder file;
  std::vector<TColor> expected;  // 6 x 3, top row first
};

std::vector<RleCase> RleCases() {
  return {
      // Bottom row: 2 x red, absolute [green, blue, red] (padded), then end of line; from the
      // middle row's start a delta (1, 1) lands on the top row at x = 1: 1 x blue, end of bitmap.
      {"Rle8RunsAbsoluteEndOfLineDelta",
       RleFile(8, {2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1}),
       {k0, kB, k0, k0, k0, k0,  //
        k0, k0, k0, k0, k0, k0,  //
        kR, kR, kG, kB, kR, k0}},
      // A run longer than the row is cut at the right edge; the stream then simply ends.
      {"Rle8RunClippedAndStreamEnds",
       RleFile(8, {200, 2, 0, 0, 1, 3}),
       {k0, k0, k0, k0, k0, k0,  //
        kB, k0, k0, k0, k0, k0,  //
        kG, kG, kG, kG, kG, kG}},
      // An absolute run cut by the end of the data keeps what it has.
      {"Rle8CutAbsoluteRun",
       RleFile(8, {0, 5, 1, 2}),
       {k0, k0, k0, k0, k0, k0, k0, k0, k0, k0, k0, k0, kR, kG, k0, k0, k0, k0}},
      // RLE4: an encoded run alternates its two indices; absolute nibbles follow in order.
      {"Rle4RunsAndAbsolute",
       RleFile(4, {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1}),
       {k0, k0, k0, k0, k0, k0,  //
        kB, kR, kG, k0, k0, k0,  //
        kR, kG, kR, kG, kR, k0}},
      // Delta far past the picture ends the decoding; nothing outside is written.
      {"Rle8DeltaPastPicture",
       RleFile(8, {1, 1, 0, 2, 255, 255, 1, 2}),
       {k0, k0, k0, k0, k0, k0, k0, k0, k0, k0, k0, k0, kR, k0, k0, k0, k0, k0}},
  };
}

class RleStreams : public ::testing::TestWithParam<RleCase> {};

TEST_P(RleStreams, PaintOnlyWhatTheStreamWrites) {
  const RleCase& c = GetParam();
  ExpectPixels(DecodeBmp(c.file.Build()), 6, 3, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rle, RleStreams, ::testing::ValuesIn(RleCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Files the reader must refuse, each derived from a good one by one change.
struct BadCase {
  const char* name;
  Bytes bytes;
};

Bytes Good24() {
  BmpBuilder b;
  b.pixels.assign(16, 0);
  return b.Build();
}

template <typename Change>
Bytes With(Change change) {
  BmpBuilder b;
  b.pixels.assign(16, 0);
  change(b);
  return b.Build();
}

std::vector<BadCase> BadCases() {
  Bytes notBmp = Good24();
  notBmp[0] = 'P';
  Bytes truncated = Good24();
  truncated.pop_back();
  Bytes headerCut = Good24();
  headerCut.resize(30);
  Bytes noPixels = Good24();
  noPixels.resize(54);
  const auto masks16 = [](std::vector<std::uint32_t> m) {
    return With([m](BmpBuilder& b) {
      b.depth = 16;
      b.compression = 3;
      b.masks = m;
      b.pixels.assign(8, 0);
    });
  };
  return {
      {"NotABmp", notBmp},
      {"Empty", {}},
      {"HeaderCut", headerCut},
      {"PixelDataShort", truncated},
      {"UnknownHeaderSize", With([](BmpBuilder& b) { b.headerSize = 64; })},
      {"UnknownDepth", With([](BmpBuilder& b) { b.depth = 7; })},
      {"UnknownCompression", With([](BmpBuilder& b) { b.compression = 4; })},
      {"RleWithWrongDepth", With([](BmpBuilder& b) { b.compression = 1; })},
      {"PlanesNotOne", With([](BmpBuilder& b) { b.planes = 2; })},
      {"ZeroWidth", With([](BmpBuilder& b) { b.width = 0; })},
      {"ZeroHeight", With([](BmpBuilder& b) { b.height = 0; })},
      {"NegativeWidth", With([](BmpBuilder& b) { b.width = -2; })},
      {"AboveTheCap", With([](BmpBuilder& b) { b.width = 1 << 14, b.height = 1 << 13; })},
      {"HugeClaimSmallFile", With([](BmpBuilder& b) { b.width = 60000, b.height = 1000; })},
      {"OffsetOutsideFile", With([](BmpBuilder& b) { b.pixelOffsetOverride = 1 << 20; })},
      {"OffsetInsideHeader", With([](BmpBuilder& b) { b.pixelOffsetOverride = 20; })},
      {"TooManyColours",
       With([](BmpBuilder& b) { b.depth = 1, b.coloursUsed = 3, b.palette.assign(12, 0); })},
      {"PaletteOverPixels", With([](BmpBuilder& b) {
         b.depth = 8, b.coloursUsed = 4, b.palette.assign(16, 0), b.pixelOffsetOverride = 60;
       })},
      {"TopDownRle", With([](BmpBuilder& b) {
         b.depth = 8, b.compression = 1, b.height = -2, b.palette.assign(8, 0), b.coloursUsed = 2;
       })},
      {"ZeroMask", masks16({0xF800, 0, 0x1F})},
      {"OverlappingMasks", masks16({0xF800, 0x0FE0, 0x1F})},
      {"GappedMask", masks16({0xF800, 0x05E0, 0x1F})},
      {"MaskWiderThanPixel", masks16({0x1F800, 0x07E0, 0x1F})},
      {"NoPixelData", noPixels},
  };
}

class RefusedFiles : public ::testing::TestWithParam<BadCase> {};

TEST_P(RefusedFiles, ThrowError) { EXPECT_THROW(DecodeBmp(GetParam().bytes), Error); }

INSTANTIATE_TEST_SUITE_P(Damaged, RefusedFiles, ::testing::ValuesIn(BadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Refusals say why in Japanese, never in the system's English.
TEST(BmpFiles, ReadFromDiskAndRefuseWhatIsNoPlainFile) {
  testing::TempFolder folder;
  BmpBuilder b;
  b.width = 1;
  b.height = 1;
  b.pixels = {30, 20, 10, 0};
  Bytes bytes = b.Build();
  bytes.resize(bytes.size() + 100000, 0xAB);  // past the pixels: never needed, never read
  testing::WriteBytes(folder.Path("logo.bmp"), bytes);
  ExpectPixels(ReadBmpFile(folder.Path("logo.bmp")), 1, 1, {RGB(10, 20, 30)});
  // A pipe named .bmp is refused at once instead of waiting for a writer.
  ASSERT_EQ(::mkfifo(folder.Path("pipe.bmp").c_str(), 0600), 0);
  const std::pair<std::string, const char*> refused[] = {
      {folder.Root().string(), "ファイルではなくフォルダです"},
      {folder.Path("pipe.bmp"), "普通のファイルではありません"},
      {folder.Path("no_such_logo.bmp"), "ファイルまたはフォルダが見つかりません"}};
  for (const auto& [path, reason] : refused) {
    const testing::Thrown thrown = testing::ErrorOf([&] { ReadBmpFile(path); });
    EXPECT_NE(thrown.message.find(reason), std::string::npos) << path << ": " << thrown.message;
    EXPECT_EQ(thrown.message.find(std::strerror(thrown.code)), std::string::npos);
  }
  // So does every other reason; one without words of its own keeps the system's for a report.
  for (int code = 1; code < 134; ++code) {
    EXPECT_TRUE(testing::ReadsInJapanese(SystemReason(code))) << code << ": " << SystemReason(code);
  }
  EXPECT_NE(SystemReason(EOVERFLOW).find(std::strerror(EOVERFLOW)), std::string::npos);
}

// A file that shrinks after its size was measured is judged by the bytes it still holds, as
// DecodeBmp judges them: cut in the headers, in the pixels or not at all.
TEST(BmpFiles, AFileThatShrinksAfterItsSizeWasMeasuredIsJudgedByWhatItHolds) {
  testing::TempFolder folder;
  const std::string path = folder.Path("shrinks.bmp");
  const Bytes whole = With([](BmpBuilder& b) { b.pixels.assign(16, 0x40); });
  for (const std::size_t kept : {std::size_t{20}, whole.size() - 7, whole.size()}) {
    const Bytes held(whole.begin(), whole.begin() + static_cast<long>(kept));
    testing::WriteBytes(path, held);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    if (kept < whole.size()) {
      EXPECT_THROW(DecodeBmp(held), Error) << kept;
      EXPECT_THROW(ReadBmpFrom(fd, whole.size(), path), Error) << kept;
    } else {
      ExpectPixels(ReadBmpFrom(fd, whole.size(), path), 2, 2, std::vector<TColor>(4, 0x404040));
    }
    ::close(fd);
  }
}

}  // namespace
}  // namespace rumora
