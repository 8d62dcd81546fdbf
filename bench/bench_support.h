#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "imaging/bitmap.h"
#include "tests/synthetic_photos.h"

namespace rumora {

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"), or -1.
inline std::int64_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + std::string(field).size());
  }
  return -1;
}

}  // namespace rumora
