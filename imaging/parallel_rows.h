#pragma once

#include <cstdint>
#include <functional>

namespace rumora {

// Splits rows [0, rows) into one contiguous band per core and runs `band(begin, end)` on each,
// the calling thread taking the first band; returns when every band is done. Bands never
// overlap, so work that writes only its own rows gives the same result on any number of cores.
// Fewer than `minimumRowsPerBand` rows per band, or no thread to spare, runs on the calling
// thread alone. An exception from any band is rethrown here after all bands have ended.
void ForEachRowBand(std::int64_t rows, std::int64_t minimumRowsPerBand,
                    const std::function<void(std::int64_t begin, std::int64_t end)>& band);

// The number of bands ForEachRowBand uses at most: the cores available, or the value set by
// SetRowBandLimit (tests set 1 to compare a single-threaded run with a split one); 1 on a thread
// inside OneBandOnThisThread.
unsigned RowBandLimit();
void SetRowBandLimit(unsigned bands);  // 0 restores the number of cores

// While one lives, ForEachRowBand on the thread that made it runs all rows itself: for a thread
// that already works beside another (the view made while a photo is decoded), which would only
// compete with it for the cores if it split its own work further.
class OneBandOnThisThread {
 public:
  OneBandOnThisThread();
  ~OneBandOnThisThread();
  OneBandOnThisThread(const OneBandOnThisThread&) = delete;
  OneBandOnThisThread& operator=(const OneBandOnThisThread&) = delete;

 private:
  bool outer_;
};

}  // namespace rumora
