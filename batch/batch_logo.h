#pragma once

#include <string>

#include "imaging/bitmap.h"
#include "layout/output_size.h"
#include "logo/logo_picture.h"
#include "photo_io/settings_record.h"

namespace rumora {

// A preset logo as the batch stamps it: its picture and its recorded place and weight.
struct BatchLogo {
  LogoPicture picture;
  LogoSlot slot;
};

// Whether a preset's slot was ever recorded: an all-zero slot would stamp at weight 0, so that
// nothing would show.
bool LogoSlotRecorded(const LogoSlot& slot);

// The preset logo file at `path` (see FindPresetLogo) for pictures of `size`, with its slot,
// shrunk to fit the picture when larger (FitLogoToOutput). Throws Error when the file cannot be
// read as a logo.
BatchLogo ReadBatchLogo(const std::string& path, const LogoSlot& slot, OutputSize size);

// Stamps the logo into `picture` (of `size`) at its recorded place with its recorded weight,
// as the window's 貼る does with the preset.
void StampBatchLogo(Bitmap& picture, const BatchLogo& logo, OutputSize size);

}  // namespace rumora
