// Undo and redo over the history of photo and output steps, and the unsaved-output mark.
#include <utility>

#include "app/busy_cursor.h"
#include "app/image_view_widget.h"
#include "app/qt_progress.h"
#include "app/tform1.h"
#include "imaging/quarter_turn.h"

namespace rumora {

std::optional<Bitmap> TForm1::PhotoForHistory() {
  if (WorkingBitmap.Empty() || !history_.MakeRoomFor(WorkingBitmap.SizeInBytes())) {
    return std::nullopt;
  }
  try {
    return WorkingBitmap;
  } catch (const std::exception&) {
    return std::nullopt;  // no memory for the copy: the step still runs, unrecorded
  }
}

void TForm1::RecordPhotoStep(std::optional<Bitmap> before, std::int32_t freeRotationDoneBefore) {
  if (before) {
    history_.Record({EditHistory::Kind::kPhoto, std::move(*before), freeRotationDoneBefore});
  } else {
    history_.ForgetPhotoSteps();
  }
  NotifyHistoryChanged();
}

std::optional<Bitmap> TForm1::OutputForHistory() {
  const Bitmap& output = Image1->Picture();
  if (!history_.MakeRoomFor(output.SizeInBytes())) return std::nullopt;
  try {
    return output;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void TForm1::RecordOutputStep(std::optional<Bitmap> before) {
  if (before) history_.Record({EditHistory::Kind::kOutput, std::move(*before), 0});
  SetOutputUnsaved(true);
  NotifyHistoryChanged();
}

void TForm1::ApplyStep(EditHistory::Step& step, bool undoing) {
  switch (step.kind) {
    case EditHistory::Kind::kTurnRight:
    case EditHistory::Kind::kTurnLeft:
      TurnWorkingBitmap((step.kind == EditHistory::Kind::kTurnRight) != undoing);
      break;
    case EditHistory::Kind::kPhoto:
      std::swap(WorkingBitmap, step.picture);
      std::swap(FreeRotationDone, step.freeRotationDone);
      ShowWorkingBitmap();
      break;
    case EditHistory::Kind::kOutput:
      std::swap(Image1->Picture(), step.picture);
      SetOutputUnsaved(true);
      break;
  }
  // The view that shows what changed comes to the front.
  ViewToShow = step.kind == EditHistory::Kind::kOutput ? 0 : 1;
  UpdateViews();
}

void TForm1::Undo() {
  std::optional<EditHistory::Step> step = history_.TakeUndo();
  if (!step) return;
  try {
    ApplyStep(*step, /*undoing=*/true);
  } catch (...) {
    history_.RestoreUndo(std::move(*step));  // nothing changed; the step stays to undo
    throw;
  }
  history_.Undone(std::move(*step));
  NotifyHistoryChanged();
}

void TForm1::Redo() {
  std::optional<EditHistory::Step> step = history_.TakeRedo();
  if (!step) return;
  try {
    ApplyStep(*step, /*undoing=*/false);
  } catch (...) {
    history_.RestoreRedo(std::move(*step));
    throw;
  }
  history_.Redone(std::move(*step));
  NotifyHistoryChanged();
}

void TForm1::NewOutputPicture() {
  std::optional<Bitmap> before = OutputForHistory();
  Image1->AssignPicture(Bitmap::Filled(600, 450, clWhite));
  RecordOutputStep(std::move(before));
  ViewToShow = 0;
  UpdateViews();
}

void TForm1::NotifyHistoryChanged() {
  if (historyChanged_) historyChanged_();
}

void TForm1::SetOutputUnsaved(bool unsaved) {
  outputUnsaved_ = unsaved;
  setWindowModified(unsaved);
}

}  // namespace rumora
