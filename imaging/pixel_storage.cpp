#include "imaging/pixel_storage.h"

#include <sys/mman.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <utility>

#include "imaging/available_memory.h"

namespace rumora {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t v, std::size_t to) { return (v + to - 1) / to * to; }

// A mapping of `length` bytes (a multiple of 2 MB) that starts on a 2 MB boundary: map 2 MB
// more, then give back the unaligned head and the tail beyond the length. The mapping is
// charged to the system's commit accounting, and a request beyond what the system has
// available is refused here: Linux lends address space freely, and a block it cannot back
// would kill the process at its first touch instead of failing now.
std::uint8_t* MapAligned(std::size_t length) {
  if (length > AvailableMemory()) throw std::bad_alloc();
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = RoundUp(start, kHugePage);
  if (aligned > start) ::munmap(raw, aligned - start);
  const std::uintptr_t tail = aligned + length;
  const std::uintptr_t end = start + length + kHugePage;
  if (end > tail) ::munmap(reinterpret_cast<void*>(tail), end - tail);
  auto* data = reinterpret_cast<std::uint8_t*>(aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(data, length, MADV_HUGEPAGE);  // only advice: without it the pages are 4 KB
#endif
  return data;
}

// The last two mapped blocks freed, kept with their pages for the next bitmaps of about their
// size: a photo's next picture (the rotation's result, the next photo opened) then writes into
// memory already mapped instead of having every page faulted in and cleared again. Trivially
// destructible, so bitmaps that outlive it at exit still find it.
class BlockPool {
 public:
  // A kept block of at least `length` bytes and at most a quarter more, or nullptr; `taken`
  // receives its length.
  std::uint8_t* Take(std::size_t length, std::size_t& taken) {
    const std::lock_guard lock(mutex_);
    Block* best = nullptr;
    for (Block& block : blocks_) {
      if (block.data && block.length >= length && block.length <= length + length / 4 &&
          (!best || block.length < best->length)) {
        best = &block;
      }
    }
    if (!best) return nullptr;
    taken = best->length;
    kept_ -= taken;
    return std::exchange(best->data, nullptr);
  }

  // Keeps a freed block, giving back the ones kept longest while more than two, or more bytes
  // than the limit, are kept; a block beyond the limit alone goes back at once.
  void Keep(std::uint8_t* data, std::size_t length) {
    const std::lock_guard lock(mutex_);
    const std::size_t limit = Limit();
    if (length > limit) {
      ::munmap(data, length);
      return;
    }
    // Oldest first: [0] is the older block when both are kept.
    if (!blocks_[0].data) std::swap(blocks_[0], blocks_[1]);
    if (blocks_[1].data) {
      GiveBack(blocks_[0]);
      std::swap(blocks_[0], blocks_[1]);
    }
    if (kept_ + length > limit) GiveBack(blocks_[0]);
    (blocks_[0].data ? blocks_[1] : blocks_[0]) = {data, length};
    kept_ += length;
  }

  void Release() {
    const std::lock_guard lock(mutex_);
    for (Block& block : blocks_) GiveBack(block);
  }

  std::size_t Kept() {
    const std::lock_guard lock(mutex_);
    return kept_;
  }

  void SetLimit(std::size_t bytes) { limit_.store(bytes, std::memory_order_relaxed); }

 private:
  struct Block {
    std::uint8_t* data = nullptr;
    std::size_t length = 0;
  };

  std::size_t Limit() const {
    const std::size_t limit = limit_.load(std::memory_order_relaxed);
    return limit != 0 ? limit : kMaxKeptPixelBytes;
  }
  void GiveBack(Block& block) {
    if (!block.data) return;
    ::munmap(std::exchange(block.data, nullptr), block.length);
    kept_ -= block.length;
  }

  std::mutex mutex_;
  std::array<Block, 2> blocks_{};  // under mutex_
  std::size_t kept_ = 0;           // under mutex_
  std::atomic<std::size_t> limit_{0};
};

constinit BlockPool pool;

}  // namespace

PixelStorage::PixelStorage(std::size_t bytes) {
  if (bytes == 0) return;
  if (bytes < kMappedBytes) {
    heap_ = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
    heapBytes_ = bytes;
    return;
  }
  std::size_t length = RoundUp(bytes, kHugePage);
  std::uint8_t* data = pool.Take(length, length);
  if (!data) {
    try {
      data = MapAligned(length);
    } catch (const std::bad_alloc&) {
      pool.Release();  // the kept blocks may be what is missing
      data = MapAligned(length);
    }
  }
  mapped_ = std::unique_ptr<std::uint8_t, PixelUnmap>(data, PixelUnmap{length});
}

void PixelUnmap::operator()(std::uint8_t* data) const noexcept { pool.Keep(data, length); }

void ReleaseKeptPixelBlocks() { pool.Release(); }

std::size_t KeptPixelBytes() { return pool.Kept(); }

void SetKeptPixelBytesLimit(std::size_t bytes) { pool.SetLimit(bytes); }

bool MemoryCanBeHad(std::size_t bytes) {
  if (bytes <= AvailableMemory()) return true;
  pool.Release();
  return bytes <= AvailableMemory();
}

}  // namespace rumora
