#include "layout/layout_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace rumora {
namespace {

LayoutState AtLayout(int layout) {
  LayoutState state;
  while (state.LayoutKind != layout) LayoutStep(state);
  return state;
}

std::vector<int> PanesVisited(LayoutState& state, int steps) {
  std::vector<int> slots;
  for (int i = 0; i < steps; ++i) {
    EXPECT_TRUE(PositionStep(state).redrawThumbnail);
    slots.push_back(state.PaneIndex);
  }
  return slots;
}

TEST(LayoutStep, SevenStepsComeBackToTheSinglePane) {
  LayoutState state;
  const std::vector<int> firstSlots = {2, 4, 6, 9, 12, 15, 1};
  for (int i = 0; i < 7; ++i) {
    const StepOutcome outcome = LayoutStep(state);
    EXPECT_EQ(state.LayoutKind, (i + 1) % 7);
    EXPECT_EQ(state.PaneIndex, firstSlots[i]);
    EXPECT_EQ(state.PaneStep, 0);
    EXPECT_TRUE(outcome.redrawThumbnail);
    EXPECT_EQ(outcome.showPositionButton, state.LayoutKind != 0);
  }
}

TEST(LayoutStep, ReturningToALayoutMakesItsFirstPaneCurrent) {
  LayoutState state = AtLayout(3);
  PositionStep(state);
  ASSERT_EQ(state.PaneIndex, 7);
  for (int i = 0; i < 7; ++i) LayoutStep(state);
  EXPECT_EQ(state.LayoutKind, 3);
  EXPECT_EQ(state.PaneIndex, 6);
  EXPECT_EQ(state.PaneStep, 0);
}

TEST(PositionStep, ThreeColumnsCycleSecondThirdFirst) {
  LayoutState state = AtLayout(3);
  EXPECT_EQ(PanesVisited(state, 3), (std::vector<int>{7, 8, 6}));
}

TEST(PositionStep, CounterIsMinusOneRightAfterTheLastPane) {
  LayoutState state = AtLayout(1);
  PositionStep(state);
  EXPECT_EQ(state.PaneIndex, 3);
  EXPECT_EQ(state.PaneStep, -1);
  PositionStep(state);
  EXPECT_EQ(state.PaneIndex, 2);
  EXPECT_EQ(state.PaneStep, 0);
}

TEST(PositionStep, FourQuartersRunDownThenAcross) {
  LayoutState state = AtLayout(6);
  EXPECT_EQ(PanesVisited(state, 5), (std::vector<int>{16, 17, 18, 15, 16}));
}

TEST(PositionStep, SinglePaneLayoutOnlyCounts) {
  LayoutState state;
  const StepOutcome outcome = PositionStep(state);
  EXPECT_FALSE(outcome.redrawThumbnail);
  EXPECT_EQ(state.PaneIndex, 1);
  EXPECT_EQ(state.PaneStep, 1);
}

}  // namespace
}  // namespace rumora
