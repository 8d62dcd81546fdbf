// Undo and redo over the history of photo and output steps, and the unsaved-output mark.
#include <algorithm>
#include <utility>

#include "app/busy_cursor.h"
#include "app/image_view_widget.h"
#include "app/qt_progress.h"
#include "app/tform1.h"
#include "imaging/error.h"
#include "imaging/quarter_turn.h"

namespace rumora {

void TForm1::CommitPhotoStep(Bitmap photo, std::int32_t freeRotationDone,
                             std::int32_t uprightOrientation) {
  history_.Reserve();
  ReplaceWorkingBitmap(photo);
  // Nothing below fails; `photo` is now the one replaced, which the step keeps.
  const std::int32_t freeRotationDoneBefore = std::exchange(FreeRotationDone, freeRotationDone);
  const std::int32_t uprightBefore = std::exchange(uprightOrientation_, uprightOrientation);
  EditHistory::Step step;
  step.picture = std::move(photo);
  step.freeRotationDone = freeRotationDoneBefore;
  step.uprightOrientation = uprightBefore;
  history_.Record(std::move(step));
  NotifyHistoryChanged();
}

std::optional<Bitmap> TForm1::OutputForHistory() {
  history_.Reserve();
  const Bitmap& output = Image1->Picture();
  if (!history_.CanKeep(output.HeldBytes())) return std::nullopt;
  try {
    return output;
  } catch (const Error&) {
    return std::nullopt;  // no memory for the copy: the step still runs, unrecorded
  }
}

void TForm1::RecordOutputStep(std::optional<Bitmap> before) {
  if (before) {
    EditHistory::Step step;
    step.kind = EditHistory::Kind::kOutput;
    step.picture = std::move(*before);
    history_.Record(std::move(step));
  } else {
    history_.DropRedo();
  }
  UpdateOutputUnsaved();
  NotifyHistoryChanged();
}

void TForm1::ApplyStep(EditHistory::Step& step, bool undoing) {
  switch (step.kind) {
    case EditHistory::Kind::kTurnRight:
    case EditHistory::Kind::kTurnLeft:
      TurnWorkingBitmap((step.kind == EditHistory::Kind::kTurnRight) != undoing);
      break;
    case EditHistory::Kind::kPhoto:
      ReplaceWorkingBitmap(step.picture);
      std::swap(FreeRotationDone, step.freeRotationDone);
      std::swap(uprightOrientation_, step.uprightOrientation);
      break;
    case EditHistory::Kind::kOutput:
      std::swap(Image1->Picture(), step.picture);
      UpdateOutputUnsaved();
      break;
  }
  // The view that shows what changed comes to the front.
  ViewToShow = step.kind == EditHistory::Kind::kOutput ? 0 : 1;
  UpdateViews();
}

void TForm1::StepThroughHistory(EditHistory::Direction direction) {
  EditHistory::Step* step = history_.Next(direction);
  if (step == nullptr) return;
  ApplyStep(*step, direction == EditHistory::Direction::kUndo);  // all of it, or nothing
  history_.Passed(direction);
  NotifyHistoryChanged();
}

void TForm1::Undo() { StepThroughHistory(EditHistory::Direction::kUndo); }

void TForm1::Redo() { StepThroughHistory(EditHistory::Direction::kRedo); }

void TForm1::NewOutputPicture() {
  std::optional<Bitmap> before = OutputForHistory();
  const OutputSize size = CurrentOutputSize();
  Image1->AssignPicture(Bitmap::Filled(OutputWidth(size), OutputHeight(size), clWhite));
  RecordOutputStep(std::move(before));
  ViewToShow = 0;
  UpdateViews();
}

void TForm1::NotifyHistoryChanged() {
  if (historyChanged_) historyChanged_();
}

void TForm1::UpdateOutputUnsaved() {
  const Bitmap& output = Image1->Picture();
  const auto bytes = static_cast<std::ptrdiff_t>(output.SizeInBytes());
  const bool white =
      std::all_of(output.Data(), output.Data() + bytes, [](std::uint8_t b) { return b == 0xFF; });
  const bool saved = output.Width() == savedOutput_.Width() &&
                     output.Height() == savedOutput_.Height() &&
                     std::equal(output.Data(), output.Data() + bytes, savedOutput_.Data());
  outputUnsaved_ = !white && !saved;
  setWindowModified(outputUnsaved_);
}

}  // namespace rumora
