// Layouts, panes and the trimming frame: the layout and position buttons, placing the frame on
// the current pane and keeping the pane's proportions while it is dragged.
#include <QLabel>
#include <QToolButton>

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
  Label4->setText(QStringLiteral("６００×４５０"));
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
  SelShape1->SetBounds(TrimFrameForPane(Regions[Layout.PaneIndex]));
  SelShape1->show();
}

void TForm1::SelShape1MouseMove() {
  const FrameBounds frame{SelShape1->Left(), SelShape1->Top(), SelShape1->Width(),
                          SelShape1->Height()};
  SelShape1->SetBounds(KeepPaneRatio(frame, Regions[Layout.PaneIndex], Panel2->height()));
}

}  // namespace rumora
