#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace rumora {

// Frees a mapping of `length` bytes: it is kept for reuse (see PixelStorage).
struct PixelUnmap {
  std::size_t length = 0;
  void operator()(std::uint8_t* data) const noexcept;
};

// The memory of a bitmap's pixels, contents unspecified. Small blocks come from the heap. Large
// ones are mapped from the system in whole 2 MB pages, 2 MB-aligned and advised for transparent
// huge pages, so that the first write faults once per 2 MB rather than once per 4 KB page (a
// fresh 24-megapixel photo otherwise spends more time in page faults than in being copied). The
// last two large blocks freed are kept, pages and all, within kMaxKeptPixelBytes together, and a
// new block of their size (up to a quarter smaller) takes one of them instead of fresh pages;
// the rest go back to the system when freed. Move-only.
class PixelStorage {
 public:
  // From this size on a block is mapped.
  static constexpr std::size_t kMappedBytes = std::size_t{4} << 20;

  PixelStorage() = default;
  // Throws std::bad_alloc when the memory cannot be had, or (for a mapped block) when it is
  // more than the system has available (see AvailableMemory).
  explicit PixelStorage(std::size_t bytes);

  std::uint8_t* get() const { return mapped_ ? mapped_.get() : heap_.get(); }
  explicit operator bool() const { return get() != nullptr; }
  // Whether the block was mapped from the system rather than taken from the heap.
  bool Mapped() const { return mapped_ != nullptr; }
  // The bytes the block really holds: for a mapped one its whole pages, or the larger kept
  // block it took.
  std::size_t HeldBytes() const {
    return mapped_ ? mapped_.get_deleter().length : heap_ ? heapBytes_ : 0;
  }

 private:
  std::unique_ptr<std::uint8_t[]> heap_;
  std::size_t heapBytes_ = 0;
  std::unique_ptr<std::uint8_t, PixelUnmap> mapped_;
};

// The most the kept blocks hold together: two pictures of a 48-megapixel photo. A freed block
// beyond it goes back to the system at once, the oldest kept one first.
inline constexpr std::size_t kMaxKeptPixelBytes = std::size_t{320} << 20;

// Gives the kept blocks back to the system: when a new photo replaces the old one's pictures,
// when memory runs short, and for measuring a fresh process.
void ReleaseKeptPixelBlocks();
// The bytes the kept blocks hold.
std::size_t KeptPixelBytes();
// Keeps at most `bytes` instead of kMaxKeptPixelBytes (tests; 0 restores it).
void SetKeptPixelBytesLimit(std::size_t bytes);

// Whether `bytes` more can be mapped without swapping: the kept blocks go back to the system
// first when they are what is missing. For a caller about to need memory that PixelStorage does
// not take itself (a library's own stores beside a bitmap).
bool MemoryCanBeHad(std::size_t bytes);

}  // namespace rumora
