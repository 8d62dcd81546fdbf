#include "imaging/available_memory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <mutex>
#include <optional>

namespace rumora {
namespace {

constexpr std::size_t kUnknown = std::numeric_limits<std::size_t>::max();
// A cgroup v1 limit at or above this is the "no limit" the kernel shows as a huge number.
constexpr std::size_t kNoV1Limit = std::size_t{1} << 60;

std::mutex rootMutex;
std::string figuresRoot;  // under rootMutex

std::string Root() {
  const std::lock_guard lock(rootMutex);
  return figuresRoot;
}

// The number a file holds, or nullopt (missing, or "max" for no limit).
std::optional<std::size_t> NumberIn(const std::string& path) {
  std::ifstream in(path);
  std::size_t value = 0;
  if (in >> value) return value;
  return std::nullopt;
}

// The value of `field` in a file of "name value" lines (/proc/meminfo, memory.stat), or nullopt.
std::optional<std::size_t> FieldIn(const std::string& path, const std::string& field) {
  std::ifstream in(path);
  std::string name;
  std::size_t value = 0;
  while (in >> name >> value) {
    if (name == field) return value;
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');  // a unit, or nothing
  }
  return std::nullopt;
}

// The room one control group leaves: its limit less its use, plus its file caches, which the
// kernel drops before it refuses memory.
std::size_t GroupRoom(std::size_t limit, std::size_t used, const std::string& stat,
                      const std::string& prefix) {
  const std::size_t caches = FieldIn(stat, prefix + "inactive_file").value_or(0) +
                             FieldIn(stat, prefix + "active_file").value_or(0);
  const std::size_t kept = used - std::min(caches, used);
  return limit > kept ? limit - kept : 0;
}

// The least room any level of a control group leaves, from `folder` (the group's own) up to
// `top` (the hierarchy's root).
std::size_t LeastRoomUpTo(std::string folder, const std::string& top, bool v2) {
  std::size_t least = kUnknown;
  for (;;) {
    if (v2) {
      const std::optional<std::size_t> limit = NumberIn(folder + "/memory.max");
      const std::optional<std::size_t> used = NumberIn(folder + "/memory.current");
      if (limit && used) {
        least = std::min(least, GroupRoom(*limit, *used, folder + "/memory.stat", ""));
      }
    } else {
      const std::optional<std::size_t> limit = NumberIn(folder + "/memory.limit_in_bytes");
      const std::optional<std::size_t> used = NumberIn(folder + "/memory.usage_in_bytes");
      if (limit && used && *limit < kNoV1Limit) {
        least = std::min(least, GroupRoom(*limit, *used, folder + "/memory.stat", "total_"));
      }
    }
    if (folder.size() <= top.size()) return least;
    folder.erase(folder.find_last_of('/'));
  }
}

// The room the process's control groups leave, as /proc/self/cgroup places it: "0::PATH" for
// the v2 hierarchy, "N:...memory...:PATH" for the v1 memory controller.
std::size_t ControlGroupRoom(const std::string& root) {
  std::ifstream groups(root + "/proc/self/cgroup");
  std::string line;
  std::size_t least = kUnknown;
  while (std::getline(groups, line)) {
    const auto first = line.find(':');
    const auto second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    std::string path = line.substr(second + 1);
    if (path == "/") path.clear();
    if (controllers.empty()) {
      const std::string top = root + "/sys/fs/cgroup";
      least = std::min(least, LeastRoomUpTo(top + path, top, true));
    } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
      const std::string top = root + "/sys/fs/cgroup/memory";
      least = std::min(least, LeastRoomUpTo(top + path, top, false));
    }
  }
  return least;
}

}  // namespace

std::size_t AvailableMemory() {
  const std::string root = Root();
  const std::optional<std::size_t> kilobytes = FieldIn(root + "/proc/meminfo", "MemAvailable:");
  const std::size_t system = kilobytes ? *kilobytes * 1024 : kUnknown;
  return std::min(system, ControlGroupRoom(root));
}

void SetMemoryFiguresRoot(const std::string& root) {
  const std::lock_guard lock(rootMutex);
  figuresRoot = root;
}

}  // namespace rumora
