#include "photo_io/page_prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

namespace rumora {
namespace {

// Below this a helper thread costs more than it saves.
constexpr std::size_t kMinimumBytes = std::size_t{16} << 20;
// Pages mapped per request, so a stop request is noticed soon.
constexpr std::size_t kChunkBytes = std::size_t{4} << 20;

}  // namespace

PagePrefault::PagePrefault(void* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
  if (size < kMinimumBytes) return;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  // Only whole pages that lie inside the buffer.
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + size) / page * page;
  if (last <= first) return;
  try {
    helper_ = std::jthread([first, last](std::stop_token stop) {
      for (std::uintptr_t at = first; at < last && !stop.stop_requested(); at += kChunkBytes) {
        const std::size_t length = std::min<std::uintptr_t>(kChunkBytes, last - at);
        if (::madvise(reinterpret_cast<void*>(at), length, MADV_POPULATE_WRITE) != 0) return;
      }
    });
  } catch (const std::system_error&) {
    // No thread to spare: the decoder takes the page faults itself.
  }
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace rumora
