#include "photo_io/jpeg_writer.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "imaging/error.h"
#include "photo_io/jpeg_error.h"

namespace rumora {

using jpeg_detail::ErrorManager;

namespace {

constexpr int kRowsPerCall = 16;

// Owns a compressor; jpeg_destroy_compress is safe after a failed create as well.
struct Compressor {
  ErrorManager errors{};
  jpeg_compress_struct cinfo{};
  Compressor() = default;
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
};

struct FreeWithC {
  void operator()(unsigned char* p) const { std::free(p); }
};

// The guarded encode (see jpeg_error.h). The library grows its output buffer with malloc and
// keeps *out current, so the caller frees it on every path. Returns false after a library error.
bool GuardedEncode(jpeg_compress_struct* cinfo, ErrorManager* errors, const std::uint8_t* pixels,
                   int width, int height, std::size_t stride, int quality, unsigned char** out,
                   unsigned long* out_size) {
  cinfo->err = jpeg_detail::InstallErrorManager(*errors);
  if (setjmp(errors->jump)) return false;
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, out, out_size);
  cinfo->image_width = static_cast<JDIMENSION>(width);
  cinfo->image_height = static_cast<JDIMENSION>(height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_EXT_BGR;  // our byte order; the defaults still pick YCbCr output
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  JSAMPROW rows[kRowsPerCall];
  while (cinfo->next_scanline < cinfo->image_height) {
    const JDIMENSION first = cinfo->next_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, cinfo->image_height - first);
    // The library only reads the rows; its interface just lacks the const.
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = const_cast<JSAMPLE*>(pixels + (first + i) * stride);
    }
    jpeg_write_scanlines(cinfo, rows, count);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality) {
  Compressor compressor;
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  const bool ok =
      GuardedEncode(&compressor.cinfo, &compressor.errors, bitmap.Data(), bitmap.Width(),
                    bitmap.Height(), bitmap.Stride(), quality, &out, &out_size);
  const std::unique_ptr<unsigned char, FreeWithC> buffer(out);
  if (!ok) throw Error("JPEG に変換できません: " + std::string(compressor.errors.message));
  return std::vector<std::uint8_t>(buffer.get(), buffer.get() + out_size);
}

}  // namespace rumora
