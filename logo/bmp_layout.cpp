#include "logo/bmp_layout.h"

#include <algorithm>
#include <string>

#include "imaging/error.h"

namespace rumora {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeader = 12, kInfoHeader = 40, kV4Header = 108, kV5Header = 124;
enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };

[[noreturn]] void Refuse(const std::string& why) {
  throw Error("BMP ファイルを読めません: " + why);
}

// Little-endian fields of the head; a read past what was given means the file ends early.
class Fields {
 public:
  explicit Fields(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint32_t U32(std::size_t at) const {
    Need(at + 4);
    return bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint16_t U16(std::size_t at) const {
    Need(at + 2);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  void Need(std::size_t end) const {
    if (end > bytes_.size()) Refuse("ヘッダーの途中でファイルが終わっています");
  }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

 private:
  std::span<const std::uint8_t> bytes_;
};

struct InfoHeader {
  std::uint32_t size = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows stored top-down
  int depth = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t coloursUsed = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool hasMasksInHeader = false;
};

InfoHeader ReadInfoHeader(const Fields& f) {
  InfoHeader h;
  h.size = f.U32(kFileHeaderBytes);
  const std::size_t at = kFileHeaderBytes + 4;
  if (h.size == kCoreHeader) {
    h.width = f.U16(at);
    h.height = f.U16(at + 2);
    if (f.U16(at + 4) != 1) Refuse("プレーン数が 1 ではありません");
    h.depth = f.U16(at + 6);
    return h;
  }
  if (h.size != kInfoHeader && h.size != kV4Header && h.size != kV5Header) {
    Refuse("知らない形式のヘッダーです (" + std::to_string(h.size) + " バイト)");
  }
  h.width = f.I32(at);
  h.height = f.I32(at + 4);
  if (f.U16(at + 8) != 1) Refuse("プレーン数が 1 ではありません");
  h.depth = f.U16(at + 10);
  h.compression = f.U32(at + 12);
  h.coloursUsed = f.U32(at + 28);
  if (h.size >= kV4Header) {
    for (int i = 0; i < 4; ++i) h.masks[i] = f.U32(at + 36 + 4 * i);
    h.hasMasksInHeader = true;
  }
  return h;
}

BmpPixels PixelKind(const InfoHeader& h) {
  const bool core = h.size == kCoreHeader;
  switch (h.compression) {
    case kRgb:
      if (h.depth == 1 || h.depth == 4 || h.depth == 8) return BmpPixels::Indexed;
      if (h.depth == 24) return BmpPixels::Bgr24;
      if (!core && (h.depth == 16 || h.depth == 32)) return BmpPixels::Masked;
      break;
    case kRle8:
      if (h.depth == 8) return BmpPixels::Rle8;
      break;
    case kRle4:
      if (h.depth == 4) return BmpPixels::Rle4;
      break;
    case kBitfields:
      if (h.depth == 16 || h.depth == 32) return BmpPixels::Masked;
      break;
    default:
      Refuse("知らない圧縮形式です (" + std::to_string(h.compression) + ")");
  }
  Refuse("この色数と圧縮の組み合わせは扱えません (" + std::to_string(h.depth) + " ビット, 圧縮 " +
         std::to_string(h.compression) + ")");
}

ChannelMasks Masks(const Fields& f, const InfoHeader& h, std::size_t& tableStart) {
  if (h.compression != kBitfields) {
    // Without BITFIELDS the channels are fixed: 5-5-5 for 16 bits, one byte each for 32.
    if (h.depth == 16) return CheckChannelMasks(0x7C00, 0x03E0, 0x001F, 16);
    return CheckChannelMasks(0x00FF0000, 0x0000FF00, 0x000000FF, 32);
  }
  if (h.hasMasksInHeader) return CheckChannelMasks(h.masks[0], h.masks[1], h.masks[2], h.depth);
  // A Windows 3.x header is followed by the three masks.
  const ChannelMasks masks =
      CheckChannelMasks(f.U32(tableStart), f.U32(tableStart + 4), f.U32(tableStart + 8), h.depth);
  tableStart += 12;
  return masks;
}

std::vector<std::array<std::uint8_t, 3>> Palette(const Fields& f, const InfoHeader& h,
                                                 std::size_t tableStart, std::size_t pixelOffset) {
  const std::uint32_t full = 1u << h.depth;
  std::uint32_t count = h.coloursUsed == 0 ? full : h.coloursUsed;
  if (count > full) Refuse("パレットの色数が多すぎます (" + std::to_string(count) + ")");
  const std::size_t entryBytes = h.size == kCoreHeader ? 3 : 4;
  if (h.size == kCoreHeader && pixelOffset >= tableStart) {
    // Core headers give no count: the palette is what lies before the pixels, at most full.
    count = static_cast<std::uint32_t>(
        std::min<std::size_t>(full, (pixelOffset - tableStart) / entryBytes));
  }
  const std::size_t end = tableStart + count * entryBytes;
  if (end > pixelOffset) Refuse("パレットが画素データに重なっています");
  f.Need(end);
  std::vector<std::array<std::uint8_t, 3>> palette(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = f.Bytes().data() + tableStart + i * entryBytes;
    palette[i] = {e[0], e[1], e[2]};
  }
  return palette;
}

}  // namespace

BmpLayout ReadBmpLayout(std::span<const std::uint8_t> head, std::uint64_t fileSize) {
  const Fields f(head.first(std::min<std::size_t>(head.size(), fileSize)));
  if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') Refuse("BMP ファイルではありません");
  const InfoHeader h = ReadInfoHeader(f);
  const std::uint32_t pixelOffset = f.U32(10);

  BmpLayout layout;
  layout.depth = h.depth;
  layout.pixels = PixelKind(h);
  layout.topDown = h.height < 0;
  const std::int64_t height = h.height < 0 ? -h.height : h.height;
  if (h.width <= 0 || height == 0) Refuse("幅か高さが 0 以下です");
  if (h.width > kMaxLogoPixels || height > kMaxLogoPixels || h.width * height > kMaxLogoPixels) {
    Refuse("画像が大きすぎます (" + std::to_string(h.width) + "×" + std::to_string(height) + ")");
  }
  const bool rle = layout.pixels == BmpPixels::Rle8 || layout.pixels == BmpPixels::Rle4;
  if (rle && layout.topDown) Refuse("上から下に並ぶ行は圧縮できません");
  layout.width = static_cast<int>(h.width);
  layout.height = static_cast<int>(height);

  std::size_t tableStart = kFileHeaderBytes + h.size;
  if (pixelOffset < tableStart || pixelOffset > fileSize)
    Refuse("画素データの位置がファイルの外です");
  layout.pixelOffset = pixelOffset;
  if (layout.pixels == BmpPixels::Masked) {
    layout.masks = Masks(f, h, tableStart);
    if (h.depth == 32 && h.hasMasksInHeader)
      layout.alpha = UsableAlphaMask(h.masks[3], layout.masks);
  }
  if (tableStart > pixelOffset) Refuse("ビットマスクが画素データに重なっています");
  if (h.depth <= 8) layout.palette = Palette(f, h, tableStart, pixelOffset);

  const std::uint64_t available = fileSize - pixelOffset;
  const auto pixels = static_cast<std::uint64_t>(layout.width) * layout.height;
  if (rle) {
    if (available < 2) Refuse("圧縮された画素データがありません");
    // An honest stream spends two bytes a pixel at most (one-pixel runs), plus padding runs
    // and an end-of-line a row; twice that is a generous bound on what is worth reading.
    const std::uint64_t most = 4 * pixels + 8 * static_cast<std::uint64_t>(layout.height) + 4;
    layout.usableBytes = pixelOffset + static_cast<std::size_t>(std::min(available, most));
  } else {
    layout.rowStride = (static_cast<std::size_t>(layout.width) * h.depth + 31) / 32 * 4;
    const std::uint64_t need = static_cast<std::uint64_t>(layout.rowStride) * layout.height;
    if (available < need) {
      Refuse("画素データが足りません (" + std::to_string(available) + " / " + std::to_string(need) +
             " バイト)");
    }
    layout.usableBytes = pixelOffset + static_cast<std::size_t>(need);
  }
  return layout;
}

}  // namespace rumora
