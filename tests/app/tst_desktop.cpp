// The desktop around the window: the command line, the menu bar's shortcuts and options, the
// user's options file, files dropped on the window.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/command_line.h"
#include "tests/app/window_fixture.h"
#include "tests/photo_io/exif_segment.h"
#include "tests/photo_io/heif_files.h"

using namespace rumora;

namespace {

const QString kFollowExif = QStringLiteral("写真の向き情報に従う");
const QString kSmooth = QStringLiteral("なめらかに拡大縮小");
const QString kMatchColours = QStringLiteral("色をsRGBに合わせる");

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("printed");  // the start of what is printed before exiting
    QTest::addColumn<QString>("photo");    // relative to the current folder
    const QString none;
    QTest::newRow("nothing") << QStringList{"rumora"} << none << none;
    QTest::newRow("photo") << QStringList{"rumora", "-x", "a.jpg", "b.jpg"} << none << "a.jpg";
    QTest::newRow("help") << QStringList{"rumora", "a.jpg", "--help"} << "使い方: rumora" << none;
    QTest::newRow("version") << QStringList{"rumora", "-v"} << "rumora " + ProgramVersion() << none;
    QTest::newRow("after --") << QStringList{"rumora", "--", "--help"} << none << "--help";
  }
  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, printed);
    QFETCH(QString, photo);
    const auto early = EarlyExitFor(arguments);
    QCOMPARE(early ? early->text.left(printed.size()) : QString(), printed);
    if (!early) {
      QCOMPARE(PhotoArgument(arguments).value_or("none"),
               photo.isEmpty() ? "none" : QDir::current().absoluteFilePath(photo));
    }
  }

  // Each shortcut starts what its button starts; the controls keep their places below the menu
  // bar, which the window, of a fixed size, grew by.
  void shortcuts_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("effect");
    QTest::addColumn<bool>("undoable");  // whether "元に戻す" is offered afterwards
    QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << "open dialog" << false;
    QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << "save dialog" << false;
    QTest::newRow("Ctrl+2") << QKeySequence(Qt::CTRL | Qt::Key_2) << "output view" << false;
    QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << "output view" << true;
    QTest::newRow("Ctrl+N, Ctrl+Z")
        << QKeySequence(Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_Z) << "output view" << false;
    QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << "help" << false;
  }
  void shortcuts() {
    QFETCH(QKeySequence, keys);
    QFETCH(QString, effect);
    WindowFixture w;
    QApplication::setActiveWindow(w.form.get());
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    QTest::keySequence(w.form.get(), keys);
    const std::map<QString, bool> seen = {
        {"open dialog", w.platform.openCalls.size() == 1},
        {"save dialog", w.platform.saveCalls.size() == 1},
        {"output view", w.f().Panel1->isVisible() && !w.f().Panel2->isVisible()},
        {"help", w.platform.shellOpened.size() == 1}};
    for (const auto& [what, happened] : seen) QCOMPARE(happened, what == effect);
    QTEST(w.MenuAction(QStringLiteral("元に戻す(&U)"))->isEnabled(), "undoable");
    const int menuHeight = w.form->findChild<QMenuBar*>()->height();
    QCOMPARE(w.f().Panel2->mapTo(w.form.get(), QPoint()), QPoint(168, 48 + menuHeight));
    QCOMPARE(w.form->minimumSize(), QSize(783, 670 + menuHeight));
    QCOMPARE(w.form->maximumSize(), w.form->minimumSize());
  }

  // The first file dropped opens as the dialog would open it: a JPEG or HEIC as the photo
  // (upright as the file says unless the option is off), a BMP or PNG as the logo; anything else is
  // refused.
  void drop_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("followExif");
    QTest::addColumn<QSize>("panel");  // the input panel afterwards
    QTest::addColumn<bool>("logoOpened");
    QTest::addColumn<int>("warnings");
    QTest::newRow("sideways photo") << "p.jpg" << true << QSize(452, 602) << false << 0;
    QTest::newRow("orientation off") << "p.jpg" << false << QSize(602, 452) << false << 0;
    QTest::newRow("sideways HEIC") << "p.heic" << true << QSize(452, 602) << false << 0;
    QTest::newRow("HEIC, orientation off") << "p.heic" << false << QSize(602, 452) << false << 0;
    const QString data = QStringLiteral(RUMORA_TEST_DATA);
    QTest::newRow("logo") << data + "/bmp/win3_24.bmp" << true << QSize(600, 600) << true << 0;
    QTest::newRow("PNG logo") << data + "/png/rgba8.png" << true << QSize(600, 600) << true << 0;
    QTest::newRow("text") << "notes.txt" << true << QSize(600, 600) << false << 1;
  }
  void drop() {
    QFETCH(QString, file);
    QFETCH(bool, followExif);
    WindowFixture w;
    // A 64x48 photo whose Exif data says it must be turned clockwise to stand upright.
    const auto sideways =
        testing::WithApp1(EncodeJpeg(PatternPhoto(64, 48), 90), testing::ExifSegment(6, false));
    WriteBytes(w.PathOf("p.jpg"), ToBytes(sideways));
    WriteBytes(w.PathOf("p.heic"),
               ToBytes(testing::EncodeHeic(PatternPhoto(64, 48), {.orientation = 6})));
    w.WriteFile("notes.txt", "not a picture");
    if (!followExif) w.MenuAction(kFollowExif)->trigger();
    const QString path = QFileInfo(file).isAbsolute() ? file : w.PathOf(file);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(w.PathOf("notes.txt"))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.form.get(), &enter);
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.form.get(), &drop);
    QTEST(w.f().Panel2->size(), "panel");
    QTEST(w.f().SelShape2->isVisible(), "logoOpened");
    QTEST(static_cast<int>(w.platform.messages.size()), "warnings");
    if (!path.endsWith(".jpg") && !path.endsWith(".heic")) return;
    QCOMPARE(LoadUserOptions(UserOptionsPath()).recentPhotos.front(), path);
    // The option turns an open JPEG photo at once, as a step to undo; a HEIC photo's decoder
    // settled its turn, so the status line says the option waits for the next open.
    const QSize panel = w.f().Panel2->size();
    w.MenuAction(kFollowExif)->trigger();
    QCOMPARE(w.Status().contains(QStringLiteral("次に開いたとき")), path.endsWith(".heic"));
    if (path.endsWith(".heic")) return;
    QCOMPARE(w.f().Panel2->size(), panel.transposed());
    w.Run(&TForm1::Undo);
    QCOMPARE(w.f().Panel2->size(), panel);
  }

  // Options that cannot be stored (a folder where the file goes) are said once a run.
  void optionsThatCannotBeStoredAreSaidOnce() {
    WindowFixture w;
    QDir().mkpath(w.PathOf("rumora/rumora.conf"));
    w.MenuAction(kSmooth)->trigger();
    w.MenuAction(kSmooth)->trigger();
    QCOMPARE(w.platform.messages.size(), size_t{1});
  }

  // The options file as a user or a crash may leave it: what it says usably is taken, the rest
  // is the default, silently. Changes and recent photos outlive the window; a recent photo that
  // is gone leaves the list with a warning.
  void optionsPersist_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("smooth");
    QTest::addColumn<bool>("colours");
    QTest::newRow("missing") << QByteArray() << true << true;
    QTest::newRow("damaged") << QByteArray("\0\xff[\x01=\n\0", 7) << true << true;
    QTest::newRow("hand-edited")
        << QByteArray("exifOrientation=yes\nsmoothScaling=False\ncolourManagement=false\n") << false
        << false;
  }
  void optionsPersist() {
    QFETCH(QByteArray, file);
    QFETCH(bool, smooth);
    QFETCH(bool, colours);
    WindowFixture w;
    if (!file.isNull()) w.WriteFile("rumora/rumora.conf", file);
    w.form = std::make_unique<TForm1>(w.platform);
    QVERIFY(w.platform.messages.empty());
    QVERIFY(w.MenuAction(kFollowExif)->isChecked());
    QCOMPARE(w.MenuAction(kSmooth)->isChecked(), smooth);
    QCOMPARE(w.MenuAction(kMatchColours)->isChecked(), colours);
    w.MenuAction(kSmooth)->trigger();
    w.MenuAction(kMatchColours)->trigger();
    w.form->OpenPhotoFile(w.WritePatternPhoto("a.jpg", 32, 24));

    w.form = std::make_unique<TForm1>(w.platform);
    QCOMPARE(w.MenuAction(kSmooth)->isChecked(), !smooth);
    QCOMPARE(w.MenuAction(kMatchColours)->isChecked(), !colours);
    QFile::remove(w.PathOf("a.jpg"));
    QMenu* recent = w.MenuAction(QStringLiteral("最近使った写真(&R)"))->menu();
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().size(), 1);
    recent->actions().front()->trigger();
    QCOMPARE(w.platform.messages.size(), size_t{1});
    QVERIFY(LoadUserOptions(UserOptionsPath()).recentPhotos.isEmpty());
  }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
