#include "batch/numbered_name.h"

#include <cstddef>

namespace rumora {
namespace {

// Where the extension starts: the last dot that is not the name's first character, or the end.
std::size_t ExtensionStart(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name.size() : dot;
}

}  // namespace

std::optional<std::string> NextNumberedName(std::string_view fileName) {
  const std::size_t end = ExtensionStart(fileName);
  std::size_t start = end;
  while (start > 0 && fileName[start - 1] >= '0' && fileName[start - 1] <= '9') --start;
  if (start == end) return std::nullopt;
  std::string name(fileName);
  // Counting on in the digits themselves: any width, no overflow.
  std::size_t at = end;
  while (at > start && name[at - 1] == '9') {
    name[at - 1] = '0';
    --at;
  }
  if (at > start) {
    ++name[at - 1];
  } else {
    name.insert(start, 1, '1');
  }
  return name;
}

std::optional<std::string> NextFreeNumberedName(const std::string& folder,
                                                std::string_view lastSaved,
                                                const PathTaken& taken) {
  std::optional<std::string> name = NextNumberedName(lastSaved);
  for (int tries = 0; name && tries < 1000; ++tries) {
    if (!taken(folder + *name)) return name;
    name = NextNumberedName(*name);
  }
  return std::nullopt;
}

std::string UnusedName(const std::string& folder, const std::string& fileName,
                       const PathTaken& taken) {
  if (!taken(folder + fileName)) return fileName;
  const std::size_t dot = ExtensionStart(fileName);
  const std::string stem = fileName.substr(0, dot), extension = fileName.substr(dot);
  for (long n = 2;; ++n) {
    std::string name = stem + "-" + std::to_string(n) + extension;
    if (!taken(folder + name)) return name;
  }
}

}  // namespace rumora
