#include "photo_io/jpeg_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "imaging/error.h"
#include "imaging/growing_stretch.h"
#include "photo_io/jpeg_markers.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using testing::FileBytes;
using testing::FindMarker;
using testing::PixelDifference;
using testing::ReadsInJapanese;
using testing::ReferenceDecode;
using testing::TempFolder;
using testing::TestPhoto;

struct PhotoRow {
  const char* label;
  const char* file;
  int width;
  int height;
};

std::ostream& operator<<(std::ostream& out, const PhotoRow& row) { return out << row.label; }

class OpenPhotoTest : public ::testing::TestWithParam<PhotoRow> {};

// Every photo of the test set opens at its size with exactly the reference decoder's pixels
// (same library, same default choices; greyscale as three equal channels, CMYK converted).
TEST_P(OpenPhotoTest, GivesTheReferencePixels) {
  const PhotoRow& row = GetParam();
  JpegDecoder decoder;
  decoder.Open(TestPhoto(row.file));
  EXPECT_EQ(decoder.Width(), row.width);
  EXPECT_EQ(decoder.Height(), row.height);
  const Bitmap photo = decoder.Decode();
  ASSERT_EQ(photo.Width(), row.width);
  ASSERT_EQ(photo.Height(), row.height);

  if (!testing::HaveProgram("djpeg")) GTEST_SKIP() << "djpeg is not installed";
  TempFolder scratch;
  const std::optional<Bitmap> reference = ReferenceDecode(TestPhoto(row.file), scratch);
  ASSERT_TRUE(reference.has_value());
  EXPECT_EQ(PixelDifference(photo, *reference), "");
}

const PhotoRow kTestSet[] = {
    {"Baseline", "tower.jpg", 512, 512},
    {"Greyscale", "tower_grayscale.jpg", 512, 512},
    {"Progressive", "tower_progressive.jpg", 512, 512},
    {"Chroma420", "video-001.jpeg", 150, 103},
    {"Chroma444", "video-001.q50.444.jpeg", 150, 103},
    {"Chroma422", "video-001.q50.422.jpeg", 150, 103},
    {"Chroma411", "video-001.q50.411.jpeg", 150, 103},
    {"ProgressiveSmall", "video-001.progressive.jpeg", 150, 103},
    {"ProgressiveTruncated", "video-001.progressive.truncated.jpeg", 150, 103},
    {"AdobeCmyk", "video-001.cmyk.jpeg", 150, 103},
    {"RgbComponents", "video-001.rgb.jpeg", 150, 103},
    {"GreyBaseline", "video-005.gray.jpeg", 150, 103},
    {"GreyProgressive", "video-005.gray.q50.progressive.jpeg", 150, 103},
    {"IjgTestImage", "testorig.jpg", 227, 149},
    {"Arithmetic", "testimgari.jpg", 227, 149}};

INSTANTIATE_TEST_SUITE_P(TestSet, OpenPhotoTest, ::testing::ValuesIn(kTestSet),
                         [](const auto& info) { return std::string(info.param.label); });

// Pearson correlation of one channel of two pictures of the same size.
double ChannelCorrelation(const Bitmap& a, const Bitmap& b, int channel) {
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  const double n = double(a.Width()) * a.Height();
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const double va = a.Row(y)[3 * x + channel], vb = b.Row(y)[3 * x + channel];
      sa += va, sb += vb, saa += va * va, sbb += vb * vb, sab += va * vb;
    }
  }
  return (sab - sa * sb / n) / std::sqrt((saa - sa * sa / n) * (sbb - sb * sb / n));
}

// The CMYK file holds the colour original's picture, converted with a press profile that
// prints darker than a plain ink-by-black product shows it; so each channel follows the
// original closely in shape, not in level.
TEST(OpenPhoto, AdobeCmykFollowsTheColourOriginal) {
  const Bitmap cmyk = DecodeJpeg(FileBytes(TestPhoto("video-001.cmyk.jpeg")));
  const Bitmap ycc = DecodeJpeg(FileBytes(TestPhoto("video-001.jpeg")));
  ASSERT_EQ(cmyk.Width(), ycc.Width());
  for (int channel = 0; channel < 3; ++channel) {
    EXPECT_GT(ChannelCorrelation(cmyk, ycc, channel), 0.9) << "channel " << channel;
  }
  // The top-left pixel's stored inverted C, M, Y, K are 255, 5, 0, 51: R = 255 * 51 / 255,
  // G = 5 * 51 / 255 rounded, B = 0.
  EXPECT_EQ(cmyk.Pixel(0, 0), RGB(51, 1, 0));
}

// Without the Adobe marker the same samples are plain CMYK (0 = no ink).
TEST(OpenPhoto, PlainCmykIsNotInverted) {
  std::vector<std::uint8_t> jpeg = FileBytes(TestPhoto("video-001.cmyk.jpeg"));
  const std::string adobe = "Adobe";
  const auto at = std::search(jpeg.begin(), jpeg.end(), adobe.begin(), adobe.end());
  ASSERT_NE(at, jpeg.end());
  at[-3] = 0xEF;  // APP14 becomes APP15, which nobody reads
  const Bitmap photo = DecodeJpeg(jpeg);
  // C, M, Y, K = 255, 5, 0, 51: R = 0, G = 250 * 204 / 255, B = 255 * 204 / 255.
  EXPECT_EQ(photo.Pixel(0, 0), RGB(0, 200, 204));
}

double MeanAbsoluteDifference(const Bitmap& a, const Bitmap& b) {
  std::int64_t total = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (std::size_t i = 0; i < a.Stride(); ++i) total += std::abs(a.Row(y)[i] - b.Row(y)[i]);
  }
  return static_cast<double>(total) / (static_cast<double>(a.Stride()) * a.Height());
}

// Coded from the same picture with the same tables by another encoder; the two decode to
// nearly the same pixels (measured: mean difference 0.31, largest 17).
TEST(OpenPhoto, ArithmeticCodedIsCloseToItsHuffmanCodedTwin) {
  const Bitmap arithmetic = DecodeJpeg(FileBytes(TestPhoto("testimgari.jpg")));
  const Bitmap huffman = DecodeJpeg(FileBytes(TestPhoto("testorig.jpg")));
  EXPECT_EQ(PixelDifference(arithmetic, huffman, 20), "");
  EXPECT_LT(MeanAbsoluteDifference(arithmetic, huffman), 0.5);
}

// Claims a size in the frame header without changing the coded data.
std::vector<std::uint8_t> WithClaimedSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  const std::size_t sof = FindMarker(jpeg, WalkJpegMarkers(jpeg, 0).frameMarker);
  jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8);
  jpeg[sof + 6] = static_cast<std::uint8_t>(height);
  jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8);
  jpeg[sof + 8] = static_cast<std::uint8_t>(width);
  return jpeg;
}

TEST(DamagedPhoto, SlightlyLargerClaimDecodesWithTheLibrarysFill) {
  const std::vector<std::uint8_t> good = FileBytes(TestPhoto("video-001.jpeg"));
  const std::vector<std::uint8_t> taller = WithClaimedSize(good, 150, 120);
  const Bitmap photo = DecodeJpeg(taller);
  ASSERT_EQ(photo.Height(), 120);
  const Bitmap original = DecodeJpeg(good);
  // Rows of the MCU rows that were fully coded are the original's (upsampling blends at most
  // into the last one).
  for (int y = 0; y < 96; ++y) {
    ASSERT_EQ(std::memcmp(photo.Row(y), original.Row(y), original.Stride()), 0) << "row " << y;
  }
}

// Damaged headers and files cut short are refused in Japanese, claims of a size beyond the cap
// or beyond what the bytes could code as soon as the file is opened (arithmetic coding has no
// floor on bits per block: its claims meet the cap alone), and kinds of JPEG the decoder cannot
// open are named as such.
TEST(DamagedPhoto, DamagedHeadersAndUnsupportedKindsAreRefused) {
  const std::vector<std::uint8_t> good = FileBytes(TestPhoto("testorig.jpg"));
  const std::vector<std::uint8_t> small = FileBytes(TestPhoto("video-001.jpeg"));  // 21 KB
  const std::vector<std::uint8_t> arithmetic = FileBytes(TestPhoto("testimgari.jpg"));
  const std::size_t sof = FindMarker(good, 0xC0), dht = FindMarker(good, 0xC4);
  const auto changed = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  std::vector<std::uint8_t> bad_huffman = good;
  for (int i = 0; i < 16; ++i) bad_huffman[dht + 5 + i] = 0xFF;  // 16 x 255 codes: impossible
  const struct {
    const char* label;
    std::vector<std::uint8_t> bytes;
    std::string start;
    bool atOpen = false;
  } rows[] = {
      {"SOI", changed(1, 0x00), ""},
      {"components", changed(sof + 9, 0), ""},
      {"huffman", bad_huffman, ""},
      {"cut before the scan", {good.begin(), good.begin() + FindMarker(good, 0xDA)}, ""},
      {"cut after SOI", {good.begin(), good.begin() + 2}, ""},
      {"precision", changed(sof + 4, 9), "JPEG ファイルの見出しが壊れています"},
      {"12-bit", FileBytes(TestPhoto("monkey12.jpg")), "12 ビットの JPEG"},
      {"lossless", changed(sof + 1, 0xC3), "可逆圧縮 (ロスレス) の JPEG ファイルは開けません"},
      {"hierarchical", changed(sof + 1, 0xC5), "階層符号化"},
      {"beyond the cap", WithClaimedSize(small, 65000, 65000), "", true},
      {"beyond its bytes", WithClaimedSize(small, 20000, 20000), "", true},
      {"arithmetic beyond the cap", WithClaimedSize(arithmetic, 65000, 65000), "", true},
      {"arithmetic just beyond", WithClaimedSize(arithmetic, 20001, 20000), "", true}};
  for (const auto& row : rows) {
    JpegDecoder decoder;
    bool opened = false;
    const std::string text = testing::ErrorOf([&] {
                               decoder.OpenMemory(row.bytes);
                               opened = true;
                               decoder.Decode();
                             }).message;
    EXPECT_EQ(decoder.Width(), 0) << row.label;  // closed, whichever step refused
    EXPECT_TRUE(ReadsInJapanese(text)) << row.label << ": " << text;
    EXPECT_EQ(text.rfind(row.start, 0), 0u) << row.label << ": " << text;
    EXPECT_TRUE(!row.atOpen || !opened) << row.label << " was refused after opening";
  }
}

// Files that hold no JPEG are refused when opened; a gigabyte that does not start as one on its
// first bytes, not read whole.
TEST(DamagedPhoto, FilesThatAreNoJpegAreRefusedAtOpen) {
  TempFolder folder;
  testing::WriteBytes(folder.Path("notes.jpg"), {'h', 'e', 'l', 'l', 'o', '\n'});
  testing::WriteBytes(folder.Path("empty.jpg"), {});
  testing::WriteBytes(folder.Path("zeros.jpg"), {});
  std::filesystem::resize_file(folder.Path("zeros.jpg"), kMaxJpegFileBytes);  // sparse
  for (const char* name : {"absent.jpg", "", "notes.jpg", "empty.jpg", "zeros.jpg"}) {
    JpegDecoder decoder;
    const std::string text = testing::ErrorOf([&] { decoder.Open(folder.Path(name)); }).message;
    EXPECT_NE(text, "") << "'" << name << "' opened";
    EXPECT_TRUE(name[0] != 'z' || text == "JPEG ファイルではありません") << text;
  }
}

// Whoever reads the rows while they arrive hears of them in order, and hears that decoding has
// ended before Decode returns or throws (a scan naming a table that was never defined, which
// the library finds once decoding starts; a decoder never opened), while the photo it was
// handed is still whole.
TEST(OpenPhoto, ArrivingRowsEndBeforeDecodeLeaves) {
  // Notes what the picture it was handed holds when the end arrives: still the whole photo,
  // unless it was moved out before.
  struct Recorder final : ArrivingRows {
    std::vector<int> rows;
    int ended = 0;
    const Bitmap* picture = nullptr;
    Bitmap atEnd;
    void Arrived(const Bitmap& p, int count) noexcept override {
      rows.push_back(count);
      picture = &p;
    }
    void Ended() noexcept override {
      ++ended;
      if (picture != nullptr) atEnd = *picture;
    }
  };
  const std::vector<std::uint8_t> good = FileBytes(TestPhoto("testorig.jpg"));
  std::vector<std::uint8_t> bad = good;
  bad[FindMarker(bad, 0xDA) + 6] = 0x33;
  for (const char* kind : {"good", "damaged", "never opened"}) {
    Recorder recorder;
    JpegDecoder decoder;
    if (kind[0] != 'n') decoder.OpenMemory(kind[0] == 'g' ? good : bad);
    if (kind[0] != 'g') {
      EXPECT_THROW(decoder.Decode(&recorder), Error);
    } else {
      const Bitmap photo = decoder.Decode(&recorder);
      ASSERT_FALSE(recorder.rows.empty());
      EXPECT_TRUE(std::is_sorted(recorder.rows.begin(), recorder.rows.end()));
      EXPECT_EQ(recorder.rows.back(), photo.Height());
      EXPECT_EQ(PixelDifference(recorder.atEnd, photo), "");
    }
    EXPECT_EQ(recorder.ended, 1) << kind;
  }
  // The smooth view made on its own thread while the rows arrive is the finished photo's.
  JpegDecoder decoder;
  decoder.Open(TestPhoto("tower.jpg"));
  GrowingSmoothStretch grown(decoder.Width(), decoder.Height(), 203, 151, 203, 151);
  EXPECT_EQ(testing::GrownViewDifference(grown, decoder.Decode(&grown)), "");
}

// A baseline file cut in half opens, and says so: the rows before the cut are the whole file's,
// the rest is what the library fills in for missing data (as the reference decoder shows it).
TEST(DamagedPhoto, TruncatedFilesOpenWithTheLibrarysFill) {
  const std::vector<std::uint8_t> good = FileBytes(TestPhoto("tower.jpg"));
  const std::vector<std::uint8_t> half(good.begin(), good.begin() + good.size() / 2);
  JpegDecoder decoder;
  decoder.OpenMemory(good);
  const Bitmap whole = decoder.Decode();
  EXPECT_FALSE(decoder.DecodedWithLostData());
  decoder.OpenMemory(half);
  const Bitmap cut = decoder.Decode();
  EXPECT_TRUE(decoder.DecodedWithLostData());  // which the window tells the user
  EXPECT_THROW(decoder.Decode(), Error);       // closed: that Decode met no lost data
  EXPECT_FALSE(decoder.DecodedWithLostData());
  // A progressive file that ends properly after its first scans leaves coefficients uncoded.
  for (const auto& [name, lost] : {std::pair{"video-001.progressive.truncated.jpeg", true},
                                   std::pair{"video-001.progressive.jpeg", false}}) {
    const std::vector<std::uint8_t> bytes = FileBytes(TestPhoto(name));
    decoder.OpenMemory(bytes);
    decoder.Decode();
    EXPECT_EQ(decoder.DecodedWithLostData(), lost) << name;
  }
  ASSERT_EQ(cut.Height(), whole.Height());
  int same_rows = 0;
  while (same_rows < whole.Height() &&
         std::memcmp(cut.Row(same_rows), whole.Row(same_rows), whole.Stride()) == 0) {
    ++same_rows;
  }
  EXPECT_GT(same_rows, whole.Height() / 4);
  EXPECT_LT(same_rows, whole.Height());

  if (!testing::HaveProgram("djpeg")) GTEST_SKIP() << "djpeg is not installed";
  TempFolder folder;
  testing::WriteBytes(folder.Path("half.jpg"), half);
  const std::optional<Bitmap> reference = ReferenceDecode(folder.Path("half.jpg"), folder);
  ASSERT_TRUE(reference.has_value());
  EXPECT_EQ(PixelDifference(cut, *reference), "");
}

// A progressive file whose last scan is repeated `extra` times more.
std::vector<std::uint8_t> WithRepeatedLastScan(const std::vector<std::uint8_t>& jpeg, int extra) {
  // In coded data a 0xFF byte is followed by 0x00 or a restart code, so 0xFF 0xDA is a marker.
  std::size_t last_scan = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) last_scan = i;
  }
  const std::size_t end = jpeg.size() - 2;  // the end-of-image marker
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(end));
  for (int i = 0; i < extra; ++i) {
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(last_scan),
               jpeg.begin() + static_cast<std::ptrdiff_t>(end));
  }
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

// Each scan costs a pass over the whole photo: a file of endless tiny scans is refused rather
// than holding the window for minutes.
TEST(DamagedPhoto, EndlessScansAreRefused) {
  const std::vector<std::uint8_t> good = FileBytes(TestPhoto("video-001.progressive.jpeg"));
  ASSERT_EQ(good[good.size() - 1], 0xD9);
  EXPECT_EQ(DecodeJpeg(WithRepeatedLastScan(good, 20)).Width(), 150);  // repeats are harmless
  EXPECT_THROW(DecodeJpeg(WithRepeatedLastScan(good, kMaxJpegScans)), Error);
}

// The number of scans in a JPEG file.
int ScanCount(const std::vector<std::uint8_t>& jpeg) {
  return static_cast<int>(WalkJpegMarkers(jpeg, 100000).scans.size());
}

// A hostile file: a small picture coded by the library, then given a huge claimed size, more
// scans and padding after its end marker.
struct HostileRow {
  const char* label;
  bool arithmetic;
  bool progressive;
  bool grey;  // a greyscale photo's coefficients fit the library's own memory budget
  int claimedSide;
  int scans;             // the total after repeating the last scan; 0 keeps the file's own
  std::size_t padBytes;  // zeros after the end-of-image marker, or before it
  bool padInsideTheLastScan = false;
};

std::ostream& operator<<(std::ostream& out, const HostileRow& row) { return out << row.label; }

std::vector<std::uint8_t> BuildHostile(const HostileRow& row) {
  std::vector<std::uint8_t> jpeg = testing::EncodeWithLibrary(
      testing::GradientPicture(64, 48),
      {.arithmetic = row.arithmetic, .progressive = row.progressive, .grey = row.grey});
  if (row.scans > 0) jpeg = WithRepeatedLastScan(jpeg, row.scans - ScanCount(jpeg));
  jpeg = WithClaimedSize(jpeg, row.claimedSide, row.claimedSide);
  const auto at = row.padInsideTheLastScan ? jpeg.end() - 2 : jpeg.end();
  jpeg.insert(at, row.padBytes, 0);
  return jpeg;
}

class HostileFileTest : public ::testing::TestWithParam<HostileRow> {};

// A few kilobytes that claim a huge photo are refused when opened, before the library allocates
// or decodes anything: the claim is weighed against the bytes that could code it.
TEST_P(HostileFileTest, IsRefusedAtOpen) {
  const HostileRow& row = GetParam();
  const std::vector<std::uint8_t> jpeg = BuildHostile(row);
  if (row.scans > 0) {
    ASSERT_EQ(ScanCount(jpeg), row.scans);
  }
  JpegDecoder decoder;
  EXPECT_THROW(decoder.OpenMemory(jpeg), Error)
      << jpeg.size() << " bytes claiming " << row.claimedSide << "x" << row.claimedSide;
}

INSTANTIATE_TEST_SUITE_P(
    DamagedPhoto, HostileFileTest,
    ::testing::Values(
        HostileRow{"ArithmeticOneScan", true, false, false, 20000, 0, 0},
        HostileRow{"Arithmetic255Scans", true, true, true, 20000, 255, 0},
        HostileRow{"Arithmetic257Scans", true, true, true, 20000, 257, 0},
        HostileRow{"ArithmeticProgressive16000", true, true, true, 16000, 0, 0},
        // 255 scans of 20000x20000 need 6.25 million bits of first-scan DC codes; the 800 KB of
        // zeros after the end marker would cover them if the whole file counted.
        HostileRow{"HuffmanPaddedAfterTheEnd", false, true, true, 20000, 255, 800'000},
        // Within the memory floor and coding every block, but its 255 scans ask for 25 million
        // block decodes from 24 KB.
        HostileRow{"Huffman255ScansOfAFloorSizedPhoto", false, true, false, 2500, 255, 20'000,
                   true},
        // Few blocks per scan, but the arithmetic decoder reads on from zeros through every
        // coefficient of every block: seconds of decisions from a few kilobytes.
        HostileRow{"ArithmeticRefinementScans", true, true, true, 1992, 256, 0},
        HostileRow{"ArithmeticSequential36Megapixels", true, false, false, 6000, 0, 0}),
    [](const ::testing::TestParamInfo<HostileRow>& info) { return info.param.label; });

// `jpeg` with `filler` just before its second scan.
std::vector<std::uint8_t> WithBytesBeforeTheSecondScan(std::vector<std::uint8_t> jpeg,
                                                       const std::vector<std::uint8_t>& filler) {
  int seen = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA && ++seen == 2) {
      jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(i), filler.begin(), filler.end());
      break;
    }
  }
  return jpeg;
}

// Between segments the library reads on past bytes that are no marker (a stuffed zero) and past
// a comment too short to hold its own length; the scans after them still count in the bound.
TEST(DamagedPhoto, ScansAfterBytesTheLibrarySkipsStillCount) {
  const std::pair<const char*, std::vector<std::uint8_t>> fillers[] = {
      {"stuffed zero after a comment", {0xFF, 0xFE, 0x00, 0x02, 0xFF, 0x00, 0xFE, 0xFE}},
      {"comment of length 0", {0xFF, 0xFE, 0x00, 0x00}},
  };
  const std::vector<std::uint8_t> good = testing::EncodeWithLibrary(
      testing::GradientPicture(64, 48), {.arithmetic = true, .progressive = true, .grey = true});
  const Bitmap expected = DecodeJpeg(good);
  for (const auto& [label, filler] : fillers) {
    const std::vector<std::uint8_t> quirky = WithBytesBeforeTheSecondScan(good, filler);
    ASSERT_EQ(quirky.size(), good.size() + filler.size()) << label;
    EXPECT_EQ(PixelDifference(DecodeJpeg(quirky), expected), "") << label;
    // 255 scans over 5792 x 5792 ask for 134 million block decodes (2 s) from 6 KB.
    const std::vector<std::uint8_t> hostile =
        WithClaimedSize(WithRepeatedLastScan(quirky, 255 - ScanCount(quirky)), 5792, 5792);
    ASSERT_EQ(ScanCount(hostile), 255) << label;
    JpegDecoder decoder;
    EXPECT_THROW(decoder.OpenMemory(hostile), Error) << label;
  }
}

// The real photos these rates must never refuse: the most compressible a camera writes (a black
// frame, standard tables, 2x2 chroma) at 24 megapixels, plain and progressive, and a progressive
// photo with twice the usual scans.
TEST(DamagedPhoto, CompressibleRealPhotosStillOpen) {
  const Bitmap black = Bitmap::Filled(6000, 4000, clBlack);
  for (const bool progressive : {false, true}) {
    const std::vector<std::uint8_t> jpeg =
        testing::EncodeWithLibrary(black, {.progressive = progressive});
    JpegDecoder decoder;
    EXPECT_NO_THROW(decoder.OpenMemory(jpeg))
        << (progressive ? "progressive " : "baseline ") << jpeg.size() << " bytes";
  }
  const std::vector<std::uint8_t> scans = WithRepeatedLastScan(
      testing::EncodeWithLibrary(testing::GradientPicture(3000, 2000), {.progressive = true}), 10);
  JpegDecoder decoder;
  EXPECT_NO_THROW(decoder.OpenMemory(scans)) << scans.size() << " bytes";
  // Arithmetic coding: a 12-megapixel photo of real detail, above the decisions' floor.
  const std::vector<std::uint8_t> arithmetic =
      testing::EncodeWithLibrary(testing::NoisyGradient(4000, 3000), {.arithmetic = true});
  EXPECT_NO_THROW(decoder.OpenMemory(arithmetic)) << arithmetic.size() << " bytes";
}

}  // namespace
}  // namespace rumora
