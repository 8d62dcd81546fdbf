#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

namespace rumora::testing {

// A photo of the checked-in test set.
std::string TestPhoto(const std::string& name);

// Whether a command-line program is on the PATH. When it is not and the CI environment variable
// is set, also records a failure naming it: in CI a missing reference tool must not pass as a
// skipped test.
bool HaveProgram(const std::string& name);

// The reference decoder's picture of `jpeg`, read back from the PPM or PGM it writes (a grey
// picture gives three equal channels); nullopt when the decoder refuses the file.
std::optional<Bitmap> ReferenceDecode(const std::string& jpeg, const TempFolder& scratch);

void WritePpm(const Bitmap& bitmap, const std::string& path);

// `picture` coded by the library with its default settings at quality 90, arithmetic- rather
// than Huffman-coded, progressive (the library's standard scans) and greyscale when asked. For
// building unusual files in tests; aborts the test program on a library error.
std::vector<std::uint8_t> EncodeWithLibrary(const Bitmap& picture, bool arithmetic,
                                            bool progressive, bool grey = false);

}  // namespace rumora::testing
