// The undo history on its own: the order of its steps, its memory budget, and what it drops when
// a state cannot be kept.
#include "app/edit_history.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rumora {
namespace {

using Kind = EditHistory::Kind;
using Direction = EditHistory::Direction;

// A step whose n x n picture has every byte `value`.
EditHistory::Step StepOf(Kind kind, int n, std::uint8_t value) {
  EditHistory::Step step;
  step.kind = kind;
  step.picture = Bitmap(n, n);
  std::fill(step.picture.Data(), step.picture.Data() + step.picture.SizeInBytes(), value);
  return step;
}

// Undoes or redoes the next step as the window does, handing over `state`; returns the first
// byte of the state the step held, or -1 when there was none.
int Pass(EditHistory& history, Direction direction, EditHistory::Step state) {
  EditHistory::Step* step = history.Next(direction);
  if (step == nullptr) return -1;
  const int held = step->picture.Data()[0];
  std::swap(step->picture, state.picture);
  history.Passed(direction);
  return held;
}

constexpr int kSide = 8;
constexpr std::uint64_t kSize = std::uint64_t{kSide} * kSide * 3;

// Twenty photo steps within a budget of seven and a half: the newest seven stay, newest first to
// undo, and the kept bytes never pass the budget. A state larger than the budget is not kept and
// takes the photo steps with it; the output steps stay.
TEST(EditHistory, KeepsTheNewestStepsWithinItsBudget) {
  EditHistory history(kSize * 15 / 2);
  for (int i = 0; i < 20; ++i) {
    history.Reserve();
    history.Record(StepOf(Kind::kPhoto, kSide, static_cast<std::uint8_t>(i)));
    ASSERT_LE(history.KeptBytes(), kSize * 15 / 2);
  }
  EXPECT_EQ(history.KeptBytes(), kSize * 7);
  for (int i = 19; i >= 13; --i) {
    EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, kSide, 100)), i);
  }
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(Pass(history, Direction::kRedo, StepOf(Kind::kPhoto, kSide, 13)), 100);
  history.Reserve();
  history.Record(StepOf(Kind::kOutput, 2, 0));  // ends the other redo steps
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.KeptBytes(), kSize + 12);
  history.Reserve();
  history.Record(StepOf(Kind::kPhoto, 3 * kSide, 0));
  EXPECT_EQ(history.KeptBytes(), std::uint64_t{12});
  EXPECT_EQ(history.Next(Direction::kUndo)->kind, Kind::kOutput);
}

// A state handed back larger than the one taken (a rotated photo): the oldest steps, then the
// furthest redo steps give way; one that cannot fit at all is not kept, nor is anything beyond
// it on its side.
TEST(EditHistory, LargerStatesMakeTheFurthestStepsGiveWay) {
  EditHistory history(kSize * 4);
  for (int i = 0; i < 3; ++i) {
    history.Reserve();
    history.Record(StepOf(Kind::kPhoto, kSide, static_cast<std::uint8_t>(i)));
  }
  EditHistory::Step twice = StepOf(Kind::kPhoto, kSide, 50);
  twice.picture = Bitmap(kSide, 2 * kSide);
  twice.picture.Fill(0);
  Pass(history, Direction::kUndo, std::move(twice));  // 0 and 1 to undo, the double to redo
  EXPECT_EQ(history.KeptBytes(), kSize * 4);
  EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, 2 * kSide, 0)), 1);
  // The oldest step 0 and then the double redo step made way for the quadruple.
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.KeptBytes(), kSize * 4);
  EXPECT_EQ(Pass(history, Direction::kRedo, StepOf(Kind::kPhoto, kSide, 7)), 0);
  EXPECT_FALSE(history.CanRedo());
  // A state that cannot be kept at all is dropped, and every step beyond it with it.
  history.Reserve();
  history.Record(StepOf(Kind::kOutput, 1, 0));
  EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kOutput, 1, 9)), 0);
  EXPECT_EQ(Pass(history, Direction::kUndo, StepOf(Kind::kPhoto, 3 * kSide, 0)), 7);
  EXPECT_FALSE(history.CanUndo() || history.CanRedo());
  EXPECT_EQ(history.KeptBytes(), std::uint64_t{0});
}

}  // namespace
}  // namespace rumora
