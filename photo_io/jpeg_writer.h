#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap.h"

namespace rumora {

// Encodes `bitmap` as a baseline JFIF file at `quality` (the library's 0-100 scale of its
// standard quantisation tables) with every other parameter at the library's defaults: YCbCr,
// chroma subsampled 2x2, standard Huffman tables, accurate integer DCT. Returns the file's bytes;
// writing them is the caller's step. Throws Error when the bitmap cannot be encoded (empty, or
// wider or higher than 65500 pixels).
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality = 90);

// The release of the JPEG library the program is built with ("2.1.5"), for the about box.
std::string JpegLibraryVersion();

}  // namespace rumora
