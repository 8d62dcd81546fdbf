#include "layout/sel_shape.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <algorithm>

namespace rumora {

TSelShape::TSelShape(QWidget* parent) : QWidget(parent) {
  // Hovering shows the sizing cursors. No background is filled, so only the outline covers the
  // picture below.
  setMouseTracking(true);
  SyncGeometry();
}

void TSelShape::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height) {
  SetBounds(FrameBounds{left, top, width, height});
}

void TSelShape::SetBounds(const FrameBounds& bounds) {
  frame_.SetBounds(bounds);
  SyncGeometry();
}

void TSelShape::SetLeft(std::int32_t left) {
  FrameBounds b = frame_.Bounds();
  b.left = left;
  SetBounds(b);
}

void TSelShape::SetTop(std::int32_t top) {
  FrameBounds b = frame_.Bounds();
  b.top = top;
  SetBounds(b);
}

void TSelShape::SetWidth(std::int32_t width) {
  FrameBounds b = frame_.Bounds();
  b.width = width;
  SetBounds(b);
}

void TSelShape::SetHeight(std::int32_t height) {
  FrameBounds b = frame_.Bounds();
  b.height = height;
  SetBounds(b);
}

void TSelShape::MoveByStep(std::int32_t dx, std::int32_t dy) {
  SyncParentSize();
  frame_.MoveBy(dx, dy);
  SyncGeometry();
}

void TSelShape::ResizeByStep(std::int32_t dw, std::int32_t dh) {
  SyncParentSize();
  if (dw != 0) frame_.ResizeRight(dw);
  if (dh != 0) frame_.ResizeBottom(dh);
  SyncGeometry();
}

void TSelShape::SetPenColour(const QColor& colour) {
  penColour_ = colour;
  update();
}

void TSelShape::SetPenWidth(int width) {
  penWidth_ = std::max(width, 1);
  update();
}

void TSelShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QPen pen(penColour_);
  pen.setWidth(penWidth_);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  // Keep the whole pen inside the frame's own area.
  const qreal inset = penWidth_ / 2.0;
  painter.drawRect(QRectF(inset, inset, width() - penWidth_, height() - penWidth_));
}

void TSelShape::mousePressEvent(QMouseEvent* event) {
  SyncParentSize();
  const QPoint p = ClampedPosition(*event);
  if (OnMouseDown) {
    OnMouseDown(*this, event->button(), event->buttons(), event->modifiers(), p.x(), p.y());
  }
  frame_.MouseDown(p.x(), p.y());
  if (ClipCursor && parentWidget() != nullptr) {
    const QWidget* parent = parentWidget();
    const QRect screenRect(parent->mapToGlobal(QPoint(0, 0)), parent->size());
    ClipCursor(&screenRect);
  }
  SyncGeometry();
  event->accept();
}

void TSelShape::mouseMoveEvent(QMouseEvent* event) {
  SyncParentSize();
  const QPoint p = ClampedPosition(*event);
  if (OnMouseMove) OnMouseMove(*this, event->buttons(), event->modifiers(), p.x(), p.y());
  ShowCursor(frame_.MouseMove(p.x(), p.y()));
  SyncGeometry();
  event->accept();
}

void TSelShape::mouseReleaseEvent(QMouseEvent* event) {
  SyncParentSize();
  const QPoint p = ClampedPosition(*event);
  if (OnMouseUp) {
    OnMouseUp(*this, event->button(), event->buttons(), event->modifiers(), p.x(), p.y());
  }
  frame_.MouseUp(p.x(), p.y());
  if (ClipCursor) ClipCursor(nullptr);
  SyncGeometry();
  event->accept();
}

void TSelShape::hideEvent(QHideEvent* event) {
  AbandonDrag();
  QWidget::hideEvent(event);
}

bool TSelShape::event(QEvent* event) {
  if (event->type() == QEvent::UngrabMouse) AbandonDrag();
  return QWidget::event(event);
}

void TSelShape::AbandonDrag() {
  if (!frame_.Dragging()) return;
  frame_.MouseUp(0, 0);
  if (ClipCursor) ClipCursor(nullptr);
}

QPoint TSelShape::ClampedPosition(const QMouseEvent& event) const {
  const QPoint local = event.position().toPoint();
  const QWidget* parent = parentWidget();
  if (parent == nullptr) return local;
  // Work in parent coordinates from the frame's own bounds, which the geometry mirrors.
  const int maxX = std::max(parent->width() - 1, 0);
  const int maxY = std::max(parent->height() - 1, 0);
  const int px = std::clamp(frame_.Left() + local.x(), 0, maxX);
  const int py = std::clamp(frame_.Top() + local.y(), 0, maxY);
  return {px - frame_.Left(), py - frame_.Top()};
}

void TSelShape::SyncParentSize() {
  if (const QWidget* parent = parentWidget()) {
    frame_.SetParentClientSize(parent->width(), parent->height());
  }
}

void TSelShape::SyncGeometry() {
  // The bounds may hold any place (a logo place read from a damaged settings file); the widget
  // is kept within a range where Qt's own coordinate sums cannot overflow.
  constexpr std::int32_t kReach = 1 << 24;
  const FrameBounds& b = frame_.Bounds();
  const QRect target(std::clamp(b.left, -kReach, kReach), std::clamp(b.top, -kReach, kReach),
                     std::clamp(b.width, 0, kReach), std::clamp(b.height, 0, kReach));
  if (geometry() != target) setGeometry(target);
}

void TSelShape::ShowCursor(FrameCursor cursor) {
  switch (cursor) {
    case FrameCursor::Arrow:
      setCursor(Qt::ArrowCursor);
      break;
    case FrameCursor::SizeVertical:
      setCursor(Qt::SizeVerCursor);
      break;
    case FrameCursor::SizeHorizontal:
      setCursor(Qt::SizeHorCursor);
      break;
    case FrameCursor::SizeRisingDiagonal:
      setCursor(Qt::SizeBDiagCursor);
      break;
    case FrameCursor::SizeFallingDiagonal:
      setCursor(Qt::SizeFDiagCursor);
      break;
  }
}

}  // namespace rumora
