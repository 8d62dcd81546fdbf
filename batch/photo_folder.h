#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rumora {

// Whether the open dialog lists a file of this name as a photo: a photo file name
// (IsPhotoFileName) that is not hidden (does not start with a dot).
bool IsListedPhotoName(std::string_view fileName);

// The full paths of the photos in `folder` (IsListedPhotoName, plain files or links to them; no
// subfolders), in natural order of their names (NaturalLess). Throws Error, with the system's
// reason, when the folder cannot be read.
std::vector<std::string> PhotosInFolder(const std::string& folder);

// The photo after (`forward`) or before `current` among `photos` (in natural order, as
// PhotosInFolder gives them), by name: `current` need not be among them any longer. Nothing at
// the folder's end.
std::optional<std::string> NeighbourPhoto(const std::vector<std::string>& photos,
                                          const std::string& current, bool forward);

}  // namespace rumora
