#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "photo_io/sjis_names.h"

namespace rumora {

// The settings file's name; it lies in the executable's folder.
inline constexpr char kSettingsFileName[] = "rumora.dat";

// The recorded place and weight of one preset logo.
struct LogoSlot {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Transparency = 0;  // slider position 0..100
  bool operator==(const LogoSlot&) const = default;
};

// The settings kept across runs, held as the exact 736-byte image of the settings file. Each
// field is encoded and decoded at its own offset (integers signed 32-bit little-endian, strings
// a length byte then up to 128 Shift-JIS bytes); every other byte passes through untouched, so
// what was read is what is written. A new record is all zero.
class SettingsRecord {
 public:
  static constexpr std::size_t kSize = 736;
  static constexpr std::size_t kReservedOffset = 0;
  static constexpr std::size_t kLogoSlotsOffset = 4;
  static constexpr std::size_t kLogoSlotSize = 12;
  static constexpr int kLogoSlotCount = 3;
  static constexpr std::size_t kPhotoFolderOffset = 88;  // length byte; the bytes follow
  static constexpr std::size_t kSaveFolderOffset = 217;

  using Image = std::array<std::uint8_t, kSize>;

  std::int32_t Reserved() const { return ReadInt(kReservedOffset); }

  // Slot n, 1 to 3 (the preset logos "LOGO1" to "LOGO3"). Throws Error for another n.
  LogoSlot GetLogoSlot(int n) const;
  void SetLogoSlot(int n, const LogoSlot& slot);

  // A folder string field. A stored length above the capacity (a damaged file) reads as the
  // capacity. Setting writes only the length byte and the value's own bytes, the value cut to
  // its first 128 bytes; the rest of the field keeps its old bytes.
  std::string PhotoFolder() const { return ReadString(kPhotoFolderOffset); }
  void SetPhotoFolder(std::string_view folder) { WriteString(kPhotoFolderOffset, folder); }
  std::string SaveFolder() const { return ReadString(kSaveFolderOffset); }
  void SetSaveFolder(std::string_view folder) { WriteString(kSaveFolderOffset, folder); }

  // The file image, reserved bytes included.
  const Image& Bytes() const { return image_; }
  Image& Bytes() { return image_; }

 private:
  std::int32_t ReadInt(std::size_t offset) const;
  void WriteInt(std::size_t offset, std::int32_t value);
  std::string ReadString(std::size_t offset) const;
  void WriteString(std::size_t offset, std::string_view value);

  Image image_{};
};

static_assert(SettingsRecord::kLogoSlotsOffset +
                      SettingsRecord::kLogoSlotCount * SettingsRecord::kLogoSlotSize ==
                  40,
              "the logo slots end where the first reserved block begins");
static_assert(SettingsRecord::kPhotoFolderOffset == 40 + 48);
static_assert(SettingsRecord::kSaveFolderOffset ==
              SettingsRecord::kPhotoFolderOffset + 1 + kFolderCapacity);
static_assert(SettingsRecord::kSaveFolderOffset + 1 + kFolderCapacity + 390 ==
                  SettingsRecord::kSize,
              "the last reserved block fills the record to its 736 bytes");
static_assert(sizeof(SettingsRecord::Image) == 736);

// Loads the settings file at `path`: its first min(736, file size) bytes are copied over the
// start of `record`; the rest of the record keeps its values and bytes beyond 736 are ignored.
// Throws Error when the file cannot be read; `record` is then unchanged.
void ReadSettingsRecordFile(const std::string& path, SettingsRecord& record);

// Creates or replaces the settings file at `path` with the record's 736 bytes, atomically, as
// WriteFileAtomically does: a symbolic link keeps leading to the record it names, and a FIFO or
// anything else that is not a plain file is refused as reading refuses it. Throws Error, with
// the system's reason as its SystemCode(), when it cannot be written; an existing file is then
// left as it was.
void WriteSettingsRecordFile(const std::string& path, const SettingsRecord& record);

}  // namespace rumora
