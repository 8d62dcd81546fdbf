#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "imaging/colour_conversion.h"

namespace rumora {

// How a photo's colours reach sRGB, the colour space the program works and saves in.
struct SrgbConversionPlan {
  // Null when the colours stay as stored: the photo has no profile, its profile is sRGB's, or
  // the profile cannot be used.
  std::unique_ptr<ColourConversion> conversion;
  // The profile was damaged or cannot describe this photo: its colours may be off.
  bool unusable = false;
};

// The conversion to sRGB that an ICC colour profile asks for (relative colorimetric, black
// point compensation). A profile of three tone curves and a matrix (Display P3, Adobe RGB,
// ProPhoto and nearly every other photo profile) is converted by MatrixShaperConversion, one
// built of tables by the colour engine's own transform. A profile with sRGB's colorants and
// curves, whatever its name, needs no conversion; nor does an empty one. A grey profile fits a
// `grey` photo (three equal channels) only. Never throws for a bad profile: that is `unusable`.
SrgbConversionPlan PlanSrgbConversion(std::span<const std::uint8_t> iccProfile, bool grey = false);

// The colours of a photo coded as ITU-T H.273 says (a HEIF file's "nclx" colour information):
// the chromaticities x, y of the red, green and blue primaries and of the white point, and the
// transfer characteristics' code.
struct CodedColours {
  double red[2], green[2], blue[2], white[2];
  int transfer = 13;  // sRGB's
};

// The conversion to sRGB for coded colours, as for an ICC profile of those primaries and tone
// curves. Transfers that are not a tone curve of the photo's light (PQ, HLG and other high
// dynamic range codes) are unusable.
SrgbConversionPlan PlanSrgbConversion(const CodedColours& colours);

// The primaries and white point of sRGB (ITU-R BT.709).
CodedColours SrgbCodedColours();

}  // namespace rumora
