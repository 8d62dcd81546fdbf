// The desktop around the window: the command line, the user's options file.
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/command_line.h"
#include "app/user_options.h"

using namespace rumora;

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
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
