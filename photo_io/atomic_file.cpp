#include "photo_io/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "imaging/error.h"

namespace rumora {
namespace {

// Owns one POSIX file descriptor.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports the result, which on some file systems is where a write fails.
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
  throw Error(what + ": " + path + " (" + std::strerror(err) + ")", err);
}

// The folder part of `path` for fsync after the rename; "." for a bare name.
std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Opens a fresh temporary file beside `target`. O_EXCL guarantees it is ours; the mode 0666
// lets the process umask decide the permissions, as for any newly created file. Failures name
// `path`, the name the caller gave.
Fd CreateTemporary(const std::string& target, const std::string& path, std::string& temp_path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    Fd fd(::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid()) return fd;
    if (errno != EEXIST) Fail("ファイルを作成できません", path, errno);
  }
  Fail("ファイルを作成できません", path, EEXIST);
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

// Why a file of this kind is neither read nor replaced (0 for a plain file): a folder, or a
// FIFO or device, which could block the program or is no place for a file's content.
int NotPlainFileReason(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return EISDIR;
  return S_ISREG(info.st_mode) ? 0 : EINVAL;
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
  Fail("ファイルに書き込めません", path, ELOOP);
}

// Opens `path` for reading if it is a plain file. Non-blocking, so that opening a FIFO or a
// device returns at once instead of waiting for a writer; those are then refused.
Fd OpenPlainFile(const std::string& path, struct stat& info) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) Fail("ファイルを開けません", path, errno);
  if (::fstat(fd.get(), &info) != 0) Fail("ファイルを読み込めません", path, errno);
  if (const int err = NotPlainFileReason(info)) Fail("ファイルを読み込めません", path, err);
  return fd;
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string target = FollowLinks(path);
  // A file its user may not write, or made read-only, is not replaced behind their back; one
  // that may be replaced keeps its mode and, where allowed, its owner.
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists) {
    if (const int err = NotPlainFileReason(existing)) Fail("ファイルに書き込めません", path, err);
    if (::access(target.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) {
      Fail("ファイルに書き込めません", path, EACCES);
    }
  }
  std::string temp_path;
  Fd fd = CreateTemporary(target, path, temp_path);
  const auto fail = [&](int err) {
    ::unlink(temp_path.c_str());
    Fail("ファイルに書き込めません", path, err);
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
  Fd folder(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t max_bytes) {
  struct stat info {};
  Fd fd = OpenPlainFile(path, info);
  if (info.st_size > 0 && static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    throw Error("ファイルが大きすぎます: " + path);
  }

  // The size is only a hint: the file may change while it is read, and some files report 0.
  // One byte beyond it lets the end of the file show without growing the buffer.
  const std::size_t limit =
      max_bytes == std::numeric_limits<std::size_t>::max() ? max_bytes : max_bytes + 1;
  std::vector<std::uint8_t> bytes(std::min<std::size_t>(
      info.st_size > 0 ? static_cast<std::size_t>(info.st_size) + 1 : 65536, limit));
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size())
      bytes.resize(std::min(done + std::max<std::size_t>(done, 65536), limit));
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("ファイルを読み込めません", path, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > max_bytes) throw Error("ファイルが大きすぎます: " + path);
  }
  bytes.resize(done);
  return bytes;
}

std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t count) {
  struct stat info {};
  Fd fd = OpenPlainFile(path, info);
  std::vector<std::uint8_t> bytes(count);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd.get(), bytes.data() + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("ファイルを読み込めません", path, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace rumora
