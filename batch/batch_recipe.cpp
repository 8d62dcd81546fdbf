#include "batch/batch_recipe.h"

#include <filesystem>

#include "imaging/boost_contrast.h"
#include "imaging/shift_brightness.h"
#include "photo_io/sjis_names.h"

namespace rumora {

ToneTable RecipeToneTable(const BatchRecipe& recipe) {
  ToneTable table;
  for (int v = 0; v < 256; ++v) table[v] = static_cast<std::uint8_t>(v);
  const auto then = [&table](const ToneTable& step) {
    for (std::uint8_t& v : table) v = step[v];
  };
  if (recipe.contrast) then(ContrastTable(kBatchContrastStrength));
  if (recipe.brighten) then(BrightnessTable(BrightnessDirection::kBrighten));
  if (recipe.darken) then(BrightnessTable(BrightnessDirection::kDarken));
  return table;
}

bool HasToneSteps(const BatchRecipe& recipe) {
  return recipe.contrast || recipe.brighten || recipe.darken;
}

std::string ListingFileName(const std::string& namePattern, const std::string& photoPath) {
  const std::string stem = std::filesystem::path(photoPath).stem().string();
  std::string name;
  static constexpr std::string_view kName = "{name}";
  for (std::size_t at = 0; at < namePattern.size();) {
    if (namePattern.compare(at, kName.size(), kName) == 0) {
      name += stem;
      at += kName.size();
    } else {
      name += namePattern[at++];
    }
  }
  if (name.find('/') != std::string::npos) return {};
  name = ForceJpgExtension(name, NameEncoding::kUtf8);
  // Nothing but the extension, or a hidden name, is no name for a picture.
  if (name.front() == '.') return {};
  return name;
}

}  // namespace rumora
