#include "imaging/growing_stretch.h"

#include <algorithm>
#include <cstring>

#include "imaging/parallel_rows.h"

namespace rumora {
namespace {

constexpr int kRowsPerWake = 16;

}  // namespace

GrowingSmoothStretch::GrowingSmoothStretch(int photoWidth, int photoHeight, int controlWidth,
                                           int controlHeight, int pictureWidth, int pictureHeight)
    : photoWidth_(photoWidth),
      photoHeight_(photoHeight),
      scale_(
          SmoothAxis(0, photoWidth, controlWidth, std::min(controlWidth, pictureWidth), photoWidth),
          SmoothAxis(0, photoHeight, controlHeight, std::min(controlHeight, pictureHeight),
                     photoHeight)),
      made_(scale_.Columns().TargetEnd(), scale_.Rows().TargetEnd()) {}

GrowingSmoothStretch::~GrowingSmoothStretch() { Ended(); }

void GrowingSmoothStretch::MakeRowsUpTo(int end) noexcept {
  if (failed_ || end <= rowsMade_) return;
  // Made beside the decoder: splitting them too would take its core.
  const OneBandOnThisThread alone;
  try {
    scale_.MakeRows(*photo_, made_, rowsMade_, end);
    rowsMade_ = end;
  } catch (...) {
    failed_ = true;
  }
}

void GrowingSmoothStretch::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ended_ || rowsWanted_ > rowsMade_; });
    const int wanted = rowsWanted_;
    if (wanted <= rowsMade_ || failed_) return;  // ended, and nothing left to make
    lock.unlock();
    MakeRowsUpTo(wanted);
    lock.lock();
  }
}

void GrowingSmoothStretch::Arrived(const Bitmap& photo, int rows) noexcept {
  if (photo.Width() != photoWidth_ || photo.Height() != photoHeight_) return;
  int end = 0;
  while (end < made_.Height() && scale_.SourceRowsNeeded(end) <= rows) ++end;
  {
    const std::lock_guard lock(mutex_);
    if (ended_ || (photo_ != nullptr && photo_ != &photo)) return;
    photo_ = &photo;
    rowsWanted_ = std::max(rowsWanted_, end);
  }
  // Woken for a few view rows at a time, not at every call: each wake may take the decoder's
  // core from it for a moment.
  if (end < rowsHandedOver_ + kRowsPerWake && end < made_.Height()) return;
  rowsHandedOver_ = end;
  if (!worker_.joinable()) {
    try {
      worker_ = std::thread([this] { Work(); });
    } catch (...) {
      MakeRowsUpTo(end);  // no thread or memory to spare: made here, between the decoder's rows
      return;
    }
  }
  wake_.notify_one();
}

void GrowingSmoothStretch::Ended() noexcept {
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
  }
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
}

bool GrowingSmoothStretch::CompleteFor(const Bitmap& photo) const {
  return !failed_ && rowsMade_ == made_.Height() && photo.Width() == photoWidth_ &&
         photo.Height() == photoHeight_;
}

void GrowingSmoothStretch::DrawInto(ImageView& view) const {
  Bitmap& picture = view.Picture();
  const int columns = std::min(made_.Width(), picture.Width());
  for (int y = 0; y < std::min(rowsMade_, picture.Height()); ++y) {
    std::memcpy(picture.Row(y), made_.Row(y), static_cast<std::size_t>(columns) * 3);
  }
}

}  // namespace rumora
