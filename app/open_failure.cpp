#include "app/open_failure.h"

#include <QFile>
#include <new>
#include <system_error>

#include "app/file_signature.h"
#include "imaging/error.h"
#include "imaging/system_reason.h"
#include "photo_io/atomic_file.h"

namespace rumora {

QString FailureReason(const std::exception& failure) {
  const auto* error = dynamic_cast<const Error*>(&failure);
  if (error && error->SystemCode())
    return QString::fromStdString(SystemReason(error->SystemCode()));
  if (error) return QString::fromUtf8(failure.what());  // ours: already in Japanese
  if (dynamic_cast<const std::bad_alloc*>(&failure))
    return QStringLiteral("メモリが不足しています");
  // A library's own failure speaks English: the reason in Japanese, its words kept for a report.
  if (const auto* system = dynamic_cast<const std::system_error*>(&failure)) {
    return QStringLiteral("%1 (%2)").arg(
        QString::fromStdString(SystemReason(system->code().value())),
        QString::fromUtf8(failure.what()));
  }
  return QStringLiteral("予期しないエラーが起きました (%1)").arg(QString::fromUtf8(failure.what()));
}

QString OpenFailureReason(const QString& path, const std::string& expectedFormat,
                          const std::exception& failure) {
  const auto* error = dynamic_cast<const Error*>(&failure);
  if (error && !error->SystemCode()) {
    try {
      const auto start = ReadFileStart(QFile::encodeName(path).toStdString(), kSignatureBytes);
      const std::string format = PictureFormatOf(start);
      // The expected formats are named in one text ("JPEG と HEIC/HEIF").
      if (!format.empty() && expectedFormat.find(format) == std::string::npos) {
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
