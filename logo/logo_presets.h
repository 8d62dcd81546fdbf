#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "photo_io/settings_record.h"

namespace rumora {

// Where a logo comes from, by the source selector's index: 0 the file dialog, 1 to 3 the preset
// logos. Any other index (no item selected) is no source, and the logo buttons do nothing.
struct LogoSource {
  static constexpr int kFile = 0;
  static constexpr int kFirstPreset = 1;
  static constexpr int kLastPreset = 3;

  static bool IsFile(int index) { return index == kFile; }
  static bool IsPreset(int index) { return index >= kFirstPreset && index <= kLastPreset; }
};

// The preset logo file n (1 to 3) relative to the executable's folder.
std::string PresetLogoFile(int n);

// The file of preset logo n in `programFolder` (the executable's folder with its trailing
// separator): its BMP file, or when that is absent a PNG file of the same name
// ("logo_design/logo1.png"); the BMP file's name when neither is there, for the message.
std::string FindPresetLogo(const std::string& programFolder, int n);

// The folder, relative to the executable's, where the logo dialog starts.
inline constexpr char kLogoFolder[] = "logo_design";

// The weight of the weight bar's position `position`, clamped to 0..100 so that a damaged
// settings record can never make a channel wrap round.
double LogoWeight(std::int32_t position);

// The frame place and weight position that a preset paste stores: slot n gets `left`, `top` and
// `position`. Throws Error for a slot number outside 1 to 3.
void RecordLogoSlot(SettingsRecord& record, int n, std::int32_t left, std::int32_t top,
                    std::int32_t position);

}  // namespace rumora
