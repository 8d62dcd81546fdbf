#include "logo/logo_presets.h"

#include <algorithm>

namespace rumora {

std::string PresetLogoFile(int n) {
  return std::string(kLogoFolder) + "/logo" + std::to_string(n) + ".bmp";
}

double LogoWeight(std::int32_t position) {
  return static_cast<double>(std::clamp<std::int32_t>(position, 0, 100)) / 100;
}

void RecordLogoSlot(SettingsRecord& record, int n, std::int32_t left, std::int32_t top,
                    std::int32_t position) {
  record.SetLogoSlot(n, LogoSlot{left, top, position});
}

}  // namespace rumora
