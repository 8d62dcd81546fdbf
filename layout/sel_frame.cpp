#include "layout/sel_frame.h"

namespace rumora {
namespace {

// 32-bit sums and differences that wrap instead of overflowing.
std::int32_t Add(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t Sub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

}  // namespace

FrameCursor CursorForZone(GripZone zone) {
  switch (zone) {
    case GripZone::Top:
    case GripZone::Bottom:
      return FrameCursor::SizeVertical;
    case GripZone::Left:
    case GripZone::Right:
      return FrameCursor::SizeHorizontal;
    case GripZone::TopRight:
    case GripZone::BottomLeft:
      return FrameCursor::SizeRisingDiagonal;
    case GripZone::TopLeft:
    case GripZone::BottomRight:
      return FrameCursor::SizeFallingDiagonal;
    case GripZone::Inside:
      break;
  }
  return FrameCursor::Arrow;
}

void SelFrame::SetParentClientSize(std::int32_t width, std::int32_t height) {
  parentWidth_ = width;
  parentHeight_ = height;
}

void SelFrame::MouseDown(std::int32_t x, std::int32_t y) {
  dragging_ = true;
  pressX_ = x;
  pressY_ = y;
}

FrameCursor SelFrame::MouseMove(std::int32_t x, std::int32_t y) {
  if (dragging_) {
    DragStep(x, y);
  } else {
    zone_ = ClassifyZone(x, y);
  }
  zone_ = FilterZone(zone_);
  return CursorForZone(zone_);
}

void SelFrame::MouseUp(std::int32_t, std::int32_t) { dragging_ = false; }

GripZone SelFrame::ClassifyZone(std::int32_t x, std::int32_t y) const {
  const std::int32_t s = SizeSense;
  const bool top = y <= s;
  const bool bottom = Sub(bounds_.height, y) <= s;
  if (x <= s) {
    return top ? GripZone::TopLeft : bottom ? GripZone::BottomLeft : GripZone::Left;
  }
  if (Sub(bounds_.width, x) <= s) {
    return top ? GripZone::TopRight : bottom ? GripZone::BottomRight : GripZone::Right;
  }
  return top ? GripZone::Top : bottom ? GripZone::Bottom : GripZone::Inside;
}

GripZone SelFrame::FilterZone(GripZone zone) const {
  if (!SelOption.Contains(TSelOptSet::ResizeX)) {
    switch (zone) {
      case GripZone::Left:
      case GripZone::Right:
        zone = GripZone::Inside;
        break;
      case GripZone::TopRight:
      case GripZone::TopLeft:
        zone = GripZone::Top;
        break;
      case GripZone::BottomRight:
      case GripZone::BottomLeft:
        zone = GripZone::Bottom;
        break;
      default:
        break;
    }
  }
  if (!SelOption.Contains(TSelOptSet::ResizeY)) {
    switch (zone) {
      case GripZone::Top:
      case GripZone::Bottom:
        zone = GripZone::Inside;
        break;
      case GripZone::TopRight:
      case GripZone::BottomRight:
        zone = GripZone::Right;
        break;
      case GripZone::TopLeft:
      case GripZone::BottomLeft:
        zone = GripZone::Left;
        break;
      default:
        break;
    }
  }
  return zone;
}

void SelFrame::DragStep(std::int32_t x, std::int32_t y) {
  const std::int32_t dx = Sub(x, pressX_);
  const std::int32_t dy = Sub(y, pressY_);
  switch (zone_) {
    case GripZone::Top:
    case GripZone::TopRight:
    case GripZone::TopLeft:
      ResizeTop(dy);
      break;
    case GripZone::Bottom:
    case GripZone::BottomRight:
    case GripZone::BottomLeft:
      ResizeBottom(dy);
      break;
    default:
      break;
  }
  switch (zone_) {
    case GripZone::Left:
    case GripZone::TopLeft:
    case GripZone::BottomLeft:
      ResizeLeft(dx);
      break;
    case GripZone::Right:
    case GripZone::TopRight:
    case GripZone::BottomRight:
      ResizeRight(dx);
      break;
    default:
      break;
  }
  if (zone_ == GripZone::Inside) MoveBy(dx, dy);
}

std::int32_t SelFrame::BottomLimit() const {
  return MaxBottom > MinTop ? MaxBottom : parentHeight_;
}

std::int32_t SelFrame::RightLimit() const { return MaxRight > MinLeft ? MaxRight : parentWidth_; }

void SelFrame::ResizeTop(std::int32_t d) {
  if (Add(bounds_.top, d) < MinTop) d = Sub(MinTop, bounds_.top);
  if (Sub(bounds_.height, d) >= MinHeight) {
    bounds_.top = Add(bounds_.top, d);
    bounds_.height = Sub(bounds_.height, d);
  }
}

void SelFrame::ResizeBottom(std::int32_t d) {
  if (Add(bounds_.height, d) < MinHeight) return;
  const std::int32_t limit = BottomLimit();
  const std::int32_t bottom = Add(bounds_.top, bounds_.height);
  if (Add(bottom, d) > limit) d = Sub(limit, bottom);
  bounds_.height = Add(bounds_.height, d);
  pressY_ = Add(pressY_, d);
}

void SelFrame::ResizeLeft(std::int32_t d) {
  if (Add(bounds_.left, d) < MinLeft) d = Sub(MinLeft, bounds_.left);
  if (Sub(bounds_.width, d) >= MinWidth) {
    bounds_.left = Add(bounds_.left, d);
    bounds_.width = Sub(bounds_.width, d);
  }
}

void SelFrame::ResizeRight(std::int32_t d) {
  if (Add(bounds_.width, d) < MinWidth) return;
  const std::int32_t limit = RightLimit();
  const std::int32_t right = Add(bounds_.left, bounds_.width);
  if (Add(right, d) > limit) d = Sub(limit, right);
  bounds_.width = Add(bounds_.width, d);
  pressX_ = Add(pressX_, d);
}

void SelFrame::MoveBy(std::int32_t dx, std::int32_t dy) {
  if (SelOption.Contains(TSelOptSet::MoveY)) {
    if (Add(bounds_.top, dy) < MinTop) dy = Sub(MinTop, bounds_.top);
    const std::int32_t limit = BottomLimit();
    const std::int32_t bottom = Add(bounds_.top, bounds_.height);
    if (Add(bottom, dy) > limit) dy = Sub(limit, bottom);
    bounds_.top = Add(bounds_.top, dy);
  }
  if (SelOption.Contains(TSelOptSet::MoveX)) {
    if (Add(bounds_.left, dx) < MinLeft) dx = Sub(MinLeft, bounds_.left);
    const std::int32_t limit = RightLimit();
    const std::int32_t right = Add(bounds_.left, bounds_.width);
    if (Add(right, dx) > limit) dx = Sub(limit, right);
    bounds_.left = Add(bounds_.left, dx);
  }
}

}  // namespace rumora
