// The rotate button and the angle measuring line, through the window's own controls and mouse
// events on the input view.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "app/input_panel_size.h"
#include "imaging/canvas.h"
#include "imaging/rotate_bitmap.h"
#include "imaging/scratch_image_view.h"
#include "layout/sel_shape.h"
#include "tests/app/photo_files.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

// A drag on the input view: press at `from`, moves through `path` with `button` held, release
// at `releaseAt`.
void Drag(TForm1Parts& f, QPoint from, const QList<QPoint>& path, QPoint releaseAt,
          Qt::MouseButton button = Qt::LeftButton) {
  QTest::mousePress(f.Image2, button, {}, from);
  for (const QPoint& p : path) QTest::mouseMove(f.Image2, p);
  QTest::mouseRelease(f.Image2, button, {}, releaseAt);
}

// `picture` with a red line of width 3 drawn from `a` to `b` in `mode`.
Bitmap WithLine(Bitmap picture, QPoint a, QPoint b, PenMode mode) {
  Canvas canvas(&picture);
  canvas.pen = {clRed, 3, mode};
  canvas.MoveTo(a.x(), a.y());
  canvas.LineTo(b.x(), b.y());
  return picture;
}

QString Message(const FakePlatform& platform) {
  QString all;
  for (const auto& m : platform.messages) all += m.kind + "|" + m.caption + "|" + m.text + "\n";
  return all;
}

}  // namespace

class RotateWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }
  void cleanup() { QLocale::setDefault(QLocale::c()); }

  void rotatingAnOpenedPhoto() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(300, 200);
    QTest::mouseClick(f.CheckBox4, Qt::LeftButton);
    QVERIFY(!f.SelShape1->isVisible());
    Click(f.BitBtn11);
    Bitmap expected = DecodeFile(w.PathOf("p.jpg"));
    RotateBitmap(expected, clWhite, 10);

    QVERIFY2(w.platform.messages.empty(), qPrintable(Message(w.platform)));
    COMPARE_PICTURES(f.WorkingBitmap, expected);
    const PanelSize panel = InputPanelSize(expected.Width(), expected.Height());
    QCOMPARE(f.Panel2->size(), QSize(panel.width, panel.height));
    COMPARE_PICTURES(f.Image2->Picture(),
                     ExpectedInputPicture(expected, QSize(panel.width, panel.height)));
    QVERIFY(f.Panel2->isVisible());
    QVERIFY(!f.CheckBox4->isChecked());
    QVERIFY(f.SelShape1->isVisible());
    QCOMPARE(f.FreeRotationDone, 1);
  }

  void aSecondRotationWarnsUntilTheOpenButtonIsPressed() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(120, 90);
    Click(f.BitBtn11);
    const Bitmap once = f.WorkingBitmap;
    f.Edit1->setText("-3");
    Click(f.BitBtn11);
    QCOMPARE(w.platform.Headings(), QStringList{"warning|警告"});
    QCOMPARE(w.platform.messages[0].text,
             QStringLiteral("再回転すると画像劣化の為、画像再読み取りしてください"));
    COMPARE_PICTURES(f.WorkingBitmap, once);
    QCOMPARE(f.Edit1->text(), QStringLiteral("-3"));

    Click(f.BitBtn2);  // the dialog is cancelled: one more rotation is allowed
    QCOMPARE(f.FreeRotationDone, 0);
    Click(f.BitBtn11);
    QCOMPARE(w.platform.messages.size(), size_t{1});
    Bitmap expected = once;
    RotateBitmap(expected, clWhite, -3);
    COMPARE_PICTURES(f.WorkingBitmap, expected);
    QCOMPARE(f.FreeRotationDone, 1);
  }

  void textThatIsNoUsableNumberChangesNothing_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("reported");
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("negative zero with exponent") << "-0.0e3" << false;
    QTest::newRow("full-width zero, as an input method types it") << "　－０．０ｅ３" << false;
    QTest::newRow("full-width letters") << "ａｂｃ" << true;
    QTest::newRow("letters") << "abc" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("beyond the float range") << "1e39" << true;
    QTest::newRow("not a number") << "nan" << true;
    QTest::newRow("infinity") << "inf" << true;
    QTest::newRow("another locale's separator") << "1,5" << true;
  }
  void textThatIsNoUsableNumberChangesNothing() {
    QFETCH(QString, text);
    QFETCH(bool, reported);
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(64, 48);
    const Bitmap photo = f.WorkingBitmap;
    const Bitmap picture = f.Image2->Picture();
    f.Edit1->setText(text);
    Click(f.BitBtn11);
    if (reported) {
      QCOMPARE(w.platform.Headings(), QStringList{"error|ルモラ"});
      QCOMPARE(w.platform.messages[0].text,
               QStringLiteral("'%1' は浮動小数点数ではありません.").arg(text));
    } else {
      QVERIFY2(w.platform.messages.empty(), qPrintable(Message(w.platform)));
    }
    COMPARE_PICTURES(f.WorkingBitmap, photo);
    COMPARE_PICTURES(f.Image2->Picture(), picture);
    QCOMPARE(f.FreeRotationDone, 0);
    f.Edit1->setText("10");  // the flag was left alone: a rotation still works
    Click(f.BitBtn11);
    QCOMPARE(f.FreeRotationDone, 1);
  }

  void theLocalesDecimalSeparatorIsRead() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(64, 48);
    Bitmap expected = f.WorkingBitmap;
    RotateBitmap(expected, clWhite, 1.5f);
    f.Edit1->setText("1,5");
    Click(f.BitBtn11);
    QVERIFY2(w.platform.messages.empty(), qPrintable(Message(w.platform)));
    COMPARE_PICTURES(f.WorkingBitmap, expected);
  }

  void aResultTooLargeToHoldIsReportedAndChangesNothing() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    f.WorkingBitmap = Bitmap::Filled(1, 50000, clBlack);  // at 45 degrees: ~35000 x 35000
    const QSize panel = f.Panel2->size();
    const Bitmap picture = f.Image2->Picture();
    f.Edit1->setText("45");
    Click(f.BitBtn11);
    QCOMPARE(w.platform.Headings(), QStringList{"error|ルモラ"});
    QVERIFY2(w.platform.messages[0].text.startsWith(QStringLiteral("写真を回転できません")),
             qPrintable(Message(w.platform)));
    QCOMPARE(f.WorkingBitmap.Width(), 1);
    QCOMPARE(f.WorkingBitmap.Height(), 50000);
    QCOMPARE(f.Panel2->size(), panel);
    COMPARE_PICTURES(f.Image2->Picture(), picture);
    QCOMPARE(f.FreeRotationDone, 0);
  }

  void aLineSetsTheAngleThatLevelsIt_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("angle");
    QTest::newRow("gentle rise") << QPoint(100, 300) << QPoint(400, 250) << "9.5";
    QTest::newRow("steep, made vertical") << QPoint(200, 100) << QPoint(220, 400) << "3.8";
    QTest::newRow("down at 45") << QPoint(100, 100) << QPoint(200, 200) << "-45.0";
    QTest::newRow("up at 45") << QPoint(100, 200) << QPoint(200, 100) << "45.0";
    QTest::newRow("one pixel over 100") << QPoint(100, 300) << QPoint(200, 299) << "0.6";
    QTest::newRow("same, right to left") << QPoint(200, 299) << QPoint(100, 300) << "0.6";
    QTest::newRow("level, right to left") << QPoint(400, 50) << QPoint(100, 50) << "0.0";
    QTest::newRow("exactly vertical") << QPoint(300, 50) << QPoint(300, 500) << "0.0";
  }
  void aLineSetsTheAngleThatLevelsIt() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, angle);
    WindowFixture w;
    TForm1Parts& f = w.f();
    QTest::mouseClick(f.CheckBox4, Qt::LeftButton);
    const Bitmap before = f.Image2->Picture();
    const QPoint halfway = (from + to) / 2;
    // The release point is not used: the line ends where the mouse last moved.
    Drag(f, from, {halfway, to}, to + QPoint(9, -7));
    QCOMPARE(f.Edit1->text(), angle);
    QVERIFY2(w.platform.messages.empty(), qPrintable(Message(w.platform)));
    COMPARE_PICTURES(f.Image2->Picture(), WithLine(before, from, to, PenMode::pmCopy));
    const Region line = f.Regions[RegionTable::kAngleLineSlot];
    QCOMPARE(QPoint(line.left, line.top), from);
    QCOMPARE(QPoint(line.right, line.bottom), to);
  }

  void theRubberBandRestoresTheViewAsItMoves() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(400, 300);
    const Bitmap photo = f.WorkingBitmap;
    QTest::mouseClick(f.CheckBox4, Qt::LeftButton);
    const Bitmap before = f.Image2->Picture();
    const QPoint from(50, 60);
    QTest::mousePress(f.Image2, Qt::LeftButton, {}, from);
    for (const QPoint to : {QPoint(300, 100), QPoint(120, 400), QPoint(500, 420)}) {
      QTest::mouseMove(f.Image2, to);
      COMPARE_PICTURES(f.Image2->Picture(), WithLine(before, from, to, PenMode::pmNotXor));
    }
    QTest::mouseRelease(f.Image2, Qt::LeftButton, {}, QPoint(500, 420));
    COMPARE_PICTURES(f.WorkingBitmap, photo);  // the photo is never drawn on
  }

  void onlyTheLeftButtonDragsAndOnlyLineModeDraws() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    const Bitmap before = f.Image2->Picture();
    // Outside line mode: the press is recorded and the pen set, but nothing is drawn.
    Drag(f, QPoint(10, 20), {QPoint(300, 200)}, QPoint(300, 200));
    QCOMPARE(f.Regions[RegionTable::kAngleLineSlot], (Region{10, 20, 10, 20}));
    QCOMPARE(f.Image2->GetCanvas().pen.width, 3);
    QCOMPARE(f.Image2->GetCanvas().pen.colour, clRed);
    QCOMPARE(f.Edit1->text(), QStringLiteral("10"));
    COMPARE_PICTURES(f.Image2->Picture(), before);

    // In line mode a right-button drag leaves the end at the press point: no line, no angle.
    QTest::mouseClick(f.CheckBox4, Qt::LeftButton);
    Drag(f, QPoint(40, 50), {QPoint(200, 100)}, QPoint(200, 100), Qt::RightButton);
    QCOMPARE(f.Regions[RegionTable::kAngleLineSlot], (Region{40, 50, 40, 50}));
    QCOMPARE(f.Edit1->text(), QStringLiteral("10"));
    COMPARE_PICTURES(f.Image2->Picture(), before);
    QVERIFY2(w.platform.messages.empty(), qPrintable(Message(w.platform)));
  }

  void severalLinesLeaveSeveralMarksUntilTheViewIsRedrawn() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(400, 300);
    QTest::mouseClick(f.CheckBox4, Qt::LeftButton);
    const Bitmap before = f.Image2->Picture();
    Drag(f, QPoint(20, 30), {QPoint(300, 60)}, QPoint(300, 60));
    Drag(f, QPoint(50, 300), {QPoint(500, 200)}, QPoint(500, 200));
    const Bitmap both = WithLine(WithLine(before, QPoint(20, 30), QPoint(300, 60), PenMode::pmCopy),
                                 QPoint(50, 300), QPoint(500, 200), PenMode::pmCopy);
    COMPARE_PICTURES(f.Image2->Picture(), both);
    QCOMPARE(f.Edit1->text(), QStringLiteral("12.5"));

    f.Edit1->setText("90");  // rotating redraws the view: the marks are gone
    Click(f.BitBtn11);
    QVERIFY(f.Image2->Picture().Pixel(160, 45) != clRed);
    QVERIFY(f.Image2->Picture().Pixel(275, 250) != clRed);
  }

  void cleanupTestCase() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }
};

QTEST_MAIN(RotateWindowTest)
#include "tst_rotate_window.moc"
