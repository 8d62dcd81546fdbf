#pragma once

#include <optional>
#include <string>

#include "layout/output_size.h"
#include "logo/logo_image.h"

namespace rumora {

// A logo as it is stamped: the logo file's pixels, made for the 600x450 design, and for the
// 1200x900 output the file of the same logo at twice the pixel density when one lies beside it.
struct LogoPicture {
  LogoImage image;
  std::optional<LogoImage> doubleSize;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The name of the file that holds the logo of `path` at twice the pixel density: "@2x" before
// the extension of the file name ("logo_design/logo1.bmp" gives "logo_design/logo1@2x.bmp", a
// name without extension just gains "@2x").
std::string DoubleSizeName(const std::string& path);

// The pixels of a BMP or PNG logo file, told apart by the file's first bytes (a file that is
// neither is judged as a BMP file). Throws Error when the file cannot be read or is refused.
LogoImage ReadLogoImage(const std::string& path);

// The logo file `path` for an output of `size`: its pixels and, at 1200x900, those of its
// double-size file when that exists. Throws Error as ReadLogoImage for either file.
LogoPicture ReadLogoFile(const std::string& path, OutputSize size);

// The logo's size in the 600x450 design, which its frame shows: the image's own size, or at
// 1200x900 half the double-size image's (an odd side rounded up) when there is one.
PixelSize LogoDesignSize(const LogoPicture& logo, OutputSize size);

// Makes a logo fit the picture: the image at most 600x450 and the double-size image at most
// 1200x900, each larger one shrunk by the exact smooth filter with its proportions kept (its
// alpha too, and its colours weighted by alpha, so see-through pixels lend them no colour).
// Returns true when one was shrunk.
bool FitLogoToOutput(LogoPicture& logo);

}  // namespace rumora
