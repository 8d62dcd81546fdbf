#pragma once

// The helpers every test folder uses: a scratch folder, whole files as bytes, PNM pictures, the
// process's memory figures, and a comparison of two pictures that names where they differ. Plain
// C++, for the core's tests and the window's.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/error.h"

namespace rumora::testing {

// A fresh folder for one test, removed with everything in it when the test ends.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rumora_test_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Root() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The whole content of the file at `path`; empty when it cannot be read.
inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Creates or replaces the file at `path` with `bytes`; throws when it cannot.
inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Reads a binary PPM (P6) or PGM (P5, three equal channels) with maxval 255; throws when the file
// is none.
inline Bitmap ReadPnm(const std::string& path) {
  const std::vector<std::uint8_t> bytes = FileBytes(path);
  std::istringstream header(
      std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64)));
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  header >> magic >> width >> height >> maxval;
  if ((magic != "P6" && magic != "P5") || maxval != 255)
    throw std::runtime_error("not a PNM: " + path);
  const int channels = magic == "P6" ? 3 : 1;
  const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;  // one whitespace byte
  if (bytes.size() < start + std::size_t(width) * height * channels)
    throw std::runtime_error("short PNM");
  Bitmap bitmap(width, height);
  const std::uint8_t* in = bytes.data() + start;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x, in += channels, row += 3) {
      row[0] = in[channels == 3 ? 2 : 0];
      row[1] = in[channels == 3 ? 1 : 0];
      row[2] = in[0];
    }
  }
  return bitmap;
}

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmSize:"), or -1.
inline std::int64_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + std::string(field).size());
  }
  return -1;
}

// Empty when the two pictures have the same size and no sample differs by more than
// `tolerance`; otherwise the size, or the first such sample (position, channel, expected and
// actual value) and how many there are.
inline std::string PixelDifference(const Bitmap& actual, const Bitmap& expected,
                                   int tolerance = 0) {
  if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
    return "size " + std::to_string(actual.Width()) + "x" + std::to_string(actual.Height()) +
           ", expected " + std::to_string(expected.Width()) + "x" +
           std::to_string(expected.Height());
  }
  static constexpr const char* kChannel[] = {"blue", "green", "red"};
  std::int64_t off = 0;
  std::string first;
  for (int y = 0; actual.Stride() > 0 && y < actual.Height(); ++y) {  // no rows to read when empty
    const std::uint8_t* a = actual.Row(y);
    const std::uint8_t* e = expected.Row(y);
    if (std::memcmp(a, e, actual.Stride()) == 0) continue;
    for (std::size_t i = 0; i < actual.Stride(); ++i) {
      if (std::abs(a[i] - e[i]) <= tolerance || off++ > 0) continue;
      first = "pixel (" + std::to_string(i / 3) + ", " + std::to_string(y) + ") " +
              kChannel[i % 3] + ": expected " + std::to_string(e[i]) + ", actual " +
              std::to_string(a[i]);
    }
  }
  if (off == 0) return "";
  return first + "; " + std::to_string(off) + " samples differ by more than " +
         std::to_string(tolerance);
}

// What the Error that `step` throws says: its message (empty when it throws none) and system code.
struct Thrown {
  std::string message;
  int code = 0;
};
template <typename Step>
Thrown ErrorOf(Step&& step) {
  try {
    step();
  } catch (const Error& e) {
    return {e.what(), e.SystemCode()};
  }
  return {};
}

// Whether the part of a message a user reads (before any words of a library or the system in
// parentheses) is Japanese: not empty, and with ASCII letters only in the formats' names.
inline bool ReadsInJapanese(std::string text) {
  text = text.substr(0, text.find(" ("));
  for (const char* name : {"JPEG", "HEIF", "HEIC", "AVIF"}) {
    for (std::size_t at; (at = text.find(name)) != std::string::npos;) text.erase(at, 4);
  }
  return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  });
}

}  // namespace rumora::testing
