#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "imaging/image_view.h"

class QPainter;

namespace rumora {

// An image control on the window: shows its picture unscaled from its top-left corner, clipped
// to the control; where the picture does not reach, the parent's background shows through.
class ImageViewWidget final : public QWidget, public ImageView {
 public:
  explicit ImageViewWidget(QWidget* parent);

  int ControlWidth() const override { return width(); }
  int ControlHeight() const override { return height(); }

  // Mouse events in picture coordinates, raised as the window's handlers want them.
  std::function<void(Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers, int, int)>
      OnMouseDown, OnMouseUp;
  std::function<void(Qt::MouseButtons, Qt::KeyboardModifiers, int, int)> OnMouseMove;
  // A left-button click; the second click of a double click does not count again.
  std::function<void()> OnClick;

  // What the view shows, made beforehand so that putting it in place cannot fail: the picture
  // and, for a screen of more than one device pixel per pixel, a sharper rendition of what the
  // picture shows in the control, made for `sharp.devicePixelRatio()` device pixels per pixel
  // (null: none). The rendition is painted in the picture's place while the screen has that
  // ratio, with whatever was drawn into the picture since (the angle line) over it; a picture
  // changed in more than a few lines, or another ratio, shows the picture itself again.
  struct Rendition {
    Bitmap picture;
    QImage sharp;
    Bitmap sharpBase;  // the picture the sharp rendition was made for; empty without one
  };
  // Puts `rendition` in place and repaints; cannot fail.
  void Show(Rendition&& rendition) noexcept;
  // The sharp rendition painted in the picture's place; null when there is none.
  const QImage& SharpPicture() const { return sharp_; }

  // What to paint in the picture's place, at its own device pixel ratio, until cleared: the
  // owner keeps it in step with the picture (a larger picture reduced to the control, or the
  // picture with something drawn over it for the eye only).
  void SetShownPicture(QImage shown);
  void ClearShownPicture();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // Paints the sharp rendition and what was drawn into the picture since; false when the
  // rendition no longer fits.
  bool PaintSharp(QPainter& painter);

  // The second press of a double click: its release is not another click.
  bool doubleClickPressed_ = false;
  QImage shown_;
  QImage sharp_;
  Bitmap sharpBase_;  // the picture as it was when the rendition was made
};

}  // namespace rumora
