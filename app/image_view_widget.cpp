#include "app/image_view_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cstring>
#include <utility>
#include <vector>

namespace rumora {

ImageViewWidget::ImageViewWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageViewWidget::paintEvent(QPaintEvent*) {
  if (!HasPicture()) return;
  const Bitmap& picture = Picture();
  if (picture.Empty()) return;
  QPainter painter(this);
  if (!shown_.isNull()) {
    painter.drawImage(QPoint(0, 0), shown_);
    return;
  }
  if (PaintSharp(painter)) return;
  const QImage image(picture.Data(), picture.Width(), picture.Height(),
                     static_cast<qsizetype>(picture.Stride()), QImage::Format_BGR888);
  painter.drawImage(QPoint(0, 0), image);
}

void ImageViewWidget::Show(Rendition&& rendition) noexcept {
  AssignPicture(std::move(rendition.picture));
  sharp_.swap(rendition.sharp);
  std::swap(sharpBase_, rendition.sharpBase);
  update();
}

void ImageViewWidget::SetShownPicture(QImage shown) {
  shown_ = std::move(shown);
  update();
}

void ImageViewWidget::ClearShownPicture() {
  if (shown_.isNull()) return;
  shown_ = QImage();
  update();
}

bool ImageViewWidget::PaintSharp(QPainter& painter) {
  const Bitmap& picture = Picture();
  if (sharp_.isNull() || sharp_.devicePixelRatio() != devicePixelRatioF() ||
      picture.Width() != sharpBase_.Width() || picture.Height() != sharpBase_.Height()) {
    return false;
  }
  // A line or two drawn into the picture differ from it in a few thousand pixels at most; a
  // picture drawn anew differs in most.
  const int rows = std::min(height(), picture.Height());
  const int columns = std::min(width(), picture.Width());
  const std::size_t maxMarks = 8 * static_cast<std::size_t>(rows + columns);
  std::vector<QPoint> marks;
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* now = picture.Row(y);
    const std::uint8_t* was = sharpBase_.Row(y);
    if (std::memcmp(now, was, 3 * static_cast<std::size_t>(columns)) == 0) continue;
    for (int x = 0; x < columns; ++x) {
      if (std::memcmp(now + 3 * x, was + 3 * x, 3) != 0) marks.emplace_back(x, y);
    }
    if (marks.size() > maxMarks) return false;
  }
  painter.save();
  painter.setClipRect(0, 0, columns, rows);
  painter.drawImage(QPoint(0, 0), sharp_);
  painter.restore();
  for (const QPoint& p : marks) {
    const std::uint8_t* pixel = picture.Row(p.y()) + 3 * p.x();
    painter.fillRect(QRect(p, QSize(1, 1)), QColor(pixel[2], pixel[1], pixel[0]));
  }
  return true;
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
