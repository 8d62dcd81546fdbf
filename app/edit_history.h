#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/bitmap.h"

namespace rumora {

// The window's undo and redo: one history, in order, of the steps that changed the photo and
// the steps that changed the output picture. A step keeps the state its target had on the other
// side of it: undoing puts that state in place and keeps the one it replaced, for redoing. A
// quarter turn keeps nothing: it is undone by the opposite turn.
//
// The kept pictures stay within a memory budget: a new step drops the oldest steps until it
// fits, and one that cannot fit at all is not kept.
//
// A step is either done whole or not at all: what can fail for want of memory (Reserve, Next)
// comes before the caller changes anything, and what follows the change (Record, Passed,
// ForgetPhotoSteps) cannot fail.
class EditHistory {
 public:
  enum class Kind { kPhoto, kTurnRight, kTurnLeft, kOutput };
  enum class Direction { kUndo, kRedo };
  struct Step {
    Kind kind = Kind::kPhoto;
    Bitmap picture;  // kPhoto: the photo; kOutput: the output picture; turns: empty
    std::int32_t freeRotationDone = 0;    // kPhoto: whether the photo had been freely rotated
    std::int32_t uprightOrientation = 0;  // kPhoto: the orientation the photo had been turned by
    std::uint64_t countedBytes = 0;       // what the budget counted for it; the history's own
  };

  explicit EditHistory(std::uint64_t budgetBytes) : budget_(budgetBytes) {}

  // The smaller of 1 GiB and a quarter of the machine's physical memory.
  static std::uint64_t DefaultBudget();

  // Makes room for one more step, so that the next Record cannot fail. Throws std::bad_alloc,
  // changing nothing, when there is no memory for it.
  void Reserve();
  // Whether a picture of `bytes` could be kept at all: it fits the budget alone.
  bool CanKeep(std::uint64_t bytes) const { return bytes <= budget_; }
  // Records a step that has been done, after Reserve. Ends the redo steps and drops the oldest
  // steps until it fits. A step that cannot fit even alone is not kept; the photo steps then go
  // with it, since the ones before it could no longer be undone in order.
  void Record(Step step) noexcept;
  // A step was done that is not kept: it ends the redo steps.
  void DropRedo() noexcept;
  // Drops every photo step (a new photo was opened, or a photo state could not be kept); the
  // output steps stay.
  void ForgetPhotoSteps() noexcept;

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The step that undoing (or redoing) applies next, left in the history; null when there is
  // none. The caller swaps its picture with the current state and then calls Passed. Throws
  // std::bad_alloc, changing nothing, when there is no memory to move the step across.
  Step* Next(Direction direction);
  // The step Next gave has been applied: it moves to the other side, holding the state it
  // replaced. A state larger than the one it took (a rotated photo) makes the oldest steps,
  // then the furthest steps on the other side, give way; one that cannot fit is not kept, with
  // the steps beyond it, which could no longer be reached in order.
  void Passed(Direction direction) noexcept;

  // The bytes all kept pictures hold (Bitmap::HeldBytes).
  std::uint64_t KeptBytes() const { return kept_; }

 private:
  void Put(std::vector<Step>& steps, Step step) noexcept;
  // Drops the oldest undo steps until `bytes` more fit in the budget.
  void DropOldestUntil(std::uint64_t bytes) noexcept;
  bool Fit(std::uint64_t bytes) noexcept;

  std::uint64_t budget_;
  std::uint64_t kept_ = 0;
  std::vector<Step> undo_;  // oldest first
  std::vector<Step> redo_;  // the next to redo last
};

}  // namespace rumora
