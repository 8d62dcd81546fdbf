#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/colour_conversion.h"
#include "photo_io/colour_profile.h"

namespace rumora {

// What a file's first box says about the HEIF family it may belong to: HEVC-coded HEIF (the
// "heic", "heix", "heim", "heis", "hevc", "hevx" brands), AVIF ("avif", "avis"), another HEIF
// ("mif1", "msf1" alone), or none. Reads the ftyp box's major and compatible brands within
// `start` only; cannot fail.
enum class HeifKind { kNone, kHevc, kAvif, kOther };
HeifKind HeifKindOf(std::span<const std::uint8_t> start);
// Enough of a file's start to hold its ftyp box with a long list of compatible brands.
inline constexpr std::size_t kHeifBrandBytes = 256;

// A HEIF photo's memory may grow with its coded bytes at this rate above the free amount
// (kFreeOpeningMemory): HEVC codes a photo in about half the bytes JPEG takes.
inline constexpr std::int64_t kHeifOpeningMemoryPerCodedByte = 512;
// The most images a HEIF file may hold at its top level (a phone's burst is a few dozen).
inline constexpr int kMaxHeifTopLevelImages = 1000;

// How far a HEIF decode has come, written by the decoding thread and read by anyone: the tiles
// of a tiled photo decoded so far, of `tiles` (0 while unknown or for a photo of one tile).
struct HeifProgress {
  std::atomic<int> tiles{0};
  std::atomic<int> tilesDone{0};
};

// Decodes the primary image of a HEIF file through the HEIF library (HEVC through its own
// decoder): Open reads the file and its boxes, Decode produces the pixels, 8 bits per channel
// (deeper samples rounded), alpha laid over white.
class HeifDecoder {
 public:
  HeifDecoder();
  ~HeifDecoder();
  HeifDecoder(const HeifDecoder&) = delete;
  HeifDecoder& operator=(const HeifDecoder&) = delete;

  // Reads the whole file at `path` and its boxes. With `applyTransformations` the photo is
  // decoded turned and mirrored as the file says (its irot and imir boxes), otherwise as
  // stored. Throws Error (in Japanese) when the file cannot be read, is not a HEIF file, is an
  // AVIF file, is damaged, claims more pixels than kMaxPhotoPixels, more than
  // kMaxHeifTopLevelImages images, or more memory than its bytes allow.
  void Open(const std::string& path, bool applyTransformations);
  // As Open, over bytes already in memory; they must outlive the decoder.
  void OpenMemory(std::span<const std::uint8_t> bytes, bool applyTransformations);

  // The photo's size as the file claims it (Decode gives the coded picture's own size should the
  // file's claim of the size before turning be wrong); 0 before a successful Open.
  int Width() const;
  int Height() const;
  // The photo's ICC profile, empty when it has none.
  std::span<const std::uint8_t> IccProfile() const { return iccProfile_; }
  // The photo's coded colours when it gives them instead of an ICC profile.
  const std::optional<CodedColours>& Colours() const { return colours_; }

  // Decodes the opened photo, converting its colours with `conversion` when given, and reports
  // the tiles done to `progress` when given. Throws Error when nothing is open or decoding
  // fails; either way the decoder is then closed.
  Bitmap Decode(const ColourConversion* conversion = nullptr, HeifProgress* progress = nullptr);

 private:
  struct Session;
  void Start(std::unique_ptr<Session> session, bool applyTransformations);

  std::unique_ptr<Session> session_;
  std::vector<std::uint8_t> iccProfile_;
  std::optional<CodedColours> colours_;
};

}  // namespace rumora
