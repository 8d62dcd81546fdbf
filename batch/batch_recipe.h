#pragma once

#include <string>

#include "batch/listing_geometry.h"
#include "imaging/smooth_scale.h"
#include "imaging/tone_pass.h"
#include "layout/output_size.h"

namespace rumora {

// What the batch makes of every photo: its tone steps, the listing picture's size and fit, the
// preset logo, and where and under which name the picture is saved.
struct BatchRecipe {
  static constexpr char kDefaultNamePattern[] = "{name}_listing.jpg";

  OutputSize size = OutputSize::k600x450;
  ListingFit fit = ListingFit::kWhole;
  // The tone steps, applied in this order when chosen: 強調, 明るく, 暗く.
  bool contrast = false;
  bool brighten = false;
  bool darken = false;
  int logo = 0;  // 0 none, 1 to 3 the preset logos LOGO1 to LOGO3
  std::string outputFolder;
  // The picture's file name; "{name}" stands for the photo's name without its extension.
  std::string namePattern = kDefaultNamePattern;
};

// How the user's options have photos opened and scaled, as in the window.
struct BatchOptions {
  bool followOrientation = true;
  bool matchColours = true;
  Scaling scaling = Scaling::kSmooth;
};

// The contrast strength of the window's 強調 (its hidden strength bar stands at 30).
inline constexpr double kBatchContrastStrength = 0.3;

// The recipe's tone steps as one table: each chosen step's table applied to the previous one's
// result, so that mapping a photo once gives the bytes of the steps one after another. The
// identity when none is chosen.
ToneTable RecipeToneTable(const BatchRecipe& recipe);
bool HasToneSteps(const BatchRecipe& recipe);

// The picture's file name for the photo at `photoPath` by the recipe's pattern: "{name}"
// replaced by the photo's file name without its extension, then the extension made ".jpg" (as
// saving makes it). Empty when the pattern gives no name or one with a folder separator.
std::string ListingFileName(const std::string& namePattern, const std::string& photoPath);

}  // namespace rumora
