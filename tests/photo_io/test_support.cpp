#include "tests/photo_io/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without declaring them
// clang-format on

namespace rumora::testing {

std::string TestPhoto(const std::string& name) {
  return std::string(RUMORA_TEST_DATA_DIR "/jpeg/") + name;
}

bool HaveProgram(const std::string& name) {
  if (std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0) return true;
  if (std::getenv("CI") != nullptr) {
    ADD_FAILURE() << name << " is not installed, and CI is set: the comparison cannot be skipped";
  }
  return false;
}

std::optional<Bitmap> ReferenceDecode(const std::string& jpeg, const TempFolder& scratch) {
  const std::string out = scratch.Path("reference.pnm");
  const std::string command = "djpeg -outfile '" + out + "' '" + jpeg + "' 2>/dev/null";
  // Exit status 2 means the picture was written but the library warned (damaged data).
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 2)) {
    return std::nullopt;
  }
  return ReadPnm(out);
}

void WritePpm(const Bitmap& bitmap, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  const std::string header =
      "P6\n" + std::to_string(bitmap.Width()) + " " + std::to_string(bitmap.Height()) + "\n255\n";
  bytes.assign(header.begin(), header.end());
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x, row += 3)
      bytes.insert(bytes.end(), {row[2], row[1], row[0]});
  }
  WriteBytes(path, bytes);
}

std::vector<std::uint8_t> EncodeWithLibrary(const Bitmap& picture, bool arithmetic,
                                            bool progressive, bool grey) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  if (grey) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  cinfo.arith_code = arithmetic ? TRUE : FALSE;
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(picture.Row(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return bytes;
}

}  // namespace rumora::testing
