// Photo adjustments: the tone passes and the quarter turns of the working bitmap.
#include <QCheckBox>
#include <QCoreApplication>
#include <QScrollBar>

#include "app/busy_cursor.h"
#include "app/flag_scope.h"
#include "app/image_view_widget.h"
#include "app/input_blocker.h"
#include "app/qt_progress.h"
#include "app/tform1.h"
#include "imaging/boost_contrast.h"
#include "imaging/error.h"
#include "imaging/quarter_turn.h"
#include "imaging/shift_brightness.h"
#include "imaging/upright_turn.h"
#include "photo_io/exif_orientation.h"

namespace rumora {

void TForm1::PumpEvents() { QCoreApplication::processEvents(); }

// The three tone buttons: with no photo opened there is nothing to change and nothing is said.
// The pass changes a copy, which takes the photo's place once it is done and shown, the photo
// kept as the step's state before; without memory for the copy the pass changes the photo itself
// and the photo steps are forgotten.
void TForm1::RunTonePass(const std::function<void(Bitmap&)>& pass) {
  if (WorkingBitmap.Empty()) return;
  BusyCursor busy;
  std::optional<Bitmap> toned;
  if (history_.CanKeep(WorkingBitmap.HeldBytes())) {
    try {
      toned.emplace(WorkingBitmap);
    } catch (const Error&) {
      // No memory for the copy: the pass changes the photo itself.
    }
  }
  {
    // Clicks and keys during the pass are dropped, so no widget changes state without its
    // handler; Run ignores whatever else starts a handler meanwhile.
    const InputBlocker blocker(this);
    const FlagScope running(tonePassRunning_);
    pass(toned ? *toned : WorkingBitmap);
  }
  if (toned) {
    CommitPhotoStep(std::move(*toned), FreeRotationDone, uprightOrientation_);
    return;
  }
  history_.ForgetPhotoSteps();
  NotifyHistoryChanged();
  ShowWorkingBitmap();
}

void TForm1::BitBtn5Click() {
  const double strength = ScrollBar1->value() / 100.0;
  RunTonePass(
      [&](Bitmap& photo) { BoostContrast(photo, strength, *progress_, [this] { PumpEvents(); }); });
}

// The brightness pass in the direction CheckBox1 holds, read once: checked darkens.
void TForm1::ShiftWorkingBrightness() {
  const auto direction =
      CheckBox1->isChecked() ? BrightnessDirection::kDarken : BrightnessDirection::kBrighten;
  RunTonePass([&](Bitmap& photo) {
    ShiftBrightness(photo, direction, *progress_, [this] { PumpEvents(); });
  });
}

void TForm1::BitBtn4Click() {
  CheckBox1->setChecked(false);
  ShiftWorkingBrightness();
}

void TForm1::BitBtn6Click() {
  CheckBox1->setChecked(true);
  ShiftWorkingBrightness();
}

void TForm1::FollowOrientationOption() {
  if (!WorkingBitmap.Empty() && turnSettledOnOpen_) {
    ShowStatus(QStringLiteral("HEIC/HEIF の写真の向きは、次に開いたときから変わります"));
    return;
  }
  const int wanted = options_.exifOrientation ? photoOrientation_ : kOrientationAsStored;
  if (WorkingBitmap.Empty() || wanted == uprightOrientation_) return;
  BusyCursor busy;
  // One of the two is the photo as stored: back to it, then upright as wanted.
  Bitmap photo(WorkingBitmap);
  TurnUpright(photo, InverseOrientation(uprightOrientation_), *progress_);
  TurnUpright(photo, wanted, *progress_);
  CommitPhotoStep(std::move(photo), FreeRotationDone, wanted);
  ViewToShow = 1;
  UpdateViews();
}

// With no photo opened a turn returns quietly: an empty photo has no proportions to size the
// input panel by.
void TForm1::TurnWorkingBitmap(bool clockwise) {
  if (WorkingBitmap.Empty()) return;
  BusyCursor busy;
  if (clockwise) {
    TurnRight(WorkingBitmap, *progress_, turnSpare_);
  } else {
    TurnLeft(WorkingBitmap, *progress_, turnSpare_);
  }
  try {
    ShowWorkingBitmap();
  } catch (...) {
    std::swap(WorkingBitmap, turnSpare_);  // the turn left the photo as it was there
    throw;
  }
}

// A turn is undone by the opposite turn: its step keeps no picture.
void TForm1::TurnAsAStep(bool clockwise) {
  if (WorkingBitmap.Empty()) return;
  history_.Reserve();
  TurnWorkingBitmap(clockwise);
  EditHistory::Step turn;
  turn.kind = clockwise ? EditHistory::Kind::kTurnRight : EditHistory::Kind::kTurnLeft;
  history_.Record(std::move(turn));
  NotifyHistoryChanged();
}

void TForm1::BitBtn7Click() { TurnAsAStep(true); }

void TForm1::BitBtn8Click() { TurnAsAStep(false); }

}  // namespace rumora
