#include "photo_io/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "imaging/error.h"
#include "imaging/system_reason.h"

namespace rumora {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileDescriptor::Close() { return ::close(std::exchange(fd_, -1)) == 0; }

void FailOnFile(const std::string& what, const std::string& path, int err) {
  throw Error(what + ": " + path + " (" + SystemReason(err) + ")", err);
}

int NotPlainFileReason(mode_t mode) {
  if (S_ISDIR(mode)) return EISDIR;
  return S_ISREG(mode) ? 0 : EINVAL;
}

OpenedPlainFile OpenPlainFile(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) FailOnFile("ファイルを開けません", path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) FailOnFile("ファイルを読み込めません", path, errno);
  if (const int err = NotPlainFileReason(info.st_mode)) {
    FailOnFile("ファイルを読み込めません", path, err);
  }
  return {std::move(fd), static_cast<std::uint64_t>(info.st_size > 0 ? info.st_size : 0)};
}

std::size_t ReadAppending(int fd, std::vector<std::uint8_t>& bytes, std::size_t count,
                          const std::string& path) {
  const std::size_t start = bytes.size();
  bytes.resize(start + count);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, bytes.data() + start + done, count - done);
    if (n < 0) {
      const int err = errno;
      if (err == EINTR) continue;
      bytes.resize(start);
      FailOnFile("ファイルを読み込めません", path, err);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(start + done);
  return done;
}

}  // namespace rumora
