#include "app/record_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "imaging/error.h"
#include "photo_io/settings_record.h"

namespace rumora {
namespace {

namespace fs = std::filesystem;

// Whether a file can be made in `folder`, found by making one: permission bits say nothing of a
// read-only file system, nor of root's rights.
bool CanCreateFileIn(const fs::path& folder) {
  std::string probe = (folder / ".rumora-write-test-XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

// The user's home: $HOME when it is an absolute path, else the account's; empty when neither is.
fs::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir || found->pw_dir[0] != '/')
    return {};
  return found->pw_dir;
}

// The user's data folder under the base directory rules: $XDG_DATA_HOME when it is an absolute
// path, else ~/.local/share; empty when the user has no home either.
fs::path UserDataFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && dataHome[0] == '/') return dataHome;
  const fs::path home = HomeFolder();
  return home.empty() ? home : home / ".local/share";
}

// Makes `folder` and its missing parents, private to the user as the base directory rules ask.
void MakeFolders(const fs::path& folder) {
  if (folder.empty() || fs::exists(folder)) return;
  MakeFolders(folder.parent_path());
  ::mkdir(folder.c_str(), 0700);
}

}  // namespace

std::string SettingsRecordLocation(const std::string& programFolder, bool sharedFolder) {
  const fs::path beside = fs::path(programFolder) / kSettingsFileName;
  if (!sharedFolder && CanCreateFileIn(programFolder)) return beside.string();
  const fs::path dataFolder = UserDataFolder();
  if (dataFolder.empty()) return beside.string();

  const fs::path own = dataFolder / "rumora" / kSettingsFileName;
  std::error_code error;
  if (fs::exists(fs::symlink_status(own, error))) return own.string();
  MakeFolders(own.parent_path());
  SettingsRecord record;  // all zero unless the starting record is there to copy
  try {
    ReadSettingsRecordFile(beside.string(), record);
  } catch (const Error&) {
  }
  try {
    WriteSettingsRecordFile(own.string(), record);
  } catch (const Error&) {
    // Reading the record, next, names the path in its warning.
  }
  return own.string();
}

}  // namespace rumora
