#include "imaging/pixel_storage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "imaging/available_memory.h"
#include "imaging/bitmap.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// A bitmap of about `megabytes` (1000 rows).
Bitmap BitmapOf(double megabytes) {
  return Bitmap(static_cast<int>(megabytes * kMiB / 3000), 1000);
}

// A budget counts what the pixels hold: whole 2 MB pages, or the larger kept block taken (one
// up to a quarter larger than needed). Two blocks at most are kept, within the limit: the oldest
// goes back first, and one beyond the limit alone is never kept.
TEST(KeptBlocks, AreCountedAsHeldAndStayWithinTheLimit) {
  ReleaseKeptPixelBlocks();
  EXPECT_EQ(Bitmap(100, 100).HeldBytes(), 30000u);
  { const Bitmap freed = BitmapOf(9.5); }
  ASSERT_EQ(KeptPixelBytes(), 10 * kMiB);
  EXPECT_EQ(BitmapOf(7.9).HeldBytes(), 10 * kMiB);  // given back when it ends
  EXPECT_EQ(BitmapOf(4.5).HeldBytes(), 6 * kMiB);
  ReleaseKeptPixelBlocks();
  SetKeptPixelBytesLimit(16 * kMiB);
  const std::pair<double, std::size_t> freedThenKept[] = {{5.9, 6},   {9.9, 16},  {4.5, 16},
                                                          {13.9, 14}, {19.9, 14}, {7.9, 8}};
  for (const auto& [megabytes, kept] : freedThenKept) {
    { const Bitmap freed = BitmapOf(megabytes); }
    EXPECT_EQ(KeptPixelBytes(), kept * kMiB) << "after freeing " << megabytes << " MB";
  }
  SetKeptPixelBytesLimit(0);
  ReleaseKeptPixelBlocks();
  EXPECT_EQ(KeptPixelBytes(), 0u);
}

// What may be had is the lower of the kernel's available memory (swap left out) and the room
// every limited control group level above the process leaves, its file caches counted as room.
TEST(AvailableMemory, IsTheLeastRoomAnyLimitLeaves) {
  const std::pair<std::string, std::string> meminfo = {
      "proc/meminfo", "MemAvailable: 1000 kB\nSwapFree: 5000 kB\n"};
  const std::string v2 = "sys/fs/cgroup/a/", v1 = "sys/fs/cgroup/memory/";
  const struct {
    std::vector<std::pair<std::string, std::string>> files;
    std::size_t expected;
  } rows[] = {
      {{}, std::numeric_limits<std::size_t>::max()},
      {{meminfo}, 1024000},
      {{meminfo,  // the parent's limit binds
        {"proc/self/cgroup", "0::/a/b\n"},
        {v2 + "memory.max", "819200"},
        {v2 + "memory.current", "409600"},
        {v2 + "memory.stat", "anon 1\ninactive_file 4096\nactive_file 4096\n"},
        {v2 + "b/memory.max", "max"},
        {v2 + "b/memory.current", "1000"}},
       417792},
      {{meminfo,  // the root shows no limit
        {"proc/self/cgroup", "5:cpu,cpuacct:/x\n4:memory:/box\n0::/\n"},
        {v1 + "memory.limit_in_bytes", "9223372036854771712"},
        {v1 + "memory.usage_in_bytes", "1"},
        {v1 + "box/memory.limit_in_bytes", "300000"},
        {v1 + "box/memory.usage_in_bytes", "200000"},
        {v1 + "box/memory.stat", "total_inactive_file 50000\n"}},
       150000},
  };
  for (const auto& row : rows) {
    const testing::TempFolder root;
    for (const auto& [path, text] : row.files) {
      std::filesystem::create_directories(std::filesystem::path(root.Path(path)).parent_path());
      testing::WriteBytes(root.Path(path), {text.begin(), text.end()});
    }
    SetMemoryFiguresRoot(root.Root().string());
    EXPECT_EQ(AvailableMemory(), row.expected) << row.files.size() << " files";
  }
  SetMemoryFiguresRoot("");
}

}  // namespace
}  // namespace rumora
