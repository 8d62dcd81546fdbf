#include "imaging/converting_rows.h"

#include <algorithm>
#include <system_error>

namespace rumora {
namespace {

// The thread is woken for this many rows at a time, and converts at most this many before it
// looks whether the maker has ended: what is left then is split over the cores.
constexpr int kRowsPerWake = 32;

}  // namespace

ConvertingRows::ConvertingRows(const ColourConversion& conversion, ArrivingRows* next)
    : conversion_(conversion), next_(next) {}

ConvertingRows::~ConvertingRows() { Ended(); }

void ConvertingRows::ConvertUpTo(int end) noexcept {
  if (end <= rowsConverted_) return;
  conversion_.ConvertPixels(
      picture_->Row(rowsConverted_),
      static_cast<std::size_t>(picture_->Width()) * static_cast<std::size_t>(end - rowsConverted_));
  rowsConverted_ = end;
  if (next_ != nullptr) next_->Arrived(*picture_, end);
}

void ConvertingRows::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ended_ || rowsArrived_ > rowsConverted_; });
    if (ended_) return;  // the rest is converted on every core
    const int end = std::min(rowsArrived_, rowsConverted_ + kRowsPerWake);
    lock.unlock();
    ConvertUpTo(end);
    lock.lock();
  }
}

void ConvertingRows::Arrived(const Bitmap& picture, int rows) noexcept {
  {
    const std::lock_guard lock(mutex_);
    if (ended_ || (picture_ != nullptr && picture_ != &picture)) return;
    // The maker hands over rows it no longer writes (see the class comment).
    picture_ = const_cast<Bitmap*>(&picture);
    rowsArrived_ = std::clamp(rows, rowsArrived_, picture.Height());
  }
  if (rowsArrived_ < rowsHandedOver_ + kRowsPerWake) return;
  rowsHandedOver_ = rowsArrived_;
  if (!worker_.joinable()) {
    try {
      worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
      ConvertUpTo(rowsArrived_);  // no thread to spare: converted here, between the maker's rows
      return;
    }
  }
  wake_.notify_one();
}

void ConvertingRows::Ended() noexcept {
  if (finished_) return;
  finished_ = true;
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
  }
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
  if (picture_ != nullptr && rowsArrived_ > rowsConverted_) {
    try {
      ConvertRows(*picture_, conversion_, rowsConverted_, rowsArrived_);
      rowsConverted_ = rowsArrived_;
    } catch (...) {
      // Only setting up the bands can fail, before any row is touched.
      ConvertUpTo(rowsArrived_);
    }
    if (next_ != nullptr) next_->Arrived(*picture_, rowsConverted_);
  }
  if (next_ != nullptr) next_->Ended();
}

}  // namespace rumora
