#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"

namespace rumora {

// The picture of a whole BMP file held in memory: Windows 3.x, V4, V5 or OS/2 core headers,
// 1/4/8-bit palettes, RLE8 and RLE4, 16 and 32 bits with fixed or BITFIELDS masks (channels
// widened by repeating their bits), 24 bits; rows bottom-up or top-down. The alpha channel of a
// 32-bit V4 or V5 file goes to `alpha` when given (one byte a pixel, rows top first; left empty
// without one, or when it is 0 everywhere); any other fourth byte is ignored. Throws Error for
// what ReadBmpLayout refuses; nothing larger than the picture the headers honestly describe is
// allocated.
Bitmap DecodeBmp(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* alpha = nullptr);

// Reads and decodes the BMP file at `path`. The headers are read and checked first, then only
// as much of the file as the picture can use. Throws Error when the file cannot be opened or is
// not a plain file, or as DecodeBmp.
Bitmap ReadBmpFile(const std::string& path, std::vector<std::uint8_t>* alpha = nullptr);

// ReadBmpFile's second half: reads and decodes the plain file open as `fd`, at its start, whose
// size was measured as `measuredSize`. The file may have changed since: a file that ends sooner
// is judged by the bytes it still has, as DecodeBmp judges them (`path` names it in messages).
Bitmap ReadBmpFrom(int fd, std::uint64_t measuredSize, const std::string& path,
                   std::vector<std::uint8_t>* alpha = nullptr);

}  // namespace rumora
