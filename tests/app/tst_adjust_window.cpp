// The tone buttons and the quarter turns through the window: what they do to the photo, the
// input view, the progress bar and the rest of the window, and the rule that nothing else runs
// while a tone pass handles events.
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <cmath>
#include <functional>

#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "app/input_panel_size.h"
#include "imaging/quarter_turn.h"
#include "imaging/scratch_image_view.h"
#include "layout/sel_shape.h"
#include "tests/app/photo_files.h"
#include "tests/app/window_fixture.h"
#include "tests/imaging/tone_reference.h"

using namespace rumora;

namespace {

enum Tone { kContrast, kBrighten, kDarken };

QPushButton* ToneButton(TForm1Parts& f, int tone) {
  return tone == kContrast ? f.BitBtn5 : tone == kBrighten ? f.BitBtn4 : f.BitBtn6;
}

// `photo` with every byte mapped through the tone's reference table.
Bitmap Toned(Bitmap photo, int tone) {
  const std::array<int, 256> table = testing::ReferenceToneTable(static_cast<testing::Tone>(tone));
  for (int y = 0; y < photo.Height(); ++y) {
    for (int x = 0; x < 3 * photo.Width(); ++x) photo.Row(y)[x] = table[photo.Row(y)[x]];
  }
  return photo;
}

// Every value the bar shows, in order, while the window runs `action`.
QList<int> BarValuesDuring(TForm1Parts& f, const std::function<void()>& action) {
  QList<int> values;
  const auto connection =
      QObject::connect(f.ProgressBar1, &QProgressBar::valueChanged, [&](int v) { values << v; });
  action();
  QObject::disconnect(connection);
  return values;
}

// The values a bar at 0 shows for a loop of `steps` steps: 1 .. steps - 1, then 0.
QList<int> StepValues(int steps) {
  QList<int> values;
  for (int step = 1; step < steps; ++step) values << step;
  if (steps > 1) values << 0;
  return values;
}

}  // namespace

class AdjustWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  void toneButtonsMapEveryByteOfARealPhoto_data() {
    QTest::addColumn<int>("tone");
    QTest::addColumn<bool>("checkedBefore");
    QTest::addColumn<bool>("checkedAfter");  // the darken direction
    QTest::newRow("boost") << int{kContrast} << true << true;
    QTest::newRow("brighter") << int{kBrighten} << true << false;
    QTest::newRow("darker") << int{kDarken} << false << true;
  }
  void toneButtonsMapEveryByteOfARealPhoto() {
    QFETCH(int, tone);
    QFETCH(bool, checkedBefore);
    QFETCH(bool, checkedAfter);
    WindowFixture w;
    TForm1Parts& f = w.f();
    const QString path = QStringLiteral(RUMORA_TEST_DATA "/jpeg/testorig.jpg");
    w.OpenPhoto(path);
    const Bitmap opened = DecodeFile(path);
    COMPARE_PICTURES(f.WorkingBitmap, opened);
    const Bitmap pictureBefore = f.Image2->Picture(), outputBefore = f.Image1->Picture();
    const QRect frameBefore = f.SelShape1->geometry();
    f.CheckBox1->setChecked(checkedBefore);

    const QList<int> bar = BarValuesDuring(f, [&] { Click(ToneButton(f, tone)); });

    COMPARE_PICTURES(f.WorkingBitmap, Toned(opened, tone));
    QCOMPARE(f.CheckBox1->isChecked(), checkedAfter);
    QCOMPARE(f.ProgressBar1->maximum(), opened.Width());
    QCOMPARE(f.ProgressBar1->value(), 0);
    QCOMPARE(bar, StepValues(opened.Width()));
    COMPARE_PICTURES(f.Image2->Picture(),
                     ExpectedInputPicture(f.WorkingBitmap, f.Image2->size(), pictureBefore));
    COMPARE_PICTURES(f.Image1->Picture(), outputBefore);
    QCOMPARE(f.SelShape1->geometry(), frameBefore);
    QVERIFY(w.platform.messages.empty());
  }

  void pressesCompound() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    f.WorkingBitmap = Bitmap::Filled(40, 30, RGB(64, 30, 225));
    Click(f.BitBtn4);
    QCOMPARE(f.WorkingBitmap.Pixel(39, 29), RGB(128, 87, 240));
    Click(f.BitBtn6);
    QCOMPARE(GetRValue(f.WorkingBitmap.Pixel(0, 0)), 75);
    f.WorkingBitmap = Bitmap::Filled(40, 30, RGB(30, 225, 0));
    Click(f.BitBtn5);
    QCOMPARE(f.WorkingBitmap.Pixel(5, 5), RGB(1, 254, 0));
    Click(f.BitBtn5);
    QCOMPARE(f.WorkingBitmap.Pixel(5, 5), RGB(0, 255, 0));
  }

  void turnsReshapeThePhotoAndItsPanelOnly_data() {
    QTest::addColumn<bool>("clockwise");
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QSize>("panel");
    QTest::newRow("right, landscape") << true << QSize(300, 200) << QSize(402, 602);
    QTest::newRow("left, landscape") << false << QSize(300, 200) << QSize(402, 602);
    QTest::newRow("right, portrait") << true << QSize(200, 300) << QSize(602, 402);
    QTest::newRow("left, square") << false << QSize(250, 250) << QSize(602, 602);
  }
  void turnsReshapeThePhotoAndItsPanelOnly() {
    QFETCH(bool, clockwise);
    QFETCH(QSize, photo);
    QFETCH(QSize, panel);
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(photo.width(), photo.height());
    f.FreeRotationDone = 1;
    Bitmap expected = f.WorkingBitmap;
    NoProgress none;
    clockwise ? TurnRight(expected, none) : TurnLeft(expected, none);
    const Bitmap* const identity = &f.WorkingBitmap;
    const Bitmap pictureBefore = f.Image2->Picture(), outputBefore = f.Image1->Picture();
    const QRect frameBefore = f.SelShape1->geometry();

    const QList<int> bar = BarValuesDuring(f, [&] { Click(clockwise ? f.BitBtn7 : f.BitBtn8); });

    QCOMPARE(&f.WorkingBitmap, identity);
    COMPARE_PICTURES(f.WorkingBitmap, expected);
    QCOMPARE(f.Panel2->size(), panel);
    QCOMPARE(f.Image2->size(), panel);
    COMPARE_PICTURES(f.Image2->Picture(),
                     ExpectedInputPicture(f.WorkingBitmap, panel, pictureBefore));
    QCOMPARE(bar, StepValues(photo.width()));
    QCOMPARE(f.ProgressBar1->maximum(), photo.width());
    QCOMPARE(f.SelShape1->geometry(), frameBefore);
    QCOMPARE(f.FreeRotationDone, 1);
    COMPARE_PICTURES(f.Image1->Picture(), outputBefore);

    // Back the other way, and the photo and panel are as opened.
    Click(clockwise ? f.BitBtn8 : f.BitBtn7);
    COMPARE_PICTURES(f.WorkingBitmap, DecodeFile(w.PathOf("p.jpg")));
    const PanelSize opened = InputPanelSize(photo.width(), photo.height());
    QCOMPARE(f.Panel2->size(), QSize(opened.width, opened.height));
    QVERIFY(w.platform.messages.empty());
  }

  // The tone passes, the turns, the free rotation and the trim do nothing without a photo.
  void buttonsWithoutAPhotoChangeNothing() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    const QSize panelBefore = f.Panel2->size();
    const Bitmap pictureBefore = f.Image2->Picture(), output = f.Image1->Picture();
    for (QPushButton* button :
         {f.BitBtn5, f.BitBtn4, f.BitBtn6, f.BitBtn7, f.BitBtn8, f.BitBtn11, f.BitBtn3}) {
      const QList<int> bar = BarValuesDuring(f, [&] { Click(button); });
      QVERIFY2(bar.isEmpty(), qPrintable(button->text()));
      QCOMPARE(f.ProgressBar1->maximum(), 100);
      QVERIFY(f.WorkingBitmap.Empty() && f.FreeRotationDone == 0 && f.Panel2->isVisible());
      QCOMPARE(f.Panel2->size(), panelBefore);
      COMPARE_PICTURES(f.Image2->Picture(), pictureBefore);
      COMPARE_PICTURES(f.Image1->Picture(), output);
    }
    QVERIFY(w.platform.messages.empty());
  }

  // Clicks and a close delivered by the event pump of a pass: every handler is ignored until the
  // pass has ended, the close waits for it, and afterwards the buttons work again.
  void nothingElseRunsWhileATonePassHandlesEvents() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(300, 200);
    const Bitmap opened = f.WorkingBitmap;
    const QSize panelBefore = f.Panel2->size();
    const Bitmap outputBefore = f.Image1->Picture();
    const std::int32_t layoutBefore = f.Layout.LayoutKind;
    w.platform.openAnswers << w.PathOf("p.jpg");
    const std::size_t openCallsBefore = w.platform.openCalls.size();

    bool ranInsidePass = false, visibleAfterClose = false, handlerRan = false, dropTaken = false;
    const bool angleModeBefore = f.CheckBox4->isChecked();
    const QString angleBefore = f.Edit1->text();
    QTimer::singleShot(0, w.form.get(), [&] {
      ranInsidePass = w.form->TonePassRunning();
      w.form->Run([&] { handlerRan = true; });
      Click(f.CheckBox4);
      // Text an input method commits (it takes the keys before any event filter sees them).
      QInputMethodEvent committed;
      committed.setCommitString(QStringLiteral("45"));
      QApplication::sendEvent(f.Edit1, &committed);
      for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
               f.BitBtn2, f.BitBtn7, f.BitBtn8, f.BitBtn3, f.BitBtn5, f.BitBtn6, f.BitBtn11,
               f.BitBtn1, f.SpeedButton1}) {
        Click(button);
      }
      // A file dropped meanwhile is refused, not taken and forgotten.
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(w.PathOf("p.jpg"))});
      QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
      QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
      for (QDropEvent* event : {static_cast<QDropEvent*>(&enter), &drop}) {
        QApplication::sendEvent(w.form.get(), event);
        dropTaken = dropTaken || event->isAccepted();
      }
      w.form->close();
      visibleAfterClose = w.form->isVisible();
    });
    Click(f.BitBtn4);

    QVERIFY(ranInsidePass);
    QVERIFY(!handlerRan);
    QVERIFY(!dropTaken);
    QCOMPARE(f.CheckBox4->isChecked(), angleModeBefore);
    QCOMPARE(f.Edit1->text(), angleBefore);
    QVERIFY(visibleAfterClose);
    QVERIFY(!w.form->isVisible());  // closed once the pass had ended
    COMPARE_PICTURES(f.WorkingBitmap, Toned(opened, kBrighten));
    QCOMPARE(f.Panel2->size(), panelBefore);
    QCOMPARE(w.platform.openCalls.size(), openCallsBefore);
    QVERIFY(w.platform.saveCalls.empty());
    QCOMPARE(f.Layout.LayoutKind, layoutBefore);
    COMPARE_PICTURES(f.Image1->Picture(), outputBefore);
    QVERIFY(w.platform.messages.empty());

    w.form->show();
    Click(f.BitBtn7);
    QCOMPARE(f.WorkingBitmap.Width(), 200);
    QVERIFY(!w.form->TonePassRunning());
  }
};

QTEST_MAIN(AdjustWindowTest)
#include "tst_adjust_window.moc"
