#include "logo/logo_presets.h"

#include <sys/stat.h>

#include <algorithm>

namespace rumora {

std::string PresetLogoFile(int n) {
  return std::string(kLogoFolder) + "/logo" + std::to_string(n) + ".bmp";
}

std::string FindPresetLogo(const std::string& programFolder, int n) {
  const std::string bmp = programFolder + PresetLogoFile(n);
  const std::string png = bmp.substr(0, bmp.size() - 3) + "png";
  struct stat info {};
  if (::stat(bmp.c_str(), &info) != 0 && ::stat(png.c_str(), &info) == 0) return png;
  return bmp;
}

double LogoWeight(std::int32_t position) {
  return static_cast<double>(std::clamp<std::int32_t>(position, 0, 100)) / 100;
}

void RecordLogoSlot(SettingsRecord& record, int n, std::int32_t left, std::int32_t top,
                    std::int32_t position) {
  record.SetLogoSlot(n, LogoSlot{left, top, position});
}

}  // namespace rumora
