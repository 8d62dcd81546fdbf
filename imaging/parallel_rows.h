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
// SetRowBandLimit (tests set 1 to compare a single-threaded run with a split one).
unsigned RowBandLimit();
void SetRowBandLimit(unsigned bands);  // 0 restores the number of cores

}  // namespace rumora
