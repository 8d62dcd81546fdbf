#pragma once

#include <QAbstractButton>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSize>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/tform1.h"
#include "imaging/scratch_image_view.h"
#include "tests/app/fake_platform.h"
#include "tests/app/photo_files.h"

namespace rumora {

// The tests' one way into the window's controls and state.
struct TForm1TestAccess {
  static TForm1Parts& Parts(TForm1& form) { return form; }
};

// The input view's colour before any photo is drawn into it.
inline constexpr TColor kInputGrey = RGB(87, 88, 93);

// A main window on a scripted desktop whose executable folder is a fresh temporary folder,
// holding a settings record file unless asked otherwise.
struct WindowFixture {
  explicit WindowFixture(bool withSettingsFile = true,
                         const QByteArray& settings = QByteArray(736, '\0')) {
    platform.executableFolder = folder.path() + "/";
    // The user's options file lies in the test's folder too.
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    if (withSettingsFile) WriteFile("rumora.dat", settings);
    form = std::make_unique<TForm1>(platform);
    form->show();
  }

  // The window's controls and state.
  TForm1Parts& f() { return TForm1TestAccess::Parts(*form); }

  QString PathOf(const QString& name) const { return folder.filePath(name); }

  void WriteFile(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(PathOf(name)).path());
    QFile file(PathOf(name));
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  }

  QByteArray ReadFile(const QString& name) const { return ReadBytes(PathOf(name)); }

  // Opens `path` through the open button and a scripted dialog.
  void OpenPhoto(const QString& path) {
    platform.openAnswers << path;
    QTest::mouseClick(f().BitBtn2, Qt::LeftButton);
  }

  // Opens a pattern photo of the given size through the open button and a scripted dialog.
  void OpenPatternPhoto(int width, int height) {
    WritePatternJpeg(PathOf("p.jpg"), width, height);
    OpenPhoto(PathOf("p.jpg"));
  }

  QTemporaryDir folder;
  FakePlatform platform;
  std::unique_ptr<TForm1> form;
};

inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
// A click near the top-left corner of a picture control.
inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }

// What the input picture holds after `photo` was drawn into a view of the panel's size that
// held `before`.
inline Bitmap ExpectedInputPicture(const Bitmap& photo, QSize panel,
                                   const Bitmap& before = Bitmap::Filled(600, 600, kInputGrey),
                                   Scaling scaling = Scaling::kSmooth) {
  ScratchImageView view(panel.width(), panel.height());
  view.AssignPicture(before);
  StretchToView(photo, view, scaling);
  return view.Picture();
}

}  // namespace rumora
