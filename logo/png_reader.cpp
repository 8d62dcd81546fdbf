#include "logo/png_reader.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/error.h"
#include "logo/bmp_layout.h"
#include "photo_io/plain_file.h"

namespace rumora {
namespace {

constexpr std::uint8_t kSignature[kPngSignatureBytes] = {0x89, 'P',  'N',  'G',
                                                         '\r', '\n', 0x1A, '\n'};
// No ancillary chunk is kept, so none needs more than the library's own small buffers.
constexpr png_alloc_size_t kMaxChunkBytes = 64 * 1024;
constexpr png_uint_32 kMaxKeptChunks = 16;
constexpr char kCutShort[] = "ファイルが途中で終わっています";

// What the library's callbacks share with the guarded calls: plain data only, which a long jump
// may leave behind.
struct PngSource {
  int fd;  // the file being read, or -1 to read `data`
  const std::uint8_t* data;
  std::size_t size;
  std::size_t offset;
  int systemCode;   // errno of a failed read
  bool ownMessage;  // `message` is ours, not the library's
  char message[256];
};

[[noreturn]] void FailWith(png_structp png, PngSource* source, const char* message) {
  std::snprintf(source->message, sizeof source->message, "%s", message);
  source->ownMessage = true;
  png_error(png, message);
}

void ReadBytes(png_structp png, png_bytep out, std::size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->fd < 0) {
    if (count > source->size - source->offset) FailWith(png, source, kCutShort);
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
    return;
  }
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(source->fd, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      source->systemCode = errno;
      FailWith(png, source, "読み込みに失敗しました");
    }
    if (n == 0) FailWith(png, source, kCutShort);
    done += static_cast<std::size_t>(n);
  }
}

void KeepError(png_structp png, png_const_charp message) {
  auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
  if (!source->ownMessage) std::snprintf(source->message, sizeof source->message, "%s", message);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The picture as the library hands it over after our transformations.
struct PngShape {
  png_uint_32 width;
  png_uint_32 height;
  int alpha;
  int channels;
  png_size_t rowBytes;
};

// The guarded calls: each arms its own jump and its locals are plain C data, so no destructor is
// skipped when the library jumps back. Each returns false after a library error.

bool GuardedReadHeader(png_structp png, png_infop info, PngSource* source, PngShape* shape) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, source, ReadBytes);
  png_set_user_limits(png, kMaxPngLogoSide, kMaxPngLogoSide);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_chunk_cache_max(png, kMaxKeptChunks);
  // Every chunk but IHDR, PLTE, tRNS, IDAT and IEND is skipped without being read into memory.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);
  const png_byte type = png_get_color_type(png, info);
  shape->alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);    // palette to colours, fewer than 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);  // 16 bits to 8, rounded to the nearest value
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  shape->width = png_get_image_width(png, info);
  shape->height = png_get_image_height(png, info);
  shape->channels = png_get_channels(png, info);
  shape->rowBytes = png_get_rowbytes(png, info);
  return true;
}

bool GuardedReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);  // every pass of an interlaced file; what follows is not read
  return true;
}

// Owns the library's read structures.
class ReadStructs {
 public:
  explicit ReadStructs(PngSource& source)
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, KeepError, IgnoreWarning)),
        info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {
    if (info_ == nullptr) {
      png_destroy_read_struct(&png_, nullptr, nullptr);
      throw Error("PNG ファイルを読む準備ができません");
    }
  }
  ~ReadStructs() { png_destroy_read_struct(&png_, &info_, nullptr); }
  ReadStructs(const ReadStructs&) = delete;
  ReadStructs& operator=(const ReadStructs&) = delete;
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

[[noreturn]] void Refuse(const std::string& why) {
  throw Error("PNG ファイルを読めません: " + why);
}

// The size the header declares, judged before the library reads the file (which would refuse a
// size beyond its limits in words of its own): width and height follow the IHDR chunk's type.
constexpr std::size_t kDeclaredSizeEnd = 24;
void CheckDeclaredSize(std::span<const std::uint8_t> start) {
  if (start.size() < kDeclaredSizeEnd ||
      !std::equal(start.begin() + 12, start.begin() + 16, "IHDR")) {
    return;  // the library says what is wrong
  }
  const auto field = [&](std::size_t at) {
    return std::uint32_t{start[at]} << 24 | std::uint32_t{start[at + 1]} << 16 |
           std::uint32_t{start[at + 2]} << 8 | start[at + 3];
  };
  const std::uint32_t width = field(16), height = field(20);
  if (width == 0 || height == 0) Refuse("幅か高さが 0 です");
  if (width > kMaxPngLogoSide || height > kMaxPngLogoSide ||
      std::int64_t{width} * height > kMaxLogoPixels) {
    Refuse("画像が大きすぎます (" + std::to_string(width) + "×" + std::to_string(height) + ")");
  }
}

[[noreturn]] void RefuseAfterLibraryError(const PngSource& source, const std::string& path) {
  if (source.systemCode != 0) {
    FailOnFile("ファイルを読み込めません", path, source.systemCode);
  }
  if (source.ownMessage) Refuse(source.message);
  Refuse(std::string("ファイルが壊れています (") + source.message + ")");
}

LogoImage Decode(PngSource& source, const std::string& path) {
  const ReadStructs structs(source);
  PngShape shape{};
  if (!GuardedReadHeader(structs.png(), structs.info(), &source, &shape)) {
    RefuseAfterLibraryError(source, path);
  }
  const std::size_t pixels = std::size_t{shape.width} * shape.height;
  const int channels = shape.alpha ? 4 : 3;
  if (shape.channels != channels || shape.rowBytes != std::size_t{shape.width} * channels) {
    Refuse("画素の形式を読み取れません");
  }
  LogoImage image;
  image.colour = Bitmap(static_cast<int>(shape.width), static_cast<int>(shape.height));
  // Without alpha the rows go straight into the picture; with it, through blue-green-red-alpha
  // rows that are then parted.
  std::unique_ptr<std::uint8_t[]> withAlpha;
  if (shape.alpha) withAlpha = std::make_unique_for_overwrite<std::uint8_t[]>(pixels * 4);
  std::vector<png_bytep> rows(shape.height);
  for (png_uint_32 y = 0; y < shape.height; ++y) {
    rows[y] = shape.alpha ? withAlpha.get() + std::size_t{y} * shape.rowBytes
                          : image.colour.Row(static_cast<int>(y));
  }
  if (!GuardedReadRows(structs.png(), rows.data())) RefuseAfterLibraryError(source, path);
  if (shape.alpha) {
    image.alpha.resize(static_cast<std::size_t>(pixels));
    const std::uint8_t* in = withAlpha.get();
    std::uint8_t* alpha = image.alpha.data();
    for (png_uint_32 y = 0; y < shape.height; ++y) {
      std::uint8_t* out = image.colour.Row(static_cast<int>(y));
      for (png_uint_32 x = 0; x < shape.width; ++x, in += 4, out += 3) {
        std::memcpy(out, in, 3);
        *alpha++ = in[3];
      }
    }
  }
  return image;
}

}  // namespace

const char* PngLibraryVersion() { return png_get_libpng_ver(nullptr); }

bool IsPngSignature(std::span<const std::uint8_t> start) {
  return start.size() >= kPngSignatureBytes &&
         std::equal(std::begin(kSignature), std::end(kSignature), start.begin());
}

LogoImage DecodePng(std::span<const std::uint8_t> file) {
  if (!IsPngSignature(file)) Refuse("PNG ファイルではありません");
  CheckDeclaredSize(file);
  PngSource source{-1, file.data(), file.size(), 0, 0, false, {}};
  return Decode(source, std::string());
}

LogoImage ReadPngFile(const std::string& path) {
  const OpenedPlainFile file = OpenPlainFile(path);
  const int fd = file.fd.get();
  std::uint8_t start[kDeclaredSizeEnd];
  const ssize_t got = ::pread(fd, start, sizeof start, 0);
  CheckDeclaredSize({start, got > 0 ? static_cast<std::size_t>(got) : 0});
  PngSource source{fd, nullptr, 0, 0, 0, false, {}};
  return Decode(source, path);
}

}  // namespace rumora
