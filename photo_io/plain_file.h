#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rumora {

// Owns one POSIX file descriptor (or none: -1). Move-only.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  ~FileDescriptor();
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether that succeeded, which on some file systems is where a write
  // fails.
  bool Close();

 private:
  int fd_;
};

// Throws Error "`what`: `path` (the reason in Japanese)" with `err` (an errno value) as its
// SystemCode().
[[noreturn]] void FailOnFile(const std::string& what, const std::string& path, int err);

// A plain file opened for reading, and its size when it was opened.
struct OpenedPlainFile {
  FileDescriptor fd;
  std::uint64_t size = 0;
};

// Opens `path` for reading if it is a plain file. Opening does not block, so a FIFO or a device
// is refused at once rather than waited on. Throws Error as FailOnFile does: the system's reason,
// EISDIR for a folder, EINVAL for anything else that is not a plain file.
OpenedPlainFile OpenPlainFile(const std::string& path);

// Why a file of this mode is neither read nor replaced: 0 for a plain file, EISDIR for a folder,
// EINVAL for a FIFO, a device or a socket.
int NotPlainFileReason(mode_t mode);

// Appends up to `count` bytes read from `fd`'s current position to `bytes`; fewer only at the
// end of the file. Returns how many were appended. Throws Error (naming `path`) when a read fails.
std::size_t ReadAppending(int fd, std::vector<std::uint8_t>& bytes, std::size_t count,
                          const std::string& path);

}  // namespace rumora
