// Photo files: opening a JPEG or HEIF photo into the working bitmap, saving the output picture.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>

#include "app/busy_cursor.h"
#include "app/flag_scope.h"
#include "app/image_view_widget.h"
#include "app/input_blocker.h"
#include "app/input_panel_size.h"
#include "app/open_failure.h"
#include "app/platform.h"
#include "app/qt_progress.h"
#include "app/tform1.h"
#include "batch/numbered_name.h"
#include "imaging/error.h"
#include "imaging/growing_stretch.h"
#include "layout/sel_shape.h"
#include "photo_io/atomic_file.h"
#include "photo_io/exif_orientation.h"
#include "photo_io/jpeg_writer.h"
#include "photo_io/photo_reader.h"
#include "photo_io/sjis_names.h"

namespace rumora {
namespace {

std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

// A folder stored in the settings record as the dialog takes it. The 128-byte cut may have split
// a double-byte character; what is left before it is still the folder's start.
QString FolderForDialog(const std::string& cp932Folder) {
  for (std::size_t cut = 0; cut <= 1 && cut < cp932Folder.size(); ++cut) {
    if (auto utf8 = Cp932ToUtf8(cp932Folder.substr(0, cp932Folder.size() - cut))) {
      return QString::fromStdString(*utf8);
    }
  }
  return QString();
}

// The folder part of a chosen file name as the settings record keeps it, or nothing when the
// name has a character that Shift-JIS cannot hold.
std::optional<std::string> RecordedFolder(const QString& fileName) {
  const auto cp932 = Utf8ToCp932(fileName.toStdString());
  if (!cp932) return std::nullopt;
  return CutToFolderCapacity(FolderPart(*cp932));
}

// The name with its extension made ".jpg": on the Shift-JIS bytes when the name has them, and
// by the same rule on its UTF-8 bytes otherwise.
QString WithJpgExtension(const QString& fileName) {
  const std::string utf8 = fileName.toStdString();
  if (const auto cp932 = Utf8ToCp932(utf8)) {
    if (const auto back = Cp932ToUtf8(ForceJpgExtension(*cp932))) {
      return QString::fromStdString(*back);
    }
  }
  return QString::fromStdString(ForceJpgExtension(utf8, NameEncoding::kUtf8));
}

}  // namespace

namespace {

// The input view for a photo, made without changing anything shown.
struct InputView {
  PanelSize panel;
  ImageViewWidget::Rendition rendition;
};

// The panel's size by the photo's proportions, the photo stretched into a copy of the view's
// picture (or `grown` drawn there when it holds that stretch) and, on a screen of more than one
// device pixel per pixel, the view's sharp rendition from the full-resolution photo. Throws
// when memory runs out.
InputView PrepareInputView(const Bitmap& photo, ImageViewWidget& view, bool smooth,
                           const GrowingSmoothStretch* grown) {
  InputView prepared{InputPanelSize(photo.Width(), photo.Height()), {}};
  // What lies outside the photo's part of the picture stays as it was drawn.
  ScratchImageView scratch(prepared.panel.width, prepared.panel.height);
  scratch.AssignPicture(view.Picture());
  if (grown != nullptr && grown->CompleteFor(photo)) {
    grown->DrawInto(scratch);
  } else {
    StretchToView(photo, scratch, smooth ? Scaling::kSmooth : Scaling::kNearestPixel);
  }
  ImageViewWidget::Rendition& rendition = prepared.rendition;
  rendition.picture = std::move(scratch.Picture());
  const qreal ratio = view.devicePixelRatioF();
  if (ratio > 1) {
    const QImage image(photo.Data(), photo.Width(), photo.Height(),
                       static_cast<qsizetype>(photo.Stride()), QImage::Format_BGR888);
    rendition.sharp = image.scaled(qRound(prepared.panel.width * ratio),
                                   qRound(prepared.panel.height * ratio), Qt::IgnoreAspectRatio,
                                   smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    // Without memory for it the view shows the picture itself.
    if (!rendition.sharp.isNull()) {
      rendition.sharp.setDevicePixelRatio(ratio);
      rendition.sharpBase = rendition.picture;
    }
  }
  return prepared;
}

}  // namespace

void TForm1::ReplaceWorkingBitmap(Bitmap& photo, const GrowingSmoothStretch* grown) {
  InputView view = PrepareInputView(photo, *Image2, options_.smoothScaling, grown);
  // Nothing below fails: the photo and its view change together.
  std::swap(WorkingBitmap, photo);
  Panel2->resize(view.panel.width, view.panel.height);
  Image2->resize(view.panel.width, view.panel.height);
  Image2->Show(std::move(view.rendition));
}

void TForm1::ShowWorkingBitmap() {
  Bitmap photo = std::move(WorkingBitmap);
  try {
    ReplaceWorkingBitmap(photo);
  } catch (...) {
    WorkingBitmap = std::move(photo);
    throw;
  }
}

Scaling TForm1::PictureScaling() const {
  return options_.smoothScaling ? Scaling::kSmooth : Scaling::kNearestPixel;
}

void TForm1::SetSmoothScaling(bool on) {
  options_.smoothScaling = on;
  if (smoothScalingAction_ != nullptr) smoothScalingAction_->setChecked(on);
  if (!WorkingBitmap.Empty()) ShowWorkingBitmap();
}

bool TForm1::LoadPhoto(const QString& path) {
  PhotoReadNotes notes;
  try {
    BusyCursor busy;
    PhotoReader reader(
        {.followOrientation = options_.exifOrientation, .matchColours = options_.colourManagement});
    reader.Open(LocalPath(path));
    if (const auto folder = RecordedFolder(path)) {
      Settings.SetPhotoFolder(*folder);
      try {
        WriteSettingsRecord();
      } catch (const Error&) {
        // The photo still opens; only its folder is not kept for the next run.
      }
    }
    // The smooth input view is made beside the decoder while the rows arrive, still in the
    // cache; a photo that is turned upright afterwards is drawn from the turned pixels instead.
    std::optional<GrowingSmoothStretch> grown;
    if (options_.smoothScaling && !reader.TurnsAfterDecoding()) {
      const PanelSize panel = InputPanelSize(reader.Width(), reader.Height());
      const Bitmap& picture = Image2->Picture();
      grown.emplace(reader.Width(), reader.Height(), panel.width, panel.height, picture.Width(),
                    picture.Height());
    }
    const int stated = reader.StatedOrientation();  // Decode closes the reader
    const int upright = reader.TurnsAfterDecoding() ? stated : kOrientationAsStored;
    const bool turnSettled = reader.TurnSettledByDecoder();
    Bitmap photo;
    {
      // A HEIF photo is decoded whole on another thread while the window handles its events
      // (repaints, the progress bar), as during a tone pass: clicks and keys are dropped and
      // Run ignores any other handler meanwhile.
      const InputBlocker blocker(this);
      const FlagScope running(tonePassRunning_);
      reader.SetEventPump([this] { PumpEvents(); });
      photo = reader.Decode(grown ? &*grown : nullptr, &notes, progress_.get());
    }
    // Everything that can fail is done; the photo, its view and a new photo history go in
    // together.
    ReplaceWorkingBitmap(photo, grown ? &*grown : nullptr);
    history_.ForgetPhotoSteps();
    photoOrientation_ = stated;
    uprightOrientation_ = upright;
    turnSettledOnOpen_ = turnSettled;
    photoPath_ = path;
  } catch (const std::exception& e) {
    WarnOpenFailure(QStringLiteral("写真"), path, "JPEG と HEIC/HEIF", e);
    return false;
  }
  ReleaseKeptPixelBlocks();  // the old photo's pictures are not taken again
  NotifyHistoryChanged();
  RememberPhoto(path);
  QStringList warnings;
  if (notes.lostData) {
    warnings << QStringLiteral(
        "写真の一部が壊れているか欠けています。読めなかった部分は灰色などで埋めて開きました。");
  }
  if (notes.colourProfileUnusable) {
    warnings << QStringLiteral(
        "写真の色の情報 (カラープロファイル) が壊れているか使えないため、色を合わせずに"
        "開きました。色が違って見えることがあります。");
  }
  if (!warnings.isEmpty()) {
    platform_.ShowWarning(this, QStringLiteral("警告"),
                          QStringLiteral("%1\n%2").arg(warnings.join(QLatin1Char('\n')),
                                                       QDir::toNativeSeparators(path)));
  }
  return true;
}

void TForm1::BitBtn2Click() {
  if (!Settings.PhotoFolder().empty()) {
    const QString folder = FolderForDialog(Settings.PhotoFolder());
    if (!folder.isEmpty()) openDialogFolder_ = folder;
  }
  if (openDialogFolder_.isEmpty()) {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    openDialogFolder_ = QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
  }
  QStringList patterns;
  for (const std::string& pattern : PhotoFilePatterns()) {
    patterns << QString::fromStdString(pattern);
  }
  const auto chosen = platform_.GetOpenFileName(this, QStringLiteral("jpg"),
                                                patterns.join(QLatin1Char(' ')), openDialogFolder_);
  if (chosen && !LoadPhoto(*chosen)) return;
  ShowOpenedPhoto();
}

void TForm1::OpenPhotoFile(const QString& path) {
  if (LoadPhoto(path)) ShowOpenedPhoto();
}

void TForm1::ShowOpenedPhoto() {
  ViewToShow = 1;
  UpdateViews();
  PlaceTrimFrame();
  FreeRotationDone = 0;
  CheckBox4->setChecked(false);
}

void TForm1::BitBtn1Click() {
  if (!Settings.SaveFolder().empty()) {
    const QString folder = FolderForDialog(Settings.SaveFolder());
    if (!folder.isEmpty()) saveDialogFolder_ = folder;
  }
  const auto chosen = platform_.GetSaveFileName(this, QStringLiteral("jpg"),
                                                QStringLiteral("*.jpg"), ProposedSaveName());
  if (!chosen) return;
  const QString fileName = WithJpgExtension(*chosen);
  // The dialog asked before the chosen file would be replaced; the name saved may be another.
  if (fileName != *chosen && QFileInfo::exists(fileName) &&
      !platform_.AskToReplace(this, QStringLiteral("ルモラ"),
                              QStringLiteral("%1 は既に存在します。\n置き換えますか？")
                                  .arg(QDir::toNativeSeparators(fileName)))) {
    return;
  }
  std::optional<QString> failure;
  {
    BusyCursor busy;
    // Written beside the target and renamed over it only when complete: a failed save never
    // destroys an existing file or leaves a partial one.
    try {
      WriteFileAtomically(LocalPath(fileName), EncodeJpeg(Image1->Picture(), 90));
    } catch (const std::exception& e) {
      failure = FailureReason(e);
    }
  }
  if (failure) {
    // A save that ended silently would look done: the user could close the program and lose
    // the picture.
    platform_.ShowWarning(this, QStringLiteral("警告"),
                          QStringLiteral("写真を保存できませんでした。\n%1\n%2")
                              .arg(QDir::toNativeSeparators(fileName), *failure));
    return;
  }
  lastSavedPath_ = fileName;
  try {
    savedOutput_ = Image1->Picture();
    UpdateOutputUnsaved();
  } catch (const Error&) {
    // Without the saved picture to compare with, the next change counts as unsaved.
    savedOutput_ = Bitmap();
    outputUnsaved_ = false;
    setWindowModified(false);
  }
  if (const auto folder = RecordedFolder(fileName)) {
    Settings.SetSaveFolder(*folder);
    try {
      WriteSettingsRecord();
    } catch (const std::exception&) {
      // The picture is saved; only its folder is not kept for the next run.
    }
  }
}

QString TForm1::ProposedSaveName() const {
  // After "item-07.jpg" comes the next free "item-08.jpg", in the same folder.
  if (lastSavedPath_.isEmpty()) return saveDialogFolder_;
  const QFileInfo last(lastSavedPath_);
  const QString folder = last.absolutePath() + QLatin1Char('/');
  const auto next = NextFreeNumberedName(
      QFile::encodeName(folder).toStdString(), QFile::encodeName(last.fileName()).toStdString(),
      [](const std::string& path) { return QFileInfo::exists(QFile::decodeName(path.c_str())); });
  return next ? folder + QFile::decodeName(next->c_str()) : saveDialogFolder_;
}

void TForm1::CheckBox4Click() { SelShape1->setVisible(!CheckBox4->isChecked()); }

}  // namespace rumora
