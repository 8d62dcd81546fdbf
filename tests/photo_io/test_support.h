#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "tests/synthetic_photos.h"

namespace rumora::testing {

// A fresh folder for one test, removed with everything in it when the test ends.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Root() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A photo of the checked-in test set.
std::string TestPhoto(const std::string& name);

std::vector<std::uint8_t> FileBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Whether a command-line program is on the PATH. When it is not and the CI environment variable
// is set, also records a failure naming it: in CI a missing reference tool must not pass as a
// skipped test.
bool HaveProgram(const std::string& name);

// The reference decoder's picture of `jpeg`, read back from the PPM or PGM it writes (a grey
// picture gives three equal channels); nullopt when the decoder refuses the file.
std::optional<Bitmap> ReferenceDecode(const std::string& jpeg, const TempFolder& scratch);

// Reads a binary PPM (P6) or PGM (P5) with maxval 255.
Bitmap ReadPnm(const std::string& path);
void WritePpm(const Bitmap& bitmap, const std::string& path);

// Compares two pictures pixel by pixel; on failure names the first differing pixel, its channel,
// the expected and the actual value, and how many samples are off by more than `tolerance`.
::testing::AssertionResult SamePixels(const Bitmap& actual, const Bitmap& expected,
                                      int tolerance = 0);

// `picture` coded by the library with its default settings at quality 90, arithmetic- rather
// than Huffman-coded, progressive (the library's standard scans) and greyscale when asked. For
// building unusual files in tests; aborts the test program on a library error.
std::vector<std::uint8_t> EncodeWithLibrary(const Bitmap& picture, bool arithmetic,
                                            bool progressive, bool grey = false);

}  // namespace rumora::testing
