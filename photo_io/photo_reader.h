#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/arriving_rows.h"
#include "imaging/bitmap.h"
#include "imaging/progress.h"

namespace rumora {

struct PhotoReadOptions {
  bool followOrientation = true;  // turn the photo upright as the file says
  bool matchColours = true;       // convert a photo with a colour profile to sRGB
};

// What opening a photo met that the user should hear of, though the photo opened.
struct PhotoReadNotes {
  bool lostData = false;               // damaged or missing picture data, filled in
  bool colourProfileUnusable = false;  // the colour profile was ignored: colours may be off
};

// The file name patterns of the photos that open ("*.jpg", ...), lower case; a name matches
// them without regard to case.
const std::vector<std::string>& PhotoFilePatterns();
// Whether `name` (a file name or path) ends as one of PhotoFilePatterns does, in any case.
bool IsPhotoFileName(std::string_view name);

// Opens one photo file, a JPEG or a HEIF (HEIC) photo, in two steps: Open reads the file and its
// header, so that the photo's size is known before anything large is made; Decode gives the
// pixels. The format is told by the file's first bytes, not by its name. A photo whose colour
// profile is not sRGB's is converted to sRGB when the options ask; one without a profile or with
// sRGB's keeps its bytes.
class PhotoReader {
 public:
  explicit PhotoReader(const PhotoReadOptions& options = {});
  ~PhotoReader();
  PhotoReader(const PhotoReader&) = delete;
  PhotoReader& operator=(const PhotoReader&) = delete;

  // Reads the file at `path` and its header. Throws Error (in Japanese) when the file cannot be
  // read, is not a photo that opens, or claims more than it can hold (see JpegDecoder::Open and
  // HeifDecoder::Open).
  void Open(const std::string& path);

  // While a photo that is decoded all at once (HEIF) decodes, Decode waits on another thread and
  // calls `pump` every few hundredths of a second, and shows the decoding as it goes in its
  // progress (an indeterminate bar until the number of tiles is known).
  void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }

  // The size of the rows Decode hands to `arriving`; 0 before a successful Open.
  int Width() const;
  int Height() const;
  // The Exif orientation a JPEG file states (kOrientationAsStored when it states none), whether
  // or not Decode follows it. A HEIF photo is turned by the library as it decodes it: none.
  int StatedOrientation() const;
  // Whether Decode turns or mirrors the photo after its last row has arrived: the arriving rows
  // then do not show the photo as it is returned.
  bool TurnsAfterDecoding() const;
  // Whether the photo's turn is settled as it is decoded (a HEIF photo, turned by the library
  // or not as the options say), so that it cannot be turned the other way afterwards.
  bool TurnSettledByDecoder() const;

  // Decodes the opened photo, converts its colours and turns it upright as the options say. With
  // `arriving`, each time more rows are final (their colours converted) it hears of them, and
  // before Decode returns or throws it hears that decoding has ended. `progress` shows the turn
  // and a HEIF's decoding. Throws Error when nothing is open or decoding fails; either way the
  // reader is then closed.
  Bitmap Decode(ArrivingRows* arriving = nullptr, PhotoReadNotes* notes = nullptr,
                Progress* progress = nullptr);

 private:
  struct Impl;
  PhotoReadOptions options_;
  std::function<void()> pump_;
  std::unique_ptr<Impl> impl_;
};

// Opens a JPEG or HEIF photo file (by its signature), decoded, upright as its orientation says
// when followOrientation, converted to sRGB when matchColours. Throws Error (Japanese message) on
// failure.
Bitmap ReadPhotoFile(const std::string& path, const PhotoReadOptions& options,
                     PhotoReadNotes* notes = nullptr, Progress* progress = nullptr);

}  // namespace rumora
