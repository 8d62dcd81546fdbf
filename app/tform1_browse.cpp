// Going through a folder of photos and working from the keyboard: the next and previous photo,
// the status line, and the red frames moved with the arrow keys.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>

#include "app/tform1.h"
#include "batch/photo_folder.h"
#include "imaging/error.h"
#include "layout/sel_shape.h"

namespace rumora {

void TForm1::NextPhoto() { OpenNeighbourPhoto(true); }

void TForm1::PreviousPhoto() { OpenNeighbourPhoto(false); }

void TForm1::OpenNeighbourPhoto(bool forward) {
  if (photoPath_.isEmpty()) {
    ShowStatus(QStringLiteral("開いている写真がありません"));
    return;
  }
  const std::string current = QFile::encodeName(photoPath_).toStdString();
  std::vector<std::string> photos;
  try {
    photos = PhotosInFolder(QFile::encodeName(QFileInfo(photoPath_).absolutePath()).toStdString());
  } catch (const Error&) {
    ShowStatus(QStringLiteral("写真のフォルダを読めません"));
    return;
  }
  const auto neighbour = NeighbourPhoto(photos, current, forward);
  if (!neighbour) {
    ShowStatus(forward ? QStringLiteral("このフォルダの最後の写真です")
                       : QStringLiteral("このフォルダの最初の写真です"));
    return;
  }
  const QString path = QFile::decodeName(neighbour->c_str());
  // A photo that does not open is passed over by the next step, not tried again.
  photoPath_ = path;
  const auto at = std::find(photos.begin(), photos.end(), *neighbour) - photos.begin() + 1;
  ShowStatus(
      QStringLiteral("%1 (%2 / %3)").arg(QFileInfo(path).fileName()).arg(at).arg(photos.size()));
  OpenPhotoFile(path);
}

void TForm1::ShowStatus(const QString& text) { statusLine_->setText(text); }

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == Panel2 || watched == Panel1)) {
    TSelShape* frame = watched == Panel2 ? SelShape1 : SelShape2;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    bool handled = false;
    Run([&] { handled = StepFrameByKey(frame, key); }, /*repaintViews=*/false);
    if (handled) return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool TForm1::StepFrameByKey(TSelShape* frame, const QKeyEvent& key) {
  int dx = 0, dy = 0;
  switch (key.key()) {
    case Qt::Key_Left:
      dx = -1;
      break;
    case Qt::Key_Right:
      dx = 1;
      break;
    case Qt::Key_Up:
      dy = -1;
      break;
    case Qt::Key_Down:
      dy = 1;
      break;
    default:
      return false;
  }
  // A hidden frame, or one being dragged, stays as it is; the key is still the frame's.
  if (!frame->Visible() || frame->Frame().Dragging()) return true;
  const int step = key.modifiers() & Qt::ShiftModifier ? 10 : 1;
  const bool trimming = frame == SelShape1;
  if (key.modifiers() & Qt::ControlModifier) {
    if (!trimming) return true;
    // Right and down grow it, left and up shrink it; the height follows the width.
    frame->ResizeByStep((dx + dy) * step, 0);
  } else {
    frame->MoveByStep(dx * step, dy * step);
  }
  // As a drag does, every step keeps the trimming frame in the pane's proportions.
  if (trimming) SelShape1MouseMove();
  return true;
}

}  // namespace rumora
