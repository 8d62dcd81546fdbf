#include "imaging/pixel_storage.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace rumora {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t v, std::size_t to) { return (v + to - 1) / to * to; }

// A mapping of `length` bytes (a multiple of 2 MB) that starts on a 2 MB boundary: map 2 MB
// more, then give back the unaligned head and the tail beyond the length.
std::uint8_t* MapAligned(std::size_t length) {
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
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

}  // namespace

PixelStorage::PixelStorage(std::size_t bytes) {
  if (bytes == 0) return;
  if (bytes < kMappedBytes) {
    heap_ = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
    return;
  }
  const std::size_t length = RoundUp(bytes, kHugePage);
  mapped_ = std::unique_ptr<std::uint8_t, PixelUnmap>(MapAligned(length), PixelUnmap{length});
}

void PixelUnmap::operator()(std::uint8_t* data) const noexcept { ::munmap(data, length); }

}  // namespace rumora
