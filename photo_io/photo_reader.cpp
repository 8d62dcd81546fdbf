#include "photo_io/photo_reader.h"

#include <algorithm>
#include <cctype>

#include "imaging/error.h"
#include "imaging/upright_turn.h"
#include "photo_io/exif_orientation.h"
#include "photo_io/jpeg_reader.h"

namespace rumora {

const std::vector<std::string>& PhotoFilePatterns() {
  static const std::vector<std::string> patterns{"*.jpg", "*.jpeg", "*.jpe", "*.jfif"};
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
  JpegDecoder jpeg;
  int orientation = kOrientationAsStored;  // the turn Decode applies afterwards
};

PhotoReader::PhotoReader(const PhotoReadOptions& options) : options_(options) {}
PhotoReader::~PhotoReader() = default;

void PhotoReader::Open(const std::string& path) {
  impl_.reset();
  auto impl = std::make_unique<Impl>();
  impl->jpeg.Open(path);
  if (options_.followOrientation) impl->orientation = impl->jpeg.ExifOrientation();
  impl_ = std::move(impl);
}

int PhotoReader::Width() const { return impl_ ? impl_->jpeg.Width() : 0; }
int PhotoReader::Height() const { return impl_ ? impl_->jpeg.Height() : 0; }

bool PhotoReader::TurnsAfterDecoding() const {
  return impl_ && impl_->orientation != kOrientationAsStored;
}

Bitmap PhotoReader::Decode(ArrivingRows* arriving, PhotoReadNotes* notes, Progress* progress) {
  if (!impl_) throw Error("写真のファイルが開かれていません");
  const std::unique_ptr<Impl> impl = std::move(impl_);  // closed whatever happens
  Bitmap photo = impl->jpeg.Decode(arriving);
  if (notes != nullptr) notes->lostData = impl->jpeg.DecodedWithLostData();
  NoProgress noProgress;
  TurnUpright(photo, impl->orientation, progress != nullptr ? *progress : noProgress);
  return photo;
}

Bitmap ReadPhotoFile(const std::string& path, const PhotoReadOptions& options,
                     PhotoReadNotes* notes, Progress* progress) {
  PhotoReader reader(options);
  reader.Open(path);
  return reader.Decode(nullptr, notes, progress);
}

}  // namespace rumora
