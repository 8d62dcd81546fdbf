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

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "photo_io_test_XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TestPhoto(const std::string& name) {
  return std::string(RUMORA_TEST_DATA_DIR "/jpeg/") + name;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
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

Bitmap ReadPnm(const std::string& path) {
  const std::vector<std::uint8_t> bytes = FileBytes(path);
  std::istringstream header(
      std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64)));
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  header >> magic >> width >> height >> maxval;
  if ((magic != "P6" && magic != "P5") || maxval != 255)
    throw std::runtime_error("not a PNM: " + path);
  const int channels = magic == "P6" ? 3 : 1;
  const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;  // one whitespace byte
  if (bytes.size() < start + std::size_t(width) * height * channels)
    throw std::runtime_error("short PNM");
  Bitmap bitmap(width, height);
  const std::uint8_t* in = bytes.data() + start;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x, in += channels, row += 3) {
      row[0] = in[channels == 3 ? 2 : 0];
      row[1] = in[channels == 3 ? 1 : 0];
      row[2] = in[0];
    }
  }
  return bitmap;
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

::testing::AssertionResult SamePixels(const Bitmap& actual, const Bitmap& expected, int tolerance) {
  if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
    return ::testing::AssertionFailure()
           << "size " << actual.Width() << "x" << actual.Height() << ", expected "
           << expected.Width() << "x" << expected.Height();
  }
  static constexpr const char* kChannel[] = {"blue", "green", "red"};
  std::int64_t off = 0;
  std::ostringstream first;
  for (int y = 0; y < actual.Height(); ++y) {
    const std::uint8_t* a = actual.Row(y);
    const std::uint8_t* e = expected.Row(y);
    for (int i = 0; i < actual.Width() * 3; ++i) {
      if (std::abs(a[i] - e[i]) <= tolerance) continue;
      if (off++ == 0) {
        first << "pixel (" << i / 3 << ", " << y << ") " << kChannel[i % 3] << ": expected "
              << int{e[i]} << ", actual " << int{a[i]};
      }
    }
  }
  if (off == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << first.str() << "; " << off << " samples differ by more than " << tolerance;
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
