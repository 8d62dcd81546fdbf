#include "batch/batch_logo.h"

#include "logo/stamp_logo.h"

namespace rumora {

bool LogoSlotRecorded(const LogoSlot& slot) { return slot != LogoSlot{}; }

BatchLogo ReadBatchLogo(const std::string& path, const LogoSlot& slot, OutputSize size) {
  BatchLogo logo{ReadLogoFile(path, size), slot};
  FitLogoToOutput(logo.picture);
  return logo;
}

void StampBatchLogo(Bitmap& picture, const BatchLogo& logo, OutputSize size) {
  StampLogo(picture, logo.picture, logo.slot.Left, logo.slot.Top, logo.slot.Transparency, size);
}

}  // namespace rumora
