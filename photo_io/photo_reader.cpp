#include "photo_io/photo_reader.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <future>

#include "imaging/converting_rows.h"
#include "imaging/error.h"
#include "imaging/upright_turn.h"
#include "photo_io/atomic_file.h"
#include "photo_io/colour_profile.h"
#include "photo_io/exif_orientation.h"
#include "photo_io/heif_reader.h"
#include "photo_io/jpeg_reader.h"

namespace rumora {
namespace {

// How often the window's events are handled while a HEIF photo decodes.
constexpr std::chrono::milliseconds kPumpInterval{30};

// Shows a HEIF decode on the progress bar: indeterminate until the tiles are known, then the
// tiles done; back to an empty bar at the end.
class HeifProgressShown {
 public:
  explicit HeifProgressShown(Progress& progress) : progress_(progress) {
    progress_.SetMin(0);
    progress_.SetMax(0);
  }
  ~HeifProgressShown() {
    progress_.SetPosition(0);
    progress_.SetMax(100);
  }
  HeifProgressShown(const HeifProgressShown&) = delete;
  HeifProgressShown& operator=(const HeifProgressShown&) = delete;
  void Show(const HeifProgress& heif) {
    const int tiles = heif.tiles;
    if (tiles <= 1) return;
    if (tiles != shownTiles_) progress_.SetMax(shownTiles_ = tiles);
    progress_.SetPosition(heif.tilesDone);
  }

 private:
  Progress& progress_;
  int shownTiles_ = 0;
};

// Hears that decoding has ended however Decode leaves.
struct EndOfRows {
  ArrivingRows* arriving;
  ~EndOfRows() {
    if (arriving != nullptr) arriving->Ended();
  }
};

}  // namespace

const std::vector<std::string>& PhotoFilePatterns() {
  static const std::vector<std::string> patterns{"*.jpg",  "*.jpeg", "*.jpe", "*.jfif",
                                                 "*.heic", "*.heif", "*.hif"};
  return patterns;
}

bool IsPhotoFileName(std::string_view name) {
  const auto lower = [](unsigned char c) { return static_cast<char>(std::tolower(c)); };
  return std::any_of(PhotoFilePatterns().begin(), PhotoFilePatterns().end(),
                     [&](const std::string& pattern) {
                       const std::string_view ending = std::string_view(pattern).substr(1);
                       return name.size() > ending.size() &&
                              std::equal(ending.begin(), ending.end(),
                                         name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                                         [&](char a, char b) { return a == lower(b); });
                     });
}

struct PhotoReader::Impl {
  bool heif = false;
  JpegDecoder jpeg;
  HeifDecoder heifDecoder;
  int stated = kOrientationAsStored;
  int orientation = kOrientationAsStored;  // the turn Decode applies afterwards
  SrgbConversionPlan colours;
};

PhotoReader::PhotoReader(const PhotoReadOptions& options) : options_(options) {}
PhotoReader::~PhotoReader() = default;

void PhotoReader::Open(const std::string& path) {
  impl_.reset();
  auto impl = std::make_unique<Impl>();
  const std::vector<std::uint8_t> start = ReadFileStart(path, kHeifBrandBytes);
  impl->heif = HeifKindOf(start) != HeifKind::kNone;
  if (impl->heif) {
    // The library turns a HEIF photo as it decodes it.
    impl->heifDecoder.Open(path, options_.followOrientation);
    if (options_.matchColours) {
      const HeifDecoder& heif = impl->heifDecoder;
      if (!heif.IccProfile().empty()) {
        impl->colours = PlanSrgbConversion(heif.IccProfile());
      } else if (heif.Colours()) {
        impl->colours = PlanSrgbConversion(*heif.Colours());
      }
    }
  } else {
    impl->jpeg.Open(path);
    impl->stated = impl->jpeg.ExifOrientation();
    if (options_.followOrientation) impl->orientation = impl->stated;
    if (options_.matchColours) {
      impl->colours = PlanSrgbConversion(impl->jpeg.IccProfile(), impl->jpeg.Grey());
    }
  }
  impl_ = std::move(impl);
}

int PhotoReader::Width() const {
  if (!impl_) return 0;
  return impl_->heif ? impl_->heifDecoder.Width() : impl_->jpeg.Width();
}

int PhotoReader::Height() const {
  if (!impl_) return 0;
  return impl_->heif ? impl_->heifDecoder.Height() : impl_->jpeg.Height();
}

int PhotoReader::StatedOrientation() const { return impl_ ? impl_->stated : kOrientationAsStored; }

bool PhotoReader::TurnSettledByDecoder() const { return impl_ && impl_->heif; }

bool PhotoReader::TurnsAfterDecoding() const {
  return impl_ && impl_->orientation != kOrientationAsStored;
}

Bitmap PhotoReader::Decode(ArrivingRows* arriving, PhotoReadNotes* notes, Progress* progress) {
  if (!impl_) throw Error("写真のファイルが開かれていません");
  const std::unique_ptr<Impl> impl = std::move(impl_);  // closed whatever happens
  const ColourConversion* conversion = impl->colours.conversion.get();
  if (notes != nullptr) *notes = {.colourProfileUnusable = impl->colours.unusable};
  NoProgress noProgress;
  Progress& shown = progress != nullptr ? *progress : noProgress;
  Bitmap photo;
  if (impl->heif) {
    const EndOfRows end{arriving};
    if (!pump_) {
      photo = impl->heifDecoder.Decode(conversion);
    } else {
      HeifProgress heifProgress;
      HeifProgressShown bar(shown);
      auto decoded = std::async(
          std::launch::async, [&] { return impl->heifDecoder.Decode(conversion, &heifProgress); });
      while (decoded.wait_for(kPumpInterval) != std::future_status::ready) {
        pump_();
        bar.Show(heifProgress);
      }
      photo = decoded.get();
    }
    if (arriving != nullptr) arriving->Arrived(photo, photo.Height());
  } else if (conversion != nullptr) {
    ConvertingRows converting(*conversion, arriving);
    photo = impl->jpeg.Decode(&converting);
  } else {
    photo = impl->jpeg.Decode(arriving);
  }
  if (notes != nullptr && !impl->heif) notes->lostData = impl->jpeg.DecodedWithLostData();
  TurnUpright(photo, impl->orientation, shown);
  return photo;
}

Bitmap ReadPhotoFile(const std::string& path, const PhotoReadOptions& options,
                     PhotoReadNotes* notes, Progress* progress) {
  PhotoReader reader(options);
  reader.Open(path);
  return reader.Decode(nullptr, notes, progress);
}

}  // namespace rumora
