#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "imaging/bitmap.h"

namespace rumora {

// A photo-sized bitmap with varied content in every channel, made without any decoder.
inline Bitmap GeneratedPhoto(int width, int height) {
  Bitmap photo(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = photo.Row(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x * 7 + y);
      row[3 * x + 1] = static_cast<std::uint8_t>(x ^ y);
      row[3 * x + 2] = static_cast<std::uint8_t>(y * 3);
    }
  }
  return photo;
}

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
