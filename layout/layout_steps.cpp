#include "layout/layout_steps.h"

namespace rumora {

StepOutcome LayoutStep(LayoutState& state) {
  state.PaneStep = 0;
  state.LayoutKind = state.LayoutKind >= kLayoutCount - 1 ? 0 : state.LayoutKind + 1;
  state.PaneIndex = FirstSlot(state.LayoutKind);
  return {.redrawThumbnail = true, .showPositionButton = state.LayoutKind != 0};
}

StepOutcome PositionStep(LayoutState& state) {
  state.PaneStep += 1;
  const int panes = PaneCount(state.LayoutKind);
  StepOutcome outcome;
  if (state.PaneStep >= 0 && state.PaneStep <= panes - 1) {
    state.PaneIndex = FirstSlot(state.LayoutKind) + state.PaneStep;
    outcome.redrawThumbnail = true;
    if (state.PaneStep == panes - 1) state.PaneStep = -1;
  }
  return outcome;
}

}  // namespace rumora
