#pragma once

#include <QObject>
#include <optional>

#include "app/platform.h"

namespace rumora {

// The real desktop: Qt's file dialogs and message boxes, the desktop services' "open", and
// pointer confinement by pulling the pointer back into the rectangle while it is set.
class QtPlatform final : public QObject, public Platform {
 public:
  std::optional<QString> GetOpenFileName(QWidget* owner, const QString& filterDescription,
                                         const QString& filterPattern,
                                         const QString& initialFolder) override;
  std::optional<QString> GetSaveFileName(QWidget* owner, const QString& filterDescription,
                                         const QString& filterPattern,
                                         const QString& initialFolder) override;
  QStringList GetOpenFileNames(QWidget* owner, const QString& filterDescription,
                               const QString& filterPattern, const QString& initialFolder) override;
  std::optional<QString> GetExistingFolder(QWidget* owner, const QString& caption,
                                           const QString& initialFolder) override;
  void ShowWarning(QWidget* owner, const QString& caption, const QString& text) override;
  void ShowError(QWidget* owner, const QString& caption, const QString& text) override;
  void ShowAbout(QWidget* owner, const QString& caption, const QString& text) override;
  SaveAnswer AskToSave(QWidget* owner, const QString& caption, const QString& text) override;
  bool AskToReplace(QWidget* owner, const QString& caption, const QString& text) override;
  bool ShellOpen(QWidget* owner, const QString& file, const QString& workingFolder) override;
  QString ExecutableFolder() override;
  void ClipCursor(const QRect* screenRect) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::optional<QRect> confinement_;
};

// The dialog filter for one description and its patterns (separated by spaces), with every case
// of each pattern's letters listed so that "photo.JPG" is offered under "*.jpg" on a
// case-sensitive file system.
QString CaseInsensitiveFilter(const QString& description, const QString& patterns);

}  // namespace rumora
