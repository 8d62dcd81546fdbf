#pragma once

#include "layout/region_table.h"

namespace rumora {

// What the window has to do after a step of the layout state. The trimming frame is re-placed
// after every step, so that is not reported.
struct StepOutcome {
  // Redraw the layout thumbnail with the state's PaneIndex as the white pane.
  bool redrawThumbnail = false;
  // Whether the position button is to be shown (layout step only; a position step leaves the
  // button as it is and reports true).
  bool showPositionButton = true;
};

// The layout button: PaneStep := 0, LayoutKind to the next layout (6 or more wraps to 0),
// PaneIndex := that layout's first slot. The thumbnail is always redrawn; the position button is
// hidden in layout 0. Cannot fail.
StepOutcome LayoutStep(LayoutState& state);

// The position button: PaneStep := PaneStep + 1; while it names a pane of the current layout
// that pane becomes current (thumbnail redrawn), and after the last pane PaneStep is set to -1 so
// the next step comes back to the first. A PaneStep outside the layout's panes (a step in the
// single-pane layout 0) changes only PaneStep. Throws Error only for a LayoutKind outside 0..6.
StepOutcome PositionStep(LayoutState& state);

}  // namespace rumora
