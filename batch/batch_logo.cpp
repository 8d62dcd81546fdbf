#include "batch/batch_logo.h"

#include "logo/blend_logo.h"
#include "logo/bmp_reader.h"
#include "logo/logo_presets.h"

namespace rumora {

bool LogoSlotRecorded(const LogoSlot& slot) { return slot != LogoSlot{}; }

BatchLogo ReadBatchLogo(const std::string& path, const LogoSlot& slot) {
  return BatchLogo{ReadBmpFile(path), slot};
}

void StampBatchLogo(Bitmap& picture, const BatchLogo& logo) {
  BlendLogo(picture, logo.picture, logo.slot.Left, logo.slot.Top,
            LogoWeight(logo.slot.Transparency));
}

}  // namespace rumora
