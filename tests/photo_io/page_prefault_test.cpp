#include "photo_io/page_prefault.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

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

// Pages of [data, data + size) that are in memory.
std::size_t ResidentPages(void* data, std::size_t size) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> resident((size + page - 1) / page);
  if (::mincore(data, size, resident.data()) != 0) return 0;
  std::size_t count = 0;
  for (const unsigned char r : resident) count += r & 1;
  return count;
}

// A fresh mapping that no thread of the test touches becomes resident: the helper ran. (Without
// it the pages would stay unmapped until first written.)
TEST(PagePrefault, MapsTheBuffersPagesWithoutItsOwnerTouchingThem) {
#ifndef MADV_POPULATE_WRITE
  GTEST_SKIP() << "this system cannot map pages ahead";
#else
  constexpr std::size_t kSize = std::size_t{32} << 20;
  void* data = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(data, MAP_FAILED);
  const std::size_t pages = kSize / static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  ASSERT_EQ(ResidentPages(data, kSize), 0u);
  std::size_t resident = 0;
  {
    const PagePrefault prefault(data, kSize);
    // Not a timing check: the deadline only ends the wait should the helper never run.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((resident = ResidentPages(data, kSize)) < pages &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ::munmap(data, kSize);
  EXPECT_EQ(resident, pages) << "resident pages of the untouched buffer";
#endif
}

}  // namespace
}  // namespace rumora
