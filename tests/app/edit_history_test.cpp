// The undo history on its own: the order of its steps, its memory budget, and what it drops when
// a state cannot be kept.
#include "app/edit_history.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rumora {
namespace {

using Kind = EditHistory::Kind;
using Direction = EditHistory::Direction;

constexpr int kSide = 8;
constexpr std::uint64_t kSize = std::uint64_t{kSide} * kSide * 3;

// A step whose picture, `sides` n x n pictures high, has every byte `value`.
EditHistory::Step StepOf(Kind kind, int n, std::uint8_t value, int sides = 1) {
  EditHistory::Step step;
  step.kind = kind;
  step.picture = Bitmap(n, n * sides);
  std::fill(step.picture.Data(), step.picture.Data() + step.picture.SizeInBytes(), value);
  return step;
}

// Undoes or redoes the next step as the window does, handing over `state`'s picture; returns the
// first byte of the one the step held.
int Pass(EditHistory& history, Direction direction, EditHistory::Step state) {
  EditHistory::Step* step = history.Next(direction);
  const int held = step->picture.Data()[0];
  std::swap(step->picture, state.picture);
  history.Passed(direction);
  return held;
}

void Record(EditHistory& history, EditHistory::Step step) {
  history.Reserve();
  history.Record(std::move(step));
}

// Twenty photo steps within a budget of seven and a half: the newest seven stay, newest first to
// undo, and the kept bytes never pass the budget. A state larger than the budget is not kept and
// takes the photo steps with it; the output steps stay.
TEST(EditHistory, KeepsTheNewestStepsWithinItsBudget) {
  EditHistory history(kSize * 15 / 2);
  for (int i = 0; i < 20; ++i) {
    Record(history, StepOf(Kind::kPhoto, kSide, static_cast<std::uint8_t>(i)));
    ASSERT_LE(history.KeptBytes(), kSize * 15 / 2);
  }
  EXPECT_EQ(history.KeptBytes(), kSize * 7);
  for (int i = 19; i >= 13; --i) {
    EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, kSide, 100)), i);
  }
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(Pass(history, Direction::kRedo, StepOf(Kind::kPhoto, kSide, 13)), 100);
  Record(history, StepOf(Kind::kOutput, 2, 0));  // ends the other redo steps
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.KeptBytes(), kSize + 12);
  Record(history, StepOf(Kind::kPhoto, kSide, 0, 8));
  EXPECT_EQ(history.KeptBytes(), std::uint64_t{12});
  EXPECT_EQ(history.Next(Direction::kUndo)->kind, Kind::kOutput);
}

// A state handed back larger than the one taken (a rotated photo): the oldest steps, then the
// furthest redo steps give way; one that cannot fit at all is dropped, with every step beyond it.
TEST(EditHistory, LargerStatesMakeTheFurthestStepsGiveWay) {
  EditHistory history(kSize * 4);
  for (std::uint8_t i = 0; i < 3; ++i) Record(history, StepOf(Kind::kPhoto, kSide, i));
  Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, kSide, 0, 2));
  EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, kSide, 0, 4)), 1);
  EXPECT_FALSE(history.CanUndo());  // step 0 gave way, and then the double redo step
  EXPECT_EQ(Pass(history, Direction::kRedo, StepOf(Kind::kPhoto, kSide, 7)), 0);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, kSide, 0, 9)), 7);
  EXPECT_FALSE(history.CanUndo() || history.CanRedo());
  EXPECT_EQ(history.KeptBytes(), std::uint64_t{0});
}

}  // namespace
}  // namespace rumora
