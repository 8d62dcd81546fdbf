#include "batch/photo_folder.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "batch/natural_order.h"
#include "imaging/error.h"
#include "photo_io/photo_reader.h"

namespace rumora {
namespace {

namespace fs = std::filesystem;

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

bool NameLess(const std::string& a, const std::string& b) {
  return NaturalLess(NameOf(a), NameOf(b));
}

}  // namespace

bool IsListedPhotoName(std::string_view fileName) {
  return !fileName.empty() && fileName.front() != '.' && IsPhotoFileName(fileName);
}

std::vector<std::string> PhotosInFolder(const std::string& folder) {
  std::vector<std::string> photos;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::directory_entry& entry = *entries;
    std::error_code ignored;
    if (IsListedPhotoName(entry.path().filename().string()) && entry.is_regular_file(ignored)) {
      photos.push_back(entry.path().string());
    }
  }
  if (error) {
    throw Error("フォルダを読めません: " + folder, error.value() ? error.value() : EIO);
  }
  std::sort(photos.begin(), photos.end(), NameLess);
  return photos;
}

std::optional<std::string> NeighbourPhoto(const std::vector<std::string>& photos,
                                          const std::string& current, bool forward) {
  if (forward) {
    const auto next = std::upper_bound(photos.begin(), photos.end(), current, NameLess);
    if (next == photos.end()) return std::nullopt;
    return *next;
  }
  const auto at = std::lower_bound(photos.begin(), photos.end(), current, NameLess);
  if (at == photos.begin()) return std::nullopt;
  return *std::prev(at);
}

}  // namespace rumora
