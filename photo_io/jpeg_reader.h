#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "imaging/arriving_rows.h"
#include "imaging/bitmap.h"

namespace rumora {

// The largest photo opened, in pixels (20000 x 20000). Opening needs the photo's 24-bit bitmap
// plus, for a progressive file, the library's coefficient store (up to twice as much again);
// at this size that is still a few gigabytes at most.
inline constexpr std::int64_t kMaxPhotoPixels = 400'000'000;
// The largest JPEG file read.
inline constexpr std::size_t kMaxJpegFileBytes = std::size_t{1} << 30;
// The most scans a progressive photo may have. Encoders write about ten; each scan costs a pass
// over the whole photo, so a file of thousands of tiny scans would hold the window for minutes.
inline constexpr int kMaxJpegScans = 256;
// The most memory the library may take for its own whole-photo stores (the coefficients of a
// progressive photo: 2 bytes per sample). A 100-megapixel progressive photo needs about 300 MB.
inline constexpr long kMaxLibraryMemory = 1L << 30;

// Opening is bounded by what the file can honestly hold. Its memory (the bitmap, plus the
// library's coefficient store when the photo has several scans), its work (blocks decoded,
// summed over the scans, plus the output pass over every block) and, for an arithmetic-coded
// file, the most coding decisions its scans may take (a few bytes can drive the arithmetic
// decoder through every coefficient of every block, refinement scans included) may each grow
// with the coded bytes (those up to the end-of-image marker) at these rates above a floor that
// any file gets. A file under 1 MB thus takes at most about 256 MB and 2 s whatever its header
// claims, and any photo of up to 24 megapixels that needs no more than the floor opens however
// well it compresses; a camera's photo codes far more bytes per pixel than the rates ask. An
// arithmetic-coded photo above about 8 megapixels needs a byte per 600 of its decisions (a
// tenth of a byte per pixel at most), which such a photo of any real detail holds.
inline constexpr std::int64_t kFreeOpeningMemory = std::int64_t{160} << 20;
inline constexpr std::int64_t kOpeningMemoryPerCodedByte = 256;
inline constexpr std::int64_t kFreeOpeningWork = 16'000'000;  // blocks decoded
inline constexpr std::int64_t kOpeningWorkPerCodedByte = 32;
inline constexpr std::int64_t kFreeOpeningDecisions = 400'000'000;
inline constexpr std::int64_t kOpeningDecisionsPerCodedByte = 600;

// Decodes one JPEG photo in two steps: Open reads the file and its header, Decode produces the
// pixels. Decoding uses the library's default choices (accurate integer DCT, smooth chroma
// upsampling, block smoothing of progressive files); greyscale photos give three equal
// channels, CMYK photos are converted to RGB. Damaged or missing image data the library can
// step over is filled in the library's way rather than refused.
class JpegDecoder {
 public:
  JpegDecoder();
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Reads the whole file at `path` into memory and parses the JPEG header. Throws Error when the
  // file cannot be read, is not a JPEG file the decoder supports (samples of other than 8 bits,
  // lossless or hierarchical coding: named as such; a file not starting as a JPEG is refused
  // before the rest is read), claims a size too large to
  // open, more pixels than its data could code, more scans than kMaxJpegScans, or more memory or
  // work than its coded bytes allow (see kOpeningMemoryPerCodedByte).
  void Open(const std::string& path);
  // As Open, over bytes already in memory; they must outlive the decoder.
  void OpenMemory(std::span<const std::uint8_t> bytes);

  // The photo's size as read from the header; 0 before a successful Open.
  int Width() const;
  int Height() const;
  // The Exif orientation the opened file gives its pixels (see JpegExifOrientation), 1 when it
  // gives none, and while no file is open (Decode closes it). Decode never applies it.
  int ExifOrientation() const;
  // The ICC colour profile of the opened file (its APP2 segments joined), empty when it has none
  // or they are damaged; empty while no file is open.
  std::span<const std::uint8_t> IccProfile() const;
  // Whether the opened photo is greyscale (decoded to three equal channels).
  bool Grey() const;

  // Decodes the opened photo at full size. Throws Error when nothing is open or decoding fails;
  // either way the decoder is then closed. With `arriving`, each time more rows are final it
  // hears of them, and before Decode returns or throws it hears that decoding has ended.
  Bitmap Decode(ArrivingRows* arriving = nullptr);
  // Whether the last Decode met damaged or missing data (a file cut short, say, or a progressive
  // file whose scans leave some coefficients never coded, though it ends properly) and gave
  // those parts the library's fill instead. False after a Decode that threw.
  bool DecodedWithLostData() const { return decodedWithLostData_; }

 private:
  struct Session;
  void Start(std::unique_ptr<Session> session);

  std::unique_ptr<Session> session_;
  bool decodedWithLostData_ = false;
};

// Decodes a whole JPEG file held in memory; throws Error as Open and Decode do.
Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace rumora
