#include "photo_io/settings_record.h"

#include <algorithm>

#include "imaging/error.h"
#include "photo_io/atomic_file.h"

namespace rumora {
namespace {

std::size_t SlotOffset(int n) {
  if (n < 1 || n > SettingsRecord::kLogoSlotCount) {
    throw Error("ロゴの番号が正しくありません: " + std::to_string(n));
  }
  return SettingsRecord::kLogoSlotsOffset +
         static_cast<std::size_t>(n - 1) * SettingsRecord::kLogoSlotSize;
}

}  // namespace

std::int32_t SettingsRecord::ReadInt(std::size_t offset) const {
  const std::uint32_t value =
      std::uint32_t{image_[offset]} | std::uint32_t{image_[offset + 1]} << 8 |
      std::uint32_t{image_[offset + 2]} << 16 | std::uint32_t{image_[offset + 3]} << 24;
  return static_cast<std::int32_t>(value);
}

void SettingsRecord::WriteInt(std::size_t offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) image_[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::string SettingsRecord::ReadString(std::size_t offset) const {
  const std::size_t length = std::min<std::size_t>(image_[offset], kFolderCapacity);
  const auto* first = image_.data() + offset + 1;
  return std::string(first, first + length);
}

void SettingsRecord::WriteString(std::size_t offset, std::string_view value) {
  const std::size_t length = std::min(value.size(), kFolderCapacity);
  image_[offset] = static_cast<std::uint8_t>(length);
  std::copy_n(value.data(), length, image_.begin() + static_cast<std::ptrdiff_t>(offset) + 1);
}

LogoSlot SettingsRecord::GetLogoSlot(int n) const {
  const std::size_t at = SlotOffset(n);
  return LogoSlot{ReadInt(at), ReadInt(at + 4), ReadInt(at + 8)};
}

void SettingsRecord::SetLogoSlot(int n, const LogoSlot& slot) {
  const std::size_t at = SlotOffset(n);
  WriteInt(at, slot.Left);
  WriteInt(at + 4, slot.Top);
  WriteInt(at + 8, slot.Transparency);
}

void ReadSettingsRecordFile(const std::string& path, SettingsRecord& record) {
  // Only the first 736 bytes are ever used, so a longer file is not read further.
  const std::vector<std::uint8_t> bytes = ReadFileStart(path, SettingsRecord::kSize);
  std::copy(bytes.begin(), bytes.end(), record.Bytes().begin());
}

void WriteSettingsRecordFile(const std::string& path, const SettingsRecord& record) {
  WriteFileAtomically(path, record.Bytes());
}

}  // namespace rumora
