#include "imaging/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace rumora {
namespace {

std::atomic<unsigned> bandLimit{0};
thread_local bool oneBand = false;

}  // namespace

OneBandOnThisThread::OneBandOnThisThread() : outer_(std::exchange(oneBand, true)) {}
OneBandOnThisThread::~OneBandOnThisThread() { oneBand = outer_; }

unsigned RowBandLimit() {
  if (oneBand) return 1;
  const unsigned limit = bandLimit.load(std::memory_order_relaxed);
  if (limit != 0) return limit;
  return std::max(1u, std::thread::hardware_concurrency());
}

void SetRowBandLimit(unsigned bands) { bandLimit.store(bands, std::memory_order_relaxed); }

void ForEachRowBand(std::int64_t rows, std::int64_t minimumRowsPerBand,
                    const std::function<void(std::int64_t begin, std::int64_t end)>& band) {
  if (rows <= 0) return;
  const std::int64_t byWork = rows / std::max<std::int64_t>(1, minimumRowsPerBand);
  const auto bands = static_cast<std::int64_t>(
      std::clamp<std::int64_t>(byWork, 1, static_cast<std::int64_t>(RowBandLimit())));
  if (bands == 1) {
    band(0, rows);
    return;
  }
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(bands));
  const auto run = [&](std::int64_t index) {
    try {
      band(rows * index / bands, rows * (index + 1) / bands);
    } catch (...) {
      failures[static_cast<std::size_t>(index)] = std::current_exception();
    }
  };
  std::vector<std::jthread> helpers;
  helpers.reserve(static_cast<std::size_t>(bands - 1));
  std::int64_t next = 1;
  try {
    for (; next < bands; ++next) helpers.emplace_back(run, next);
  } catch (const std::system_error&) {
    // No thread to spare: the calling thread does the remaining bands itself.
  }
  run(0);
  for (std::int64_t index = next; index < bands; ++index) run(index);
  helpers.clear();  // joins
  for (const auto& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace rumora
