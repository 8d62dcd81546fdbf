#include "logo/bmp_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "imaging/error.h"
#include "logo/bmp_layout.h"
#include "logo/bmp_pixels.h"

namespace rumora {
namespace {

Bitmap DecodeWithLayout(const BmpLayout& layout, std::span<const std::uint8_t> file,
                        std::vector<std::uint8_t>* alpha) {
  if (alpha != nullptr) alpha->clear();
  const bool rle = layout.pixels == BmpPixels::Rle8 || layout.pixels == BmpPixels::Rle4;
  return rle ? DecodeBmpRle(layout, file) : DecodeBmpRows(layout, file, alpha);
}

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
  throw Error(what + ": " + path + " (" + std::strerror(err) + ")", err);
}

// Appends up to `count` bytes from the file's current position; fewer at its end.
void ReadMore(int fd, std::vector<std::uint8_t>& bytes, std::size_t count,
              const std::string& path) {
  const std::size_t start = bytes.size();
  bytes.resize(start + count);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, bytes.data() + start + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("ファイルを読み込めません", path, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(start + done);
}

}  // namespace

Bitmap DecodeBmp(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* alpha) {
  return DecodeWithLayout(ReadBmpLayout(file, file.size()), file, alpha);
}

Bitmap ReadBmpFile(const std::string& path, std::vector<std::uint8_t>* alpha) {
  // Non-blocking, so that a FIFO or a device named .bmp returns at once; only plain files count.
  const FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) Fail("ファイルを開けません", path, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) Fail("ファイルを読み込めません", path, errno);
  if (!S_ISREG(info.st_mode))
    Fail("ファイルを読み込めません", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  return ReadBmpFrom(file.get(), static_cast<std::uint64_t>(info.st_size), path, alpha);
}

Bitmap ReadBmpFrom(int fd, std::uint64_t measuredSize, const std::string& path,
                   std::vector<std::uint8_t>* alpha) {
  std::vector<std::uint8_t> bytes;
  ReadMore(fd, bytes,
           static_cast<std::size_t>(std::min<std::uint64_t>(measuredSize, kBmpLayoutBytes)), path);
  BmpLayout layout = ReadBmpLayout(bytes, measuredSize);
  if (layout.usableBytes > bytes.size()) {
    ReadMore(fd, bytes, layout.usableBytes - bytes.size(), path);
    // The file may have shrunk since it was measured: check again against what was read.
    if (bytes.size() < layout.usableBytes) layout = ReadBmpLayout(bytes, bytes.size());
  }
  return DecodeWithLayout(layout, bytes, alpha);
}

}  // namespace rumora
