#pragma once

#include <string>

namespace rumora {

// The reason a system call failed with `code` (an errno value), as a Japanese sentence: worded
// for the cases a user meets (no such file, permission denied, read-only file system, disk full,
// not a plain file, a link loop, ...); for any other a general sentence followed by the system's
// own words in parentheses, for a bug report.
std::string SystemReason(int code);

}  // namespace rumora
