#include "app/record_location.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "imaging/error.h"
#include "photo_io/atomic_file.h"
#include "photo_io/settings_record.h"

namespace rumora {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string ParentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// Whether a file can be made in `folder`, found by making one: permission bits say nothing of a
// read-only file system, nor of root's rights. The file has no name, so nothing is left behind;
// only where the file system cannot make such a file is a named one made and removed at once.
bool CanCreateFileIn(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR) return false;
  std::string probe = Join(folder, ".rumora-XXXXXX");
  const int named = ::mkstemp(probe.data());
  if (named < 0) return false;
  ::close(named);
  ::unlink(probe.c_str());
  return true;
}

// The user's home: $HOME when it is an absolute path, else the account's; empty when neither is.
std::string HomeFolder() {
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
std::string UserDataFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && dataHome[0] == '/') return dataHome;
  const std::string home = HomeFolder();
  return home.empty() ? home : Join(home, ".local/share");
}

// Makes `folder` and its missing parents, private to the user as the base directory rules ask;
// returns the system's reason when it cannot, 0 otherwise.
int MakeFolders(const std::string& folder) {
  if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0) return 0;
  if (errno == EEXIST) return 0;  // a file in the way is found when the record is made
  if (errno != ENOENT) return errno;
  if (const int err = MakeFolders(ParentOf(folder))) return err;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

SettingsRecordPlace KeptAt(const std::string& file) {
  SettingsRecordPlace place;
  place.file = file;
  return place;
}

}  // namespace

SettingsRecordPlace SettingsRecordLocation(const std::string& programFolder, bool sharedFolder) {
  const std::string beside = Join(programFolder, kSettingsFileName);
  if (!sharedFolder && CanCreateFileIn(programFolder)) return KeptAt(beside);
  const std::string dataFolder = UserDataFolder();
  if (dataFolder.empty()) return KeptAt(beside);

  const std::string own = Join(Join(dataFolder, "rumora"), kSettingsFileName);
  struct stat info {};
  if (::stat(own.c_str(), &info) == 0) return KeptAt(own);
  int reason = MakeFolders(ParentOf(own));
  if (reason == 0) {
    SettingsRecord record;  // all zero unless the starting record is there to copy
    try {
      ReadSettingsRecordFile(beside, record);
    } catch (const Error&) {
    }
    try {
      CreateFileAtomically(own, record.Bytes());  // false: another start made it first
      return KeptAt(own);
    } catch (const Error& e) {
      reason = e.SystemCode();
    }
  }
  return {beside, false, own, reason};
}

}  // namespace rumora
