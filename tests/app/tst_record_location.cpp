#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "app/record_location.h"

namespace rumora {

// Where the settings record lives, for program folders the user can and cannot write, and what
// the user's own record starts as.
class RecordLocationTest : public QObject {
  Q_OBJECT

  static QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  }
  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  static QByteArray Counting(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = char(i * 7 + 1);
    return bytes;
  }

 private slots:
  void recordLocation_data() {
    QTest::addColumn<QString>("program");  // "" for a writable temporary folder
    QTest::addColumn<bool>("shared");
    QTest::addColumn<QByteArray>("starting");  // the record beside the executable, if any
    QTest::addColumn<QByteArray>("existing");  // the user's record before, if any
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("expected");    // relative to the temporary root; "" for beside
    QTest::addColumn<QByteArray>("content");  // with a shared folder and "": the start in memory

    const QByteArray none;
    const QByteArray record = Counting(736);
    const QString here, beside;  // a temporary program folder; the record beside the executable
    const QString user = "data/rumora/rumora.dat";
    QTest::newRow("writable folder")
        << here << false << record << none << "data" << beside << record;
    QTest::newRow("shared folder: a copy")
        << here << true << record << none << "data" << user << record;
    QTest::newRow("longer starting record: its first 736 bytes")
        << here << true << Counting(900) << none << "data" << user << record;
    QTest::newRow("short starting record: the rest zero")
        << here << true << Counting(10) << none << "data" << user
        << Counting(10) + QByteArray(726, '\0');
    // Not even root can make a file there.
    QTest::newRow("unwritable folder, no starting record: all zero")
        << "/proc/" << false << none << none << "data" << user << QByteArray(736, '\0');
    QTest::newRow("the user's record is kept")
        << here << true << record << QByteArray(736, 'u') << "data" << user << QByteArray(736, 'u');
    QTest::newRow("relative data home: the home's default")
        << here << true << record << none << "relative"
        << QString("home/.local/share/rumora/rumora.dat") << record;
    // The user's record cannot be placed (a loop of links, a plain file, a folder that cannot be
    // searched on the way): the run starts from the record beside the executable.
    for (const char* home : {"loop/data", "plain/data", "locked/data"})
      QTest::newRow(home) << here << true << record << none << home << beside << record;
  }
  void recordLocation() {
    QFETCH(QString, program);
    QFETCH(bool, shared);
    QFETCH(QByteArray, starting);
    QFETCH(QByteArray, existing);
    QFETCH(QString, dataHome);
    QFETCH(QString, expected);
    QFETCH(QByteArray, content);
    const bool kept = !shared || !expected.isEmpty();

    QTemporaryDir root;
    QVERIFY(QFile::link("loop", root.filePath("loop")));
    Write(root.filePath("plain"), "a file");
    QDir().mkpath(root.filePath("locked"));
    QFile::setPermissions(root.filePath("locked"), {});
    const auto unlock = qScopeGuard([&] {
      QFile::setPermissions(root.filePath("locked"),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (dataHome.startsWith("locked") && ::geteuid() == 0) QSKIP("root searches every folder");
    const QString folder = program.isEmpty() ? root.filePath("program/") : program;
    QDir().mkpath(root.filePath("program"));
    if (!starting.isEmpty()) Write(folder + "rumora.dat", starting);
    if (!existing.isEmpty()) {
      QDir().mkpath(root.filePath("data/rumora"));
      Write(root.filePath("data/rumora/rumora.dat"), existing);
    }
    qputenv("HOME", root.filePath("home").toUtf8());
    qputenv("XDG_DATA_HOME", dataHome == "relative" ? "data" : root.filePath(dataHome).toUtf8());

    const SettingsRecordPlace place =
        SettingsRecordLocation(QFile::encodeName(folder).toStdString(), shared);
    const QString path = QString::fromStdString(place.file);
    QCOMPARE(place.kept, kept);
    if (!kept) {
      QCOMPARE(QString::fromStdString(place.wanted),
               root.filePath(dataHome + "/rumora/rumora.dat"));
      QVERIFY(place.reason != 0);
    }

    const QString wanted = expected.isEmpty() ? folder + "rumora.dat" : root.filePath(expected);
    QCOMPARE(path, wanted);
    QCOMPARE(ReadAll(path), content);
    if (!program.isEmpty()) return;
    // The starting record is never changed, and no trace of the write test is left.
    QCOMPARE(ReadAll(folder + "rumora.dat"), starting.isEmpty() ? "(missing)" : starting);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"rumora.dat"});
    if (expected.isEmpty()) QVERIFY(!QDir(root.filePath("data")).exists());
  }
};

}  // namespace rumora

QTEST_GUILESS_MAIN(rumora::RecordLocationTest)
#include "tst_record_location.moc"
