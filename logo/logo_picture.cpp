#include "logo/logo_picture.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "imaging/smooth_scale.h"
#include "logo/bmp_reader.h"
#include "logo/png_reader.h"
#include "photo_io/atomic_file.h"

namespace rumora {
namespace {

using Wide = unsigned __int128;

// sum / denominator rounded to the nearest integer, halves to even.
std::uint8_t RoundedQuotient(Wide sum, Wide denominator) {
  Wide quotient = sum / denominator;
  const Wide twice = 2 * (sum - quotient * denominator);
  if (twice > denominator || (twice == denominator && (quotient & 1) != 0)) ++quotient;
  return static_cast<std::uint8_t>(quotient);
}

// The image scaled to width x height (both at most its own) by the smooth filter's weights:
// alpha is the weighted mean of the alphas, a colour the mean of the colours each weighted by
// its alpha as well (an image without alpha counts every pixel opaque, which is the plain
// filter). A pixel whose every source is see-through is white.
LogoImage Shrink(const LogoImage& from, int width, int height) {
  const SmoothAxis columns(0, from.Width(), width, width, from.Width());
  const SmoothAxis rows(0, from.Height(), height, height, from.Height());
  LogoImage to;
  to.colour = Bitmap(width, height);
  if (from.HasAlpha()) to.alpha.resize(static_cast<std::size_t>(width) * height);
  const Wide denominator = Wide{columns.Denominator()} * rows.Denominator();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = to.colour.Row(y);
    for (int x = 0; x < width; ++x, out += 3) {
      std::array<Wide, 3> channels{};
      Wide covered = 0;
      for (const SmoothAxis::Tap& row : rows.Taps(y)) {
        const std::uint8_t* in = from.colour.Row(row.source);
        const std::uint8_t* alpha = from.HasAlpha() ? from.AlphaRow(row.source) : nullptr;
        for (const SmoothAxis::Tap& column : columns.Taps(x)) {
          const Wide weight = Wide{row.weight} * column.weight *
                              (alpha != nullptr ? alpha[column.source] : std::uint8_t{255});
          const std::uint8_t* pixel = in + 3 * static_cast<std::size_t>(column.source);
          for (int c = 0; c < 3; ++c) channels[static_cast<std::size_t>(c)] += weight * pixel[c];
          covered += weight;
        }
      }
      for (int c = 0; c < 3; ++c) {
        out[c] =
            covered == 0 ? 255 : RoundedQuotient(channels[static_cast<std::size_t>(c)], covered);
      }
      if (from.HasAlpha()) {
        // covered is the sum of the weights times the alphas.
        to.alpha[static_cast<std::size_t>(y) * width + x] = RoundedQuotient(covered, denominator);
      }
    }
  }
  return to;
}

// Shrinks `image` to fit width x height with its proportions kept; false when it fits already.
bool ShrinkToFit(LogoImage& image, int width, int height) {
  const std::int64_t w = image.Width(), h = image.Height();
  if (w <= width && h <= height) return false;
  // The side that overflows more sets the scale: w / width against h / height.
  int newWidth = width, newHeight = height;
  const auto rounded = [](std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t q = numerator / denominator, twice = 2 * (numerator % denominator);
    return q + (twice > denominator || (twice == denominator && q % 2 != 0));
  };
  if (w * height >= h * width) {
    newHeight = static_cast<int>(std::max<std::int64_t>(1, rounded(h * width, w)));
  } else {
    newWidth = static_cast<int>(std::max<std::int64_t>(1, rounded(w * height, h)));
  }
  image = Shrink(image, newWidth, newHeight);
  return true;
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string DoubleSizeName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension) return path + "@2x";
  return path.substr(0, dot) + "@2x" + path.substr(dot);
}

LogoImage ReadLogoImage(const std::string& path) {
  if (IsPngSignature(ReadFileStart(path, kPngSignatureBytes))) return ReadPngFile(path);
  LogoImage image;
  image.colour = ReadBmpFile(path, &image.alpha);
  return image;
}

LogoPicture ReadLogoFile(const std::string& path, OutputSize size) {
  LogoPicture logo;
  logo.image = ReadLogoImage(path);
  if (size == OutputSize::k1200x900) {
    const std::string doubleSize = DoubleSizeName(path);
    if (IsFile(doubleSize)) logo.doubleSize = ReadLogoImage(doubleSize);
  }
  return logo;
}

PixelSize LogoDesignSize(const LogoPicture& logo, OutputSize size) {
  if (size == OutputSize::k1200x900 && logo.doubleSize) {
    return {(logo.doubleSize->Width() + 1) / 2, (logo.doubleSize->Height() + 1) / 2};
  }
  return {logo.image.Width(), logo.image.Height()};
}

bool FitLogoToOutput(LogoPicture& logo) {
  bool shrunk = ShrinkToFit(logo.image, kOutputWidth, kOutputHeight);
  if (logo.doubleSize) {
    shrunk |= ShrinkToFit(*logo.doubleSize, OutputWidth(OutputSize::k1200x900),
                          OutputHeight(OutputSize::k1200x900));
  }
  return shrunk;
}

}  // namespace rumora
