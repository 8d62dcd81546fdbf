#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "imaging/arriving_rows.h"
#include "imaging/colour_conversion.h"

namespace rumora {

// Converts a picture's colours while its rows arrive, on a thread of its own beside the maker
// (a decoder), and hands each converted row on to `next`, so that whatever follows sees only
// converted colours. Once the maker has ended, the rows still waiting are converted on every
// core before `next` hears that the picture has ended. The rows are changed in place: only for
// a picture whose maker writes no row again after handing it over. The bytes are the same
// however the work was split.
class ConvertingRows final : public ArrivingRows {
 public:
  // `conversion` and `next` (which may be null) must outlive this.
  ConvertingRows(const ColourConversion& conversion, ArrivingRows* next);
  ~ConvertingRows();
  ConvertingRows(const ConvertingRows&) = delete;
  ConvertingRows& operator=(const ConvertingRows&) = delete;

  void Arrived(const Bitmap& picture, int rows) noexcept override;
  void Ended() noexcept override;

 private:
  void Work();
  // Converts rows [rowsConverted_, end) here and hands them on.
  void ConvertUpTo(int end) noexcept;

  const ColourConversion& conversion_;
  ArrivingRows* next_;
  Bitmap* picture_ = nullptr;
  int rowsConverted_ = 0;  // by whoever converts: the thread while it runs

  std::mutex mutex_;
  std::condition_variable wake_;
  int rowsArrived_ = 0;  // these two under mutex_
  bool ended_ = false;
  int rowsHandedOver_ = 0;  // the maker's side only
  bool finished_ = false;
  std::thread worker_;
};

}  // namespace rumora
