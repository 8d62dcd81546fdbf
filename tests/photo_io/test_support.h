#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/growing_stretch.h"
#include "imaging/scratch_image_view.h"
#include "tests/photo_io/colour_profiles.h"
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

namespace rumora::testing {

// A photo of the checked-in test set.
inline std::string TestPhoto(const std::string& name) {
  return std::string(RUMORA_TEST_DATA_DIR "/jpeg/") + name;
}

// Whether a command-line program is on the PATH. When it is not and the CI environment variable
// is set, also records a failure naming it: in CI a missing reference tool must not pass as a
// skipped test.
inline bool HaveProgram(const std::string& name) {
  if (std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0) return true;
  if (std::getenv("CI") != nullptr) {
    ADD_FAILURE() << name << " is not installed, and CI is set: the comparison cannot be skipped";
  }
  return false;
}

// The reference decoder's picture of `jpeg`, read back from the PPM or PGM it writes (a grey
// picture gives three equal channels); nullopt when the decoder refuses the file.
inline std::optional<Bitmap> ReferenceDecode(const std::string& jpeg, const TempFolder& scratch) {
  const std::string out = scratch.Path("reference.pnm");
  const std::string command = "djpeg -outfile '" + out + "' '" + jpeg + "' 2>/dev/null";
  // Exit status 2 means the picture was written but the library warned (damaged data).
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 2)) {
    return std::nullopt;
  }
  return ReadPnm(out);
}

inline void WritePpm(const Bitmap& bitmap, const std::string& path) {
  const std::string header =
      "P6\n" + std::to_string(bitmap.Width()) + " " + std::to_string(bitmap.Height()) + "\n255\n";
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x, row += 3)
      bytes.insert(bytes.end(), {row[2], row[1], row[0]});
  }
  WriteBytes(path, bytes);
}

// The markers of a JPEG file's header up to its first scan, as (code, offset) pairs.
inline std::vector<std::pair<std::uint8_t, std::size_t>> HeaderMarkers(
    const std::vector<std::uint8_t>& jpeg) {
  std::vector<std::pair<std::uint8_t, std::size_t>> markers;
  for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF;
       at += 2 + (std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3])) {
    markers.emplace_back(jpeg[at + 1], at);
    if (jpeg[at + 1] == 0xDA) break;
  }
  return markers;
}

// The offset of the header's first marker 0xFF `code`.
inline std::size_t FindMarker(const std::vector<std::uint8_t>& jpeg, std::uint8_t code) {
  for (const auto& [marker, at] : HeaderMarkers(jpeg)) {
    if (marker == code) return at;
  }
  throw std::runtime_error("marker not found");
}

// Empty when the smooth view `grown` made while the rows of `photo` arrived is the one made from
// the finished photo; otherwise how they differ.
inline std::string GrownViewDifference(const GrowingSmoothStretch& grown, const Bitmap& photo) {
  if (!grown.CompleteFor(photo)) return "the grown view is not complete";
  ScratchImageView grownView(203, 151), finishedView(203, 151);
  grown.DrawInto(grownView);
  StretchToView(photo, finishedView, Scaling::kSmooth);
  return PixelDifference(grownView.Picture(), finishedView.Picture());
}

}  // namespace rumora::testing
