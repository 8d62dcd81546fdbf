// The logo overlay through the window: opening a logo file or preset, placing, stamping,
// cancelling and confirming, the preset places kept in the settings file, and every failure.
#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "layout/sel_shape.h"
#include "logo/blend_logo.h"
#include "logo/bmp_reader.h"
#include "tests/app/photo_files.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

const QString kPresetSource = QStringLiteral(RUMORA_SOURCE_DIR "/logo_design/");
const QString kToolFiles = QStringLiteral(RUMORA_TEST_DATA "/bmp/");

Bitmap LogoFile(const QString& path) { return ReadBmpFile(QFile::encodeName(path).toStdString()); }

// `output` with `logo` stamped at (left, top) at weight p / 100.
Bitmap Stamped(Bitmap output, const Bitmap& logo, int left, int top, int p) {
  BlendLogo(output, logo, left, top, p / 100.0);
  return output;
}

// A settings record with recognisable reserved bytes and the given slots.
QByteArray Record(std::initializer_list<LogoSlot> presetSlots = {}) {
  SettingsRecord record;
  record.Bytes().fill(0x33);
  record.Bytes()[SettingsRecord::kPhotoFolderOffset] = 0;
  record.Bytes()[SettingsRecord::kSaveFolderOffset] = 0;
  int n = 1;
  for (const LogoSlot& s : presetSlots) record.SetLogoSlot(n++, s);
  return QByteArray(reinterpret_cast<const char*>(record.Bytes().data()), SettingsRecord::kSize);
}

LogoSlot SlotInFile(const QByteArray& file, int n) {
  SettingsRecord record;
  std::copy(file.begin(), file.begin() + SettingsRecord::kSize, record.Bytes().begin());
  return record.GetLogoSlot(n);
}

// A window whose executable folder holds the three shipped presets and a listing picture in
// its output (as a trim leaves it).
struct LogoWindow : WindowFixture {
  explicit LogoWindow(const QByteArray& settings = Record()) : WindowFixture(true, settings) {
    for (const QString name : {"logo1.bmp", "logo2.bmp", "logo3.bmp"})
      WriteFile("logo_design/" + name, ReadBytes(kPresetSource + name));
    f().Image1->AssignPicture(PatternPhoto(600, 450));
  }
  bool OutputShown() { return !f().Panel1->isHidden() && f().Panel2->isHidden(); }
  QRect Frame() { return FrameOf(f().SelShape2); }
  void Select(int index) { f().ComboBox1->setCurrentIndex(index); }
  void SelectRecording(int index, bool recording = true) {
    Select(index);
    f().CheckBox2->setChecked(recording);
  }
};

Bitmap Preset(int n) { return LogoFile(kPresetSource + QStringLiteral("logo%1.bmp").arg(n)); }

// Writes to files fail while it lives (the file size limit is 0): a settings file that is
// readable but cannot be replaced, also for a test run as root.
class NoFileWrites {
 public:
  NoFileWrites() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved_;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
  }
  ~NoFileWrites() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace

Q_DECLARE_METATYPE(LogoSlot)

class LogoWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  // The file rows of the table: picked or dismissed, with or without a logo before.
  void openingAFileShowsTheFrameAtTheLogosSizeAndTakesABackup_data() {
    QTest::addColumn<bool>("logoBefore");
    QTest::addColumn<bool>("picked");
    QTest::newRow("picked") << false << true;
    QTest::newRow("dismissed, no logo yet") << false << false;
    QTest::newRow("dismissed after a logo") << true << false;
  }
  void openingAFileShowsTheFrameAtTheLogosSizeAndTakesABackup() {
    QFETCH(bool, logoBefore);
    QFETCH(bool, picked);
    LogoWindow w;
    const QString before = kToolFiles + "win3_24.bmp", chosen = kToolFiles + "v5_32.bmp";
    if (logoBefore) w.OpenLogoFile(before);
    Click(w.f().inputimg);  // the input view
    w.f().SelShape2->SetBounds(30, 40, 10, 10);
    w.f().Image1->AssignPicture(PatternPhoto(600, 450));
    const Bitmap output = w.Output();
    w.OpenLogoFile(picked ? chosen : QString());

    const FakePlatform::DialogCall& call = w.platform.openCalls.back();
    QCOMPARE(call.filterPattern, QStringLiteral("*.bmp *.png"));
    QCOMPARE(call.filterDescription, QStringLiteral("*.bmp *.png"));
    // The folder of the last logo opened, kept for the next run; at first the program's logos.
    const QString lastFolder = QFileInfo(before).absolutePath();
    QCOMPARE(call.initialFolder,
             logoBefore ? lastFolder : w.platform.executableFolder + "logo_design");
    const QString kept = picked ? QFileInfo(chosen).absolutePath() : logoBefore ? lastFolder : "";
    QCOMPARE(LoadUserOptions(UserOptionsPath()).logoFolder, kept);
    const QSize logo = picked || logoBefore ? QSize(13, 7) : QSize(200, 200);
    QCOMPARE(QSize(w.f().Image13.ControlWidth(), w.f().Image13.ControlHeight()), logo);
    if (picked || logoBefore) {
      COMPARE_PICTURES(w.f().Image13.Picture(), LogoFile(picked ? chosen : before));
    } else {
      QVERIFY(!w.f().Image13.HasPicture());
    }
    QCOMPARE(w.Frame(), QRect(QPoint(30, 40), logo));
    QVERIFY(w.f().SelShape2->Visible());
    QVERIFY(w.OutputShown());
    COMPARE_PICTURES(w.Output(), output);
    COMPARE_PICTURES(w.f().OutputBackup, output);
  }

  // Pastes with the file source mix in again each time at the frame with the bar's weight;
  // one cancel returns to the picture at "開く"; confirm hides the frame and keeps the backup.
  // A cancel before any backup keeps the listing picture.
  void filePastesStackAndOneCancelUndoesThemAll() {
    LogoWindow w;
    Click(w.f().BitBtn12);
    COMPARE_PICTURES(w.Output(), PatternPhoto(600, 450));
    w.OpenLogoFile(kToolFiles + "win3_rle8.bmp");
    const Bitmap atOpen = w.Output();
    const Bitmap logo = w.f().Image13.Picture();
    w.f().SelShape2->SetBounds(590, 445, 3, 3);  // resized and reaching past both edges
    w.f().ScrollBar2->setValue(37);
    Click(w.f().BitBtn10);
    Click(w.f().BitBtn10);
    COMPARE_PICTURES(w.Output(), Stamped(Stamped(atOpen, logo, 590, 445, 37), logo, 590, 445, 37));
    QVERIFY(w.f().SelShape2->Visible());
    COMPARE_PICTURES(w.f().OutputBackup, atOpen);
    QCOMPARE(w.ReadFile("rumora.dat"), Record());

    Click(w.f().BitBtn13);
    QVERIFY(!w.f().SelShape2->Visible());
    Click(w.f().BitBtn12);
    COMPARE_PICTURES(w.Output(), atOpen);
    Click(w.f().BitBtn12);
    COMPARE_PICTURES(w.Output(), atOpen);
  }

  // A file paste stamps whatever the logo picture holds at the frame with the bar's weight: a
  // file, a preset opened before (storing nothing), or before any logo the blank white picture,
  // which changes nothing.
  void aFilePasteStampsTheLogoPicture_data() {
    QTest::addColumn<int>("opened");  // 0: nothing, 1: a file, 2: LOGO1 with its slot
    QTest::newRow("before any logo") << 0;
    QTest::newRow("a file, the input view in front") << 1;
    QTest::newRow("a preset opened before") << 2;
  }
  void aFilePasteStampsTheLogoPicture() {
    QFETCH(int, opened);
    LogoWindow w(Record({{20, 30, 90}}));
    if (opened == 1) w.OpenLogoFile(kToolFiles + "win3_24.bmp"), Click(w.f().inputimg);
    if (opened == 2) {
      w.SelectRecording(1);
      Click(w.f().BitBtn9);
      w.Select(0);
      w.f().ScrollBar2->setValue(64);
    }
    const Bitmap before = w.Output();
    w.Run(&TForm1::BitBtn10Click);
    const Bitmap logo = opened == 2 ? Preset(1) : w.f().Image13.Picture();
    const QPoint at = opened == 2 ? QPoint(20, 30) : QPoint(152, 128);
    COMPARE_PICTURES(
        w.Output(), opened ? Stamped(before, logo, at.x(), at.y(), opened == 2 ? 64 : 50) : before);
    QCOMPARE(w.OutputShown(), opened == 2);  // the paste leaves the view alone
    QCOMPARE(w.ReadFile("rumora.dat"), Record({{20, 30, 90}}));
  }

  void openingAPresetPlacesTheFrameAtItsSlot_data() {
    QTest::addColumn<bool>("recording");
    QTest::newRow("recording") << true;
    QTest::newRow("not recording") << false;
  }
  void openingAPresetPlacesTheFrameAtItsSlot() {
    QFETCH(bool, recording);
    LogoWindow w(Record({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}));
    // The slot is read afresh from the file at the open.
    w.WriteFile("rumora.dat", Record({{1, 2, 3}, {1, 2, 3}, {250, 170, 40}}));
    w.SelectRecording(3, recording);
    const Bitmap output = w.Output();
    Click(w.f().BitBtn9);
    COMPARE_PICTURES(w.f().Image13.Picture(), Preset(3));
    QCOMPARE(w.Frame(), QRect(250, 170, 160, 48));
    QCOMPARE(w.f().SelShape2->Visible(), recording);
    QVERIFY(w.OutputShown());
    COMPARE_PICTURES(w.Output(), output);
    COMPARE_PICTURES(w.f().OutputBackup, output);
    QCOMPARE(w.f().Settings.GetLogoSlot(3), (LogoSlot{250, 170, 40}));
  }

  // A recording paste stores the frame's place and the bar, then stamps there; a later paste
  // without recording reuses them whatever the bar says, also in the next run, which reads them
  // from the 736-byte file. Each paste takes its own backup.
  void recordingAndReusingAPresetPlace() {
    LogoWindow w;
    w.SelectRecording(2);
    Click(w.f().BitBtn9);
    w.f().SelShape2->SetBounds(40, 300, 50, 50);  // dragged and resized
    w.f().ScrollBar2->setValue(37);
    const Bitmap first = w.Output();
    Click(w.f().BitBtn10);
    const Bitmap once = Stamped(first, Preset(2), 40, 300, 37);
    COMPARE_PICTURES(w.Output(), once);
    COMPARE_PICTURES(w.f().OutputBackup, first);
    QCOMPARE(w.Frame(), QRect(40, 300, 160, 48));
    QVERIFY(!w.f().SelShape2->Visible());
    const QByteArray file = w.ReadFile("rumora.dat");
    QCOMPARE(file.size(), 736);
    QCOMPARE(SlotInFile(file, 2), (LogoSlot{40, 300, 37}));
    QCOMPARE(file.mid(0, 16) + file.mid(28), Record().mid(0, 16) + Record().mid(28));

    w.f().CheckBox2->setChecked(false);
    w.f().ScrollBar2->setValue(90);  // no influence without recording
    w.f().SelShape2->SetBounds(0, 0, 5, 5);
    Click(w.f().BitBtn10);
    COMPARE_PICTURES(w.Output(), Stamped(once, Preset(2), 40, 300, 37));
    QCOMPARE(w.Frame(), QRect(40, 300, 160, 48));
    Click(w.f().BitBtn12);  // removes only the second paste
    COMPARE_PICTURES(w.Output(), once);

    w.form.reset();
    w.form = std::make_unique<TForm1>(w.platform);
    w.f().Image1->AssignPicture(PatternPhoto(600, 450));
    w.Select(2);
    Click(w.f().BitBtn10);
    COMPARE_PICTURES(w.Output(), Stamped(PatternPhoto(600, 450), Preset(2), 40, 300, 37));
  }

  // A recording paste with no open before stores wherever the frame is, hidden or not.
  void aRecordingPasteWithoutAnOpenStoresTheFramesCurrentPlace() {
    LogoWindow w;
    w.SelectRecording(1);
    w.f().ScrollBar2->setValue(12);
    const Bitmap before = w.Output();
    Click(w.f().BitBtn10);
    QCOMPARE(SlotInFile(w.ReadFile("rumora.dat"), 1), (LogoSlot{152, 128, 12}));
    COMPARE_PICTURES(w.Output(), Stamped(before, Preset(1), 152, 128, 12));
  }

  // A damaged file may hold any weight or place: the weight is clamped, the place only bounds
  // what is visible. A slot never recorded (weight -1 here) pastes nothing and says how to
  // record it.
  void slotValuesFromADamagedFileAreSafe_data() {
    QTest::addColumn<LogoSlot>("slot");
    QTest::addColumn<int>("weight");
    QTest::newRow("weight above 100") << LogoSlot{10, 10, 250} << 100;
    QTest::newRow("negative weight") << LogoSlot{10, 10, -30} << 0;
    QTest::newRow("far outside") << LogoSlot{INT32_MAX, INT32_MIN, 50} << 50;
    QTest::newRow("partly outside") << LogoSlot{-100, 420, 50} << 50;
    QTest::newRow("never recorded") << LogoSlot{0, 0, 0} << -1;
  }
  void slotValuesFromADamagedFileAreSafe() {
    QFETCH(LogoSlot, slot);
    QFETCH(int, weight);
    LogoWindow w(Record({slot}));
    w.Select(1);
    const Bitmap before = w.Output();
    Click(w.f().BitBtn10);
    QCOMPARE(w.platform.messages.size(), size_t{weight < 0 ? 1u : 0u});
    if (weight < 0) QVERIFY(w.platform.messages[0].text.contains("「記録」"));
    COMPARE_PICTURES(w.Output(),
                     weight < 0 ? before : Stamped(before, Preset(1), slot.Left, slot.Top, weight));
  }

  // A real BMP from another tool is stamped with the colours that tool reads from it.
  void aBmpFromAnotherToolIsStampedWithItsColours_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("24-bit") << "v5_24";
    QTest::newRow("RLE8") << "win3_rle8_many";
    QTest::newRow("OS/2 4-bit") << "os2_4";
  }
  void aBmpFromAnotherToolIsStampedWithItsColours() {
    QFETCH(QString, name);
    LogoWindow w;
    w.OpenLogoFile(kToolFiles + name + ".bmp");
    w.f().SelShape2->SetBounds(100, 200, 13, 7);
    w.f().ScrollBar2->setValue(100);
    const Bitmap before = w.Output();
    Click(w.f().BitBtn10);
    const Bitmap tool =
        testing::ReadPnm(QFile::encodeName(kToolFiles + name + ".ppm").toStdString());
    QCOMPARE(tool.Width(), 13);
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 13; ++x) {
        const TColor colour = tool.Pixel(x, y);
        const TColor want = colour == clWhite ? before.Pixel(100 + x, 200 + y) : colour;
        QVERIFY2(w.Output().Pixel(100 + x, 200 + y) == want,
                 qPrintable(QStringLiteral("logo pixel (%1, %2)").arg(x).arg(y)));
      }
    }
  }

  // A file that is no usable BMP is told with its reason; the previous logo and everything else
  // stay.
  void aDamagedLogoFileLeavesThePreviousLogo_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QByteArray damaged = ReadBytes(kToolFiles + "win3_24.bmp");
    damaged.chop(40);
    QTest::newRow("cut short") << damaged << "";
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)
                         << "PNG ファイルを読めません";
  }
  void aDamagedLogoFileLeavesThePreviousLogo() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    LogoWindow w;
    w.OpenLogoFile(kToolFiles + "win3_24.bmp");
    w.WriteFile("damaged.bmp", bytes);
    Click(w.f().inputimg);
    w.f().SelShape2->hide();
    w.f().Image1->AssignPicture(PatternPhoto(600, 450));
    const Bitmap backup = w.f().OutputBackup;
    w.OpenLogoFile(w.PathOf("damaged.bmp"));
    QCOMPARE(w.platform.messages.size(), size_t{1});
    const QStringList lines = w.platform.messages[0].text.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1], w.PathOf("damaged.bmp"));
    QVERIFY2(!lines[2].isEmpty() && lines[2].contains(reason), qPrintable(lines[2]));
    COMPARE_PICTURES(w.f().Image13.Picture(), LogoFile(kToolFiles + "win3_24.bmp"));
    QVERIFY(!w.OutputShown());
    QVERIFY(!w.f().SelShape2->Visible());
    COMPARE_PICTURES(w.f().OutputBackup, backup);
  }

  // A missing or broken preset goes to the error report and changes nothing.
  void aMissingOrBrokenPresetChangesNothing_data() {
    QTest::addColumn<bool>("paste");
    QTest::addColumn<bool>("broken");
    QTest::newRow("open, missing") << false << false;
    QTest::newRow("open, broken") << false << true;
    QTest::newRow("paste, missing") << true << false;
    QTest::newRow("paste, broken") << true << true;
  }
  void aMissingOrBrokenPresetChangesNothing() {
    QFETCH(bool, paste);
    QFETCH(bool, broken);
    LogoWindow w(Record({{5, 5, 50}, {6, 6, 50}}));
    w.OpenLogoFile(kToolFiles + "win3_24.bmp");
    Click(w.f().inputimg);
    QFile::remove(w.PathOf("logo_design/logo2.bmp"));
    if (broken) w.WriteFile("logo_design/logo2.bmp", "BM not really a bitmap");
    w.SelectRecording(2);
    const Bitmap output = w.Output(), backup = w.f().OutputBackup;
    const QRect frame = w.Frame();
    Click(paste ? w.f().BitBtn10 : w.f().BitBtn9);
    QCOMPARE(w.platform.Headings(), QStringList{"error|ルモラ"});
    QCOMPARE(w.f().Image13.ControlWidth(), 13);
    QVERIFY(!w.OutputShown());
    QCOMPARE(w.Frame(), frame);
    QVERIFY(w.f().SelShape2->Visible());
    COMPARE_PICTURES(w.Output(), output);
    COMPARE_PICTURES(w.f().OutputBackup, backup);
    QCOMPARE(w.ReadFile("rumora.dat"), Record({{5, 5, 50}, {6, 6, 50}}));
  }

  // An unreadable settings file: the warning, and the operation stops with the new logo loaded.
  void anUnreadableRecordStopsAfterTheLoad_data() {
    QTest::addColumn<bool>("paste");
    QTest::newRow("open") << false;
    QTest::newRow("paste") << true;
  }
  void anUnreadableRecordStopsAfterTheLoad() {
    QFETCH(bool, paste);
    LogoWindow w;
    QFile::remove(w.PathOf("rumora.dat"));
    w.SelectRecording(1);
    const Bitmap output = w.Output();
    Click(paste ? w.f().BitBtn10 : w.f().BitBtn9);
    QCOMPARE(w.platform.Headings(), QStringList{"warning|警告"});
    COMPARE_PICTURES(w.f().Image13.Picture(), Preset(1));
    QVERIFY(!w.OutputShown());
    QCOMPARE(w.Frame(), QRect(152, 128, 113, 89));
    QVERIFY(!w.f().SelShape2->Visible());
    COMPARE_PICTURES(w.Output(), output);
    QCOMPARE(w.f().OutputBackup.Height(), 600);
    QVERIFY(!QFile::exists(w.PathOf("rumora.dat")));
  }

  // A recording paste whose record cannot be written: the error report, before the backup and
  // the stamp; the slot is already updated in memory and the frame hidden.
  void aRecordThatCannotBeWrittenStopsARecordingPaste() {
    LogoWindow w;
    w.SelectRecording(1);
    Click(w.f().BitBtn9);
    w.f().SelShape2->SetBounds(60, 70, 160, 48);
    w.f().Image1->AssignPicture(Stamped(PatternPhoto(600, 450), Preset(2), 0, 0, 50));
    const Bitmap output = w.Output(), backup = w.f().OutputBackup;
    {
      NoFileWrites noWrites;
      Click(w.f().BitBtn10);
    }
    QCOMPARE(w.platform.Headings(), QStringList{"error|ルモラ"});
    QCOMPARE(w.f().Settings.GetLogoSlot(1), (LogoSlot{60, 70, 50}));
    QVERIFY(!w.f().SelShape2->Visible());
    COMPARE_PICTURES(w.Output(), output);
    COMPARE_PICTURES(w.f().OutputBackup, backup);
    QCOMPARE(w.ReadFile("rumora.dat"), Record());
    QCOMPARE(QDir(w.folder.path()).entryList(QDir::Files), QStringList{"rumora.dat"});
  }

  // Typed text is no item, also when it names one or the edit is finished with Return (as the
  // focus leaving for a button finishes it): open and paste do nothing until an item is picked.
  void typedTextSelectsNoSource_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("no item's name") << "LOGO9";
    QTest::newRow("an item's name") << "LOGO2";
    QTest::newRow("the start of an item's name") << "LO";
  }
  void typedTextSelectsNoSource() {
    QFETCH(QString, typed);
    LogoWindow w;
    w.Select(1);
    w.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    w.f().ComboBox1->lineEdit()->setFocus();  // typing as a user does, completion included
    w.f().ComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(w.f().ComboBox1->lineEdit(), typed);
    QTest::keyClick(w.f().ComboBox1->lineEdit(), Qt::Key_Return);
    QCOMPARE(w.f().ComboBox1->currentIndex(), -1);
    QCOMPARE(w.f().ComboBox1->count(), 4);
    QCOMPARE(w.f().ComboBox1->currentText(), typed);
    const Bitmap before = w.Output();
    Click(w.f().BitBtn9);
    Click(w.f().BitBtn10);
    QVERIFY(w.platform.openCalls.empty());
    QVERIFY(!w.f().Image13.HasPicture());
    COMPARE_PICTURES(w.Output(), before);
    QVERIFY(!w.OutputShown());
    w.Select(1);
    Click(w.f().BitBtn10);
    QVERIFY(w.f().Image13.HasPicture());
  }

  // A double click on the selector runs the file branch of "開く" without setting the folder.
  void aDoubleClickOpensAFileOnlyWithTheFileSource() {
    LogoWindow w;
    w.Select(1);
    QTest::mouseDClick(w.f().ComboBox1->lineEdit(), Qt::LeftButton);
    QVERIFY(w.platform.openCalls.empty());
    w.Select(0);
    w.platform.openAnswers << kToolFiles + "os2_1.bmp";
    QTest::mouseDClick(w.f().ComboBox1->lineEdit(), Qt::LeftButton);
    QCOMPARE(w.platform.openCalls.size(), size_t{1});
    QCOMPARE(w.platform.openCalls[0].initialFolder, QString());
    QCOMPARE(w.f().Image13.ControlWidth(), 13);
    QVERIFY(w.f().SelShape2->Visible());
    QVERIFY(w.OutputShown());
  }

  void leavesNoTopLevelWidgetBehind() {
    { LogoWindow w; }
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
  }
};

QTEST_MAIN(LogoWindowTest)
#include "tst_logo_window.moc"
