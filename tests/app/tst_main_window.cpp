// The main window as a user meets it: its start-up state, switching views, help, settings at
// start-up and at close, and the error report.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/fonts.h"
#include "app/handler_dispatch.h"
#include "app/image_view_widget.h"
#include "imaging/error.h"
#include "layout/sel_shape.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

bool InputViewShown(const TForm1Parts& f) {
  return f.Panel2->isVisible() && !f.Panel1->isVisible() && f.Image5->isVisible() &&
         !f.Image6->isVisible() && !f.GroupBox1->isVisible();
}

bool OutputViewShown(const TForm1Parts& f) {
  return f.Panel1->isVisible() && !f.Panel2->isVisible() && !f.Image5->isVisible() &&
         f.Image6->isVisible() && f.GroupBox1->isVisible();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  void startsWithTheInputViewAndItsControls() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    QVERIFY(w.platform.messages.empty());
    QCOMPARE(w.form->windowTitle(), QStringLiteral("ルモラプロフェッショナル版[*]"));
    QVERIFY(InputViewShown(f));
    QCOMPARE(f.ViewToShow, 0);
    QVERIFY(!f.SpeedButton2->isVisible());
    QVERIFY(!f.SelShape2->isVisible() && !f.SelShape2->Visible());
    QCOMPARE(FrameOf(f.SelShape2), QRect(152, 128, 113, 89));
    QVERIFY(f.SelShape1->isVisible());
    QCOMPARE(f.SelShape1->geometry(), QRect(80, 72, 129, 97));
    QCOMPARE(f.Label4->text(), QStringLiteral("６００×４５０"));
    // The logo selector: the file source of four, no typed items; no logo, not recording.
    QCOMPARE(f.ComboBox1->currentText(), QStringLiteral("ファイル"));
    QCOMPARE(f.ComboBox1->currentIndex(), 0);
    QCOMPARE(f.ComboBox1->count(), 4);
    QCOMPARE(f.ComboBox1->insertPolicy(), QComboBox::NoInsert);
    QVERIFY(!f.Image13.HasPicture() && !f.CheckBox2->isChecked());
    QCOMPARE(f.Image13.ControlWidth(), 200);
    QCOMPARE(f.Edit1->text(), QStringLiteral("10"));
    QVERIFY(f.CheckBox3->isChecked());
    QCOMPARE(f.ScrollBar2->value(), 50);
    QCOMPARE(f.ScrollBar1->value(), 30);
    QVERIFY(!f.ScrollBar1->isVisible() && !f.CheckBox1->isVisible());
    QCOMPARE(f.ProgressBar1->maximum(), 100);

    // The pictures: dark grey input, white output, empty photo, scratch bitmaps made.
    COMPARE_PICTURES(f.Image2->Picture(), Bitmap::Filled(600, 600, kInputGrey));
    COMPARE_PICTURES(f.Image1->Picture(), Bitmap::Filled(600, 450, clWhite));
    QVERIFY(f.WorkingBitmap.Empty());
    QCOMPARE(f.LogoBitmap.Width(), 200);
    QCOMPARE(QSize(f.OutputBackup.Width(), f.OutputBackup.Height()), QSize(600, 600));
    QCOMPARE(f.Layout.LayoutKind, 0);
    QCOMPARE(f.Layout.PaneIndex, 1);
    QCOMPARE(f.Layout.PaneStep, 0);
    QCOMPARE(f.Regions[18], (Region{300, 225, 599, 449}));
    QCOMPARE(f.FreeRotationDone, 0);
  }

  void drawsTheFirstThumbnailAsOneWhitePaneNumberedOne() {
    WindowFixture w;
    const Bitmap& thumb = w.f().gbImage->Picture();
    QCOMPARE(thumb.Width(), 120);
    QCOMPARE(thumb.Height(), 90);
    for (int x = 0; x < 120; ++x) {
      QCOMPARE(thumb.Pixel(x, 0), clBlack);
      QCOMPARE(thumb.Pixel(x, 89), clBlack);
    }
    for (int y = 0; y < 90; ++y) {
      QCOMPARE(thumb.Pixel(0, y), clBlack);
      QCOMPARE(thumb.Pixel(119, y), clBlack);
    }
    QCOMPARE(thumb.Pixel(10, 10), clWhite);
    QCOMPARE(thumb.Pixel(100, 80), clWhite);
    int dark = 0;  // the digit "1" drawn at (55, 35)
    for (int y = 35; y < 55; ++y)
      for (int x = 55; x < 65; ++x) dark += thumb.Pixel(x, y) != clWhite;
    QVERIFY(dark > 5);
  }

  // The oval toggles the views, each tab shows its own.
  void switchesViewsWithTheTabsAndTheOval() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    const std::pair<QWidget*, bool> clicks[] = {{f.inputimg, false}, {f.Image8, true},
                                                {f.Image8, false},   {f.outputimg, true},
                                                {f.outputimg, true}, {f.inputimg, false}};
    for (const auto& [control, output] : clicks) {
      Click(control);
      QVERIFY(output ? OutputViewShown(f) : InputViewShown(f));
      QCOMPARE(f.ViewToShow, output ? 1 : 0);
    }
  }

  void theOvalTakesLeftClicksAndADoubleClickOnce() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    QTest::mouseClick(f.Image8, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(InputViewShown(f));
    // A double click: a click, then the double-click press and its release.
    QTest::mouseClick(f.Image8, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(f.Image8, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(f.Image8, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(OutputViewShown(f));
  }

  void opensTheHelpPageBesideTheExecutable_data() {
    QTest::addColumn<bool>("opens");
    QTest::newRow("opened") << true;
    QTest::newRow("no browser") << false;
  }
  void opensTheHelpPageBesideTheExecutable() {
    QFETCH(bool, opens);
    WindowFixture w;
    w.platform.shellOpenSucceeds = opens;
    Click(w.f().Image10);
    QCOMPARE(w.platform.shellOpened, QStringList{"help/frame.htm|" + w.platform.executableFolder});
    QCOMPARE(w.platform.messages.size(), size_t{opens ? 0u : 1u});
    if (!opens) QVERIFY(w.platform.messages[0].text.endsWith(w.PathOf("help/frame.htm")));
    QVERIFY(InputViewShown(w.f()));  // no help folder here: nothing else changes
    QVERIFY(w.f().SelShape1->isVisible());
  }

  void warnsAndStillStartsWhenTheSettingsFileIsMissing() {
    WindowFixture w(/*withSettingsFile=*/false);
    TForm1Parts& f = w.f();
    QCOMPARE(w.platform.Headings(), QStringList{"warning|警告"});
    QVERIFY(InputViewShown(f));
    QCOMPARE(f.Regions[1], (Region{0, 0, 599, 449}));
    QCOMPARE(f.OutputBackup.Width(), 600);
    QCOMPARE(f.Layout.PaneIndex, 1);
    QCOMPARE(f.Settings.PhotoFolder(), std::string());
    QCOMPARE(f.gbImage->Picture().Pixel(0, 0), clBlack);
    QVERIFY(!QFileInfo::exists(w.PathOf("rumora.dat")));  // nothing written at start-up
  }

  // With the program folder read-only and the user's data folder behind a loop of links, the
  // window starts, says once that places and folders will not be kept, and opens a photo without
  // another word. The record's place is decided at start-up: a program folder that could be
  // written later does not move it.
  void runsWithTheRecordInMemoryWhenItCannotBePlaced() {
    WindowFixture w;
    QTemporaryDir data;
    QVERIFY(QFile::link("loop", data.filePath("loop")));
    qputenv("XDG_DATA_HOME", data.filePath("loop/data").toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
    w.platform.executableFolder = "/proc/";  // not even root can make a file there
    w.form = std::make_unique<TForm1>(w.platform);
    w.form->show();
    w.platform.executableFolder = w.folder.path() + "/";
    w.OpenPatternPhoto(64, 48);
    QCOMPARE(w.platform.messages.size(), size_t{1});
    QVERIFY(w.platform.messages[0].text.contains("次回に残りません"));
    QCOMPARE(QString::fromStdString(w.f().Settings.PhotoFolder()), w.folder.path() + "/");
    QCOMPARE(w.ReadFile("rumora.dat"), QByteArray(736, '\0'));
  }

  // The record is loaded at start-up; closing writes nothing.
  void loadsTheSettingsRecordAtStartUpAndClosingWritesNothing() {
    QByteArray bytes(736, '\x11');
    bytes[88] = 4;
    bytes.replace(89, 4, "/ph/");
    WindowFixture w(true, bytes);
    QCOMPARE(w.f().Settings.PhotoFolder(), std::string("/ph/"));
    const QDateTime before = QFileInfo(w.PathOf("rumora.dat")).lastModified();
    w.form->close();
    w.form.reset();
    QCOMPARE(w.ReadFile("rumora.dat"), bytes);
    QCOMPARE(QFileInfo(w.PathOf("rumora.dat")).lastModified(), before);
    QCOMPARE(QDir(w.folder.path()).entryList(QDir::Files), QStringList{"rumora.dat"});
  }

  void showsAnEscapedFailureAsTheErrorReportAndGoesOn() {
    WindowFixture w;
    w.form->Run([] { throw Error("写真を読めません"); });
    QCOMPARE(w.platform.Headings(), QStringList{"error|ルモラ"});
    QCOMPARE(w.platform.messages[0].text, QStringLiteral("写真を読めません."));
    w.form->Run([] { throw OperationAbandoned(); });  // silent
    QCOMPARE(w.platform.messages.size(), size_t{1});
    Click(w.f().Image8);  // the window still works
    QVERIFY(OutputViewShown(w.f()));
  }

  void appendsAFullStopOnlyAfterCharactersThatSortAfterIt_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << QString("Disk full") << "Disk full.";
    QTest::newRow("full stop") << QString("Done.") << "Done.";
    QTest::newRow("hyphen sorts before") << QString("a-") << "a-";
    QTest::newRow("slash sorts after") << QString("a/") << "a/.";
    QTest::newRow("japanese") << QString("失敗しました。") << "失敗しました。.";
    QTest::newRow("empty") << QString("") << "";
  }
  void appendsAFullStopOnlyAfterCharactersThatSortAfterIt() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorReportText(message), shown);
  }

  void leavesNoTopLevelWidgetBehind() {
    { WindowFixture w; }
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
  }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
