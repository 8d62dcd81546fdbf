#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "app/edit_history.h"
#include "app/qt_text_renderer.h"
#include "app/record_location.h"
#include "app/user_options.h"
#include "batch/batch_runner.h"
#include "imaging/bitmap.h"
#include "imaging/scratch_image_view.h"
#include "imaging/smooth_scale.h"
#include "layout/output_size.h"
#include "layout/region_table.h"
#include "logo/logo_picture.h"
#include "photo_io/settings_record.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeySequence;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace rumora {

class ImageViewWidget;
class Platform;
class QtProgress;
class GrowingSmoothStretch;
class TSelShape;

// The window's controls and state. TForm1 inherits them privately, as a form inherits the part
// a designer generates: only the window itself, and the tests through TForm1TestAccess, reach
// them.
struct TForm1Parts {
  // --- Controls (owned by Qt's parent chain) ---
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
  // The logo the logo picture shows, with its alpha and double-size image (empty before any).
  LogoPicture Logo;
  std::int32_t ViewToShow = 1;
  std::int32_t FreeRotationDone = 0;
  LayoutState Layout;
  RegionTable Regions;
  SettingsRecord Settings;
};

// The main window. It owns every control, picture and piece of state of the program; every
// operation is one of its event handlers, named after the control and its event, and runs
// through Run so that no exception reaches the event loop.
//
// One operation at a time. The tone passes let the window handle pending events once per
// column, so that it repaints and stays responsive during a long pass; opening a HEIF photo
// does so while it decodes. Meanwhile mouse clicks,
// wheel turns and keys aimed at the window are dropped (no button clicks, no box is ticked), and
// any handler started all the same (a timer, a signal) is ignored by Run: nothing opens, turns,
// rotates, trims or tones the photo while a pass is changing it, and the pass never finds its
// bitmap replaced. Closing the window during a pass is deferred until the pass has ended. Every
// other handler runs to its end before the next event.
class TForm1 final : public QWidget, private TForm1Parts {
 public:
  explicit TForm1(Platform& platform, QWidget* parent = nullptr);
  ~TForm1() override;

  // Runs `handler` as an event handler: errors become the application's error report, and the
  // views repaint afterwards unless the handler drew nothing into them. While a tone pass runs,
  // it ignores the handler (see the class comment). Code outside the window (a menu, a drop)
  // calls the operations below through Run, as the window's own controls do.
  void Run(const std::function<void()>& handler, bool repaintViews = true);
  // True while a tone pass is under way (or a HEIF photo decodes).
  bool TonePassRunning() const { return tonePassRunning_; }

  // --- Operations other entry points may start (through Run) ---
  // The buttons' handlers. Photo: open (BitBtn2), trim (BitBtn3), save (BitBtn1); contrast
  // boost, brighter, darker (BitBtn5, 4, 6); turn right, turn left (BitBtn7, 8); free rotation
  // (BitBtn11). Layout and pane steps (SpeedButton1, 2). Logo: open (BitBtn9), paste (BitBtn10),
  // "取り消し" (BitBtn12), "確定" (BitBtn13).
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn1Click();
  void BitBtn5Click();
  void BitBtn4Click();
  void BitBtn6Click();
  void BitBtn7Click();
  void BitBtn8Click();
  void BitBtn11Click();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void BitBtn9Click();
  void BitBtn10Click();
  void BitBtn12Click();
  void BitBtn13Click();
  // Opens the photo file `path` as the open button does once its dialog has chosen it.
  void OpenPhotoFile(const QString& path);
  // Opens the BMP or PNG file `path` as the logo, as "開く" does with "ファイル" selected once its
  // dialog has chosen it (a file dropped on the window); selects "ファイル" first.
  void OpenLogoFileAt(const QString& path);
  // Replaces the output picture with a blank white one and shows it.
  void NewOutputPicture();
  // "出力サイズ": a new white output picture of `size` (after the close question when the
  // output is unsaved), which undo takes back; the label, the menu and the options file follow
  // the picture's size.
  void SetOutputSize(OutputSize size);
  // "次の写真" and "前の写真": the photo after or before the current one in its folder (the
  // files the open dialog lists, in natural name order) is opened as the open button opens a
  // photo. At the folder's end, or with no photo opened, the status line says so.
  void NextPhoto();
  void PreviousPhoto();
  // "まとめて処理…": the recipe dialog, then the batch with its progress and summary. The recipe
  // is kept in the user's options.
  void BatchClick();

  // Undo and redo ("元に戻す", "やり直し") over one history of the steps that changed the photo
  // (the tone passes, the quarter turns, the free rotation) and the steps that changed the
  // output picture (trim, paste, "取り消し", a new output picture). Opening a photo starts a new
  // photo history; the output history goes on. The logo's own "取り消し" and OutputBackup are
  // apart from it.
  void Undo();
  void Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // Called whenever CanUndo or CanRedo may have changed (a menu greys its items by it).
  void SetHistoryChangedHandler(std::function<void()> handler) {
    historyChanged_ = std::move(handler);
  }
  // Whether the output picture differs from the one last saved and from a white one. Closing
  // the window then asks whether to save it.
  bool OutputUnsaved() const { return outputUnsaved_; }
  // Whether the trim and the input view scale smoothly (on) or by nearest pixel; the input view
  // is drawn again at once.
  void SetSmoothScaling(bool on);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Arrow keys on a view with focus move its red frame.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A file dropped anywhere on the window: the first of several is opened as a photo or a logo.
  // While a tone pass runs, a drop is refused.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend struct TForm1TestAccess;

  void FormCreate();
  void FormDestroy();
  void UpdateViews();
  void inputimgClick();
  void outputimgClick();
  void Image8Click();
  void Image10Click();
  // Layouts and panes
  void PlaceTrimFrame();
  void SelShape1MouseMove();
  void CheckBox4Click();
  // The angle measuring line
  void Image2MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                       Qt::KeyboardModifiers shift, int x, int y);
  void Image2MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void Image2MouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift,
                     int x, int y);
  // Puts `photo` in the working bitmap's place and shows it: sizes Panel2 (and Image2 with it)
  // to its proportions and stretches it into the input view, or draws `grown` there when it
  // holds that stretch, made while the photo was decoded. `photo` then holds the bitmap it
  // replaced. Everything that can fail is made first: on failure nothing has changed.
  void ReplaceWorkingBitmap(Bitmap& photo, const GrowingSmoothStretch* grown = nullptr);
  // Draws the working bitmap into the input view afresh (after it changed in place, or the
  // scaling did); on failure the view is as it was.
  void ShowWorkingBitmap();
  // The scaling the options choose for the trim and the input view.
  Scaling PictureScaling() const;
  // The photo file into the working bitmap (its folder kept in the settings record); false when
  // it cannot be opened, with the working bitmap as it was.
  bool LoadPhoto(const QString& path);
  // The open button's last steps, also after a cancelled dialog: the input view in front, the
  // trimming frame placed and shown, the photo free to rotate.
  void ShowOpenedPhoto();
  void ComboBox1DblClick();
  // Where the save dialog starts: its folder or, when the last file saved ends in a number,
  // the next free numbered name beside it.
  QString ProposedSaveName() const;

  // Decides where the settings record is kept for this run and loads it; a record kept in
  // memory only is said once.
  void PlaceSettingsRecord();
  // Loads the settings record from its file. On failure shows the warning and throws
  // OperationAbandoned, so the calling handler stops without a further message. A record kept
  // in memory only is not read again.
  void ReadSettingsRecord();
  // Stores the whole record into its file; throws Error on failure. A record kept in memory
  // only is not written.
  void WriteSettingsRecord();

  void CreateControls();
  void CreateTopStrip();
  void CreateLayoutGroup();
  void CreateOperationGroup();
  void CreateViews();
  void CreateLogoGroup();
  void CreateHiddenControls();
  void ConnectHandlers();
  void ConnectLogoHandlers();
  // The menu bar above the client area; its actions run through Run as the buttons do.
  void CreateMenuBar();
  QAction* AddMenuAction(QMenu* menu, const QString& text, const QList<QKeySequence>& shortcuts,
                         const std::function<void()>& handler);
  void FillRecentMenu();
  // A recent photo opened as a dropped one is; a photo no longer there leaves the list with a
  // warning.
  void OpenRecentPhoto(const QString& path);
  // Stores the user's options; a failure is said once a run.
  void StoreUserOptions();
  // Puts an opened photo first in the recent photos.
  void RememberPhoto(const QString& path);
  void OpenNeighbourPhoto(bool forward);
  // The batch's photos (the folders' photos in natural order) and preset logo for what the
  // dialog chose; a warning's text when it cannot run so.
  std::optional<QString> PrepareBatch(const QStringList& inputs, BatchJob& job);
  // A short note under the views, until the next one.
  void ShowStatus(const QString& text);
  // An arrow key on the view showing `frame`: moves it one view pixel (ten with Shift) or, for
  // the trimming frame with Ctrl, grows or shrinks it in the pane's proportions. False for any
  // other key.
  bool StepFrameByKey(TSelShape* frame, const QKeyEvent& key);
  // A BMP or PNG file opened as the logo, anything else as a photo (a file that is no JPEG photo
  // gets the warning that says why).
  void OpenDroppedFile(const QString& path);
  // Logo overlay steps: a BMP file into LogoBitmap and then the logo picture (which sizes itself
  // to it); the file branch of "開く" after the dialog's folder is set; the frame sized to the
  // logo picture; the output copied into OutputBackup.
  void LoadLogo(const QString& path);
  void OpenLogoFile();
  // The file branch's steps after its dialog: the chosen file, if any, into the logo picture,
  // the output view in front, the frame shown at the logo's size, the output backed up.
  void ShowLogoFile(const std::optional<QString>& path);
  // The history's part of the steps. A photo step: `photo`, made from the working bitmap,
  // takes its place with its view, the flags as given, and the photo it replaces is kept as
  // the step's state before (see ReplaceWorkingBitmap); on failure nothing has changed.
  void CommitPhotoStep(Bitmap photo, std::int32_t freeRotationDone,
                       std::int32_t uprightOrientation);
  // An output step: the output as it is, taken before the step when the budget has room for it
  // (otherwise the step runs unrecorded), and the step recorded once it is done.
  std::optional<Bitmap> OutputForHistory();
  void RecordOutputStep(std::optional<Bitmap> before);
  // Undoes or redoes the next step: all of it or, on failure, nothing.
  void StepThroughHistory(EditHistory::Direction direction);
  // Puts a step's state in place and keeps the one it replaces in the step (undoing: the state
  // before the step; redoing: the state after it); on failure nothing has changed.
  void ApplyStep(EditHistory::Step& step, bool undoing);
  void NotifyHistoryChanged();
  // Marks the output unsaved when it differs from the picture last saved and from a white one.
  void UpdateOutputUnsaved();
  // The close question for unsaved output; true when the window may close.
  bool MayClose();
  // A warning that `path` could not be opened as a photo or logo, with the reason.
  void WarnOpenFailure(const QString& what, const QString& path, const std::string& expectedFormat,
                       const std::exception& failure);
  void SizeLogoFrame();
  // The logo frame's size: the logo's in the 600x450 design (LogoDesignSize), or the blank logo
  // picture's before any logo.
  PixelSize LogoFrameSize();
  // The logo read again from its file when the double-size file it may have starts or stops
  // counting (the size changed); a failure warns and keeps the logo as it is.
  void ReloadLogoForSize();
  void TakeOutputBackup();
  // The size of the output picture, which all that is laid out in the 600x450 design follows.
  OutputSize CurrentOutputSize();
  void CreateOutputSizeMenu(QMenu* options);
  // The label, the menu and the options file brought in step with the picture's size.
  void ShowOutputSize();
  // The output view repainted from the picture when the picture, its size, the logo frame or the
  // weight bar changed: the picture reduced to the view when larger, the logo placed in its frame
  // while the frame is shown.
  void RefreshOutputView();
  void WatchOutputView();
  QString PresetLogoPath(int n) const;
  // The preset branch's first steps: the preset into the logo picture, the record read afresh,
  // the output view in front.
  void OpenPresetLogo(int source);
  void RunTonePass(const std::function<void(Bitmap&)>& pass);
  void ShiftWorkingBrightness();
  // Turns the open photo upright as its file says, or back as it is stored, as the option now
  // says: one step to undo.
  void FollowOrientationOption();
  // Turns the working bitmap a quarter and shows it; on failure nothing has changed.
  void TurnWorkingBitmap(bool clockwise);
  void TurnAsAStep(bool clockwise);
  // The window's event pump for the tone passes.
  void PumpEvents();

  Platform& platform_;
  // The dialogs keep the folder they were last given, as a dialog component does.
  QString openDialogFolder_;
  QString saveDialogFolder_;
  QString logoDialogFolder_;
  // Whether OutputBackup holds a copy of the output yet: before that it is the blank start-up
  // picture, which "取り消し" must not put in the output's place.
  bool outputBackupTaken_ = false;
  QtTextRenderer textRenderer_;
  std::unique_ptr<QtProgress> progress_;
  bool tonePassRunning_ = false;
  bool closeDeferred_ = false;
  // The buffer the last quarter turn left behind, the next turn's destination. It is kept only
  // from one turn to the next: any other handler frees it first.
  Bitmap turnSpare_;
  bool keepTurnSpare_ = false;
  // The user's options and recent photos, read at start-up and stored on each change.
  UserOptions options_;
  // The client area holds every control at its place; the menu bar lies above it.
  QWidget* client_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QLabel* transparencyValue_ = nullptr;
  EditHistory history_{EditHistory::DefaultBudget()};
  std::function<void()> historyChanged_;
  bool outputUnsaved_ = false;
  Bitmap savedOutput_;  // the output as last saved; empty before the first save
  // The open photo's Exif orientation, and the one it has been turned upright by (1: none); a
  // photo step keeps the latter.
  std::int32_t photoOrientation_ = 1;
  std::int32_t uprightOrientation_ = 1;
  // A HEIF photo was turned (or not) by its decoder: the option then takes effect at the next
  // open only.
  bool turnSettledOnOpen_ = false;
  bool optionsUnsavedSaid_ = false;
  QAction* smoothScalingAction_ = nullptr;
  SettingsRecordPlace recordPlace_;
  // The listing size's menu items, 600x450 and 1200x900.
  std::array<QAction*, 2> outputSizeActions_{};
  std::optional<OutputSize> shownOutputSize_;
  // Where the logo picture was read from, for reading it again; the logo whose shrinking the
  // window has told of; a count of the logos loaded, which tells the output view a new one.
  QString logoPath_;
  QString shrinkNoticeFor_;
  std::uint64_t logoLoads_ = 0;
  // What the output view shows was made from this picture with these settings.
  struct OutputView {
    bool preview = false;
    int left = 0, top = 0, weight = 0;
    std::uint64_t logoLoads = 0;
    qreal ratio = 0;
    friend bool operator==(const OutputView&, const OutputView&) = default;
  };
  Bitmap shownBase_;
  OutputView shownKey_;
  QObject* outputViewWatcher_ = nullptr;  // owned by the logo frame
  QLabel* statusLine_ = nullptr;
  // The photo last opened, or last tried by "次の写真" / "前の写真", which then go on from it.
  QString photoPath_;
  // The last file saved: the save dialog proposes the numbered name after it.
  QString lastSavedPath_;
};

}  // namespace rumora
