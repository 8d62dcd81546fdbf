// From photo to listing picture through the window: opening photos with scripted dialogs,
// trimming them into the panes of every layout, saving the output.
#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "imaging/scratch_image_view.h"
#include "layout/region_table.h"
#include "layout/sel_shape.h"
#include "layout/trim.h"
#include "photo_io/photo_reader.h"
#include "tests/app/photo_files.h"
#include "tests/app/window_fixture.h"
#include "tests/photo_io/colour_profiles.h"
#include "tests/photo_io/heif_files.h"

using namespace rumora;

namespace {

// A settings record with recognisable bytes and both folders empty.
QByteArray SeededSettings() {
  QByteArray bytes(736, '\x11');
  bytes[88] = 0;
  bytes[217] = 0;
  return bytes;
}

// The output part of a pane after a trim of the current frame, worked out here independently of
// the trimming code: the frame's edges times s = photo width / view width (extended precision,
// halves to even) give the block; pane pixel (x, y) shows block pixel ((2x + 1) bw / 2W, (2y + 1)
// bh / 2H), black beyond the photo.
Bitmap ExpectedPane(const TForm1Parts& f, const Region& pane) {
  const long double s = static_cast<double>(f.WorkingBitmap.Width()) / f.Image2->width();
  const auto edge = [s](std::int64_t v) {
    return static_cast<std::int64_t>(std::nearbyintl(static_cast<long double>(v) * s));
  };
  const std::int64_t l = f.SelShape1->Left(), t = f.SelShape1->Top();
  const std::int64_t x1 = edge(l), y1 = edge(t);
  const std::int64_t bw = edge(l + f.SelShape1->Width() - 1) - x1 + 1;
  const std::int64_t bh = edge(t + f.SelShape1->Height() - 1) - y1 + 1;
  const int w = RegionWidth(pane), h = RegionHeight(pane);
  Bitmap expected(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::int64_t sx = x1 + (2 * x + 1) * bw / (2 * w);
      const std::int64_t sy = y1 + (2 * y + 1) * bh / (2 * h);
      const bool inside =
          sx >= 0 && sy >= 0 && sx < f.WorkingBitmap.Width() && sy < f.WorkingBitmap.Height();
      expected.SetPixel(
          x, y,
          inside ? f.WorkingBitmap.Pixel(static_cast<int>(sx), static_cast<int>(sy)) : clBlack);
    }
  }
  return expected;
}

Bitmap PartOf(const Bitmap& picture, const Region& r) {
  Bitmap part(RegionWidth(r), RegionHeight(r));
  for (int y = 0; y < part.Height(); ++y)
    for (int x = 0; x < part.Width(); ++x)
      part.SetPixel(x, y, picture.Pixel(r.left + x, r.top + y));
  return part;
}

bool AllOf(const Bitmap& picture, const Region& r, TColor colour) {
  for (int y = r.top; y <= r.bottom; ++y)
    for (int x = r.left; x <= r.right; ++x)
      if (picture.Pixel(x, y) != colour) return false;
  return true;
}

}  // namespace

class PhotoWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  // The panel takes the photo's proportions; the photo's folder is recorded, and the next open
  // starts there.
  void openingSizesThePanelToThePhoto_data() {
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QSize>("panel");
    QTest::newRow("landscape") << QSize(1200, 900) << QSize(602, 452);
    QTest::newRow("portrait") << QSize(900, 1200) << QSize(452, 602);
    QTest::newRow("square") << QSize(1000, 1000) << QSize(602, 602);
    QTest::newRow("small photo enlarged") << QSize(100, 75) << QSize(602, 452);
    QTest::newRow("450.5 rounds down") << QSize(1200, 901) << QSize(602, 452);
    QTest::newRow("451.5 rounds up") << QSize(1200, 903) << QSize(602, 454);
  }
  void openingSizesThePanelToThePhoto() {
    QFETCH(QSize, photo);
    QFETCH(QSize, panel);
    WindowFixture w(true, SeededSettings());
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(photo.width(), photo.height(), "photos/p.jpg");
    QVERIFY(w.platform.messages.empty());
    QCOMPARE(QSize(f.WorkingBitmap.Width(), f.WorkingBitmap.Height()), photo);
    QCOMPARE(f.Panel2->size(), panel);
    QCOMPARE(f.Image2->size(), panel);
    COMPARE_PICTURES(f.WorkingBitmap, DecodeFile(w.PathOf("photos/p.jpg")));
    COMPARE_PICTURES(f.Image2->Picture(), ExpectedInputPicture(f.WorkingBitmap, panel));
    QVERIFY(f.Panel2->isVisible());

    // The folder went into the settings file; every other byte is as it was read.
    const QByteArray folder = QFile::encodeName(w.PathOf("photos") + "/");
    QByteArray expected = SeededSettings();
    expected[88] = static_cast<char>(folder.size());
    expected.replace(89, folder.size(), folder);
    QCOMPARE(w.ReadFile("rumora.dat"), expected);

    Click(f.BitBtn2);
    QCOMPARE(w.platform.openCalls.size(), size_t{2});
    QCOMPARE(w.platform.openCalls[0].filterDescription, QStringLiteral("jpg"));
    QCOMPARE(w.platform.openCalls[0].filterPattern,
             QStringLiteral("*.jpg *.jpeg *.jpe *.jfif *.heic *.heif *.hif"));
    // With no folder recorded yet: the user's pictures folder, or home.
    QVERIFY(QFileInfo(w.platform.openCalls[0].initialFolder).isDir());
    QCOMPARE(w.platform.openCalls[1].initialFolder, w.PathOf("photos") + "/");
  }

  void cancellingResetsTheViewFrameAndAngleModeOnly() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    Click(f.SpeedButton1);  // layout 1, left pane
    f.SelShape1->SetBounds(30, 40, 50, 60);
    f.CheckBox4->setChecked(true);
    QVERIFY(!f.SelShape1->isVisible());
    f.FreeRotationDone = 1;
    Click(f.outputimg);
    const QByteArray settingsBefore = w.ReadFile("rumora.dat");

    Click(f.BitBtn2);  // the dialog is cancelled
    QVERIFY(f.Panel2->isVisible() && !f.Panel1->isVisible());
    QVERIFY(f.SelShape1->isVisible());
    QCOMPARE(FrameOf(f.SelShape1), QRect(0, 0, 209, 314));
    QCOMPARE(f.FreeRotationDone, 0);
    QVERIFY(!f.CheckBox4->isChecked());
    QVERIFY(f.WorkingBitmap.Empty());
    QCOMPARE(f.Panel2->size(), QSize(600, 600));
    QCOMPARE(w.ReadFile("rumora.dat"), settingsBefore);
  }

  // Each failure is told with the file and its reason; nothing else changes.
  void filesThatAreNotPhotosChangeNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = ToBytes(EncodeJpeg(PatternPhoto(120, 80), 90));
    QByteArray damagedHeader = good;
    damagedHeader[0] = 'X';
    QByteArray bomb = good;
    const qsizetype sof = bomb.indexOf(QByteArray("\xFF\xC0", 2));
    bomb[sof + 5] = bomb[sof + 7] = '\xFD';  // 65000 x 65000 in a small file
    bomb[sof + 6] = bomb[sof + 8] = '\xE8';
    QTest::newRow("text file") << QByteArray("これは写真ではありません\n")
                               << "JPEG ファイルではありません";
    QTest::newRow("empty file") << QByteArray() << "空";
    QTest::newRow("damaged header") << damagedHeader << "JPEG ファイルではありません";
    QTest::newRow("bomb header") << bomb << "65000";
    QTest::newRow("12-bit samples")
        << ReadBytes(QStringLiteral(RUMORA_TEST_DATA "/jpeg/monkey12.jpg")) << "JPEG";
    const QByteArray tail(64, '\x01');
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n", 8) + tail << "PNG 形式";
    const QByteArray box("\0\0\0\030ftyp", 8);  // a file type box of 24 bytes
    QTest::newRow("HEIC") << box + "heic" + tail << "HEIF 画像を読み込めません";
    QTest::newRow("AVIF") << box + "avif" + tail
                          << "AVIF 形式の画像です。開けるのは JPEG と HEIC/HEIF 形式";
    QTest::newRow("WebP") << QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16) + tail << "WebP 形式";
    QTest::newRow("GIF") << QByteArray("GIF89a") + tail << "GIF 形式";
    QTest::newRow("BMP") << QByteArray("BM") + tail << "BMP 形式";
    QTest::newRow("TIFF") << QByteArray("MM\0*", 4) + tail << "TIFF 形式";
    QTest::newRow("a folder") << QByteArray("folder") << "フォルダです";
  }
  void filesThatAreNotPhotosChangeNothing() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    WindowFixture w(true, SeededSettings());
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(300, 200, "good.jpg");
    const QByteArray settings = w.ReadFile("rumora.dat");
    const Bitmap input = f.Image2->Picture();
    if (QTest::currentDataTag() == QByteArray("a folder")) {
      QDir().mkpath(w.PathOf("other/bad.jpg"));
    } else {
      w.WriteFile("other/bad.jpg", bytes);
    }
    Click(f.outputimg);
    w.OpenPhoto(w.PathOf("other/bad.jpg"));
    QCOMPARE(w.platform.messages.size(), size_t{1});
    const QStringList lines = w.platform.messages[0].text.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1], w.PathOf("other/bad.jpg"));
    QVERIFY2(lines[2].contains(reason), qPrintable(lines[2]));
    QCOMPARE(f.WorkingBitmap.Width(), 300);
    QCOMPARE(f.Panel2->size(), QSize(602, 402));
    COMPARE_PICTURES(f.Image2->Picture(), input);
    QCOMPARE(w.ReadFile("rumora.dat"), settings);  // the folder is not taken over
    QVERIFY(f.Panel1->isVisible());                // the failure skips the rest of the operation
  }

  void aPhotoThatFailsWhileDecodingKeepsOnlyItsFolder() {
    WindowFixture w(true, SeededSettings());
    TForm1Parts& f = w.f();
    // Without its quantisation tables the header still reads, but the pixels cannot be decoded.
    QByteArray bytes = ToBytes(EncodeJpeg(PatternPhoto(64, 48), 90));
    for (qsizetype at; (at = bytes.indexOf(QByteArray("\xFF\xDB", 2))) >= 0;) {
      const int length = (uchar(bytes[at + 2]) << 8) | uchar(bytes[at + 3]);
      bytes.remove(at, 2 + length);
    }
    w.WriteFile("broken/p.jpg", bytes);
    Click(f.outputimg);
    f.FreeRotationDone = 1;
    w.OpenPhoto(w.PathOf("broken/p.jpg"));

    QCOMPARE(w.platform.messages.size(), size_t{1});  // with the decoder's reason
    QVERIFY(f.WorkingBitmap.Empty());
    QCOMPARE(f.Panel2->size(), QSize(600, 600));
    QVERIFY(f.Panel1->isVisible());  // the steps after the guard did not run
    QCOMPARE(f.FreeRotationDone, 1);
    const QByteArray folder = QFile::encodeName(w.PathOf("broken") + "/");
    QCOMPARE(w.ReadFile("rumora.dat").mid(88, 1 + folder.size()), char(folder.size()) + folder);
  }

  // Every kind of JPEG opens whole and silently. A photo cut short opens with the library's fill,
  // and the user is told why part of it is grey; so is a progressive photo that ends properly
  // after its first scans (it opens blurry).
  void realPhotosOfEveryKindOpen_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("warnings");
    for (const char* name : {"tower.jpg", "tower_grayscale.jpg", "tower_progressive.jpg"})
      QTest::newRow(name) << QString(name) << QSize(512, 512) << 0;
    for (const char* name : {"video-001.jpeg", "video-001.q50.411.jpeg", "video-001.cmyk.jpeg",
                             "video-001.rgb.jpeg", "video-005.gray.q50.progressive.jpeg"})
      QTest::newRow(name) << QString(name) << QSize(150, 103) << 0;
    QTest::newRow("testimgari.jpg") << "testimgari.jpg" << QSize(227, 149) << 0;
    QTest::newRow("cut short") << "" << QSize(512, 512) << 1;
    QTest::newRow("progressive, first scans only")
        << "video-001.progressive.truncated.jpeg" << QSize(150, 103) << 1;
  }
  void realPhotosOfEveryKindOpen() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    WindowFixture w;
    const QString folder = QStringLiteral(RUMORA_TEST_DATA "/jpeg/");
    const QByteArray tower = ReadBytes(folder + "tower.jpg");
    w.WriteFile("cut.jpg", tower.left(tower.size() / 2));
    w.OpenPhoto(name.isEmpty() ? w.PathOf("cut.jpg") : folder + name);
    QCOMPARE(QSize(w.f().WorkingBitmap.Width(), w.f().WorkingBitmap.Height()), size);
    QCOMPARE(w.f().Panel2->width(), 602);
    QTEST(static_cast<int>(w.platform.messages.size()), "warnings");
  }

  // A photo with a colour profile opens in sRGB while the option is on, the input view made
  // from the converted rows; as stored while it is off. An unusable profile is said once.
  void photosOpenInSrgbAsTheOptionSays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("matchColours");
    QTest::addColumn<int>("warnings");
    const Bitmap photo = testing::NoisyGradient(320, 240);
    const QByteArray p3 = ToBytes(testing::EncodeWithProfile(photo, testing::DisplayP3Profile()));
    QTest::newRow("P3 JPEG") << "p3.jpg" << p3 << true << 0;
    QTest::newRow("P3 JPEG, option off") << "p3.jpg" << p3 << false << 0;
    QTest::newRow("damaged profile")
        << "bad.jpg"
        << ToBytes(testing::EncodeWithProfile(photo, std::vector<std::uint8_t>(600, 9))) << true
        << 1;
    QTest::newRow("P3 HEIC") << "p3.heic"
                             << ToBytes(testing::EncodeHeic(
                                    photo, {.profile = testing::DisplayP3Profile()}))
                             << true << 0;
  }
  void photosOpenInSrgbAsTheOptionSays() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, matchColours);
    WindowFixture w;
    TForm1Parts& f = w.f();
    if (!matchColours) w.MenuAction(QStringLiteral("色をsRGBに合わせる"))->trigger();
    w.WriteFile(name, bytes);
    w.OpenPhoto(w.PathOf(name));
    const Bitmap expected = ReadPhotoFile(QFile::encodeName(w.PathOf(name)).toStdString(),
                                          {.matchColours = matchColours});
    COMPARE_PICTURES(f.WorkingBitmap, expected);
    COMPARE_PICTURES(f.Image2->Picture(), ExpectedInputPicture(expected, f.Panel2->size()));
    QTEST(static_cast<int>(w.platform.messages.size()), "warnings");
  }

  void aSettingsFileThatCannotBeWrittenDoesNotStopThePhoto() {
    WindowFixture w;
    QFile::remove(w.PathOf("rumora.dat"));
    QDir().mkpath(w.PathOf("rumora.dat"));  // a folder in its place: writing it fails
    w.OpenPatternPhoto(160, 120);
    QVERIFY(w.platform.messages.empty());
    QCOMPARE(w.f().WorkingBitmap.Width(), 160);
    QCOMPARE(w.f().Panel2->size(), QSize(602, 452));
    QCOMPARE(QString::fromStdString(w.f().Settings.PhotoFolder()), w.platform.executableFolder);
  }

  // Smooth scaling, the default, reaches the input view (made while the photo is decoded, on a
  // panel of odd height) and the trim; switching it off draws the input view by nearest pixel.
  void smoothScalingDrawsTheInputViewAndTheTrim() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(1203, 905);
    const QSize panel(602, 453);
    QCOMPARE(f.Panel2->size(), panel);
    COMPARE_PICTURES(f.Image2->Picture(), ExpectedInputPicture(f.WorkingBitmap, panel));

    Click(f.BitBtn3);  // the single pane: the whole output
    ScratchImageView output(600, 450);
    NoProgress progress;
    CopyRegionScaled(f.WorkingBitmap, output, 0, 0, 418, 313, TrimScale(1203, 602), progress,
                     Scaling::kSmooth);
    COMPARE_PICTURES(f.Image1->Picture(), output.Picture());

    const Bitmap smooth = f.Image2->Picture();
    w.form->SetSmoothScaling(false);
    COMPARE_PICTURES(f.Image2->Picture(),
                     ExpectedInputPicture(f.WorkingBitmap, panel, smooth, Scaling::kNearestPixel));
  }

  // On a screen of two device pixels per pixel the input view paints each opened photo from
  // its full resolution, also one that differs from the one before in few view pixels.
  void aSharpScreenShowsEachOpenedPhotoSharply() {
    if (qgetenv("QT_SCALE_FACTOR") != "2") {  // run again in a child at that ratio
      qputenv("QT_SCALE_FACTOR", "2");
      QProcess child;
      child.start(QCoreApplication::applicationFilePath(), {QTest::currentTestFunction()});
      qunsetenv("QT_SCALE_FACTOR");
      QVERIFY(child.waitForFinished(-1));
      QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
      return;
    }
    WindowFixture w;
    QCOMPARE(w.f().Image2->devicePixelRatioF(), 2.0);
    for (const int height : {900, 901}) {
      w.OpenPatternPhoto(1200, height);
      const Bitmap& p = w.f().WorkingBitmap;
      const QImage expected =
          QImage(p.Data(), p.Width(), p.Height(), QImage::Format_BGR888)
              .scaled(1204, 904, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .convertToFormat(QImage::Format_RGB32);
      const QImage painted = w.f().Image2->grab().toImage().convertToFormat(QImage::Format_RGB32);
      // The picture's 600 columns; the panel's last two show its background.
      QVERIFY2(painted.copy(0, 0, 1200, 904) == expected.copy(0, 0, 1200, 904),
               qPrintable(QString::number(height)));
    }
  }

  void trimmingFillsOnlyTheCurrentPaneInEveryLayout() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.form->SetSmoothScaling(false);  // ExpectedPane works out the nearest pixels
    w.OpenPatternPhoto(1200, 900);
    f.CheckBox3->setChecked(false);
    const TColor marker = RGB(1, 2, 3);
    for (int layout = 1; layout <= 6; ++layout) {
      Click(f.SpeedButton1);
      QCOMPARE(f.Layout.LayoutKind, layout);
      f.Image1->Picture().Fill(marker);
      const int first = f.Layout.PaneIndex;
      const int panes = layout == 6 ? 4 : (layout <= 2 ? 2 : 3);
      for (int pane = 0; pane < panes; ++pane) {
        if (pane > 0) Click(f.SpeedButton2);
        const Region region = f.Regions[f.Layout.PaneIndex];
        f.SelShape1->SetBounds(20 + 10 * pane, 30, 200, 150);
        const Bitmap expected = ExpectedPane(f, region);
        Click(f.BitBtn3);
        QVERIFY(f.Panel1->isVisible());
        QCOMPARE(f.ProgressBar1->value(), 0);
        COMPARE_PICTURES(PartOf(f.Image1->Picture(), region), expected);
        for (int later = pane + 1; later < panes; ++later) {
          QVERIFY2(AllOf(f.Image1->Picture(), f.Regions[first + later], marker),
                   qPrintable(QString("layout %1 pane %2").arg(layout).arg(later)));
        }
        Click(f.inputimg);
      }
    }
  }

  void trimmingDrawsTheSplitBarsWhileTicked() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(800, 600);
    for (int i = 0; i < 6; ++i) Click(f.SpeedButton1);  // four quarters
    Click(f.BitBtn3);
    const Bitmap& out = f.Image1->Picture();
    QVERIFY(AllOf(out, {297, 0, 301, 449}, clWhite));
    QVERIFY(AllOf(out, {0, 222, 599, 226}, clWhite));
    QVERIFY(out.Pixel(296, 100) != clWhite || out.Pixel(100, 221) != clWhite);
    f.CheckBox3->setChecked(false);
    Click(f.BitBtn3);  // the first pane again: its part of the bars is overwritten
    QVERIFY(!AllOf(out, {297, 0, 299, 221}, clWhite));
    QVERIFY(AllOf(out, {300, 0, 301, 449}, clWhite));  // bars of earlier trims stay
  }

  void savingWritesTheOutputAsAJpegAtQuality90() {
    WindowFixture w(true, SeededSettings());
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(1200, 900);
    Click(f.BitBtn3);
    Click(f.inputimg);  // the input view in front
    QDir().mkpath(w.PathOf("out"));
    w.platform.saveAnswers << w.PathOf("out/listing");
    Click(f.BitBtn1);

    QVERIFY(w.platform.messages.empty());
    QCOMPARE(w.platform.saveCalls[0].filterPattern, QStringLiteral("*.jpg"));
    const QByteArray saved = ReadBytes(w.PathOf("out/listing.jpg"));
    const Bitmap& output = f.Image1->Picture();
    QCOMPARE(QDir(w.PathOf("out")).entryList(QDir::Files), QStringList{"listing.jpg"});

    const QByteArray settings = w.ReadFile("rumora.dat");
    const QByteArray folder = QFile::encodeName(w.PathOf("out") + "/");
    QCOMPARE(int(static_cast<unsigned char>(settings[217])), int(folder.size()));
    QCOMPARE(settings.mid(218, folder.size()), folder);

    // Byte for byte what the reference encoder makes of the output at quality 90.
    const QString cjpeg = QStandardPaths::findExecutable("cjpeg");
    if (cjpeg.isEmpty()) {
      if (qEnvironmentVariableIsSet("CI")) QFAIL("cjpeg is not installed, and CI is set");
      QSKIP("cjpeg is not installed");
    }
    QVERIFY(QImage(output.Data(), 600, 450, output.Stride(), QImage::Format_BGR888)
                .save(w.PathOf("out.ppm")));
    QProcess process;
    process.start(cjpeg, {"-quality", "90", "-outfile", w.PathOf("ref.jpg"), w.PathOf("out.ppm")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(saved, ReadBytes(w.PathOf("ref.jpg")));
  }

  void savedNamesAlwaysEndInDotJpg_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << QString("photo") << "photo.jpg";
    QTest::newRow("jpeg") << QString("photo.jpeg") << "photo.jpg";
    QTest::newRow("upper case") << QString("photo.JPG") << "photo.jpg";
    QTest::newRow("two dots") << QString("shot.2024.png") << "shot.2024.jpg";
    QTest::newRow("dot in the folder only") << QString("my.dir/photo") << "my.dir/photo.jpg";
    QTest::newRow("japanese name") << QString("商品写真.png") << "商品写真.jpg";
    QTest::newRow("no shift-jis form")
        << QString("photo\u00e9\U0001F600.bmp") << "photo\u00e9\U0001F600.jpg";
    QTest::newRow("wave dash folder") << QString("out\u301c/listing") << "out\u301c/listing.jpg";
    QTest::newRow("yen sign") << QString("price\u00a5100") << "price\u00a5100.jpg";
  }
  void savedNamesAlwaysEndInDotJpg() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    WindowFixture w;
    QDir().mkpath(QFileInfo(w.PathOf("out/" + typed)).path());
    w.platform.saveAnswers << w.PathOf("out/" + typed);
    Click(w.f().BitBtn1);
    QVERIFY(QFileInfo::exists(w.PathOf("out/" + saved)));
    // Saving before anything was trimmed writes the white start picture.
    const Bitmap decoded = DecodeFile(w.PathOf("out/" + saved));
    QCOMPARE(decoded.Pixel(300, 200), clWhite);
  }

  // The save dialog asks about the name chosen; a file under the name saved instead (made to
  // end in ".jpg") is asked about again. キャンセル there, or in the dialog, writes nothing.
  void savingAsksBeforeReplacingAFileTheDialogDidNotShow_data() {
    QTest::addColumn<QString>("chosen");  // empty: the dialog is cancelled
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("saved");  // the answer when asked
    QTest::newRow("typed without .jpg, replaced") << "a" << true << true;
    QTest::newRow("typed without .jpg, cancelled") << "a" << true << false;
    QTest::newRow("upper-case extension, cancelled") << "a.JPG" << true << false;
    QTest::newRow("the name the dialog asked about") << "a.jpg" << false << true;
    QTest::newRow("dialog cancelled") << "" << false << false;
  }
  void savingAsksBeforeReplacingAFileTheDialogDidNotShow() {
    QFETCH(QString, chosen);
    QFETCH(bool, asked);
    QFETCH(bool, saved);
    WindowFixture w(true, SeededSettings());
    WriteBytes(w.PathOf("a.jpg"), "old");
    WriteBytes(w.PathOf("a.JPG"), "the chosen file");
    w.platform.saveAnswers << (chosen.isEmpty() ? "" : w.PathOf(chosen));
    w.platform.replaceAnswers << saved;
    Click(w.f().BitBtn1);
    QVERIFY(w.platform.messages.empty());
    QCOMPARE(w.platform.replaceQuestions.size(), qsizetype(asked));
    QCOMPARE(ReadBytes(w.PathOf("a.jpg")).size() > 3, saved);
    QCOMPARE(ReadBytes(w.PathOf("a.JPG")), QByteArray("the chosen file"));
    QCOMPARE(w.ReadFile("rumora.dat") == SeededSettings(), !saved);
  }

  void aSaveThatFailsSaysWhyAndChangesNothing_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("reason");  // the system's reason in Japanese; empty: any
    QTest::newRow("read-only folder")
        << "locked/out.png" << QString("locked/out.jpg") << "アクセス";
    QTest::newRow("name of a folder") << "taken.jpg" << QString("taken.jpg") << "フォルダです";
    QTest::newRow("path through a file")
        << "plain/out" << QString("plain/out.jpg") << "フォルダでない";
    // Read-only for every user, root included, so this row runs wherever the tests run.
    QTest::newRow("read-only file system") << "/proc/out.png" << QString("/proc/out.jpg") << "";
  }
  void aSaveThatFailsSaysWhyAndChangesNothing() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(QString, reason);
    WindowFixture w(true, SeededSettings());
    QDir().mkpath(w.PathOf("locked"));
    QFile::setPermissions(w.PathOf("locked"), QFile::ReadOwner | QFile::ExeOwner);
    const auto unlock = qScopeGuard([&w] {
      QFile::setPermissions(w.PathOf("locked"),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (typed.startsWith("locked") && ::geteuid() == 0) QSKIP("root writes into any folder");
    QDir().mkpath(w.PathOf("taken.jpg"));
    WriteBytes(w.PathOf("plain"), "a file, not a folder");
    const auto path = [&w](const QString& name) {
      return QDir::isAbsolutePath(name) ? name : w.PathOf(name);
    };
    w.platform.saveAnswers << path(typed);
    Click(w.f().BitBtn1);

    QCOMPARE(w.platform.Headings(), QStringList{"warning|警告"});
    const QString& text = w.platform.messages[0].text;
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1], path(saved));
    QVERIFY2(!lines[2].trimmed().isEmpty() && lines[2].contains(reason), qPrintable(text));
    QCOMPARE(w.f().Settings.SaveFolder(), std::string());
    QCOMPARE(w.ReadFile("rumora.dat"), SeededSettings());
    QCOMPARE(QDir(w.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{"locked", "plain", "rumora.dat", "taken.jpg"}));
    QCOMPARE(QDir(w.PathOf("locked")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(QDir(w.PathOf("taken.jpg")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
  }
};

QTEST_MAIN(PhotoWindowTest)
#include "tst_photo_window.moc"
