#include "photo_io/heif_reader.h"

#include <libheif/heif.h>

#include <algorithm>
#include <string_view>

#include "imaging/error.h"
#include "imaging/parallel_rows.h"
#include "photo_io/atomic_file.h"
#include "photo_io/jpeg_reader.h"

namespace rumora {
namespace {

// The library's own limit on either side of an image, in pixels.
constexpr int kMaxHeifSide = 32768;

constexpr std::int64_t kMinimumRowsPerBand = 64;

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

// The library is set up once for the whole run (it registers its decoders then).
void InitialiseLibrary() {
  static const struct Library {
    Library() { heif_init(nullptr); }
    ~Library() { heif_deinit(); }
  } library;
}

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// The library's error in the user's words.
Error HeifError(const heif_error& error, const std::string& doing) {
  std::string reason;
  switch (error.code) {
    case heif_error_Invalid_input:
      reason = error.subcode == heif_suberror_Security_limit_exceeded
                   ? "画像が大きすぎるか、部品が多すぎます"
                   : "ファイルが壊れています";
      break;
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
      reason = "このファイルの形式には対応していません";
      break;
    case heif_error_Memory_allocation_error:
      reason = error.subcode == heif_suberror_Security_limit_exceeded
                   ? "画像が大きすぎるか、部品が多すぎます"
                   : "メモリが不足しています";
      break;
    case heif_error_Decoder_plugin_error:
      reason = "画像のデータを展開できません";
      break;
    default:
      reason = "ファイルを読み込めません";
      break;
  }
  return Error("HEIF 画像を" + doing + ": " + reason);
}

void Check(const heif_error& error, const std::string& doing) {
  if (error.code != heif_error_Ok) throw HeifError(error, doing);
}

// How a decoded row becomes ours: the largest sample value (255 for 8 bits, 1023 for 10),
// whether colours are premultiplied by alpha, and each sample value rounded to 8 bits.
struct Samples {
  std::uint32_t maximum;
  bool premultiplied;
  std::vector<std::uint8_t> eightBits;
};

// A sample value as 8 bits, rounded; an exact half cannot occur (maximum is odd).
std::uint8_t EightBits(std::uint64_t v, std::uint64_t maximum) {
  return static_cast<std::uint8_t>(
      std::min<std::uint64_t>((2 * v * 255 + maximum) / (2 * maximum), 255));
}

// The decoded samples of one row into our byte order at 8 bits, alpha laid over white.
template <typename Sample, bool kAlpha>
void UnpackRow(const std::uint8_t* in, std::uint8_t* out, int width, const Samples& s) {
  const auto* samples = reinterpret_cast<const Sample*>(in);
  constexpr int kChannels = kAlpha ? 4 : 3;
  const std::uint64_t maximum = s.maximum, whole = maximum * maximum;
  for (int x = 0; x < width; ++x, samples += kChannels, out += 3) {
    for (int c = 0; c < 3; ++c) {
      const std::uint64_t v = samples[c];
      if constexpr (kAlpha) {
        // In units of 1 / maximum^2: the colour over white.
        const std::uint64_t a = samples[3];
        const std::uint64_t over = s.premultiplied ? std::min(whole, (v + maximum - a) * maximum)
                                                   : v * a + maximum * (maximum - a);
        out[2 - c] = EightBits(over, whole);
      } else {
        out[2 - c] = s.eightBits[std::min<std::uint64_t>(v, maximum)];
      }
    }
  }
}

// The common case, 8-bit samples without alpha: only the byte order changes.
void SwapRow(const std::uint8_t* in, std::uint8_t* out, int width, const Samples&) {
  for (const std::uint8_t* end = in + 3 * static_cast<std::size_t>(width); in < end;
       in += 3, out += 3) {
    out[0] = in[2], out[1] = in[1], out[2] = in[0];
  }
}

using RowUnpacker = void (*)(const std::uint8_t*, std::uint8_t*, int, const Samples&);

RowUnpacker UnpackerFor(bool deep, bool alpha) {
  if (deep) return alpha ? UnpackRow<std::uint16_t, true> : UnpackRow<std::uint16_t, false>;
  return alpha ? UnpackRow<std::uint8_t, true> : SwapRow;
}

void StartProgress(heif_progress_step step, int maximum, void* progress) {
  if (step == heif_progress_step_load_tile) static_cast<HeifProgress*>(progress)->tiles = maximum;
}

void OnProgress(heif_progress_step step, int done, void* progress) {
  if (step == heif_progress_step_load_tile) {
    static_cast<HeifProgress*>(progress)->tilesDone = done;
  }
}

void EndProgress(heif_progress_step, void*) {}

}  // namespace

HeifKind HeifKindOf(std::span<const std::uint8_t> start) {
  const auto text = [&](std::size_t at) {
    return std::string_view(reinterpret_cast<const char*>(start.data() + at), 4);
  };
  if (start.size() < 16 || text(4) != "ftyp") return HeifKind::kNone;
  std::uint64_t size = BigEndian32(start, 0);
  std::size_t first = 8;  // the major brand
  if (size == 1) {        // a 64-bit size follows the type
    if (start.size() < 24) return HeifKind::kNone;
    size = std::uint64_t{BigEndian32(start, 8)} << 32 | BigEndian32(start, 12);
    first = 16;
  } else if (size == 0) {  // the box runs to the end of the file
    size = start.size();
  }
  const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(size, start.size()));
  bool hevc = false, avif = false, other = false;
  for (std::size_t at = first; at + 4 <= end; at += 4) {
    if (at == first + 4) continue;  // the minor version
    const std::string_view brand = text(at);
    for (const char* hevcBrand : {"heic", "heix", "heim", "heis", "hevc", "hevx"}) {
      hevc = hevc || brand == hevcBrand;
    }
    avif = avif || brand == "avif" || brand == "avis";
    other = other || brand == "mif1" || brand == "msf1";
  }
  if (hevc) return HeifKind::kHevc;
  if (avif) return HeifKind::kAvif;
  return other ? HeifKind::kOther : HeifKind::kNone;
}

struct HeifDecoder::Session {
  std::vector<std::uint8_t> owned;  // the file, when the decoder read it
  std::span<const std::uint8_t> data;
  std::unique_ptr<heif_context, ContextFree> context;
  std::unique_ptr<heif_image_handle, HandleRelease> handle;
  bool applyTransformations = true;
  int width = 0, height = 0;
  bool alpha = false, premultiplied = false, deep = false;
  int decodedSideLimit = kMaxHeifSide;  // what the library may make of the coded picture
  std::int64_t pixelAllowance = 0;      // the most pixels the file's bytes allow
};

HeifDecoder::HeifDecoder() = default;
HeifDecoder::~HeifDecoder() = default;

void HeifDecoder::Open(const std::string& path, bool applyTransformations) {
  session_.reset();
  // The first box decides before a large file is read whole.
  const std::vector<std::uint8_t> start = ReadFileStart(path, kHeifBrandBytes);
  if (start.empty()) throw Error("HEIF ファイルが空です");
  if (HeifKindOf(start) == HeifKind::kNone) throw Error("HEIF ファイルではありません");
  auto session = std::make_unique<Session>();
  session->owned = ReadWholeFile(path, kMaxJpegFileBytes);
  session->data = session->owned;
  Start(std::move(session), applyTransformations);
}

void HeifDecoder::OpenMemory(std::span<const std::uint8_t> bytes, bool applyTransformations) {
  session_.reset();
  auto session = std::make_unique<Session>();
  session->data = bytes;
  Start(std::move(session), applyTransformations);
}

void HeifDecoder::Start(std::unique_ptr<Session> session, bool applyTransformations) {
  iccProfile_.clear();
  colours_.reset();
  const std::span<const std::uint8_t> data = session->data;
  if (data.empty()) throw Error("HEIF ファイルが空です");
  switch (HeifKindOf(data.first(std::min(data.size(), kHeifBrandBytes)))) {
    case HeifKind::kNone:
      throw Error("HEIF ファイルではありません");
    case HeifKind::kAvif:
      throw Error("AVIF 形式の画像には対応していません");
    default:
      break;
  }
  InitialiseLibrary();
  session->context.reset(heif_context_alloc());
  if (!session->context) throw Error("HEIF 画像を読み込めません: メモリが不足しています");
  heif_context_set_maximum_image_size_limit(session->context.get(), kMaxHeifSide);
  Check(heif_context_read_from_memory_without_copy(session->context.get(), data.data(), data.size(),
                                                   nullptr),
        "読み込めません");
  if (heif_context_get_number_of_top_level_images(session->context.get()) >
      kMaxHeifTopLevelImages) {
    throw Error("HEIF ファイルの画像の数が多すぎます");
  }
  heif_image_handle* handle = nullptr;
  Check(heif_context_get_primary_image_handle(session->context.get(), &handle), "読み込めません");
  session->handle.reset(handle);
  session->applyTransformations = applyTransformations;
  session->width = applyTransformations ? heif_image_handle_get_width(handle)
                                        : heif_image_handle_get_ispe_width(handle);
  session->height = applyTransformations ? heif_image_handle_get_height(handle)
                                         : heif_image_handle_get_ispe_height(handle);
  session->alpha = heif_image_handle_has_alpha_channel(handle) != 0;
  session->premultiplied = heif_image_handle_is_premultiplied_alpha(handle) != 0;
  session->deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;

  // Refuse before anything large is allocated: the header claims the size, and HEVC can code
  // a huge flat picture in a few bytes.
  const std::int64_t width = session->width, height = session->height;
  const std::string size = std::to_string(width) + "×" + std::to_string(height);
  if (width <= 0 || height <= 0 || width * height > kMaxPhotoPixels) {
    throw Error("写真が大きすぎます (" + size + ")");
  }
  // Our bitmap, the library's decoded planes (up to three samples a pixel) and its RGB picture.
  const std::int64_t sampleBytes = session->deep ? 2 : 1;
  const std::int64_t bytesPerPixel = 3 + sampleBytes * (3 + (session->alpha ? 4 : 3));
  const std::int64_t memory = width * height * bytesPerPixel;
  const auto coded = static_cast<std::int64_t>(data.size());
  const std::int64_t allowance =
      std::max(kFreeOpeningMemory, coded * kHeifOpeningMemoryPerCodedByte);
  if (memory > allowance) {
    throw Error("HEIF ファイルのデータ (" + std::to_string(coded) + " バイト) では写真の大きさ (" +
                size + ") を開けません");
  }

  session->pixelAllowance = allowance / bytesPerPixel;
  // A tiled picture is decoded onto a canvas of the size its grid states, which the item's own
  // size box does not bind: a few bytes could ask for the largest canvas the library allows.
  // Decoding may stray from the stated size by a little, not by a different scale.
  // The canvas is the picture before cropping and turning.
  const std::int64_t side =
      std::max({width, height, std::int64_t{heif_image_handle_get_ispe_width(handle)},
                std::int64_t{heif_image_handle_get_ispe_height(handle)}});
  session->decodedSideLimit =
      static_cast<int>(std::min<std::int64_t>(kMaxHeifSide, side + side / 8 + 64));

  const heif_color_profile_type profile = heif_image_handle_get_color_profile_type(handle);
  if (profile == heif_color_profile_type_rICC || profile == heif_color_profile_type_prof) {
    const std::size_t length = heif_image_handle_get_raw_color_profile_size(handle);
    if (length > 0 && length <= data.size()) {
      std::vector<std::uint8_t> icc(length);
      if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok) {
        iccProfile_ = std::move(icc);
      }
    }
  } else {
    heif_color_profile_nclx* nclx = nullptr;
    const heif_error read = heif_image_handle_get_nclx_color_profile(handle, &nclx);
    // The library hands over its record even when it refuses the values in it (unknown
    // primaries, say): ours to free either way.
    const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> owned(
        nclx, heif_nclx_color_profile_free);
    if (read.code == heif_error_Ok && nclx) {
      CodedColours colours = SrgbCodedColours();
      if (nclx->color_primaries != heif_color_primaries_unspecified) {
        colours = {{nclx->color_primary_red_x, nclx->color_primary_red_y},
                   {nclx->color_primary_green_x, nclx->color_primary_green_y},
                   {nclx->color_primary_blue_x, nclx->color_primary_blue_y},
                   {nclx->color_primary_white_x, nclx->color_primary_white_y}};
      }
      colours.transfer = nclx->transfer_characteristics;
      colours_ = colours;
    }
  }
  session_ = std::move(session);
}

int HeifDecoder::Width() const { return session_ ? session_->width : 0; }
int HeifDecoder::Height() const { return session_ ? session_->height : 0; }

Bitmap HeifDecoder::Decode(const ColourConversion* conversion, HeifProgress* progress) {
  if (!session_) throw Error("HEIF ファイルが開かれていません");
  const std::unique_ptr<Session> session = std::move(session_);  // closed whatever happens
  const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
  if (!options) throw Error("HEIF 画像を展開できません: メモリが不足しています");
  options->ignore_transformations = session->applyTransformations ? 0 : 1;
  if (progress != nullptr) {
    options->start_progress = StartProgress;
    options->on_progress = OnProgress;
    options->end_progress = EndProgress;
    options->progress_user_data = progress;
  }
  const heif_chroma chroma =
      session->deep ? (session->alpha ? heif_chroma_interleaved_RRGGBBAA_LE
                                      : heif_chroma_interleaved_RRGGBB_LE)
                    : (session->alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_context_set_maximum_image_size_limit(session->context.get(), session->decodedSideLimit);
  heif_image* decoded = nullptr;
  Check(heif_decode_image(session->handle.get(), &decoded, heif_colorspace_RGB, chroma,
                          options.get()),
        "展開できません");
  const std::unique_ptr<heif_image, ImageRelease> image(decoded);

  int stride = 0;
  const std::uint8_t* plane =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  const int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
  const int channels = session->alpha ? 4 : 3;
  const int sampleBytes = session->deep ? 2 : 1;
  // What the library gives must be what was asked. Its size is the truth, within what the file's
  // bytes allow: the boxes' claim of the size before turning (ispe) need not match the coded
  // picture.
  if (plane == nullptr || width <= 0 || height <= 0 ||
      std::int64_t{width} * height > std::min(kMaxPhotoPixels, session->pixelAllowance) ||
      bits < 8 || bits > 16 || (bits > 8) != session->deep ||
      stride < std::int64_t{width} * channels * sampleBytes) {
    throw Error("HEIF 画像を展開できません: 画像の形が想定と違います");
  }
  Bitmap bitmap(width, height);
  const RowUnpacker unpack = UnpackerFor(session->deep, session->alpha);
  Samples samples{static_cast<std::uint32_t>((1u << bits) - 1), session->premultiplied, {}};
  for (std::uint32_t v = 0; v <= samples.maximum; ++v) {
    samples.eightBits.push_back(EightBits(v, samples.maximum));
  }
  ForEachRowBand(height, kMinimumRowsPerBand, [&](std::int64_t begin, std::int64_t end) {
    for (auto y = static_cast<int>(begin); y < end; ++y) {
      unpack(plane + static_cast<std::ptrdiff_t>(y) * stride, bitmap.Row(y), width, samples);
      if (conversion != nullptr) conversion->ConvertPixels(bitmap.Row(y), width);
    }
  });
  return bitmap;
}

}  // namespace rumora
