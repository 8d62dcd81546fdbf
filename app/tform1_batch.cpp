// "まとめて処理…": listing pictures of many photos by one recipe, on threads of their own.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/batch_dialog.h"
#include "app/batch_progress_dialog.h"
#include "app/platform.h"
#include "app/tform1.h"
#include "batch/photo_folder.h"
#include "imaging/error.h"
#include "logo/logo_presets.h"

namespace rumora {
namespace {

std::string LocalName(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

std::optional<QString> TForm1::PrepareBatch(const QStringList& inputs, BatchJob& job) {
  if (inputs.isEmpty()) return QStringLiteral("写真かフォルダを加えてください。");
  if (job.recipe.outputFolder.empty()) return QStringLiteral("出力フォルダを選んでください。");
  // A folder typed that is not there yet is made, as the command line makes it.
  const QString output = QString::fromStdString(job.recipe.outputFolder);
  if (!QDir().mkpath(output)) return QStringLiteral("出力フォルダを作れません。\n%1").arg(output);
  if (ListingFileName(job.recipe.namePattern, "photo.jpg").empty()) {
    return QStringLiteral(
        "ファイル名のパターンからは名前ができません (フォルダの区切りは使えません)。");
  }
  job.photos.clear();
  for (const QString& input : inputs) {
    if (!QFileInfo(input).isDir()) {
      job.photos.push_back(LocalName(input));
      continue;
    }
    try {
      const std::vector<std::string> photos = PhotosInFolder(LocalName(input));
      job.photos.insert(job.photos.end(), photos.begin(), photos.end());
    } catch (const Error&) {
      return QStringLiteral("フォルダを読めません。\n%1").arg(input);
    }
  }
  if (job.photos.empty()) return QStringLiteral("選んだフォルダに写真がありません。");
  job.logo.reset();
  if (const int n = job.recipe.logo; n != 0) {
    ReadSettingsRecord();
    const LogoSlot slot = Settings.GetLogoSlot(n);
    if (!LogoSlotRecorded(slot)) {
      return QStringLiteral(
                 "LOGO%1 の位置と濃さはまだ記録されていません。\n"
                 "「記録」にチェックを入れて「開く」を押し、ロゴの枠を置いて濃さを"
                 "決めてから「貼る」を押すと記録されます。")
          .arg(n);
    }
    const std::string path = FindPresetLogo(LocalName(platform_.ExecutableFolder()), n);
    try {
      job.logo = ReadBatchLogo(path, slot, job.recipe.size);
    } catch (const Error& e) {
      return QStringLiteral("LOGO%1 を開けません。\n%2")
          .arg(n)
          .arg(QString::fromStdString(e.what()));
    }
  }
  return std::nullopt;
}

void TForm1::BatchClick() {
  QString photoFolder =
      photoPath_.isEmpty() ? openDialogFolder_ : QFileInfo(photoPath_).absolutePath();
  if (photoFolder.isEmpty()) {
    photoFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  }
  BatchDialog dialog(platform_, options_.batch, photoFolder, this);
  BatchJob job;
  // Asked again, with what was chosen kept, until it can run or is cancelled.
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return;
    job.recipe = dialog.Recipe();
    options_.batch = job.recipe;
    StoreUserOptions();
    const auto problem = PrepareBatch(dialog.Inputs(), job);
    if (!problem) break;
    platform_.ShowWarning(this, QStringLiteral("警告"), *problem);
  }
  job.options.followOrientation = options_.exifOrientation;
  job.options.matchColours = options_.colourManagement;
  job.options.scaling = PictureScaling();
  BatchProgressDialog progress(std::move(job), platform_, this);
  progress.exec();
}

}  // namespace rumora
