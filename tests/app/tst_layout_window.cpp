// Layouts and panes through the window: the layout and position buttons, the thumbnail, and the
// trimming frame placed on each pane and keeping its proportions while it is dragged.
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "layout/sel_shape.h"
#include "layout/trim.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

class LayoutWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  void layoutButtonStepsThroughAllSevenLayouts() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    const int firstSlots[] = {2, 4, 6, 9, 12, 15, 1};
    const QSize frameSizes[] = {{209, 314}, {419, 157}, {139, 314}, {419, 104},
                                {209, 314}, {209, 157}, {419, 314}};
    for (int step = 0; step < 7; ++step) {
      QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
      QCOMPARE(f.Layout.LayoutKind, (step + 1) % 7);
      QCOMPARE(f.Layout.PaneIndex, firstSlots[step]);
      QCOMPARE(f.Layout.PaneStep, 0);
      QCOMPARE(f.SpeedButton2->isVisible(), f.Layout.LayoutKind != 0);
      QCOMPARE(FrameOf(f.SelShape1).size(), frameSizes[step]);
      QVERIFY(f.SelShape1->isVisible());
    }
  }

  void positionButtonCyclesThePanesOfLayoutThree() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    for (int i = 0; i < 3; ++i) QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
    QCOMPARE(f.Layout.LayoutKind, 3);
    QList<int> visited;
    QList<QPoint> corners;
    for (int i = 0; i < 3; ++i) {
      QTest::mouseClick(f.SpeedButton2, Qt::LeftButton);
      visited << f.Layout.PaneIndex;
      corners << QPoint(f.SelShape1->Left(), f.SelShape1->Top());
    }
    QCOMPARE(visited, (QList<int>{7, 8, 6}));
    QCOMPARE(corners, (QList<QPoint>{{200, 0}, {400, 0}, {0, 0}}));
  }

  void thumbnailShowsTheCurrentPaneWhite() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    for (int i = 0; i < 6; ++i) QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
    QCOMPARE(f.Layout.LayoutKind, 6);
    const Bitmap& thumb = f.gbImage->Picture();
    // Layout 6, first pane (top left) current: quarters at one fifth of the output's scale.
    QCOMPARE(thumb.Pixel(5, 5), clWhite);
    QCOMPARE(thumb.Pixel(5, 50), clSilver);
    QCOMPARE(thumb.Pixel(70, 5), clSilver);
    QCOMPARE(thumb.Pixel(70, 50), clSilver);
    QCOMPARE(thumb.Pixel(60, 20), clBlack);             // the border between the columns
    QTest::mouseClick(f.SpeedButton2, Qt::LeftButton);  // bottom left
    QCOMPARE(thumb.Pixel(5, 5), clSilver);
    QCOMPARE(thumb.Pixel(5, 50), clWhite);
    QCOMPARE(f.Layout.PaneIndex, 16);
  }

  void positionStepLeavesTheOutputAlone() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    f.Image1->Picture().Fill(RGB(1, 2, 3));
    QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
    QTest::mouseClick(f.SpeedButton2, Qt::LeftButton);
    QCOMPARE(f.Image1->Picture().Pixel(599, 449), RGB(1, 2, 3));
  }

  void draggingTheRightEdgeKeepsThePaneProportions() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    TSelShape* frame = f.SelShape1;
    for (int i = 0; i < 7; ++i) QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
    QCOMPARE(FrameOf(frame), QRect(0, 0, 419, 314));  // back in layout 0, on its one pane
    QTest::mouseMove(frame, QPoint(417, 150));        // hover: right band
    QCOMPARE(frame->cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(417, 150));
    QTest::mouseMove(frame, QPoint(397, 150));  // width 419 -> 399; height still 314
    QCOMPARE(FrameOf(frame), QRect(0, 0, 399, 314));
    QTest::mouseMove(frame, QPoint(396, 150));  // ratio imposed first: Round(399 * 0.75) = 299
    QCOMPARE(FrameOf(frame), QRect(0, 0, 398, 299));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(396, 150));
    QCOMPARE(w.platform.clipCalls.size(), size_t{2});
    QVERIFY(w.platform.clipCalls[0].has_value());
    QCOMPARE(w.platform.clipCalls[0]->size(), f.Panel2->size());
    QVERIFY(!w.platform.clipCalls[1].has_value());
  }

  void aFrameThatWouldPassThePhotosFootIsMadeNarrower() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    f.Panel2->resize(602, 302);  // as for a 2:1 landscape photo
    TSelShape* frame = f.SelShape1;
    frame->SetBounds(0, 100, 300, 150);
    QTest::mouseMove(frame, QPoint(150, 75));  // 100 + 300 * 0.75 > 300: width := Round(200 / 0.75)
    QCOMPARE(FrameOf(frame), QRect(0, 100, 267, 150));

    // A frame whose top is already at the photo's foot keeps a width that can still be grabbed.
    frame->SetBounds(0, 299, 100, 50);  // Round((300 - 299) / 0.75) = 1
    QTest::mouseMove(frame, QPoint(50, 1));
    QCOMPARE(FrameOf(frame), QRect(0, 299, 5, 50));
  }

  void thePlacedFrameStaysOnThePhoto_data() {
    QTest::addColumn<QSize>("photo");
    QTest::newRow("portrait") << QSize(300, 400);
    QTest::newRow("square") << QSize(400, 400);
    QTest::newRow("16:10") << QSize(480, 300);
    QTest::newRow("2:1") << QSize(600, 300);
    QTest::newRow("4:1") << QSize(800, 200);
  }

  // In every pane of every layout the trim reads only pixels of the photo, from a frame of the
  // pane's proportions inside the scaled photo.
  void thePlacedFrameStaysOnThePhoto() {
    QFETCH(QSize, photo);
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(photo.width(), photo.height());
    const int panes[] = {1, 2, 2, 3, 3, 3, 4};
    for (int layout = 0; layout < 7; ++layout) {
      for (int pane = 0; pane < panes[layout]; ++pane) {
        const QRect frame = FrameOf(f.SelShape1);
        const QString where = QStringLiteral("layout %1 pane %2").arg(layout).arg(pane + 1);
        const Region block = SourceBlock(frame.left(), frame.top(), frame.right(), frame.bottom(),
                                         TrimScale(photo.width(), f.Panel2->width()));
        const QRect panel(0, 0, f.Panel2->width() - 2, f.Panel2->height() - 2);
        QVERIFY2(panel.contains(frame), qPrintable(where));
        const QRect read(QPoint(block.left, block.top), QPoint(block.right, block.bottom));
        QVERIFY2(QRect(QPoint(0, 0), photo).contains(read), qPrintable(where));
        const Region& slot = f.Regions[f.Layout.PaneIndex];
        const double ratio = double(RegionHeight(slot)) / RegionWidth(slot);
        QVERIFY2(std::abs(frame.height() - frame.width() * ratio) <= 2, qPrintable(where));
        if (layout > 0) Click(f.SpeedButton2);
      }
      Click(f.SpeedButton1);
    }
  }
};

QTEST_MAIN(LayoutWindowTest)
#include "tst_layout_window.moc"
