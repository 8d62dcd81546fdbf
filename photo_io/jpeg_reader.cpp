#include "photo_io/jpeg_reader.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "imaging/error.h"
#include "photo_io/atomic_file.h"
#include "photo_io/exif_orientation.h"
#include "photo_io/jpeg_error.h"
#include "photo_io/jpeg_markers.h"
#include "photo_io/page_prefault.h"

namespace rumora {

using jpeg_detail::ErrorManager;

namespace {

// Rows handed to the library per call; it fills as many as one pass gives it.
constexpr int kRowsPerCall = 16;

using CmykRowConverter = void (*)(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width);

// Adobe files store CMYK inverted (0 = full ink), so the ink-free amount is the stored value.
void ConvertInvertedCmyk(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = cmyk[3];
    // v * k / 255 rounded; an exact half cannot occur since 255 is odd.
    bgr[0] = static_cast<std::uint8_t>((cmyk[2] * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((cmyk[1] * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((cmyk[0] * k + 127) / 255);
  }
}

void ConvertPlainCmyk(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = 255u - cmyk[3];
    bgr[0] = static_cast<std::uint8_t>(((255u - cmyk[2]) * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>(((255u - cmyk[1]) * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>(((255u - cmyk[0]) * k + 127) / 255);
  }
}

// The guarded library calls (see jpeg_error.h). Each returns false after a library error, whose
// text is then in the error manager.

// Called by the library as it reads; stops a photo made of too many scans.
void CheckScanCount(j_common_ptr common) {
  if (!common->is_decompressor) return;
  const auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxJpegScans) {
    jpeg_detail::FailWithMessage(common, "スキャンの数が多すぎます");
  }
}

bool GuardedCreate(jpeg_decompress_struct* cinfo, ErrorManager* errors,
                   jpeg_progress_mgr* progress) {
  cinfo->err = jpeg_detail::InstallErrorManager(*errors);
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(cinfo);
  // Beyond this budget the library would need a backing store, which it lacks: it fails.
  cinfo->mem->max_memory_to_use = kMaxLibraryMemory;
  progress->progress_monitor = CheckScanCount;
  cinfo->progress = progress;
  return true;
}

bool GuardedReadHeader(jpeg_decompress_struct* cinfo, const unsigned char* data,
                       unsigned long size) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (setjmp(errors->jump)) return false;
  jpeg_mem_src(cinfo, data, size);
  // ICC profiles come in APP2 segments, which the library keeps only when asked.
  jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
  return true;
}

// The profile put together from the APP2 segments, in memory the library allocated with malloc;
// false after a library error. A damaged set of segments gives no profile, and a warning.
bool GuardedReadIccProfile(jpeg_decompress_struct* cinfo, JOCTET** profile, unsigned* length) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (setjmp(errors->jump)) return false;
  if (!jpeg_read_icc_profile(cinfo, profile, length)) *profile = nullptr;
  return true;
}

// Decodes into `height` rows of `stride` bytes from `pixels`. With a converter the library
// delivers CMYK rows into `scratch` (kRowsPerCall rows of width * 4 bytes), converted from there.
bool GuardedDecode(jpeg_decompress_struct* cinfo, std::uint8_t* pixels, std::size_t stride,
                   CmykRowConverter convert, JSAMPLE* scratch,
                   const std::function<void(int)>& rowsDecoded) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (setjmp(errors->jump)) return false;
  jpeg_start_decompress(cinfo);
  const JDIMENSION width = cinfo->output_width;
  // The rows were sized from the header; never let the library write past them.
  if (width != cinfo->image_width || cinfo->output_height != cinfo->image_height ||
      cinfo->output_components != (convert ? 4 : 3)) {
    jpeg_detail::SetOwnMessage(*errors, "展開した写真の大きさや色の数が見出しと合いません");
    return false;
  }
  const std::size_t scratch_stride = std::size_t{width} * 4;
  JSAMPROW rows[kRowsPerCall];
  while (cinfo->output_scanline < cinfo->output_height) {
    const JDIMENSION first = cinfo->output_scanline;
    const JDIMENSION count =
        std::min<JDIMENSION>(kRowsPerCall, cinfo->output_height - cinfo->output_scanline);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = convert ? scratch + i * scratch_stride : pixels + (first + i) * stride;
    }
    const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
    if (convert) {
      for (JDIMENSION i = 0; i < got; ++i) convert(rows[i], pixels + (first + i) * stride, width);
    }
    if (rowsDecoded) rowsDecoded(static_cast<int>(first + got));
  }
  // The rest of the file after the last row is not read: trailing damage cannot spoil a photo
  // that decoded whole. jpeg_destroy_decompress releases everything.
  return true;
}

// Whether some coefficient of a progressive photo was never coded by any scan: a file whose
// later scans are missing, though it ends properly, decodes blurry. Only after the library has
// read every scan (as it does before the first row of a progressive photo).
bool SomeCoefficientsNeverCoded(const jpeg_decompress_struct& cinfo) {
  if (!cinfo.progressive_mode || cinfo.coef_bits == nullptr) return false;
  for (int c = 0; c < cinfo.num_components; ++c) {
    for (int k = 0; k < DCTSIZE2; ++k) {
      if (cinfo.coef_bits[c][k] < 0) return true;
    }
  }
  return false;
}

// Throws Error for the kinds of JPEG the decoder cannot open, named before the library refuses
// them in its own words.
void CheckKindOfJpeg(const JpegMarkerWalk& walk) {
  switch (walk.frameMarker) {
    case 0xC3:
    case 0xC7:
    case 0xCB:
    case 0xCF:
      throw Error("可逆圧縮 (ロスレス) の JPEG ファイルは開けません");
    case 0xC5:
    case 0xC6:
    case 0xCD:
    case 0xCE:
      throw Error("階層符号化 (ハイアラーキカル) の JPEG ファイルは開けません");
    default:
      break;
  }
  if (walk.frameMarker == 0 || walk.samplePrecision == 8) return;
  // Only 12 and 16 bits are real kinds of JPEG; any other figure is a damaged header.
  if (walk.samplePrecision != 12 && walk.samplePrecision != 16) {
    throw Error("JPEG ファイルの見出しが壊れています (1 色のビット数が " +
                std::to_string(walk.samplePrecision) + ")");
  }
  throw Error(std::to_string(walk.samplePrecision) +
              " ビットの JPEG ファイルは開けません (開けるのは 1 色 8 ビットのものだけです)");
}

// Blocks of each component as the library stores them: whole MCUs, so each count is rounded up
// to the component's sampling factor.
std::int64_t StoredBlocks(const jpeg_component_info& component) {
  const auto roundUp = [](std::int64_t v, std::int64_t to) { return (v + to - 1) / to * to; };
  return roundUp(component.width_in_blocks, component.h_samp_factor) *
         roundUp(component.height_in_blocks, component.v_samp_factor);
}

// The fewest coded bits any complete Huffman-coded file of this header can hold: each block of
// each component gets at least a one-bit DC code in its first scan. Arithmetic coding has no
// such floor.
std::int64_t MinimumHuffmanBits(const jpeg_decompress_struct& cinfo) {
  std::int64_t blocks = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& component = cinfo.comp_info[c];
    blocks += std::int64_t{component.width_in_blocks} * component.height_in_blocks;
  }
  return blocks;
}

// The most arithmetic-coding decisions one block of a scan can take, whatever its data says:
// once a scan's bytes run out the decoder reads on from zeros, so a few bytes can keep it
// deciding through every block of every scan. A first pass takes up to 32 decisions per
// coefficient (end of block, zero run, sign, magnitude class and bits; the DC difference
// likewise), a refinement up to 3 per AC coefficient (end of block, new or corrected, sign) and
// 1 for the DC. A sequential file's scans are first passes over all 64 coefficients, whatever
// their headers say.
std::int64_t MostDecisionsPerBlock(const JpegScan& scan, bool progressive) {
  constexpr std::int64_t kFirstPass = 32, kRefinement = 3;
  if (!progressive) return DCTSIZE2 * kFirstPass;
  const int first = std::clamp(scan.spectralStart, 0, DCTSIZE2 - 1);
  const int last = std::clamp(scan.spectralEnd, first, DCTSIZE2 - 1);
  const std::int64_t coefficients = last - first + 1;
  if (!scan.refinement) return coefficients * kFirstPass;
  return first == 0 ? 1 + (coefficients - 1) * kRefinement : coefficients * kRefinement;
}

struct OpeningCost {
  std::int64_t memory = 0;     // bytes
  std::int64_t work = 0;       // blocks decoded
  std::int64_t decisions = 0;  // arithmetic-coding decisions at most
};

// What decoding the file will cost: the bitmap and, for a file of several scans, the library's
// store of 64 two-byte coefficients per block; every scan's blocks and the output pass; for an
// arithmetic-coded file, the decisions its scans may take.
OpeningCost CostOfOpening(const jpeg_decompress_struct& cinfo, const JpegMarkerWalk& walk) {
  OpeningCost cost;
  cost.memory = std::int64_t{cinfo.image_width} * cinfo.image_height * 3;
  std::int64_t allBlocks = 0;
  for (int c = 0; c < cinfo.num_components; ++c) allBlocks += StoredBlocks(cinfo.comp_info[c]);
  // As the library decides: a progressive file, or a first scan without every component, is
  // decoded into a store of the whole photo's coefficients.
  const bool multipleScans =
      cinfo.progressive_mode || walk.scans.empty() ||
      walk.scans.front().components.size() < static_cast<std::size_t>(cinfo.num_components);
  if (multipleScans) {
    cost.memory += allBlocks * DCTSIZE2 * static_cast<std::int64_t>(sizeof(JCOEF));
  }
  cost.work = allBlocks;  // the output pass
  for (const JpegScan& scan : walk.scans) {
    const std::int64_t decisions = MostDecisionsPerBlock(scan, cinfo.progressive_mode);
    for (const std::uint8_t id : scan.components) {
      for (int c = 0; c < cinfo.num_components; ++c) {
        if (cinfo.comp_info[c].component_id != id) continue;
        cost.work += StoredBlocks(cinfo.comp_info[c]);
        if (cinfo.arith_code) cost.decisions += StoredBlocks(cinfo.comp_info[c]) * decisions;
      }
    }
  }
  return cost;
}

std::string SizeText(const jpeg_decompress_struct& cinfo) {
  return std::to_string(cinfo.image_width) + "×" + std::to_string(cinfo.image_height);
}

// Throws Error unless the file's coded bytes can honestly hold what its header and scans claim;
// returns what opening it will cost.
OpeningCost CheckWhatTheFileCanHold(const jpeg_decompress_struct& cinfo,
                                    const JpegMarkerWalk& walk) {
  if (walk.scans.size() > static_cast<std::size_t>(kMaxJpegScans)) {
    throw Error("JPEG ファイルのスキャンの数が多すぎます");
  }
  const auto coded = static_cast<std::int64_t>(walk.codedBytes);
  if (!cinfo.arith_code && coded * 8 < MinimumHuffmanBits(cinfo)) {
    throw Error("JPEG ファイルのデータが写真の大きさ (" + SizeText(cinfo) + ") に足りません");
  }
  const OpeningCost cost = CostOfOpening(cinfo, walk);
  if (cost.memory > std::max(kFreeOpeningMemory, coded * kOpeningMemoryPerCodedByte) ||
      cost.work > std::max(kFreeOpeningWork, coded * kOpeningWorkPerCodedByte) ||
      cost.decisions > std::max(kFreeOpeningDecisions, coded * kOpeningDecisionsPerCodedByte)) {
    throw Error("JPEG ファイルのデータ (" + std::to_string(coded) + " バイト) では写真の大きさ (" +
                SizeText(cinfo) + ") を開けません");
  }
  return cost;
}

}  // namespace

struct JpegDecoder::Session {
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
  jpeg_decompress_struct cinfo{};
  std::vector<std::uint8_t> owned;  // the file, when the decoder read it
  std::span<const std::uint8_t> data;
  int orientation = kOrientationAsStored;
  std::vector<std::uint8_t> iccProfile;
  std::int64_t openingBytes = 0;  // the bitmap and the library's whole-photo store, if any

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Safe on a struct never created or created part-way: destroying frees whatever was made.
  ~Session() { jpeg_destroy_decompress(&cinfo); }
};

JpegDecoder::JpegDecoder() = default;
JpegDecoder::~JpegDecoder() = default;

void JpegDecoder::Open(const std::string& path) {
  session_.reset();
  // The first bytes decide before a large file is read whole.
  const std::vector<std::uint8_t> start = ReadFileStart(path, 2);
  if (start.size() < 2 || start[0] != 0xFF || start[1] != 0xD8) {
    throw Error(start.empty() ? "JPEG ファイルが空です" : "JPEG ファイルではありません");
  }
  auto session = std::make_unique<Session>();
  session->owned = ReadWholeFile(path, kMaxJpegFileBytes);
  session->data = session->owned;
  Start(std::move(session));
}

void JpegDecoder::OpenMemory(std::span<const std::uint8_t> bytes) {
  session_.reset();
  auto session = std::make_unique<Session>();
  session->data = bytes;
  Start(std::move(session));
}

void JpegDecoder::Start(std::unique_ptr<Session> session) {
  if (session->data.empty()) throw Error("JPEG ファイルが空です");
  const JpegMarkerWalk walk = WalkJpegMarkers(session->data, kMaxJpegScans);
  CheckKindOfJpeg(walk);
  jpeg_decompress_struct* cinfo = &session->cinfo;
  if (!GuardedCreate(cinfo, &session->errors, &session->progress)) {
    throw Error("JPEG デコーダを準備できません: " + jpeg_detail::FailureReason(session->errors));
  }
  if (!GuardedReadHeader(cinfo, session->data.data(), session->data.size())) {
    throw Error("JPEG ファイルを読み込めません: " + jpeg_detail::FailureReason(session->errors));
  }

  // Refuse before anything large is allocated: a few bytes of header can claim any size.
  const std::int64_t width = cinfo->image_width;
  const std::int64_t height = cinfo->image_height;
  if (width <= 0 || height <= 0 || width * height > kMaxPhotoPixels) {
    throw Error("写真が大きすぎます (" + SizeText(*cinfo) + ")");
  }
  session->openingBytes = CheckWhatTheFileCanHold(*cinfo, walk).memory;
  session->orientation = JpegExifOrientation(session->data);
  JOCTET* profile = nullptr;
  unsigned profileLength = 0;
  const bool profileRead = GuardedReadIccProfile(cinfo, &profile, &profileLength);
  const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
  if (!profileRead) {
    throw Error("JPEG ファイルを読み込めません: " + jpeg_detail::FailureReason(session->errors));
  }
  if (profile != nullptr) session->iccProfile.assign(profile, profile + profileLength);

  // Library defaults stand except the output: our byte order straight into the bitmap rows, or
  // raw CMYK that only we can turn into RGB.
  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  session_ = std::move(session);
}

int JpegDecoder::Width() const {
  return session_ ? static_cast<int>(session_->cinfo.image_width) : 0;
}

int JpegDecoder::Height() const {
  return session_ ? static_cast<int>(session_->cinfo.image_height) : 0;
}

int JpegDecoder::ExifOrientation() const {
  return session_ ? session_->orientation : kOrientationAsStored;
}

std::span<const std::uint8_t> JpegDecoder::IccProfile() const {
  return session_ ? std::span<const std::uint8_t>(session_->iccProfile)
                  : std::span<const std::uint8_t>();
}

bool JpegDecoder::Grey() const {
  return session_ && session_->cinfo.jpeg_color_space == JCS_GRAYSCALE;
}

Bitmap JpegDecoder::Decode(ArrivingRows* arriving) {
  // Whoever reads the arriving rows hears that decoding has ended however Decode leaves: on a
  // throw through this guard, or just before returning, while the bitmap is still here.
  class EndArriving {
   public:
    explicit EndArriving(ArrivingRows* arriving) : arriving_(arriving) {}
    EndArriving(const EndArriving&) = delete;
    EndArriving& operator=(const EndArriving&) = delete;
    ~EndArriving() { End(); }
    void End() {
      if (arriving_ != nullptr) std::exchange(arriving_, nullptr)->Ended();
    }

   private:
    ArrivingRows* arriving_;
  } endArriving(arriving);
  decodedWithLostData_ = false;
  if (!session_) throw Error("JPEG ファイルが開かれていません");
  const std::unique_ptr<Session> session = std::move(session_);  // closed whatever happens
  jpeg_decompress_struct* cinfo = &session->cinfo;

  // The library's store is taken beside the bitmap, where the bitmap's own check cannot see it.
  const std::int64_t bitmapBytes = std::int64_t{cinfo->image_width} * cinfo->image_height * 3;
  if (session->openingBytes > bitmapBytes &&
      !MemoryCanBeHad(static_cast<std::size_t>(
          std::min(session->openingBytes, bitmapBytes + kMaxLibraryMemory)))) {
    throw Error("メモリが不足しているため写真を開けません (" +
                std::to_string(session->openingBytes >> 20) + " MB 必要です)");
  }
  Bitmap bitmap(static_cast<int>(cinfo->image_width), static_cast<int>(cinfo->image_height));
  CmykRowConverter convert = nullptr;
  std::vector<JSAMPLE> scratch;
  if (cinfo->out_color_space == JCS_CMYK) {
    convert = cinfo->saw_Adobe_marker ? ConvertInvertedCmyk : ConvertPlainCmyk;
    scratch.resize(std::size_t{cinfo->image_width} * 4 * kRowsPerCall);
  }
  const PagePrefault prefault(bitmap.Data(), bitmap.SizeInBytes());
  std::function<void(int)> rowsFinal;
  if (arriving != nullptr) rowsFinal = [&](int rows) { arriving->Arrived(bitmap, rows); };
  if (!GuardedDecode(cinfo, bitmap.Data(), bitmap.Stride(), convert, scratch.data(), rowsFinal)) {
    throw Error("JPEG ファイルを展開できません: " + jpeg_detail::FailureReason(session->errors));
  }
  decodedWithLostData_ = session->errors.dataLost || SomeCoefficientsNeverCoded(*cinfo);
  endArriving.End();
  return bitmap;
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes) {
  JpegDecoder decoder;
  decoder.OpenMemory(bytes);
  return decoder.Decode();
}

}  // namespace rumora
