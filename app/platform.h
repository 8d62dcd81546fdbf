#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace rumora {

// What the window asks of the desktop: dialogs, message boxes, the shell's "open", the
// executable's folder and pointer confinement. The program uses QtPlatform; tests script a fake.
class Platform {
 public:
  enum class SaveAnswer { kSave, kDontSave, kCancel };

  virtual ~Platform() = default;

  // A file-open dialog. `filterDescription`/`filterPattern` give the one filter ("jpg", "*.jpg";
  // several patterns are separated by spaces), matched without regard to case. Returns the
  // chosen file's full path, or nothing if cancelled.
  virtual std::optional<QString> GetOpenFileName(QWidget* owner, const QString& filterDescription,
                                                 const QString& filterPattern,
                                                 const QString& initialFolder) = 0;
  // A file-save dialog that asks before an existing file is replaced; as GetOpenFileName
  // otherwise, and `initialFolder` may end in a file name, which the dialog then proposes.
  virtual std::optional<QString> GetSaveFileName(QWidget* owner, const QString& filterDescription,
                                                 const QString& filterPattern,
                                                 const QString& initialFolder) = 0;

  // A file-open dialog that takes several files at once; as GetOpenFileName, the chosen files'
  // full paths, empty if cancelled.
  virtual QStringList GetOpenFileNames(QWidget* owner, const QString& filterDescription,
                                       const QString& filterPattern,
                                       const QString& initialFolder) = 0;
  // A dialog that picks a folder; its full path, or nothing if cancelled.
  virtual std::optional<QString> GetExistingFolder(QWidget* owner, const QString& caption,
                                                   const QString& initialFolder) = 0;

  // A modal warning box with the warning icon and the single button "はい(&Y)".
  virtual void ShowWarning(QWidget* owner, const QString& caption, const QString& text) = 0;
  // The application's error report: the error icon and one OK button.
  virtual void ShowError(QWidget* owner, const QString& caption, const QString& text) = 0;
  // The program's about box: its icon, `text` (rich text) and one OK button.
  virtual void ShowAbout(QWidget* owner, const QString& caption, const QString& text) = 0;

  // A modal question with the buttons 保存 / 保存しない / キャンセル; closing the box cancels.
  virtual SaveAnswer AskToSave(QWidget* owner, const QString& caption, const QString& text) = 0;
  // A modal question with the buttons 置き換える / キャンセル, キャンセル the default; true for
  // 置き換える. Closing the box cancels.
  virtual bool AskToReplace(QWidget* owner, const QString& caption, const QString& text) = 0;

  // The desktop shell's "open" on `file` (relative names resolve in `workingFolder`). Returns
  // false when the desktop could not open it.
  virtual bool ShellOpen(QWidget* owner, const QString& file, const QString& workingFolder) = 0;

  // The executable's folder with a trailing separator.
  virtual QString ExecutableFolder() = 0;

  // Confines the pointer to a screen rectangle (right and bottom exclusive) where the window
  // system allows it; nothing releases it.
  virtual void ClipCursor(const QRect* screenRect) = 0;
};

}  // namespace rumora
