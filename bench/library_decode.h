#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without declaring them
// clang-format on

namespace rumora {

// The library's own decode of a file's bytes into the buffer `into` gives for a size, in our
// byte order, sixteen rows per call: the floor that opening photos is held against.
inline void LibraryDecode(const std::vector<std::uint8_t>& file,
                          const std::function<std::uint8_t*(std::size_t bytes)>& into) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  const std::size_t stride = std::size_t{cinfo.output_width} * 3;
  std::uint8_t* pixels = into(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[16];
    const JDIMENSION count = std::min<JDIMENSION>(16, cinfo.output_height - cinfo.output_scanline);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = pixels + (cinfo.output_scanline + i) * stride;
    jpeg_read_scanlines(&cinfo, rows, count);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace rumora
