#include "app/qt_platform.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace rumora {
namespace {

std::optional<QString> RunFileDialog(QWidget* owner, QFileDialog::AcceptMode mode,
                                     const QString& filter, const QString& initialFolder) {
  QFileDialog dialog(owner, QString(), initialFolder, filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(QFileDialog::AnyFile);  // the toolkit's default: the name need not exist
  // The filter reads "jpg", as it was named; its case spellings stay out of sight.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(files.front());
}

}  // namespace

QString CaseInsensitiveFilter(const QString& description, const QString& patterns) {
  // Every upper/lower-case spelling of each pattern: 2^letters entries (3 letters for "*.jpg").
  QStringList all;
  for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    QStringList spellings{QString()};
    for (const QChar c : pattern) {
      QStringList next;
      for (const QString& start : spellings) {
        if (c.isLetter() && c.toLower() != c.toUpper()) {
          next << start + c.toLower() << start + c.toUpper();
        } else {
          next << start + c;
        }
      }
      spellings = next;
    }
    all << spellings;
  }
  all.removeDuplicates();
  return description + " (" + all.join(' ') + ")";
}

std::optional<QString> QtPlatform::GetOpenFileName(QWidget* owner, const QString& filterDescription,
                                                   const QString& filterPattern,
                                                   const QString& initialFolder) {
  return RunFileDialog(owner, QFileDialog::AcceptOpen,
                       CaseInsensitiveFilter(filterDescription, filterPattern), initialFolder);
}

std::optional<QString> QtPlatform::GetSaveFileName(QWidget* owner, const QString& filterDescription,
                                                   const QString& filterPattern,
                                                   const QString& initialFolder) {
  return RunFileDialog(owner, QFileDialog::AcceptSave,
                       CaseInsensitiveFilter(filterDescription, filterPattern), initialFolder);
}

QStringList QtPlatform::GetOpenFileNames(QWidget* owner, const QString& filterDescription,
                                         const QString& filterPattern,
                                         const QString& initialFolder) {
  QFileDialog dialog(owner, QString(), initialFolder,
                     CaseInsensitiveFilter(filterDescription, filterPattern));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList files;
  for (const QString& file : dialog.selectedFiles()) files << QDir::toNativeSeparators(file);
  return files;
}

std::optional<QString> QtPlatform::GetExistingFolder(QWidget* owner, const QString& caption,
                                                     const QString& initialFolder) {
  const QString folder = QFileDialog::getExistingDirectory(owner, caption, initialFolder);
  if (folder.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(folder);
}

void QtPlatform::ShowWarning(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, owner);
  box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
  box.exec();
}

void QtPlatform::ShowError(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

void QtPlatform::ShowAbout(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox::about(owner, caption, text);
}

Platform::SaveAnswer QtPlatform::AskToSave(QWidget* owner, const QString& caption,
                                           const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner);
  QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton* dontSave = box.addButton(QStringLiteral("保存しない"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveAnswer::kSave;
  if (box.clickedButton() == dontSave) return SaveAnswer::kDontSave;
  return SaveAnswer::kCancel;
}

bool QtPlatform::AskToReplace(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, owner);
  QPushButton* replace = box.addButton(QStringLiteral("置き換える"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == replace;
}

bool QtPlatform::ShellOpen(QWidget*, const QString& file, const QString& workingFolder) {
  const QString path = QDir::isAbsolutePath(file) ? file : QDir(workingFolder).filePath(file);
  const QString cleaned = QDir::cleanPath(path);
  // The desktop may report success for a page that is not there; a missing page is known here.
  if (!QFileInfo::exists(cleaned)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(cleaned));
}

QString QtPlatform::ExecutableFolder() {
  QString folder = QCoreApplication::applicationDirPath();
  if (!folder.endsWith('/')) folder += '/';
  return folder;
}

void QtPlatform::ClipCursor(const QRect* screenRect) {
  if (screenRect) {
    if (!confinement_) qApp->installEventFilter(this);
    confinement_ = *screenRect;
  } else if (confinement_) {
    qApp->removeEventFilter(this);
    confinement_.reset();
  }
}

bool QtPlatform::eventFilter(QObject* watched, QEvent* event) {
  if (confinement_ && event->type() == QEvent::MouseMove) {
    if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
      // The button was let go where no release reached the frame: the pointer is free again.
      ClipCursor(nullptr);
      return QObject::eventFilter(watched, event);
    }
    const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    const QRect& r = *confinement_;
    const QPoint inside(std::clamp(global.x(), r.left(), r.left() + r.width() - 1),
                        std::clamp(global.y(), r.top(), r.top() + r.height() - 1));
    if (inside != global) QCursor::setPos(inside);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace rumora
