#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace rumora {

// Lets pieces of work run side by side only while the memory they say they need fits in a
// budget together. One piece always runs, whatever it needs: alone it gets all there is.
class MemoryGate {
 public:
  explicit MemoryGate(std::int64_t budget) : budget_(budget) {}

  // Waits until `bytes` fit beside what the running pieces hold, or none is running.
  void Acquire(std::int64_t bytes);
  void Release(std::int64_t bytes);

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  const std::int64_t budget_;
  std::int64_t held_ = 0;
  int running_ = 0;
};

// Takes its bytes from a gate for as long as it lives.
class MemoryHold {
 public:
  MemoryHold(MemoryGate& gate, std::int64_t bytes) : gate_(gate), bytes_(bytes) {
    gate_.Acquire(bytes_);
  }
  ~MemoryHold() { gate_.Release(bytes_); }
  MemoryHold(const MemoryHold&) = delete;
  MemoryHold& operator=(const MemoryHold&) = delete;

 private:
  MemoryGate& gate_;
  std::int64_t bytes_;
};

}  // namespace rumora
