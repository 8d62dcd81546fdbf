#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "app/tform1.h"
#include "tests/app/fake_platform.h"

namespace rumora {

// A main window on a scripted desktop whose executable folder is a fresh temporary folder,
// holding a settings record file unless asked otherwise.
struct WindowFixture {
  explicit WindowFixture(bool withSettingsFile = true,
                         const QByteArray& settings = QByteArray(736, '\0')) {
    platform.executableFolder = folder.path() + "/";
    if (withSettingsFile) WriteFile("rumora.dat", settings);
    form = std::make_unique<TForm1>(platform);
    form->show();
  }

  QString PathOf(const QString& name) const { return folder.filePath(name); }

  void WriteFile(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(PathOf(name)).path());
    QFile file(PathOf(name));
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  }

  QByteArray ReadFile(const QString& name) const {
    QFile file(PathOf(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir folder;
  FakePlatform platform;
  std::unique_ptr<TForm1> form;
};

}  // namespace rumora
