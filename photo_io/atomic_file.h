#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace rumora {

// Creates or replaces the file at `path` with exactly `bytes`: the bytes go to a new file in the
// same folder, are flushed to disk and the new file is renamed over the old one, so a reader
// sees either the old or the new content, never a mix. A symbolic link at `path` stays: the file
// it leads to is the one replaced (the new file made beside it). An existing file keeps its mode
// (and its owner where the system allows); one its user may not write, or whose mode allows no
// writing, is not replaced, nor is anything that is not a plain file (a folder, a FIFO, a
// device). Throws Error, whose SystemCode() is the system's reason (EACCES, ENOSPC, EISDIR,
// EINVAL for a FIFO or device, ...), when the file cannot be written; the temporary file is then
// removed and an existing file at `path` is left as it was.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Creates the file at `path` with exactly `bytes` unless something already has that name, which
// is then left as it is: the bytes go to a new file in the same folder, are flushed to disk and
// take the name only where nothing holds it at that moment (another copy of the program starting
// at once may make the same file). Returns false when something was there. Throws Error as
// WriteFileAtomically does when the file cannot be made; the temporary file is then removed.
bool CreateFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// The whole content of the file at `path`. Throws Error when the file cannot be opened or read
// or is not a plain file (a FIFO or a device is refused at once, without waiting), with the
// system's reason as its SystemCode(), and when it holds more than `max_bytes` bytes.
std::vector<std::uint8_t> ReadWholeFile(
    const std::string& path, std::size_t max_bytes = std::numeric_limits<std::size_t>::max());

// The first min(`count`, file size) bytes of the file at `path`. Throws Error as ReadWholeFile
// does for a file that cannot be opened or read or is not a plain file.
std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t count);

}  // namespace rumora
