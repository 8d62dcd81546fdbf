#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rumora {

// The name that follows `fileName` when its part before the extension ends in a number: the
// number plus one, with as many digits as it had ("item-07.jpg" gives "item-08.jpg", "a9.jpg"
// gives "a10.jpg", "x-99.jpg" gives "x-100.jpg"). Nothing when there is no number to count on.
std::optional<std::string> NextNumberedName(std::string_view fileName);

// Whether a file of that full path exists (tests put a list in its place).
using PathTaken = std::function<bool(const std::string& path)>;

// The first name in `folder` (with its trailing separator) that `taken` does not give: after
// `lastSaved`, the numbered names that follow it, in turn; nothing when it has no number or
// a thousand of them in a row are taken.
std::optional<std::string> NextFreeNumberedName(const std::string& folder,
                                                std::string_view lastSaved, const PathTaken& taken);

// `fileName` in `folder` (with its trailing separator) when `taken` does not give it, else the
// same with "-2", "-3" and so on put before the extension ("a.jpg", "a-2.jpg", "a-3.jpg").
std::string UnusedName(const std::string& folder, const std::string& fileName,
                       const PathTaken& taken);

}  // namespace rumora
