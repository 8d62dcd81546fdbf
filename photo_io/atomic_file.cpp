#include "photo_io/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#include "imaging/error.h"
#include "photo_io/plain_file.h"

namespace rumora {
namespace {

// The folder part of `path` for fsync after the rename; "." for a bare name.
std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Opens a fresh temporary file in `folder`, under a short hidden name whatever the length of
// the target's: a name near the system's limit must still be writable. O_EXCL guarantees it is
// ours; the mode 0666 lets the process umask decide the permissions, as for any newly created
// file. Failures name `path`, the name the caller gave.
FileDescriptor CreateTemporary(const std::string& folder, const std::string& path,
                               std::string& temp_path) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = folder + "/.rumora-";
    for (int i = 0; i < 6; ++i) temp_path += kLetters[random() % (sizeof kLetters - 1)];
    FileDescriptor fd(::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid()) return fd;
    if (errno != EEXIST) FailOnFile("ファイルを作成できません", path, errno);
  }
  FailOnFile("ファイルを作成できません", path, EEXIST);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Where a write to `path` lands: `path` itself or, for a symbolic link, the end of its chain of
// links (a relative link counts from its own folder), so that the link stays and its target is
// what changes. A missing link target is where the new file goes.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    if (n < 0 || n == static_cast<ssize_t>(sizeof target)) return path;  // the write reports it
    const std::string next(target, static_cast<std::size_t>(n));
    path = next.front() == '/' ? next : ParentFolder(path) + "/" + next;
  }
  FailOnFile("ファイルに書き込めません", path, ELOOP);
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string target = FollowLinks(path);
  // A file its user may not write, or made read-only, is not replaced behind their back; one
  // that may be replaced keeps its mode and, where allowed, its owner.
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists) {
    if (const int err = NotPlainFileReason(existing.st_mode))
      FailOnFile("ファイルに書き込めません", path, err);
    if (::access(target.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) {
      FailOnFile("ファイルに書き込めません", path, EACCES);
    }
  }
  std::string temp_path;
  FileDescriptor fd = CreateTemporary(ParentFolder(target), path, temp_path);
  const auto fail = [&](int err) {
    ::unlink(temp_path.c_str());
    FailOnFile("ファイルに書き込めません", path, err);
  };
  if (exists) {
    if (::fchmod(fd.get(), existing.st_mode & 07777) != 0) fail(errno);
    [[maybe_unused]] const int ignored = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
  }
  if (!WriteAll(fd.get(), bytes)) fail(errno);
  if (::fsync(fd.get()) != 0) fail(errno);
  if (!fd.Close()) fail(errno);
  if (::rename(temp_path.c_str(), target.c_str()) != 0) fail(errno);
  // Make the rename itself durable; a failure here no longer endangers either file.
  FileDescriptor folder(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
}

bool CreateFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::string temp_path;
  FileDescriptor fd = CreateTemporary(ParentFolder(path), path, temp_path);
  const auto fail = [&](int err) {
    ::unlink(temp_path.c_str());
    FailOnFile("ファイルを作成できません", path, err);
  };
  if (!WriteAll(fd.get(), bytes)) fail(errno);
  if (::fsync(fd.get()) != 0) fail(errno);
  if (!fd.Close()) fail(errno);
  // The rename fails where the name is taken; a file system without that kind of rename takes
  // a hard link, which fails there too.
  if (::renameat2(AT_FDCWD, temp_path.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
      err = ::link(temp_path.c_str(), path.c_str()) == 0 ? 0 : errno;
      ::unlink(temp_path.c_str());
    }
    if (err == EEXIST) {
      ::unlink(temp_path.c_str());
      return false;
    }
    if (err != 0) fail(err);
  }
  FileDescriptor folder(::open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
  return true;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t max_bytes) {
  const OpenedPlainFile file = OpenPlainFile(path);
  if (file.size > max_bytes) throw Error("ファイルが大きすぎます: " + path);
  // The size is only a hint: the file may change while it is read, and some files report 0.
  // One byte beyond it lets the end of the file show without growing the buffer.
  const std::size_t limit =
      max_bytes == std::numeric_limits<std::size_t>::max() ? max_bytes : max_bytes + 1;
  std::vector<std::uint8_t> bytes;
  std::size_t want = std::min<std::size_t>(file.size > 0 ? file.size + 1 : 65536, limit);
  for (;;) {
    const bool ended = ReadAppending(file.fd.get(), bytes, want, path) < want;
    if (bytes.size() > max_bytes) throw Error("ファイルが大きすぎます: " + path);
    if (ended) return bytes;
    want = std::min(std::max<std::size_t>(bytes.size(), 65536), limit - bytes.size());
  }
}

std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t count) {
  const OpenedPlainFile file = OpenPlainFile(path);
  std::vector<std::uint8_t> bytes;
  ReadAppending(file.fd.get(), bytes, count, path);
  return bytes;
}

}  // namespace rumora
