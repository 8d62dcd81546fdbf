#include "batch/memory_gate.h"

namespace rumora {

void MemoryGate::Acquire(std::int64_t bytes) {
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return running_ == 0 || held_ + bytes <= budget_; });
  held_ += bytes;
  ++running_;
}

void MemoryGate::Release(std::int64_t bytes) {
  {
    const std::lock_guard lock(mutex_);
    held_ -= bytes;
    --running_;
  }
  freed_.notify_all();
}

}  // namespace rumora
