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
// ones are mapped from the system 2 MB-aligned and advised for transparent huge pages, so that
// the first write faults once per 2 MB rather than once per 4 KB page (a fresh 24-megapixel
// photo otherwise spends more time in page faults than in being copied). The last two large
// blocks freed are kept, pages and all, and a new block of their size (up to a quarter smaller)
// takes one of them instead of fresh pages; the rest go back to the system when freed.
// Move-only.
class PixelStorage {
 public:
  // From this size on a block is mapped.
  static constexpr std::size_t kMappedBytes = std::size_t{4} << 20;

  PixelStorage() = default;
  // Throws std::bad_alloc when the memory cannot be had, or (for a mapped block) when it is
  // more than the system reports available.
  explicit PixelStorage(std::size_t bytes);

  std::uint8_t* get() const { return mapped_ ? mapped_.get() : heap_.get(); }
  explicit operator bool() const { return get() != nullptr; }
  // Whether the block was mapped from the system rather than taken from the heap.
  bool Mapped() const { return mapped_ != nullptr; }

 private:
  std::unique_ptr<std::uint8_t[]> heap_;
  std::unique_ptr<std::uint8_t, PixelUnmap> mapped_;
};

// Gives the kept blocks back to the system (a fresh process's state, for measuring).
void ReleaseKeptPixelBlocks();

}  // namespace rumora
