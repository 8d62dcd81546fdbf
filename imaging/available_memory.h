#pragma once

#include <cstddef>
#include <string>

namespace rumora {

// The memory the system can still give this process without swapping anything out or killing
// anyone, in bytes: the lower of what the kernel counts available (MemAvailable: free memory
// plus the caches it can drop) and the room the process's control groups leave below their
// memory limits (each limit, less what the group uses, plus the file caches it can drop; cgroup
// v2 or v1, every level up to the root). Swap does not count. The largest size_t when nothing
// says.
std::size_t AvailableMemory();

// Reads the figures above from under `root` instead of the system's own /proc and /sys, for
// tests that make up a system; an empty root restores the real one.
void SetMemoryFiguresRoot(const std::string& root);

}  // namespace rumora
