#pragma once

#include <string>

namespace rumora {

// The reason a system call failed with `code` (an errno value), in Japanese for the cases a user
// meets (no such file, permission denied, read-only file system, disk full, quota exceeded, a
// folder, a name too long, an input/output error) and in the system's own English otherwise.
std::string SystemReason(int code);

}  // namespace rumora
