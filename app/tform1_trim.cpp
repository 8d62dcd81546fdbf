// Trimming: the framed part of the full-resolution photo, scaled into the current pane.
#include <QCheckBox>

#include "app/image_view_widget.h"
#include "app/qt_progress.h"
#include "app/tform1.h"
#include "layout/sel_shape.h"
#include "layout/trim.h"

namespace rumora {
namespace {

// Shows a widget again when the scope ends, also when the operation fails half-way.
class HiddenWhileWriting {
 public:
  explicit HiddenWhileWriting(QWidget* widget) : widget_(widget) { widget_->hide(); }
  ~HiddenWhileWriting() { widget_->show(); }
  HiddenWhileWriting(const HiddenWhileWriting&) = delete;
  HiddenWhileWriting& operator=(const HiddenWhileWriting&) = delete;

 private:
  QWidget* widget_;
};

}  // namespace

void TForm1::BitBtn3Click() {
  if (WorkingBitmap.Empty()) return;  // no photo opened: nothing to trim
  std::optional<Bitmap> before = OutputForHistory();
  {
    // The output is not repainted while its pixels are being written.
    HiddenWhileWriting hidden(Image1);
    TrimIntoOutput(
        WorkingBitmap, Image2->width(), SelShape1->Frame().Bounds(), Layout, Regions, *Image1, Img1,
        [this](int width, int height) { Img1.SetControlSize(width, height); },
        CheckBox3->isChecked(), *progress_, PictureScaling(), CurrentOutputSize());
  }
  ViewToShow = 0;
  UpdateViews();
  progress_->SetPosition(0);
  RecordOutputStep(std::move(before));
}

}  // namespace rumora
