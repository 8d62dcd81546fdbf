// What the window offers as a desktop program around its own controls: the menu bar with its
// shortcuts, recent photos, the user's options, files dropped on the window, and the about box.
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include "app/command_line.h"
#include "app/platform.h"
#include "app/tform1.h"
#include "logo/png_reader.h"
#include "photo_io/jpeg_writer.h"

namespace rumora {
namespace {

// A BMP or PNG file by its name or, whatever its name, by its signature.
bool IsLogoFile(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("bmp") || suffix == QLatin1String("png")) return true;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray start = file.read(8);
  return start.startsWith("BM") || start == QByteArray("\x89PNG\r\n\x1A\n", 8);
}

// The first of the files dropped (only that one opens), when it is a local file.
std::optional<QString> DroppedFile(const QDropEvent& event) {
  const QList<QUrl> urls = event.mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return std::nullopt;
  return urls.front().toLocalFile();
}

QString AboutText() {
  return QStringLiteral(
             "<p><b>ルモラ</b> %1</p>"
             "<p>写真から 600×450 か 1200×900 の出品画像を作ります。</p>"
             "<p>使っているライブラリ:</p><ul>"
             "<li>Qt %2 — GNU LGPL 3</li>"
             "<li>libjpeg-turbo %3 — IJG ライセンス、修正 BSD ライセンス "
             "(Independent JPEG Group のソフトウェアを含みます)</li>"
             "<li>libheif、libde265 — GNU LGPL 3</li>"
             "<li>libpng %4 — PNG Reference Library License version 2</li>"
             "<li>Little CMS — MIT ライセンス</li></ul>")
      .arg(ProgramVersion(), QString::fromLatin1(qVersion()),
           QString::fromStdString(JpegLibraryVersion()), QString::fromLatin1(PngLibraryVersion()));
}

}  // namespace

QAction* TForm1::AddMenuAction(QMenu* menu, const QString& text,
                               const QList<QKeySequence>& shortcuts,
                               const std::function<void()>& handler) {
  QAction* action = menu->addAction(text);
  action->setShortcuts(shortcuts);
  connect(action, &QAction::triggered, this, [this, handler] { Run(handler); });
  return action;
}

void TForm1::CreateMenuBar() {
  menuBar_ = new QMenuBar(this);
  QMenu* file = menuBar_->addMenu(QStringLiteral("ファイル(&F)"));
  AddMenuAction(file, QStringLiteral("写真を開く(&O)…"), {QKeySequence::Open},
                [this] { BitBtn2Click(); });
  recentMenu_ = file->addMenu(QStringLiteral("最近使った写真(&R)"));
  connect(recentMenu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  AddMenuAction(file, QStringLiteral("次の写真"), {QKeySequence(Qt::Key_PageDown)},
                [this] { NextPhoto(); });
  AddMenuAction(file, QStringLiteral("前の写真"), {QKeySequence(Qt::Key_PageUp)},
                [this] { PreviousPhoto(); });
  file->addSeparator();
  AddMenuAction(file, QStringLiteral("まとめて処理(&B)…"), {}, [this] { BatchClick(); });
  file->addSeparator();
  AddMenuAction(file, QStringLiteral("出力写真を保存(&S)…"), {QKeySequence::Save},
                [this] { BitBtn1Click(); });
  AddMenuAction(file, QStringLiteral("新しい出力写真(&N)"), {QKeySequence::New},
                [this] { NewOutputPicture(); });
  file->addSeparator();
  // Closing asks about unsaved work as the window's own close button does.
  AddMenuAction(file, QStringLiteral("終了(&X)"), {QKeySequence(Qt::CTRL | Qt::Key_Q)},
                [this] { close(); });

  QMenu* edit = menuBar_->addMenu(QStringLiteral("編集(&E)"));
  QAction* undo = AddMenuAction(edit, QStringLiteral("元に戻す(&U)"),
                                {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { Undo(); });
  QAction* redo = AddMenuAction(
      edit, QStringLiteral("やり直し(&R)"),
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
      [this] { Redo(); });
  // Greyed while there is nothing to undo or redo.
  const auto updateHistory = [this, undo, redo] {
    undo->setEnabled(CanUndo());
    redo->setEnabled(CanRedo());
  };
  SetHistoryChangedHandler(updateHistory);
  updateHistory();

  QMenu* view = menuBar_->addMenu(QStringLiteral("表示(&V)"));
  AddMenuAction(view, QStringLiteral("入力写真"), {QKeySequence(Qt::CTRL | Qt::Key_1)},
                [this] { inputimgClick(); });
  AddMenuAction(view, QStringLiteral("出力写真"), {QKeySequence(Qt::CTRL | Qt::Key_2)},
                [this] { outputimgClick(); });

  QMenu* options = menuBar_->addMenu(QStringLiteral("設定(&S)"));
  options->setToolTipsVisible(true);
  const auto addOption = [&](const QString& text, bool UserOptions::*option) {
    QAction* action = AddMenuAction(options, text, {}, [this, option] {
      options_.*option = !(options_.*option);
      StoreUserOptions();
      if (option == &UserOptions::smoothScaling) SetSmoothScaling(options_.smoothScaling);
      if (option == &UserOptions::exifOrientation) FollowOrientationOption();
    });
    action->setCheckable(true);
    action->setChecked(options_.*option);
    return action;
  };
  addOption(QStringLiteral("写真の向き情報に従う"), &UserOptions::exifOrientation)
      ->setToolTip(QStringLiteral(
          "開いている JPEG 写真はすぐに回ります (元に戻せます)。HEIC/HEIF の写真は次に開いたとき"
          "から変わります"));
  smoothScalingAction_ =
      addOption(QStringLiteral("なめらかに拡大縮小"), &UserOptions::smoothScaling);
  // Takes effect from the next photo opened: the open one keeps its colours.
  addOption(QStringLiteral("色をsRGBに合わせる"), &UserOptions::colourManagement);
  CreateOutputSizeMenu(options);

  QMenu* help = menuBar_->addMenu(QStringLiteral("ヘルプ(&H)"));
  AddMenuAction(help, QStringLiteral("ヘルプ"), {QKeySequence(Qt::Key_F1)},
                [this] { Image10Click(); });
  AddMenuAction(help, QStringLiteral("ルモラについて"), {}, [this] {
    platform_.ShowAbout(this, QStringLiteral("ルモラについて"), AboutText());
  });

  // The menu bar lies above the client area; the window grows by its height and keeps its size.
  const int menuHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, client_->width(), menuHeight);
  client_->move(0, menuHeight);
  setFixedSize(client_->width(), client_->height() + menuHeight);
}

void TForm1::StoreUserOptions() {
  if (SaveUserOptions(UserOptionsPath(), options_) || optionsUnsavedSaid_) return;
  optionsUnsavedSaid_ = true;
  platform_.ShowWarning(this, QStringLiteral("警告"),
                        QStringLiteral("設定を保存できませんでした。\n%1\n\n"
                                       "このまま使えますが、変えた設定と最近使った写真は次回に"
                                       "残りません。")
                            .arg(QDir::toNativeSeparators(UserOptionsPath())));
}

void TForm1::FillRecentMenu() {
  recentMenu_->clear();
  for (const QString& path : options_.recentPhotos) {
    QAction* action = recentMenu_->addAction(path);
    connect(action, &QAction::triggered, this,
            [this, path] { Run([this, path] { OpenRecentPhoto(path); }); });
  }
  if (options_.recentPhotos.isEmpty()) {
    recentMenu_->addAction(QStringLiteral("(なし)"))->setEnabled(false);
  }
}

void TForm1::OpenRecentPhoto(const QString& path) {
  if (!QFileInfo::exists(path)) {
    options_.recentPhotos.removeAll(path);
    StoreUserOptions();
    platform_.ShowWarning(
        this, QStringLiteral("警告"),
        QStringLiteral("写真が見つかりません。最近使った写真から外しました。\n%1").arg(path));
    return;
  }
  OpenPhotoFile(path);
}

void TForm1::RememberPhoto(const QString& path) {
  options_.AddRecentPhoto(QFileInfo(path).absoluteFilePath());
  StoreUserOptions();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

// Nothing opens while a tone pass runs: the drop is refused, and the pointer shows it.
void TForm1::dragMoveEvent(QDragMoveEvent* event) {
  if (!tonePassRunning_ && DroppedFile(*event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TForm1::dropEvent(QDropEvent* event) {
  const std::optional<QString> path = DroppedFile(*event);
  if (tonePassRunning_ || !path) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  Run([this, path] { OpenDroppedFile(*path); });
}

void TForm1::OpenDroppedFile(const QString& path) {
  if (IsLogoFile(path)) {
    OpenLogoFileAt(path);
  } else {
    OpenPhotoFile(path);  // which says why anything but a JPEG or HEIF photo does not open
  }
}

}  // namespace rumora
