#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "imaging/bitmap.h"

namespace rumora {

// The window's undo and redo: one history, in order, of the steps that changed the photo and
// the steps that changed the output picture. A step keeps the state its target had on the other
// side of it: undoing puts that state in place and keeps the one it replaced, for redoing. A
// quarter turn keeps nothing: it is undone by the opposite turn.
//
// The kept pictures stay within a memory budget: before a picture is kept the oldest steps are
// dropped until it fits, and one that cannot fit at all is not kept (see MakeRoomFor).
class EditHistory {
 public:
  enum class Kind { kPhoto, kTurnRight, kTurnLeft, kOutput };
  struct Step {
    Kind kind = Kind::kPhoto;
    Bitmap picture;  // kPhoto: the photo; kOutput: the output picture; turns: empty
    std::int32_t freeRotationDone = 0;  // kPhoto: whether the photo had been freely rotated
  };

  explicit EditHistory(std::uint64_t budgetBytes) : budget_(budgetBytes) {}

  // The smaller of 1 GiB and a quarter of the machine's physical memory.
  static std::uint64_t DefaultBudget();

  // Makes room for a picture of `bytes` before the step that will record it: drops the redo
  // steps (a new step ends them) and then the oldest steps until it fits. Returns false when it
  // cannot fit even alone; the photo steps are then all dropped, since the ones before a step
  // that is not kept could no longer be undone in order.
  bool MakeRoomFor(std::uint64_t bytes);
  // Records a step that has been done. Ends the redo steps.
  void Record(Step step);
  // Drops every photo step (a new photo was opened, or a photo state could not be kept); the
  // output steps stay.
  void ForgetPhotoSteps();

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The newest step to undo (or the step to redo), taken out of the history. The caller swaps
  // its picture with the current state and hands it back with Undone (or Redone); a step that
  // could not be applied goes back with Restore.
  std::optional<Step> TakeUndo() { return Take(undo_); }
  std::optional<Step> TakeRedo() { return Take(redo_); }
  void Undone(Step step);
  void Redone(Step step);
  void RestoreUndo(Step step) { Put(undo_, std::move(step)); }
  void RestoreRedo(Step step) { Put(redo_, std::move(step)); }

  // The bytes of all kept pictures.
  std::uint64_t KeptBytes() const { return kept_; }

 private:
  std::optional<Step> Take(std::deque<Step>& steps);
  void Put(std::deque<Step>& steps, Step step);
  // Drops the oldest undo steps until `bytes` more fit in the budget.
  void DropOldestUntil(std::uint64_t bytes);
  bool Fit(std::uint64_t bytes);

  std::uint64_t budget_;
  std::uint64_t kept_ = 0;
  std::deque<Step> undo_;  // oldest first
  std::deque<Step> redo_;  // the next to redo last
};

}  // namespace rumora
