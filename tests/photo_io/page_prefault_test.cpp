#include "photo_io/page_prefault.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace rumora {
namespace {

// Pages of [data, data + size) that are in memory.
std::size_t ResidentPages(void* data, std::size_t size) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> resident((size + page - 1) / page);
  if (::mincore(data, size, resident.data()) != 0) return 0;
  std::size_t count = 0;
  for (const unsigned char r : resident) count += r & 1;
  return count;
}

// A fresh mapping becomes resident though the test touches only every 64th page, and the bytes
// written there before are kept: the helper maps pages without writing to them.
TEST(PagePrefault, MapsTheBuffersPagesAndKeepsTheirContents) {
#ifndef MADV_POPULATE_WRITE
  GTEST_SKIP() << "this system cannot map pages ahead";
#else
  constexpr std::size_t kSize = std::size_t{32} << 20;
  auto* data = static_cast<std::uint8_t*>(
      ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(data, MAP_FAILED);
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t pages = kSize / page;
  ASSERT_EQ(ResidentPages(data, kSize), 0u);
  for (std::size_t p = 0; p < pages; p += 64) data[p * page + p % page] = 0xA5;
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
  EXPECT_EQ(resident, pages) << "resident pages of the untouched buffer";
  for (std::size_t p = 0; p < pages; ++p) {
    ASSERT_EQ(data[p * page + p % page], p % 64 == 0 ? 0xA5 : 0) << "page " << p;
  }
  ::munmap(data, kSize);
#endif
}

}  // namespace
}  // namespace rumora
