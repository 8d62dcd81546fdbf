// The desktop around the window: the command line, the user's options file, the menu bar's
// shortcuts and options, files dropped on the window.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/command_line.h"
#include "app/image_view_widget.h"
#include "app/user_options.h"
#include "layout/sel_shape.h"
#include "tests/app/window_fixture.h"
#include "tests/photo_io/exif_segment.h"

using namespace rumora;

namespace {

QAction* MenuAction(TForm1& form, const QString& text) {
  for (QAction* action : form.findChild<QMenuBar*>()->findChildren<QAction*>()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

// A 64x48 photo whose Exif data says it must be turned clockwise to stand upright.
void WriteSidewaysPhoto(const QString& path) {
  const auto plain = EncodeJpeg(PatternPhoto(64, 48), 90);
  WriteBytes(path, ToBytes(testing::WithApp1(plain, testing::ExifSegment(6, false))));
}

void Drop(QWidget* target, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(target, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(target, &drop);
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("printed");  // the start of what is printed before exiting
    QTest::addColumn<QString>("photo");    // relative to the current folder
    QTest::newRow("nothing") << QStringList{"rumora"} << ""
                             << "";
    QTest::newRow("photo") << QStringList{"rumora", "a.jpg"} << ""
                           << "a.jpg";
    QTest::newRow("help") << QStringList{"rumora", "a.jpg", "--help"} << "使い方: rumora"
                          << "";
    QTest::newRow("version") << QStringList{"rumora", "-v"} << "rumora " + ProgramVersion() << "";
    QTest::newRow("unknown option") << QStringList{"rumora", "-x", "b.jpg"} << ""
                                    << "b.jpg";
    QTest::newRow("after --") << QStringList{"rumora", "--", "--help"} << ""
                              << "--help";
  }
  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, printed);
    QFETCH(QString, photo);
    const auto early = EarlyExitFor(arguments);
    QCOMPARE(early.has_value(), !printed.isEmpty());
    if (early) QVERIFY2(early->text.startsWith(printed), qPrintable(early->text));
    if (printed.isEmpty()) {
      QCOMPARE(PhotoArgument(arguments).value_or("none"),
               photo.isEmpty() ? "none" : QDir::current().absoluteFilePath(photo));
    }
  }

  // What a file the user or a crash left behind gives; the defaults wherever it says nothing
  // usable, and what was saved reads back the same.
  void userOptions_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("exif");
    QTest::addColumn<bool>("smooth");
    QTest::addColumn<int>("recentCount");
    QTest::newRow("missing") << QByteArray() << true << true << 0;
    QTest::newRow("binary") << QByteArray("\0\xff[\x01=\n\0", 7) << true << true << 0;
    QTest::newRow("hand-edited") << QByteArray(
                                        "[General]\nexifOrientation=yes\nsmoothScaling=False\n")
                                 << true << false << 0;
    QByteArray many = "[General]\nrecentPhotos=";
    for (int i = 0; i < 12; ++i) many += QByteArray("/p/") + QByteArray::number(i % 11) + ".jpg, ";
    QTest::newRow("twelve recent photos, one twice") << many + "\n" << true << true << 10;
  }
  void userOptions() {
    QFETCH(QByteArray, file);
    QTemporaryDir folder;
    const QString path = folder.filePath("rumora/rumora.conf");
    if (!file.isNull()) {
      QDir().mkpath(folder.filePath("rumora"));
      QFile out(path);
      QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    }
    const UserOptions options = LoadUserOptions(path);
    QTEST(options.exifOrientation, "exif");
    QTEST(options.smoothScaling, "smooth");
    QTEST(static_cast<int>(options.recentPhotos.size()), "recentCount");
    QCOMPARE(QSet<QString>(options.recentPhotos.begin(), options.recentPhotos.end()).size(),
             options.recentPhotos.size());

    UserOptions changed = options;
    changed.exifOrientation = !options.exifOrientation;
    changed.AddRecentPhoto("/new.jpg");
    QVERIFY(SaveUserOptions(path, changed));
    const UserOptions back = LoadUserOptions(path);
    QCOMPARE(back.exifOrientation, changed.exifOrientation);
    QCOMPARE(back.smoothScaling, changed.smoothScaling);
    QCOMPARE(back.recentPhotos, changed.recentPhotos);
    QCOMPARE(back.recentPhotos.front(), QStringLiteral("/new.jpg"));
  }

  // Each shortcut starts what its button starts, in the window's client area.
  void shortcuts_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << "open dialog";
    QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << "save dialog";
    QTest::newRow("Ctrl+2") << QKeySequence(Qt::CTRL | Qt::Key_2) << "output view";
    QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << "help";
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
    // The controls keep their places below the menu bar, which the window grew by.
    const int menuHeight = w.form->findChild<QMenuBar*>()->height();
    QCOMPARE(w.f().Panel2->mapTo(w.form.get(), QPoint()), QPoint(168, 48 + menuHeight));
    QCOMPARE(w.form->size(), QSize(783, 670 + menuHeight));
    QCOMPARE(w.form->minimumSize(), w.form->maximumSize());
  }

  // The first file dropped opens as the dialog would open it: a JPEG as the photo (upright by
  // its Exif data unless the option is off), a BMP as the logo; anything else is refused.
  void drop_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("followExif");
    QTest::addColumn<QSize>("photoSize");  // the working bitmap's afterwards
    QTest::addColumn<bool>("logoOpened");
    QTest::addColumn<int>("warnings");
    QTest::newRow("sideways photo") << "p.jpg" << true << QSize(48, 64) << false << 0;
    QTest::newRow("orientation off") << "p.jpg" << false << QSize(64, 48) << false << 0;
    QTest::newRow("logo") << RUMORA_TEST_DATA "/bmp/win3_24.bmp" << true << QSize(0, 0) << true
                          << 0;
    QTest::newRow("text") << "notes.txt" << true << QSize(0, 0) << false << 1;
  }
  void drop() {
    QFETCH(QString, file);
    QFETCH(bool, followExif);
    WindowFixture w;
    WriteSidewaysPhoto(w.PathOf("p.jpg"));
    w.WriteFile("notes.txt", "not a picture");
    if (!followExif) MenuAction(*w.form, QStringLiteral("写真の向き情報に従う"))->trigger();
    const QString path = QFileInfo(file).isAbsolute() ? file : w.PathOf(file);
    Drop(w.form.get(), {path, w.PathOf("notes.txt")});
    QTEST(QSize(w.f().WorkingBitmap.Width(), w.f().WorkingBitmap.Height()), "photoSize");
    QTEST(w.f().SelShape2->isVisible(), "logoOpened");
    QTEST(static_cast<int>(w.platform.messages.size()), "warnings");
    if (!w.f().WorkingBitmap.Empty()) {
      QCOMPARE(LoadUserOptions(UserOptionsPath()).recentPhotos, QStringList{path});
      QCOMPARE(w.f().Panel2->size(), followExif ? QSize(452, 602) : QSize(602, 452));
    }
  }

  // The options and the recent photos outlive the window; a recent photo that is gone leaves
  // the list with a warning.
  void optionsPersist() {
    WindowFixture w;
    WritePatternJpeg(w.PathOf("a.jpg"), 32, 24);
    w.form->OpenPhotoFile(w.PathOf("a.jpg"));
    MenuAction(*w.form, QStringLiteral("なめらかに拡大縮小"))->trigger();
    w.form = std::make_unique<TForm1>(w.platform);
    QVERIFY(!MenuAction(*w.form, QStringLiteral("なめらかに拡大縮小"))->isChecked());
    QVERIFY(MenuAction(*w.form, QStringLiteral("写真の向き情報に従う"))->isChecked());
    QFile::remove(w.PathOf("a.jpg"));
    QMenu* recent = MenuAction(*w.form, QStringLiteral("最近使った写真(&R)"))->menu();
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().size(), 1);
    recent->actions().front()->trigger();
    QCOMPARE(w.platform.messages.size(), size_t{1});
    QVERIFY(LoadUserOptions(UserOptionsPath()).recentPhotos.isEmpty());
  }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
