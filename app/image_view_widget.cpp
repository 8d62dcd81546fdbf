#include "app/image_view_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

namespace rumora {

ImageViewWidget::ImageViewWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageViewWidget::paintEvent(QPaintEvent*) {
  if (!HasPicture()) return;
  const Bitmap& picture = Picture();
  if (picture.Empty()) return;
  const QImage image(picture.Data(), picture.Width(), picture.Height(),
                     static_cast<qsizetype>(picture.Stride()), QImage::Format_BGR888);
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), image);
}

void ImageViewWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(event->button(), event->buttons(), event->modifiers(), p.x(), p.y());
}

void ImageViewWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void ImageViewWidget::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (OnMouseUp) OnMouseUp(event->button(), event->buttons(), event->modifiers(), p.x(), p.y());
  const bool secondOfDouble = std::exchange(doubleClickPressed_, false);
  if (OnClick && event->button() == Qt::LeftButton && !secondOfDouble && rect().contains(p)) {
    OnClick();
  }
}

void ImageViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  doubleClickPressed_ = true;
  mousePressEvent(event);
}

}  // namespace rumora
