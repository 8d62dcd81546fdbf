#include "app/user_options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace rumora {
namespace {

const QString kExifOrientationKey = QStringLiteral("exifOrientation");
const QString kSmoothScalingKey = QStringLiteral("smoothScaling");
const QString kColourManagementKey = QStringLiteral("colourManagement");
const QString kRecentPhotosKey = QStringLiteral("recentPhotos");
const QString kBatchSizeKey = QStringLiteral("batch/size");
const QString kBatchFitKey = QStringLiteral("batch/fit");
const QString kBatchToneKey = QStringLiteral("batch/tone");
const QString kBatchLogoKey = QStringLiteral("batch/logo");
const QString kBatchFolderKey = QStringLiteral("batch/outputFolder");
const QString kBatchNameKey = QStringLiteral("batch/namePattern");
const QString kLogoFolderKey = QStringLiteral("logoFolder");
const QString kOutputSizeKey = QStringLiteral("outputSize");

// Only "true" and "false" count: a hand-edited "yes" or a damaged line keeps the default.
bool ReadBool(const QSettings& settings, const QString& key, bool fallback) {
  const QString text = settings.value(key).toString().trimmed().toLower();
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  return fallback;
}

// The batch recipe's keys; each value that is not one the recipe takes keeps its default.
BatchRecipe ReadBatchRecipe(const QSettings& settings) {
  BatchRecipe recipe;
  const std::string size = settings.value(kBatchSizeKey).toString().toStdString();
  recipe.size = OutputSizeNamed(size).value_or(recipe.size);
  if (settings.value(kBatchFitKey).toString() == QLatin1String("fill")) {
    recipe.fit = ListingFit::kFill;
  }
  const QStringList tone = settings.value(kBatchToneKey).toStringList();
  recipe.contrast = tone.contains(QStringLiteral("contrast"));
  recipe.brighten = tone.contains(QStringLiteral("brighten"));
  recipe.darken = tone.contains(QStringLiteral("darken"));
  const int logo = settings.value(kBatchLogoKey).toInt();
  if (logo >= 0 && logo <= 3) recipe.logo = logo;
  recipe.outputFolder = settings.value(kBatchFolderKey).toString().toStdString();
  const QString pattern = settings.value(kBatchNameKey).toString();
  if (!pattern.isEmpty()) recipe.namePattern = pattern.toStdString();
  return recipe;
}

void WriteBatchRecipe(QSettings& settings, const BatchRecipe& recipe) {
  settings.setValue(kBatchSizeKey, QString::fromUtf8(OutputSizeName(recipe.size)));
  settings.setValue(kBatchFitKey, recipe.fit == ListingFit::kFill ? QStringLiteral("fill")
                                                                  : QStringLiteral("whole"));
  QStringList tone;
  if (recipe.contrast) tone << QStringLiteral("contrast");
  if (recipe.brighten) tone << QStringLiteral("brighten");
  if (recipe.darken) tone << QStringLiteral("darken");
  settings.setValue(kBatchToneKey, tone);
  settings.setValue(kBatchLogoKey, recipe.logo);
  settings.setValue(kBatchFolderKey, QString::fromStdString(recipe.outputFolder));
  settings.setValue(kBatchNameKey, QString::fromStdString(recipe.namePattern));
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
  options.colourManagement = ReadBool(settings, kColourManagementKey, options.colourManagement);
  options.logoFolder = settings.value(kLogoFolderKey).toString();
  const QString size = settings.value(kOutputSizeKey).toString().trimmed();
  options.outputSize = OutputSizeNamed(size.toStdString()).value_or(options.outputSize);
  for (const QString& photo : settings.value(kRecentPhotosKey).toStringList()) {
    if (!photo.isEmpty() && !options.recentPhotos.contains(photo) &&
        options.recentPhotos.size() < UserOptions::kMaxRecentPhotos) {
      options.recentPhotos.append(photo);
    }
  }
  options.batch = ReadBatchRecipe(settings);
  return options;
}

bool SaveUserOptions(const QString& path, const UserOptions& options) {
  if (!QDir().mkpath(QFileInfo(path).path())) return false;
  // QSettings writes the whole file beside the old one and renames it over.
  QSettings settings(path, QSettings::IniFormat);
  settings.clear();
  settings.setValue(kExifOrientationKey, options.exifOrientation);
  settings.setValue(kSmoothScalingKey, options.smoothScaling);
  settings.setValue(kColourManagementKey, options.colourManagement);
  settings.setValue(kOutputSizeKey, QString::fromUtf8(OutputSizeName(options.outputSize)));
  settings.setValue(kRecentPhotosKey, options.recentPhotos);
  WriteBatchRecipe(settings, options.batch);
  settings.setValue(kLogoFolderKey, options.logoFolder);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace rumora
