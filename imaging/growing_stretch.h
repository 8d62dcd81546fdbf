#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "imaging/arriving_rows.h"
#include "imaging/bitmap.h"
#include "imaging/image_view.h"
#include "imaging/smooth_scale.h"

namespace rumora {

// The smooth stretch of a whole photo over a view (StretchToView with Scaling::kSmooth), made
// while the photo's rows arrive from the top: on a thread of its own, so that a decoder's rows
// are scaled on the other core while they are still in the cache (one thread: it does not split
// its rows further). The result is the same as stretching the finished photo.
class GrowingSmoothStretch final : public ArrivingRows {
 public:
  // A photo of photoWidth x photoHeight over a view whose control is controlWidth x
  // controlHeight and whose picture is pictureWidth x pictureHeight; every size above 0.
  GrowingSmoothStretch(int photoWidth, int photoHeight, int controlWidth, int controlHeight,
                       int pictureWidth, int pictureHeight);
  ~GrowingSmoothStretch();
  GrowingSmoothStretch(const GrowingSmoothStretch&) = delete;
  GrowingSmoothStretch& operator=(const GrowingSmoothStretch&) = delete;

  // Rows [0, rows) of `photo` (of the planned size) are final: every view row they complete is
  // made, here or on the stretch's thread. A failure leaves the stretch incomplete.
  void Arrived(const Bitmap& photo, int rows) noexcept override;
  // Waits until every view row that arrived rows complete is made.
  void Ended() noexcept override;
  // Whether every view row is made and the stretch was planned for a photo of this size. Only
  // after Ended.
  bool CompleteFor(const Bitmap& photo) const;
  // Draws the made rows into the view's picture, as StretchToView would. Only after Ended.
  void DrawInto(ImageView& view) const;

 private:
  void MakeRowsUpTo(int end) noexcept;
  void Work();

  int photoWidth_, photoHeight_;
  SmoothScale scale_;
  Bitmap made_;
  int rowsMade_ = 0;  // written only by whoever makes rows: the thread once it runs
  bool failed_ = false;

  std::mutex mutex_;
  std::condition_variable wake_;
  const Bitmap* photo_ = nullptr;  // these three under mutex_
  int rowsWanted_ = 0;
  bool ended_ = false;
  std::thread worker_;
  int rowsHandedOver_ = 0;  // the decoder's side only
};

}  // namespace rumora
