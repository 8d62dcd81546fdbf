// Logo overlay: opening a logo file or preset, placing it with the logo frame, stamping it into
// the output picture, one level of undo, and the preset places kept in the settings record.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "app/busy_cursor.h"
#include "app/file_signature.h"
#include "app/image_view_widget.h"
#include "app/open_failure.h"
#include "app/platform.h"
#include "app/tform1.h"
#include "imaging/error.h"
#include "layout/sel_shape.h"
#include "logo/logo_presets.h"
#include "logo/stamp_logo.h"
#include "photo_io/atomic_file.h"

namespace rumora {
namespace {

// Reports double clicks on the combo box's line edit: Qt's combo box has no such signal.
class DoubleClickFilter final : public QObject {
 public:
  DoubleClickFilter(QObject* parent, std::function<void()> onDoubleClick)
      : QObject(parent), onDoubleClick_(std::move(onDoubleClick)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonDblClick) onDoubleClick_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> onDoubleClick_;
};

// The format a logo file that failed to open was expected in: its own when it is one a logo
// can be, so that the reader's reason is told.
std::string ExpectedLogoFormat(const QString& path) {
  try {
    const std::string format =
        PictureFormatOf(ReadFileStart(QFile::encodeName(path).toStdString(), kSignatureBytes));
    if (format == "BMP" || format == "PNG") return format;
  } catch (const std::exception&) {
    // The reader's own reason stands.
  }
  return "BMP・PNG";
}

}  // namespace

QString TForm1::PresetLogoPath(int n) const {
  const std::string folder = QFile::encodeName(platform_.ExecutableFolder()).toStdString();
  return QFile::decodeName(FindPresetLogo(folder, n).c_str());
}

void TForm1::LoadLogo(const QString& path) {
  BusyCursor busy;
  LogoPicture loaded = ReadLogoFile(QFile::encodeName(path).toStdString(), CurrentOutputSize());
  // A logo larger than the picture would be stamped cut off, away from its frame.
  const bool shrunk = FitLogoToOutput(loaded);
  LogoBitmap = loaded.image.colour;
  Image13.AssignPicture(LogoBitmap);
  // The logo picture sizes itself to its picture.
  Image13.SetControlSize(LogoBitmap.Width(), LogoBitmap.Height());
  Logo = std::move(loaded);
  logoPath_ = path;
  ++logoLoads_;
  if (shrunk && shrinkNoticeFor_ != path) {
    shrinkNoticeFor_ = path;  // once: a preset is loaded again at every paste
    platform_.ShowWarning(this, QStringLiteral("お知らせ"),
                          QStringLiteral("ロゴが出力写真より大きいので、縦横の比を変えずに出力写真"
                                         "に収まる大きさまで縮小しました。\n%1")
                              .arg(QDir::toNativeSeparators(path)));
  }
}

void TForm1::ReloadLogoForSize() {
  // The double-size file beside a logo is read for the large picture only.
  if (logoPath_.isEmpty() ||
      Logo.doubleSize.has_value() == (CurrentOutputSize() == OutputSize::k1200x900)) {
    return;
  }
  try {
    LoadLogo(logoPath_);
  } catch (const std::exception& e) {
    WarnOpenFailure(QStringLiteral("ロゴ"), logoPath_, ExpectedLogoFormat(logoPath_), e);
  }
}

PixelSize TForm1::LogoFrameSize() {
  // Before any logo, the blank logo picture's size.
  if (Logo.image.colour.Empty()) return {Image13.ControlWidth(), Image13.ControlHeight()};
  return LogoDesignSize(Logo, CurrentOutputSize());
}

void TForm1::SizeLogoFrame() {
  const PixelSize size = LogoFrameSize();
  SelShape2->SetWidth(size.width);
  SelShape2->SetHeight(size.height);
}

void TForm1::TakeOutputBackup() {
  OutputBackup = Image1->Picture();
  outputBackupTaken_ = true;
}

void TForm1::OpenPresetLogo(int source) {
  const QString path = PresetLogoPath(source);
  try {
    LoadLogo(path);
  } catch (const std::exception& e) {
    throw Error(QStringLiteral("ロゴを開けませんでした。\n%1\n%2")
                    .arg(QDir::toNativeSeparators(path),
                         OpenFailureReason(path, ExpectedLogoFormat(path), e))
                    .toStdString());
  }
  ReadSettingsRecord();
  ViewToShow = 0;
  UpdateViews();
}

void TForm1::OpenLogoFile() {
  ShowLogoFile(platform_.GetOpenFileName(this, QStringLiteral("*.bmp *.png"),
                                         QStringLiteral("*.bmp *.png"), logoDialogFolder_));
}

void TForm1::OpenLogoFileAt(const QString& path) {
  ComboBox1->setCurrentIndex(LogoSource::kFile);
  ShowLogoFile(path);
}

void TForm1::ShowLogoFile(const std::optional<QString>& path) {
  try {
    if (path) {
      LoadLogo(*path);
      options_.logoFolder = QFileInfo(*path).absolutePath();
      StoreUserOptions();
    }
    ViewToShow = 0;
    UpdateViews();
    SizeLogoFrame();
    SelShape2->show();
    TakeOutputBackup();
  } catch (const std::exception& e) {
    // What was done before the failure stands.
    const QString name = path.value_or(QString());
    WarnOpenFailure(QStringLiteral("ロゴ"), name, ExpectedLogoFormat(name), e);
  }
}

void TForm1::BitBtn9Click() {
  const int source = ComboBox1->currentIndex();
  if (LogoSource::IsFile(source)) {
    // The folder of the last logo opened; at first the logos that come with the program.
    logoDialogFolder_ = QFileInfo(options_.logoFolder).isDir()
                            ? options_.logoFolder
                            : platform_.ExecutableFolder() + QString::fromUtf8(kLogoFolder);
    OpenLogoFile();
    return;
  }
  if (!LogoSource::IsPreset(source)) return;
  OpenPresetLogo(source);
  const LogoSlot slot = Settings.GetLogoSlot(source);
  const PixelSize size = LogoFrameSize();
  SelShape2->SetBounds(slot.Left, slot.Top, size.width, size.height);
  SelShape2->show();
  TakeOutputBackup();
  if (!CheckBox2->isChecked()) SelShape2->hide();
}

void TForm1::ComboBox1DblClick() {
  if (LogoSource::IsFile(ComboBox1->currentIndex())) OpenLogoFile();
}

void TForm1::BitBtn10Click() {
  const int source = ComboBox1->currentIndex();
  if (LogoSource::IsFile(source)) {
    std::optional<Bitmap> before = OutputForHistory();
    StampLogo(Image1->Picture(), Logo, SelShape2->Left(), SelShape2->Top(), ScrollBar2->value(),
              CurrentOutputSize());
    RecordOutputStep(std::move(before));
    return;
  }
  if (!LogoSource::IsPreset(source)) return;
  OpenPresetLogo(source);
  if (!CheckBox2->isChecked() && Settings.GetLogoSlot(source) == LogoSlot{}) {
    // A slot never recorded would paste at weight 0: nothing would show.
    platform_.ShowWarning(
        this, QStringLiteral("警告"),
        QStringLiteral("%1 の位置と濃さはまだ記録されていません。\n"
                       "「記録」にチェックを入れて「開く」を押し、ロゴの枠を置いて濃さを決めてから"
                       "「貼る」を押すと記録されます。")
            .arg(ComboBox1->itemText(source)));
    return;
  }
  if (CheckBox2->isChecked()) {
    RecordLogoSlot(Settings, source, SelShape2->Left(), SelShape2->Top(), ScrollBar2->value());
    SizeLogoFrame();
    SelShape2->hide();
    WriteSettingsRecord();
  } else {
    const LogoSlot slot = Settings.GetLogoSlot(source);
    const PixelSize size = LogoFrameSize();
    SelShape2->SetBounds(slot.Left, slot.Top, size.width, size.height);
    SelShape2->hide();
  }
  TakeOutputBackup();
  std::optional<Bitmap> before = OutputForHistory();
  StampLogo(Image1->Picture(), Logo, SelShape2->Left(), SelShape2->Top(),
            Settings.GetLogoSlot(source).Transparency, CurrentOutputSize());
  RecordOutputStep(std::move(before));
}

void TForm1::BitBtn12Click() {
  if (!outputBackupTaken_) return;
  std::optional<Bitmap> before = OutputForHistory();
  Image1->AssignPicture(OutputBackup);
  RecordOutputStep(std::move(before));
}

void TForm1::BitBtn13Click() { SelShape2->hide(); }

void TForm1::ConnectLogoHandlers() {
  const auto onClick = [this](QPushButton* button, void (TForm1::*handler)()) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { Run([this, handler] { (this->*handler)(); }); });
  };
  onClick(BitBtn9, &TForm1::BitBtn9Click);
  onClick(BitBtn10, &TForm1::BitBtn10Click);
  onClick(BitBtn12, &TForm1::BitBtn12Click);
  onClick(BitBtn13, &TForm1::BitBtn13Click);
  // The filter belongs to the line edit it watches.
  auto* doubleClicks = new DoubleClickFilter(ComboBox1->lineEdit(),
                                             [this] { Run([this] { ComboBox1DblClick(); }); });
  ComboBox1->lineEdit()->installEventFilter(doubleClicks);
  // Text typed by hand is no item: no source is selected until one is picked from the list.
  connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] {
    if (ComboBox1->currentIndex() < 0) return;
    QLineEdit* edit = ComboBox1->lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    ComboBox1->setCurrentIndex(-1);  // clears the text, which stays as typed
    edit->setText(text);
    edit->setCursorPosition(cursor);
  });
  // Qt would otherwise turn typed text back into an item: its completion fills in the first
  // item the text starts, and finishing the edit (Return, or the focus leaving for "開く")
  // selects the item the text names.
  ComboBox1->setCompleter(nullptr);
  disconnect(ComboBox1->lineEdit(), &QLineEdit::editingFinished, ComboBox1, nullptr);
}

}  // namespace rumora
