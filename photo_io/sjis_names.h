#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rumora {

// File names and folders are Shift-JIS (code page 932) byte strings. A double-byte character's
// second byte may equal '\\' (0x5C), so separators are found by walking the characters, never by
// searching bytes.

// Whether `b` starts a double-byte character.
constexpr bool IsSjisLeadByte(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The folder part of `name`: everything up to and including its last path separator ('\\', ':',
// and '/' on this platform); "" when it has none.
std::string FolderPart(std::string_view name);

// The most bytes a remembered folder keeps.
inline constexpr std::size_t kFolderCapacity = 128;

// The first 128 bytes of `folder` (bytes, not characters: a double-byte character may be split).
std::string CutToFolderCapacity(std::string_view folder);

// How a name's bytes form characters: Shift-JIS pairs a lead byte with the byte after it; in
// UTF-8 no byte of a multi-byte character is below 0x80, so separators and dots stand alone.
enum class NameEncoding { kCp932, kUtf8 };

// `name` with its extension made ".jpg": when the last dot, separator or colon is a dot, the name
// from that dot on is replaced; otherwise ".jpg" is appended. "photo.JPG" becomes "photo.jpg".
std::string ForceJpgExtension(std::string_view name, NameEncoding encoding = NameEncoding::kCp932);

// Converts between UTF-8 and code page 932. nullopt when a character has no form in the target
// (or the input is not valid in its own encoding); to code page 932 also when a character would
// only come back as a look-alike ("〜" as "～", "¥" as "\"). Throws Error if the converter is
// unavailable.
std::optional<std::string> Utf8ToCp932(const std::string& utf8);
std::optional<std::string> Cp932ToUtf8(const std::string& cp932);

}  // namespace rumora
