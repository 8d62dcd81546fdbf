#include "photo_io/jpeg_writer.h"

#include <algorithm>
#include <new>
#include <vector>

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

// The encoded file goes into a vector that the caller owns. The library only sees a C struct
// and plain callbacks; a failed allocation is turned into a library error outside any C++
// handler, so nothing is thrown through the library and nothing is freed twice.
struct VectorDestination {
  jpeg_destination_mgr pub;  // first member: the library hands back a pointer to it
  std::vector<std::uint8_t>* out;
};

constexpr std::size_t kFirstOutputBytes = 64 * 1024;

bool GrowTo(std::vector<std::uint8_t>& out, std::size_t size) {
  try {
    out.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  if (!GrowTo(*dest->out, kFirstOutputBytes)) {
    jpeg_detail::FailWithMessage(reinterpret_cast<j_common_ptr>(cinfo), "メモリが不足しています");
  }
  dest->pub.next_output_byte = dest->out->data();
  dest->pub.free_in_buffer = dest->out->size();
}

// Called when the buffer is full: doubles it and hands the library the new half.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  const std::size_t used = dest->out->size();
  if (!GrowTo(*dest->out, used * 2)) {
    jpeg_detail::FailWithMessage(reinterpret_cast<j_common_ptr>(cinfo), "メモリが不足しています");
  }
  dest->pub.next_output_byte = dest->out->data() + used;
  dest->pub.free_in_buffer = dest->out->size() - used;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}

// The guarded encode (see jpeg_error.h). Returns false after a library error.
bool GuardedEncode(jpeg_compress_struct* cinfo, ErrorManager* errors, VectorDestination* dest,
                   const std::uint8_t* pixels, int width, int height, std::size_t stride,
                   int quality) {
  cinfo->err = jpeg_detail::InstallErrorManager(*errors);
  if (setjmp(errors->jump)) return false;
  jpeg_create_compress(cinfo);
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;
  cinfo->dest = &dest->pub;
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
  std::vector<std::uint8_t> out;
  Compressor compressor;
  VectorDestination dest{{}, &out};
  if (!GuardedEncode(&compressor.cinfo, &compressor.errors, &dest, bitmap.Data(), bitmap.Width(),
                     bitmap.Height(), bitmap.Stride(), quality)) {
    throw Error("JPEG に変換できません: " + jpeg_detail::FailureReason(compressor.errors));
  }
  return out;
}

std::string JpegLibraryVersion() {
  // The library's own release, not JPEG_LIB_VERSION: that is the interface level it offers
  // (6.2 for every release with the classic interface).
  constexpr int kVersion = LIBJPEG_TURBO_VERSION_NUMBER;
  return std::to_string(kVersion / 1000000) + "." + std::to_string(kVersion / 1000 % 1000) + "." +
         std::to_string(kVersion % 1000);
}

}  // namespace rumora
