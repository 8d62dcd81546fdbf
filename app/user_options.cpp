#include "app/user_options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace rumora {
namespace {

const QString kExifOrientationKey = QStringLiteral("exifOrientation");
const QString kSmoothScalingKey = QStringLiteral("smoothScaling");
const QString kRecentPhotosKey = QStringLiteral("recentPhotos");

// Only "true" and "false" count: a hand-edited "yes" or a damaged line keeps the default.
bool ReadBool(const QSettings& settings, const QString& key, bool fallback) {
  const QString text = settings.value(key).toString().trimmed().toLower();
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  return fallback;
}

}  // namespace

void UserOptions::AddRecentPhoto(const QString& path) {
  recentPhotos.removeAll(path);
  recentPhotos.prepend(path);
  while (recentPhotos.size() > kMaxRecentPhotos) recentPhotos.removeLast();
}

QString UserOptionsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/rumora/rumora.conf");
}

UserOptions LoadUserOptions(const QString& path) {
  UserOptions options;
  if (!QFileInfo(path).isFile()) return options;
  const QSettings settings(path, QSettings::IniFormat);
  if (settings.status() != QSettings::NoError) return options;
  options.exifOrientation = ReadBool(settings, kExifOrientationKey, options.exifOrientation);
  options.smoothScaling = ReadBool(settings, kSmoothScalingKey, options.smoothScaling);
  for (const QString& photo : settings.value(kRecentPhotosKey).toStringList()) {
    if (!photo.isEmpty() && !options.recentPhotos.contains(photo) &&
        options.recentPhotos.size() < UserOptions::kMaxRecentPhotos) {
      options.recentPhotos.append(photo);
    }
  }
  return options;
}

bool SaveUserOptions(const QString& path, const UserOptions& options) {
  if (!QDir().mkpath(QFileInfo(path).path())) return false;
  // QSettings writes the whole file beside the old one and renames it over.
  QSettings settings(path, QSettings::IniFormat);
  settings.clear();
  settings.setValue(kExifOrientationKey, options.exifOrientation);
  settings.setValue(kSmoothScalingKey, options.smoothScaling);
  settings.setValue(kRecentPhotosKey, options.recentPhotos);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace rumora
