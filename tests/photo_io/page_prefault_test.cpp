#include "photo_io/page_prefault.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace rumora {
namespace {

// The helper maps pages while this thread writes them; no byte written may be lost.
TEST(PagePrefault, LeavesContentWrittenMeanwhileIntact) {
  constexpr std::size_t kSize = std::size_t{48} << 20;
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kSize);
  {
    const PagePrefault prefault(buffer.get(), kSize);
    for (std::size_t i = 0; i < kSize; ++i) buffer[i] = static_cast<std::uint8_t>(i % 251);
  }
  for (std::size_t i = 0; i < kSize; i += 4093) {
    ASSERT_EQ(buffer[i], static_cast<std::uint8_t>(i % 251)) << "byte " << i;
  }
}

}  // namespace
}  // namespace rumora
