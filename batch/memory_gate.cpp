#include "batch/memory_gate.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>

namespace rumora {
namespace {

constexpr std::int64_t kUnknown = std::numeric_limits<std::int64_t>::max();

// A number of bytes from a control-group file; "max" and anything unreadable say nothing.
std::int64_t ReadBytes(const std::string& path) {
  std::ifstream file(path);
  std::int64_t value = 0;
  return file >> value ? value : kUnknown;
}

std::int64_t GroupHeadroom() {
  std::ifstream groups("/proc/self/cgroup");
  std::string line;
  while (std::getline(groups, line)) {
    if (line.rfind("0::", 0) != 0) continue;  // the unified hierarchy's line
    const std::string folder = "/sys/fs/cgroup" + line.substr(3);
    const std::int64_t limit = ReadBytes(folder + "/memory.max");
    const std::int64_t used = ReadBytes(folder + "/memory.current");
    if (limit == kUnknown || used == kUnknown) return kUnknown;
    return std::max<std::int64_t>(0, limit - used);
  }
  return kUnknown;
}

std::int64_t MemAvailable() {
  std::ifstream info("/proc/meminfo");
  std::string field;
  std::int64_t kilobytes = 0;
  while (info >> field >> kilobytes) {
    if (field == "MemAvailable:") return kilobytes * 1024;
    info.ignore(64, '\n');  // the unit
  }
  return kUnknown;
}

}  // namespace

std::int64_t AvailableMemory() { return std::min(MemAvailable(), GroupHeadroom()); }

void MemoryGate::Acquire(std::int64_t bytes) {
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return running_ == 0 || held_ + bytes <= budget_; });
  held_ += bytes;
  ++running_;
}

void MemoryGate::Release(std::int64_t bytes) {
  {
    const std::lock_guard lock(mutex_);
    held_ -= bytes;
    --running_;
  }
  freed_.notify_all();
}

}  // namespace rumora
