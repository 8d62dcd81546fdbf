#pragma once

#include <QString>
#include <exception>
#include <string>

namespace rumora {

// Why a file could not be opened as a picture in `expectedFormat` ("JPEG と HEIC/HEIF", "BMP":
// the formats that open, as the user reads them), in words a user can act on: a picture in another
// format, named by its first bytes; the system's reason for a file that could not be read; running
// out of memory; or the reader's own reason.
QString OpenFailureReason(const QString& path, const std::string& expectedFormat,
                          const std::exception& failure);

// The reason of `failure` in Japanese: the system's reason when it carries one, our own Error's
// text, or a sentence for a library's failure followed by its own words in parentheses.
QString FailureReason(const std::exception& failure);

}  // namespace rumora
