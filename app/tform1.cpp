#include "app/tform1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <type_traits>
#include <utility>

#include "app/handler_dispatch.h"
#include "app/image_view_widget.h"
#include "app/open_failure.h"
#include "app/platform.h"
#include "app/qt_progress.h"
#include "app/record_location.h"
#include "imaging/error.h"
#include "imaging/system_reason.h"
#include "layout/sel_shape.h"

namespace rumora {

TForm1::TForm1(Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform), options_(LoadUserOptions(UserOptionsPath())) {
  CreateControls();
  progress_ = std::make_unique<QtProgress>(ProgressBar1);
  ConnectHandlers();
  CreateMenuBar();
  setAcceptDrops(true);
  Run([this] { FormCreate(); });
}

TForm1::~TForm1() {
  // The frame is hidden as the window's children go, after this object's own members.
  delete outputViewWatcher_;
  FormDestroy();
}

void TForm1::Run(const std::function<void()>& handler, bool repaintViews) {
  const bool keepTurnSpare = std::exchange(keepTurnSpare_, false);
  // A handler started while a tone pass handles its events is ignored (see the class comment).
  if (tonePassRunning_) return;
  if (!keepTurnSpare) turnSpare_ = Bitmap();
  RunHandler(platform_, this, handler);
  try {
    ShowOutputSize();
    RefreshOutputView();
  } catch (const std::exception&) {
    Image1->ClearShownPicture();  // no memory for the view: the picture as it is
  }
  // Handlers draw into the pictures directly; show what they drew.
  if (repaintViews) {
    for (ImageViewWidget* view : {Image1, Image2, gbImage}) view->update();
  }
  if (closeDeferred_ && !tonePassRunning_) {
    closeDeferred_ = false;
    close();
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (tonePassRunning_) {
    closeDeferred_ = true;  // Run closes the window once the pass has ended
    event->ignore();
    return;
  }
  if (!MayClose()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

bool TForm1::MayClose() {
  if (!outputUnsaved_) return true;
  switch (platform_.AskToSave(this, QStringLiteral("ルモラ"),
                              QStringLiteral("出力写真は保存されていません。保存しますか？"))) {
    case Platform::SaveAnswer::kSave:
      Run([this] { BitBtn1Click(); });
      return !outputUnsaved_;  // a cancelled or failed save keeps the window open
    case Platform::SaveAnswer::kDontSave:
      return true;
    case Platform::SaveAnswer::kCancel:
      break;
  }
  return false;
}

void TForm1::WarnOpenFailure(const QString& what, const QString& path,
                             const std::string& expectedFormat, const std::exception& failure) {
  platform_.ShowWarning(this, QStringLiteral("警告"),
                        QStringLiteral("%1を開けませんでした。\n%2\n%3")
                            .arg(what, QDir::toNativeSeparators(path),
                                 OpenFailureReason(path, expectedFormat, failure)));
}

void TForm1::FormCreate() {
  try {
    PlaceSettingsRecord();
  } catch (const OperationAbandoned&) {
    // The warning has been shown; go on with the record as it is (all zero), so that every
    // piece of state below is still set up.
  }
  WorkingBitmap = Bitmap();
  Layout.LayoutKind = 0;
  Layout.PaneStep = 0;

  Canvas& thumbnail = gbImage->GetCanvas();
  thumbnail.pen.colour = clBlack;
  thumbnail.Rectangle(0, 0, 120, 90);
  thumbnail.TextOut(55, 35, "1");

  const OutputSize size = options_.outputSize;
  if (size != OutputSize::k600x450) {
    Image1->AssignPicture(Bitmap::Filled(OutputWidth(size), OutputHeight(size), clWhite));
  }
  ShowOutputSize();
  SpeedButton2->hide();
  LogoBitmap = Bitmap::Filled(200, 200, clWhite);
  OutputBackup = Bitmap::Filled(600, 600, clWhite);
  SelShape2->hide();
  ComboBox1->setCurrentIndex(0);
  // Panel2 paints through an off-screen image, as every Qt widget does.
  InitRegionTable(Regions);
  Layout.PaneIndex = 1;
  Layout.PaneStep = 0;
  ViewToShow = 1;
  UpdateViews();
  FreeRotationDone = 0;
}

void TForm1::FormDestroy() {
  WorkingBitmap = Bitmap();
  LogoBitmap = Bitmap();
  OutputBackup = Bitmap();
}

void TForm1::UpdateViews() {
  const bool showInput = ViewToShow != 0;
  Panel1->setVisible(!showInput);
  Panel2->setVisible(showInput);
  ViewToShow = showInput ? 0 : 1;
  Image5->setVisible(showInput);
  Image6->setVisible(!showInput);
  GroupBox1->setVisible(!showInput);
}

void TForm1::inputimgClick() {
  ViewToShow = 1;
  UpdateViews();
}

void TForm1::outputimgClick() {
  ViewToShow = 0;
  UpdateViews();
}

void TForm1::Image8Click() { UpdateViews(); }

void TForm1::Image10Click() {
  const QString folder = platform_.ExecutableFolder();
  const QString page = QStringLiteral("help/frame.htm");
  if (!platform_.ShellOpen(this, page, folder)) {
    platform_.ShowWarning(
        this, QStringLiteral("警告"),
        QStringLiteral("ヘルプを開けませんでした。\n%1")
            .arg(QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).filePath(page)))));
  }
}

void TForm1::PlaceSettingsRecord() {
  recordPlace_ = SettingsRecordLocation(
      QFile::encodeName(platform_.ExecutableFolder()).toStdString(), kProgramFolderShared);
  if (recordPlace_.kept) {
    ReadSettingsRecord();
    return;
  }
  try {
    ReadSettingsRecordFile(recordPlace_.file, Settings);
  } catch (const Error&) {
    // No starting record either: the run starts from an all-zero one.
  }
  const QString reason = recordPlace_.reason != 0
                             ? QString::fromStdString(SystemReason(recordPlace_.reason)) + "\n"
                             : QString();
  platform_.ShowWarning(
      this, QStringLiteral("警告"),
      QStringLiteral("設定ファイルを作れませんでした。\n%1\n%2\n"
                     "このまま使えますが、ロゴの位置と写真のフォルダは次回に残りません。")
          .arg(QFile::decodeName(recordPlace_.wanted.c_str()), reason));
}

void TForm1::ReadSettingsRecord() {
  if (!recordPlace_.kept) return;
  const QString path = QFile::decodeName(recordPlace_.file.c_str());
  try {
    ReadSettingsRecordFile(recordPlace_.file, Settings);
  } catch (const Error&) {
    platform_.ShowWarning(this, QStringLiteral("警告"),
                          QStringLiteral("設定ファイルを読み込めませんでした。\n%1\n\n"
                                         "前回のフォルダとロゴの位置は使われません。")
                              .arg(path));
    throw OperationAbandoned();
  }
}

void TForm1::WriteSettingsRecord() {
  if (recordPlace_.kept) WriteSettingsRecordFile(recordPlace_.file, Settings);
}

void TForm1::ConnectHandlers() {
  inputimg->OnClick = [this] { Run([this] { inputimgClick(); }); };
  outputimg->OnClick = [this] { Run([this] { outputimgClick(); }); };
  Image8->OnClick = [this] { Run([this] { Image8Click(); }); };
  Image10->OnClick = [this] { Run([this] { Image10Click(); }); };
  const auto onClick = [this](auto* control, void (TForm1::*handler)()) {
    connect(control, &std::remove_pointer_t<decltype(control)>::clicked, this,
            [this, handler] { Run([this, handler] { (this->*handler)(); }); });
  };
  onClick(SpeedButton1, &TForm1::SpeedButton1Click);
  onClick(SpeedButton2, &TForm1::SpeedButton2Click);
  onClick(BitBtn2, &TForm1::BitBtn2Click);
  onClick(BitBtn3, &TForm1::BitBtn3Click);
  onClick(BitBtn1, &TForm1::BitBtn1Click);
  onClick(BitBtn5, &TForm1::BitBtn5Click);
  onClick(BitBtn4, &TForm1::BitBtn4Click);
  onClick(BitBtn6, &TForm1::BitBtn6Click);
  // A turn keeps the buffer the previous turn left behind (see turnSpare_).
  const auto onTurnClick = [this](QPushButton* button, void (TForm1::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] {
      keepTurnSpare_ = true;
      Run([this, handler] { (this->*handler)(); });
    });
  };
  onTurnClick(BitBtn7, &TForm1::BitBtn7Click);
  onTurnClick(BitBtn8, &TForm1::BitBtn8Click);
  onClick(BitBtn11, &TForm1::BitBtn11Click);
  Image2->OnMouseDown = [this](Qt::MouseButton button, Qt::MouseButtons buttons,
                               Qt::KeyboardModifiers shift, int x, int y) {
    Run([&] { Image2MouseDown(button, buttons, shift, x, y); }, /*repaintViews=*/false);
  };
  // The line handlers repaint the input view themselves, and only when they drew.
  Image2->OnMouseMove = [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                               int y) {
    Run([&] { Image2MouseMove(buttons, shift, x, y); }, /*repaintViews=*/false);
  };
  Image2->OnMouseUp = [this](Qt::MouseButton button, Qt::MouseButtons buttons,
                             Qt::KeyboardModifiers shift, int x, int y) {
    Run([&] { Image2MouseUp(button, buttons, shift, x, y); }, /*repaintViews=*/false);
  };
  // Ticking or clearing, by hand or by an operation, runs the click handler.
  connect(CheckBox4, &QCheckBox::toggled, this, [this] { Run([this] { CheckBox4Click(); }); });
  SelShape1->OnMouseMove = [this](TSelShape&, Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {
    Run([this] { SelShape1MouseMove(); }, /*repaintViews=*/false);
  };
  ConnectLogoHandlers();
  WatchOutputView();
}

}  // namespace rumora
