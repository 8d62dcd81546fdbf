#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/bitmap.h"

namespace rumora {

// A change of a photo's colours from one colour space to another, pixel by pixel: each pixel's
// new colour depends on its old colour alone.
class ColourConversion {
 public:
  virtual ~ColourConversion() = default;
  // Converts `pixels` pixels of blue, green, red bytes in place. Safe to call from several
  // threads at once on different pixels.
  virtual void ConvertPixels(std::uint8_t* bgr, std::size_t pixels) const = 0;
};

// Converts rows [begin, end) of `photo`, split over the cores (the same bytes on any number).
void ConvertRows(Bitmap& photo, const ColourConversion& conversion, int begin, int end);

// The conversion between two RGB spaces described each by three tone curves and a matrix to a
// common colour space, in the fixed-point shape colour engines use for 8-bit samples: each
// channel through its own table to linear light in 1.14 fixed point, a 3x3 matrix and an
// offset, rounded back to 1.14 and clipped to 0..1, and each channel through an encoding table
// of 16385 entries. Vectorised where the processor allows.
class MatrixShaperConversion final : public ColourConversion {
 public:
  static constexpr int kOne = 1 << 14;  // 1.0 in 1.14 fixed point
  static constexpr int kEncodeEntries = kOne + 1;

  struct Tables {
    // Input red, green, blue: the 8-bit sample to linear light, 1.14 fixed point.
    std::array<std::array<std::int32_t, 256>, 3> linear{};
    // Rows: output red, green, blue; columns: input red, green, blue; in units of
    // 2^-matrixShift.
    std::array<std::array<std::int32_t, 3>, 3> matrix{};
    int matrixShift = 14;
    // Added to each row's sum, in units of 2^-(14 + matrixShift).
    std::array<std::int32_t, 3> offset{};
    // Output red, green, blue: linear light 0..kOne to the 8-bit sample.
    std::array<std::array<std::uint8_t, kEncodeEntries>, 3> encode{};
  };

  // Whether the tables fit the kernels' arithmetic for every input: linear values and matrix
  // entries within 16 bits, every row's sum well inside 32 bits.
  static bool Fits(const Tables& tables);

  // `tables` must fit (see Fits).
  explicit MatrixShaperConversion(const Tables& tables);
  void ConvertPixels(std::uint8_t* bgr, std::size_t pixels) const override;
  // The same with the plain loop, whatever the processor (for tests and benchmarks).
  void ConvertPixelsPlain(std::uint8_t* bgr, std::size_t pixels) const;

  // What the kernels read: the tables as given, and for the vector kernel the linear values
  // laid out for pairwise 16-bit products (red in the low half, green in the high half, blue
  // with a zero beside it), the matrix rows as pairs, and each encoding table's bytes already
  // at their place in a pixel's 32 bits (blue low, red third), so that gathered values need
  // only be joined.
  struct Layout {
    Tables tables;
    std::array<std::array<std::uint32_t, 256>, 3> pairs;
    std::array<std::uint32_t, 3> redGreen, blue;  // per row
    std::array<std::int32_t, 3> rounding;         // offset plus half a step, per row
    std::array<std::array<std::uint32_t, kEncodeEntries>, 3> placed;  // rows: red, green, blue
  };

 private:
  std::unique_ptr<Layout> layout_;
  bool vector_;
};

namespace colour_detail {
// The vector kernel: converts whole groups of eight pixels and returns how many it converted.
std::size_t ConvertPixelsAvx2(const MatrixShaperConversion::Layout& t, std::uint8_t* bgr,
                              std::size_t pixels);
}  // namespace colour_detail

}  // namespace rumora
