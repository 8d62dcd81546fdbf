#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSize>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/image_view_widget.h"
#include "app/tform1.h"
#include "imaging/scratch_image_view.h"
#include "layout/sel_shape.h"
#include "tests/app/fake_platform.h"
#include "tests/app/photo_files.h"

// Compares two pictures; a failure names where they first differ.
#define COMPARE_PICTURES(actual, expected) \
  QCOMPARE(::rumora::Difference(actual, expected), QString())

namespace rumora {

// The tests' one way into the window's controls and state.
struct TForm1TestAccess {
  static TForm1Parts& Parts(TForm1& form) { return form; }
};

// The input view's colour before any photo is drawn into it.
inline constexpr TColor kInputGrey = RGB(87, 88, 93);

inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
// A click near the top-left corner of a picture control.
inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }

inline QRect FrameOf(const TSelShape* frame) {
  return QRect(frame->Left(), frame->Top(), frame->Width(), frame->Height());
}

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

  // Writes a pattern photo of the given size as a JPEG file `name`; returns its path.
  QString WritePatternPhoto(const QString& name, int width, int height) const {
    QDir().mkpath(QFileInfo(PathOf(name)).path());
    WritePatternJpeg(PathOf(name), width, height);
    return PathOf(name);
  }

  // Opens such a photo (by default "p.jpg") through the open button and a scripted dialog.
  void OpenPatternPhoto(int width, int height, const QString& name = "p.jpg") {
    OpenPhoto(WritePatternPhoto(name, width, height));
  }

  // "開く" with the logo selector's file source and a scripted answer (empty: dismissed).
  void OpenLogoFile(const QString& path) {
    f().ComboBox1->setCurrentIndex(0);
    platform.openAnswers << path;
    Click(f().BitBtn9);
  }

  QAction* MenuAction(const QString& text) const {
    for (QAction* action : form->findChild<QMenuBar*>()->findChildren<QAction*>()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }

  // Runs one of the window's handlers as its menu item or shortcut does.
  void Run(void (TForm1::*handler)()) {
    form->Run([this, handler] { (*form.*handler)(); });
  }

  QString Status() const { return form->findChild<QLabel*>("statusLine")->text(); }
  Bitmap Output() { return f().Image1->Picture(); }

  QTemporaryDir folder;
  FakePlatform platform;
  std::unique_ptr<TForm1> form;
};

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
