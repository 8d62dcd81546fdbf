#include "app/open_failure.h"

#include <QFile>
#include <new>

#include "app/file_signature.h"
#include "app/system_reason.h"
#include "imaging/error.h"
#include "photo_io/atomic_file.h"

namespace rumora {

QString FailureReason(const std::exception& failure) {
  if (const auto* error = dynamic_cast<const Error*>(&failure); error && error->SystemCode()) {
    return QString::fromStdString(SystemReason(error->SystemCode()));
  }
  if (dynamic_cast<const std::bad_alloc*>(&failure))
    return QStringLiteral("メモリが不足しています");
  return QString::fromUtf8(failure.what());
}

QString OpenFailureReason(const QString& path, const std::string& expectedFormat,
                          const std::exception& failure) {
  const auto* error = dynamic_cast<const Error*>(&failure);
  if (error && !error->SystemCode()) {
    try {
      const auto start = ReadFileStart(QFile::encodeName(path).toStdString(), kSignatureBytes);
      const std::string format = PictureFormatOf(start);
      if (!format.empty() && format != expectedFormat) {
        return QStringLiteral("%1 形式の画像です。開けるのは %2 形式のファイルだけです")
            .arg(QString::fromStdString(format), QString::fromStdString(expectedFormat));
      }
    } catch (const std::exception&) {
      // The reader's own reason stands.
    }
  }
  return FailureReason(failure);
}

}  // namespace rumora
