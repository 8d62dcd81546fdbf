// The angle measuring line: dragged on the input view's picture in angle-line mode, it sets the
// angle box to the rotation that levels it. It draws on the view's picture only, never on the
// photo, so the next redraw of the view removes it.
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>

#include "app/image_view_widget.h"
#include "app/tform1.h"
#include "imaging/angle_text.h"
#include "imaging/line_angle.h"

namespace rumora {

void TForm1::Image2MouseDown(Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers, int x,
                             int y) {
  Regions[RegionTable::kAngleLineSlot] = {x, y, x, y};
  Canvas& canvas = Image2->GetCanvas();
  canvas.pen.width = 3;
  canvas.pen.colour = clRed;
}

void TForm1::Image2MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
  if (!CheckBox4->isChecked() || !(buttons & Qt::LeftButton)) return;
  Region& line = Regions[RegionTable::kAngleLineSlot];
  Canvas& canvas = Image2->GetCanvas();
  canvas.pen.mode = PenMode::pmNotXor;
  canvas.MoveTo(line.left, line.top);  // over the last rubber band, which erases it
  canvas.LineTo(line.right, line.bottom);
  line.right = x;
  line.bottom = y;
  canvas.MoveTo(line.left, line.top);
  canvas.LineTo(line.right, line.bottom);
  Image2->update();
}

void TForm1::Image2MouseUp(Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {
  if (!CheckBox4->isChecked()) return;
  const Region& line = Regions[RegionTable::kAngleLineSlot];
  Canvas& canvas = Image2->GetCanvas();
  canvas.pen.mode = PenMode::pmCopy;
  canvas.MoveTo(line.left, line.top);
  canvas.LineTo(line.right, line.bottom);
  Image2->update();
  // A press and release without a move draws no line and has no angle: the box keeps its text.
  if (const auto angle = LineAngle(line.left, line.top, line.right, line.bottom)) {
    Edit1->setText(
        QString::fromStdString(FormatAngle(*angle, QLocale().decimalPoint().toStdString())));
  }
}

}  // namespace rumora
