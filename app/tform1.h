#pragma once

#include <QWidget>
#include <functional>

#include "app/qt_text_renderer.h"
#include "imaging/bitmap.h"
#include "imaging/scratch_image_view.h"
#include "layout/region_table.h"
#include "photo_io/settings_record.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace rumora {

class ImageViewWidget;
class Platform;
class QtProgress;
class TSelShape;

// The main window. It owns every control, picture and piece of state of the program; every
// operation is one of its event handlers, named after the control and its event, and runs
// through RunHandler so that no exception reaches the event loop.
class TForm1 final : public QWidget {
 public:
  explicit TForm1(Platform& platform, QWidget* parent = nullptr);
  ~TForm1() override;

  // --- Controls, named as in the window layout (owned by Qt's parent chain) ---
  // Top strip
  QLabel* Image7;
  ImageViewWidget* Image8;
  QLabel* Image4;
  ImageViewWidget* inputimg;
  ImageViewWidget* outputimg;
  QLabel* Image5;
  QLabel* Image6;
  QLabel* Label4;
  QProgressBar* ProgressBar1;
  QLabel* Image9;
  ImageViewWidget* Image10;
  // Layout group
  QGroupBox* GroupBox2;
  QToolButton* SpeedButton1;
  QToolButton* SpeedButton2;
  ImageViewWidget* gbImage;
  // Operation group
  QGroupBox* GroupBox3;
  QPushButton* BitBtn2;
  QPushButton* BitBtn7;
  QPushButton* BitBtn8;
  QCheckBox* CheckBox4;
  QLineEdit* Edit1;
  QLabel* Label2;
  QPushButton* BitBtn11;
  QPushButton* BitBtn5;
  QPushButton* BitBtn4;
  QPushButton* BitBtn6;
  QPushButton* BitBtn3;
  QPushButton* BitBtn1;
  QCheckBox* CheckBox3;
  // Views
  QWidget* Panel2;
  ImageViewWidget* Image2;
  TSelShape* SelShape1;
  QWidget* Panel1;
  ImageViewWidget* Image1;
  TSelShape* SelShape2;
  // Logo group
  QGroupBox* GroupBox1;
  QComboBox* ComboBox1;
  QPushButton* BitBtn9;
  QPushButton* BitBtn10;
  QPushButton* BitBtn12;
  QPushButton* BitBtn13;
  QCheckBox* CheckBox2;
  QLabel* Label1;
  QScrollBar* ScrollBar2;
  // Hidden controls
  ScratchImageView Img1{600, 450};
  ScratchImageView Image13{200, 200};
  QScrollBar* ScrollBar1;
  QCheckBox* CheckBox1;

  // --- State owned by the window ---
  Bitmap WorkingBitmap;
  Bitmap LogoBitmap;
  Bitmap OutputBackup;
  std::int32_t ViewToShow = 1;
  std::int32_t FreeRotationDone = 0;
  LayoutState Layout;
  RegionTable Regions;
  SettingsRecord Settings;

  // --- Operations ---
  void FormCreate();
  void FormDestroy();
  void UpdateViews();
  void inputimgClick();
  void outputimgClick();
  void Image8Click();
  void Image10Click();
  // Layouts and panes
  void SpeedButton1Click();
  void SpeedButton2Click();
  void PlaceTrimFrame();
  void SelShape1MouseMove();
  // Photo files and trimming
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn1Click();
  void CheckBox4Click();
  // Free rotation and the angle measuring line
  void BitBtn11Click();
  void Image2MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                       Qt::KeyboardModifiers shift, int x, int y);
  void Image2MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void Image2MouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift,
                     int x, int y);
  // The last step of every operation that replaces or reshapes the photo (opening, the turns,
  // the free rotation): sizes Panel2 (and Image2 with it) to the working bitmap's proportions
  // and stretches the photo into the input view.
  void ShowWorkingBitmap();

  // Loads the settings record from its file. On failure shows the warning and throws
  // OperationAbandoned, so the calling handler stops without a further message.
  void ReadSettingsRecord();
  // Stores the whole record into its file; throws Error on failure.
  void WriteSettingsRecord();
  QString SettingsRecordPath() const;

  // Runs `handler` as an event handler: errors become the application's error report, and the
  // views repaint afterwards unless the handler drew nothing into them.
  void Run(const std::function<void()>& handler, bool repaintViews = true);

 private:
  void CreateControls();
  void CreateTopStrip();
  void CreateLayoutGroup();
  void CreateOperationGroup();
  void CreateViews();
  void CreateLogoGroup();
  void CreateHiddenControls();
  void ConnectHandlers();

  Platform& platform_;
  // The dialogs keep the folder they were last given, as a dialog component does.
  QString openDialogFolder_;
  QString saveDialogFolder_;
  QtTextRenderer textRenderer_;
  std::unique_ptr<QtProgress> progress_;
};

}  // namespace rumora
