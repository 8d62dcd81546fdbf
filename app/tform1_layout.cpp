// Layouts, panes and the trimming frame: the layout and position buttons, placing the frame on
// the current pane and keeping the pane's proportions while it is dragged.
#include <QLabel>
#include <QToolButton>
#include <algorithm>

#include "app/image_view_widget.h"
#include "app/tform1.h"
#include "layout/layout_steps.h"
#include "layout/layout_thumbnail.h"
#include "layout/sel_shape.h"
#include "layout/trim_frame.h"

namespace rumora {

void TForm1::SpeedButton1Click() {
  const StepOutcome outcome = LayoutStep(Layout);
  SpeedButton2->show();
  Canvas& thumbnail = gbImage->GetCanvas();
  thumbnail.pen.colour = clBlack;
  thumbnail.font.sizePoints = 16;
  DrawLayoutThumbnail(thumbnail, Layout.LayoutKind, Layout.PaneIndex);
  if (!outcome.showPositionButton) SpeedButton2->hide();
  Label4->setText(QString::fromUtf8(OutputSizeCaption(CurrentOutputSize())));
  Label4->adjustSize();
  PlaceTrimFrame();
}

void TForm1::SpeedButton2Click() {
  const StepOutcome outcome = PositionStep(Layout);
  if (outcome.redrawThumbnail) {
    DrawLayoutThumbnail(gbImage->GetCanvas(), Layout.LayoutKind, Layout.PaneIndex);
  }
  PlaceTrimFrame();
}

void TForm1::PlaceTrimFrame() {
  const Region& pane = Regions[Layout.PaneIndex];
  FrameBounds frame = TrimFrameForPane(pane);
  if (!WorkingBitmap.Empty()) {
    // A frame beyond the photo would trim the photo's edge pixels over part of the pane.
    const Region part = PhotoPartOfView(WorkingBitmap.Width(), WorkingBitmap.Height(),
                                        Panel2->width(), Panel2->height());
    frame = KeepFrameOnPhoto(frame, pane, part, SelShape1->Frame().MinWidth);
  }
  SelShape1->SetBounds(frame);
  SelShape1->show();
}

void TForm1::SelShape1MouseMove() {
  FrameBounds kept =
      KeepPaneRatio(SelShape1->Frame().Bounds(), Regions[Layout.PaneIndex], Panel2->height());
  // A frame whose top lies at or below the photo's foot would be cut to no width at all and
  // could no longer be grabbed; it keeps the smallest width a drag may give it.
  kept.width = std::max(kept.width, SelShape1->Frame().MinWidth);
  SelShape1->SetBounds(kept);
}

}  // namespace rumora
