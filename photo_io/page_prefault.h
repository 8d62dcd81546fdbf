#pragma once

#include <cstddef>
#include <thread>

namespace rumora {

// Maps the pages of a freshly allocated buffer on another core while the calling thread fills
// it, top to bottom: the kernel's first-touch work (about a third of decoding a large photo)
// then runs beside the decoder instead of inside it. The contents are never touched, so the
// buffer may be written meanwhile. Small buffers, or a kernel without the request, get nothing;
// the result is the same either way. The destructor stops and joins the helper.
class PagePrefault {
 public:
  PagePrefault(void* data, std::size_t size);
  ~PagePrefault() = default;  // std::jthread requests stop and joins
  PagePrefault(const PagePrefault&) = delete;
  PagePrefault& operator=(const PagePrefault&) = delete;

 private:
  std::jthread helper_;
};

}  // namespace rumora
