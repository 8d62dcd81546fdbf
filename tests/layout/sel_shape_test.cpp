#include "layout/sel_shape.h"

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "layout/region_table.h"
#include "layout/trim_frame.h"

using rumora::FrameBounds;
using rumora::TSelShape;

namespace {

struct MoveSeen {
  int x;
  int y;
  FrameBounds boundsAtEvent;
};

}  // namespace

class SelShapeTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void startsWithTheFrameSettings();
  void cursorFollowsTheZone_data();
  void cursorFollowsTheZone();
  void dragInsideMovesTheFrame();
  void dragOfACornerResizes();
  void eventsComeBeforeTheDragStep();
  void dragLeavingThePanelIsClampedToIt();
  void clipCursorHookOnPressAndRelease();
  void hidingTheFrameMidDragEndsTheDrag();
  void ratioKeeperMakesATopDragShiftTheFrame();
  void paintsOnlyTheOutline();

 private:
  void Press(QPoint parentPoint);
  void MoveTo(QPoint parentPoint);
  void Release(QPoint parentPoint);
  QPoint Local(QPoint parentPoint) const { return frame_->mapFrom(panel_.get(), parentPoint); }

  std::unique_ptr<QWidget> panel_;
  TSelShape* frame_ = nullptr;  // owned by the panel
};

void SelShapeTest::init() {
  panel_ = std::make_unique<QWidget>();
  panel_->resize(300, 200);
  frame_ = new TSelShape(panel_.get());
  frame_->SetPenColour(Qt::red);
  frame_->SetPenWidth(2);
  frame_->SetBounds(50, 40, 100, 80);
  panel_->show();
  QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
}

void SelShapeTest::cleanup() {
  if (QWidget::mouseGrabber() != nullptr) QWidget::mouseGrabber()->releaseMouse();
  panel_.reset();
  QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void SelShapeTest::Press(QPoint p) {
  QTest::mouseMove(frame_, Local(p));
  QTest::mousePress(frame_, Qt::LeftButton, Qt::NoModifier, Local(p));
}

// Moves go to the frame as long as it is hovered or holds the implicit grab of a press.
void SelShapeTest::MoveTo(QPoint p) { QTest::mouseMove(frame_, Local(p)); }

void SelShapeTest::Release(QPoint p) {
  QTest::mouseRelease(frame_, Qt::LeftButton, Qt::NoModifier, Local(p));
}

void SelShapeTest::startsWithTheFrameSettings() {
  TSelShape fresh(panel_.get());
  const rumora::SelFrame& f = fresh.Frame();
  QCOMPARE(f.SizeSense, 5);
  QCOMPARE(f.MinWidth, 5);
  QCOMPARE(f.MinHeight, 5);
  QCOMPARE(f.MaxBottom, 0);
  QCOMPARE(f.SelOption.Byte(), std::uint8_t{0x0F});
  QCOMPARE(f.Zone(), rumora::GripZone::Inside);
  QVERIFY(!f.Dragging());
  QVERIFY(fresh.hasMouseTracking());
  QCOMPARE(frame_->geometry(), QRect(50, 40, 100, 80));
  frame_->SetHeight(30);
  QCOMPARE(frame_->geometry(), QRect(50, 40, 100, 30));
  QCOMPARE(frame_->Height(), 30);
}

void SelShapeTest::cursorFollowsTheZone_data() {
  QTest::addColumn<QPoint>("point");
  QTest::addColumn<int>("shape");
  QTest::newRow("inside") << QPoint(100, 80) << int(Qt::ArrowCursor);
  QTest::newRow("top") << QPoint(100, 42) << int(Qt::SizeVerCursor);
  QTest::newRow("bottom") << QPoint(100, 118) << int(Qt::SizeVerCursor);
  QTest::newRow("left") << QPoint(52, 80) << int(Qt::SizeHorCursor);
  QTest::newRow("right") << QPoint(147, 80) << int(Qt::SizeHorCursor);
  QTest::newRow("topRight") << QPoint(148, 41) << int(Qt::SizeBDiagCursor);
  QTest::newRow("bottomLeft") << QPoint(51, 118) << int(Qt::SizeBDiagCursor);
  QTest::newRow("topLeft") << QPoint(51, 41) << int(Qt::SizeFDiagCursor);
  QTest::newRow("bottomRight") << QPoint(148, 118) << int(Qt::SizeFDiagCursor);
}

void SelShapeTest::cursorFollowsTheZone() {
  QFETCH(QPoint, point);
  QFETCH(int, shape);
  MoveTo(QPoint(100, 60));
  MoveTo(point);
  QCOMPARE(int(frame_->cursor().shape()), shape);
}

void SelShapeTest::dragInsideMovesTheFrame() {
  Press({100, 80});
  MoveTo({110, 95});
  MoveTo({120, 100});
  Release({120, 100});
  QCOMPARE(frame_->geometry(), QRect(70, 60, 100, 80));
  QCOMPARE(frame_->Left(), 70);
  QVERIFY(!frame_->Frame().Dragging());
}

void SelShapeTest::dragOfACornerResizes() {
  Press({148, 118});  // bottom-right
  MoveTo({168, 128});
  Release({168, 128});
  QCOMPARE(frame_->geometry(), QRect(50, 40, 120, 90));
}

void SelShapeTest::eventsComeBeforeTheDragStep() {
  std::vector<MoveSeen> moves;
  std::optional<FrameBounds> atDown, atUp;
  frame_->OnMouseMove = [&](TSelShape& sender, Qt::MouseButtons, Qt::KeyboardModifiers, int x,
                            int y) {
    moves.push_back({x, y, sender.Frame().Bounds()});
  };
  frame_->OnMouseDown = [&](TSelShape& sender, Qt::MouseButton button, Qt::MouseButtons,
                            Qt::KeyboardModifiers, int, int) {
    QCOMPARE(button, Qt::LeftButton);
    QVERIFY(!sender.Frame().Dragging());
    atDown = sender.Frame().Bounds();
  };
  frame_->OnMouseUp = [&](TSelShape& sender, Qt::MouseButton, Qt::MouseButtons,
                          Qt::KeyboardModifiers, int, int) {
    QVERIFY(sender.Frame().Dragging());
    atUp = sender.Frame().Bounds();
  };
  Press({100, 80});
  moves.clear();
  MoveTo({110, 80});
  Release({110, 80});
  QCOMPARE(moves.size(), std::size_t{1});
  QCOMPARE(moves[0].boundsAtEvent, (FrameBounds{50, 40, 100, 80}));  // before the move
  QCOMPARE(moves[0].x, 60);                                          // frame coordinates
  QCOMPARE(moves[0].y, 40);
  QVERIFY(atDown.has_value() && atUp.has_value());
  QCOMPARE(*atUp, (FrameBounds{60, 40, 100, 80}));
}

void SelShapeTest::dragLeavingThePanelIsClampedToIt() {
  std::vector<MoveSeen> moves;
  frame_->OnMouseMove = [&](TSelShape& sender, Qt::MouseButtons, Qt::KeyboardModifiers, int x,
                            int y) {
    moves.push_back({x, y, sender.Frame().Bounds()});
  };
  Press({147, 80});  // right edge
  MoveTo({420, 80});
  QCOMPARE(frame_->Width(), 250);  // to the panel's edge
  QCOMPARE(moves.back().x, 299 - 50);
  MoveTo({290, 80});
  Release({290, 80});
  // The press point advanced only by the 150 the edge moved (97 to 247, the edge's place), so
  // the pointer at 290 pulls the edge back by 7, not by the 130 it travelled back.
  QCOMPARE(frame_->Width(), 250 - 7);

  Press({100, 80});  // inside, then far up and left
  MoveTo({-200, -300});
  Release({-200, -300});
  QCOMPARE(frame_->geometry().topLeft(), QPoint(0, 0));
}

void SelShapeTest::clipCursorHookOnPressAndRelease() {
  std::vector<std::optional<QRect>> calls;
  frame_->ClipCursor = [&](const QRect* r) {
    calls.push_back(r ? std::optional<QRect>(*r) : std::nullopt);
  };
  Press({100, 80});
  QCOMPARE(calls.size(), std::size_t{1});
  QVERIFY(calls[0].has_value());
  QCOMPARE(*calls[0], QRect(panel_->mapToGlobal(QPoint(0, 0)), QSize(300, 200)));
  MoveTo({105, 80});
  QCOMPARE(calls.size(), std::size_t{1});
  Release({105, 80});
  QCOMPARE(calls.size(), std::size_t{2});
  QVERIFY(!calls[1].has_value());
}

void SelShapeTest::hidingTheFrameMidDragEndsTheDrag() {
  int released = 0;
  frame_->ClipCursor = [&](const QRect* r) { released += r == nullptr; };
  Press({100, 80});
  QVERIFY(frame_->Frame().Dragging());
  frame_->hide();  // no release will reach it now
  QVERIFY(!frame_->Frame().Dragging());
  QCOMPARE(released, 1);
  frame_->show();
  MoveTo({120, 90});  // a move after that must not drag it
  QCOMPARE(frame_->geometry(), QRect(50, 40, 100, 80));
  Release({120, 90});  // lets go of the test's button
}

void SelShapeTest::ratioKeeperMakesATopDragShiftTheFrame() {
  // Wired like the trimming frame: the height follows the width at every move.
  rumora::RegionTable table;
  rumora::InitRegionTable(table);
  frame_->OnMouseMove = [&](TSelShape& sender, Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {
    sender.SetBounds(KeepPaneRatio(sender.Frame().Bounds(), table[1], 202));
  };
  frame_->SetBounds(50, 40, 100, 75);
  Press({100, 42});  // top edge
  MoveTo({100, 52});
  QCOMPARE(frame_->geometry(), QRect(50, 50, 100, 65));
  MoveTo({100, 53});  // height restored first, then the top moves again
  QCOMPARE(frame_->geometry(), QRect(50, 51, 100, 74));
  Release({100, 53});
  MoveTo({100, 80});
  QCOMPARE(frame_->geometry(), QRect(50, 51, 100, 75));
}

void SelShapeTest::paintsOnlyTheOutline() {
  panel_->setAutoFillBackground(true);
  QPalette palette = panel_->palette();
  palette.setColor(QPalette::Window, Qt::blue);
  panel_->setPalette(palette);
  const QImage shot = panel_->grab().toImage();
  QCOMPARE(shot.pixelColor(50, 40), QColor(Qt::red));
  QCOMPARE(shot.pixelColor(51, 41), QColor(Qt::red));
  QCOMPARE(shot.pixelColor(149, 119), QColor(Qt::red));
  QCOMPARE(shot.pixelColor(100, 80), QColor(Qt::blue));  // the picture shows through
  QCOMPARE(shot.pixelColor(52, 42), QColor(Qt::blue));
}

QTEST_MAIN(SelShapeTest)
#include "sel_shape_test.moc"
