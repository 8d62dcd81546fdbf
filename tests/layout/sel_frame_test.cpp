#include "layout/sel_frame.h"

#include <gtest/gtest.h>

#include <climits>

namespace rumora {
namespace {

// A frame on a 300x200 parent, driven by pointer positions in parent coordinates as the widget
// converts them.
class Pointer {
 public:
  explicit Pointer(FrameBounds bounds, int parentWidth = 300, int parentHeight = 200) {
    frame.SetBounds(bounds);
    frame.SetParentClientSize(parentWidth, parentHeight);
  }
  FrameCursor Move(int px, int py) { return frame.MouseMove(px - frame.Left(), py - frame.Top()); }
  void Press(int px, int py) {
    Move(px, py);  // hovering there first picks the zone
    frame.MouseDown(px - frame.Left(), py - frame.Top());
  }
  void Release(int px, int py) { frame.MouseUp(px - frame.Left(), py - frame.Top()); }
  void Drag(int fromX, int fromY, int toX, int toY) {
    Press(fromX, fromY);
    Move(toX, toY);
    Release(toX, toY);
  }
  SelFrame frame;
};

struct ZoneRow {
  const char* name;
  int x;
  int y;
  GripZone zone;
};

class ZoneBands : public ::testing::TestWithParam<ZoneRow> {};

TEST_P(ZoneBands, ClassifiesByFiveWideBands) {
  SelFrame frame;
  frame.SetBounds({0, 0, 100, 80});
  EXPECT_EQ(frame.ClassifyZone(GetParam().x, GetParam().y), GetParam().zone);
}

INSTANTIATE_TEST_SUITE_P(Points, ZoneBands,
                         ::testing::Values(ZoneRow{"leftBandEdge", 5, 40, GripZone::Left},
                                           ZoneRow{"pastLeftBand", 6, 40, GripZone::Inside},
                                           ZoneRow{"rightBandEdge", 95, 40, GripZone::Right},
                                           ZoneRow{"beforeRightBand", 94, 40, GripZone::Inside},
                                           ZoneRow{"topBandEdge", 50, 5, GripZone::Top},
                                           ZoneRow{"pastTopBand", 50, 6, GripZone::Inside},
                                           ZoneRow{"bottomBandEdge", 50, 75, GripZone::Bottom},
                                           ZoneRow{"beforeBottomBand", 50, 74, GripZone::Inside},
                                           ZoneRow{"topLeft", 0, 0, GripZone::TopLeft},
                                           ZoneRow{"topRight", 99, 5, GripZone::TopRight},
                                           ZoneRow{"bottomLeft", 5, 79, GripZone::BottomLeft},
                                           ZoneRow{"bottomRight", 95, 75, GripZone::BottomRight},
                                           ZoneRow{"outsideLeft", -3, 40, GripZone::Left}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SelFrameZone, LeftAndTopBandsWinOnThinFrames) {
  SelFrame frame;
  frame.SetBounds({0, 0, 8, 8});
  EXPECT_EQ(frame.ClassifyZone(4, 4), GripZone::TopLeft);
  frame.SetBounds({0, 0, 8, 40});
  EXPECT_EQ(frame.ClassifyZone(4, 20), GripZone::Left);
  frame.SetBounds({0, 0, 40, 8});
  EXPECT_EQ(frame.ClassifyZone(20, 4), GripZone::Top);
}

TEST(SelFrameZone, CursorsFollowTheFilteredZone) {
  Pointer p({50, 50, 100, 80});
  EXPECT_EQ(p.Move(52, 90), FrameCursor::SizeHorizontal);
  EXPECT_EQ(p.Move(148, 52), FrameCursor::SizeRisingDiagonal);
  EXPECT_EQ(p.Move(52, 52), FrameCursor::SizeFallingDiagonal);
  EXPECT_EQ(p.Move(100, 128), FrameCursor::SizeVertical);
  p.frame.SelOption.Exclude(TSelOptSet::ResizeX);
  EXPECT_EQ(p.Move(52, 52), FrameCursor::SizeVertical);
  EXPECT_EQ(p.frame.Zone(), GripZone::Top);
  EXPECT_EQ(p.Move(52, 90), FrameCursor::Arrow);
  p.frame.SelOption = TSelOpt{TSelOptSet::ResizeX, TSelOptSet::MoveX, TSelOptSet::MoveY};
  EXPECT_EQ(p.Move(148, 127), FrameCursor::SizeHorizontal);
  EXPECT_EQ(p.frame.Zone(), GripZone::Right);
}

TEST(SelFrameDrag, WithoutResizingACornerPressMovesTheFrame) {
  Pointer p({50, 50, 100, 80});
  p.frame.SelOption = TSelOpt{TSelOptSet::MoveX, TSelOptSet::MoveY};
  p.Drag(51, 51, 61, 71);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{60, 70, 100, 80}));
}

TEST(SelFrameDrag, WithoutMoveXTheInsideMovesVerticallyOnly) {
  Pointer p({50, 50, 100, 80});
  p.frame.SelOption.Exclude(TSelOptSet::MoveX);
  p.Drag(100, 90, 130, 110);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{50, 70, 100, 80}));
}

TEST(SelFrameDrag, TheZoneIsFrozenWhileDragging) {
  Pointer p({50, 50, 100, 80});
  p.Press(149, 90);  // right edge
  p.Move(120, 90);   // well inside the frame now
  p.Move(110, 92);
  EXPECT_EQ(p.frame.Zone(), GripZone::Right);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{50, 50, 61, 80}));
}

TEST(SelFrameDrag, RightEdgeStopsAtTheParentAndThePressPointOnlyFollowsTheEdge) {
  Pointer p({100, 10, 50, 40}, 200, 150);
  p.Press(149, 20);
  p.Move(220, 20);
  EXPECT_EQ(p.frame.Width(), 100);  // edge at the parent's width
  EXPECT_EQ(p.frame.PressX(), 99);  // advanced by the 50 the edge moved, not 71
  p.Move(210, 20);
  EXPECT_EQ(p.frame.Width(), 100);  // pointer still right of where the edge stopped
  p.Move(190, 20);
  EXPECT_EQ(p.frame.Width(), 91);
  EXPECT_EQ(p.frame.PressX(), 90);
}

TEST(SelFrameDrag, BottomEdgeStopsAtTheParentToo) {
  Pointer p({10, 100, 50, 40}, 200, 150);
  p.Press(30, 139);
  p.Move(30, 170);
  EXPECT_EQ(p.frame.Height(), 50);
  EXPECT_EQ(p.frame.PressY(), 49);
}

TEST(SelFrameDrag, TopEdgeRefusesToGoBelowTheMinimumAndStopsAtMinTop) {
  Pointer p({10, 10, 50, 40});
  p.Press(30, 12);
  p.Move(30, 48);  // would leave 4 rows
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{10, 10, 50, 40}));
  p.Move(30, 47);  // leaves exactly 5
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{10, 45, 50, 5}));
  p.Move(30, -20);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{10, 0, 50, 50}));
}

TEST(SelFrameDrag, LeftAndRightEdgesRespectMinimumWidth) {
  Pointer p({10, 10, 50, 40});
  p.Press(11, 30);
  p.Move(57, 30);  // would leave 4 columns: ignored, no snapping
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{10, 10, 50, 40}));
  p.Release(57, 30);
  p.Press(59, 30);
  p.Move(10, 30);  // right edge: width + d < MinWidth, nothing happens
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{10, 10, 50, 40}));
  EXPECT_EQ(p.frame.PressX(), 49);
}

TEST(SelFrameDrag, FramePlacedBeyondTheBottomIsPulledBackByTheFirstMove) {
  Pointer p({0, 140, 50, 40}, 200, 150);
  p.Drag(10, 160, 10, 161);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{0, 110, 50, 40}));
}

TEST(SelFrameDrag, AFrameTallerThanTheRoomEndsAgainstTheUpperLimit) {
  Pointer p({0, 0, 50, 80}, 200, 50);
  p.Drag(10, 10, 10, 5);
  EXPECT_EQ(p.frame.Top(), -30);
}

TEST(SelFrameDrag, ExplicitLimitsApplyOnlyAboveTheMinimums) {
  Pointer p({10, 10, 50, 40});
  p.frame.MaxBottom = 100;
  p.frame.MaxRight = 120;
  p.Drag(30, 30, 200, 190);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{70, 60, 50, 40}));

  p.frame.MinTop = 100;  // MaxBottom no longer above MinTop: the parent's height rules
  p.Drag(90, 80, 90, 180);
  EXPECT_EQ(p.frame.Top(), 160);
}

TEST(SelFrameDrag, PressOutsideTheBandsAfterAReleaseMovesAgain) {
  Pointer p({50, 50, 100, 80});
  p.Drag(149, 90, 159, 90);
  EXPECT_EQ(p.frame.Width(), 110);
  EXPECT_FALSE(p.frame.Dragging());
  p.Drag(100, 90, 90, 80);
  EXPECT_EQ(p.frame.Bounds(), (FrameBounds{40, 40, 110, 80}));
}

TEST(SelFrameDrag, ArithmeticWrapsLikeThirtyTwoBitRegisters) {
  SelFrame frame;
  frame.SetParentClientSize(300, 200);
  frame.SetBounds({INT_MAX - 10, 0, 20, 20});
  frame.MoveBy(100, 0);  // left + dx wraps negative: below MinLeft, pulled to 0
  EXPECT_EQ(frame.Left(), 0);
}

}  // namespace
}  // namespace rumora
