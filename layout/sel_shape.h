#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

#include "layout/sel_frame.h"

class QMouseEvent;
class QPaintEvent;
class QRect;

namespace rumora {

// The movable, resizable rectangle frame that lies on a parent panel over a picture. It serves
// two owners: the trimming frame on the input view and the logo frame on the output view. It paints
// only its outline (the picture below stays visible), shows a sizing cursor for the edge or
// corner under the pointer and applies drags under its limits and options (SelFrame). Its
// geometry is its bounds in the parent's client coordinates.
class TSelShape : public QWidget {
  Q_OBJECT

 public:
  // Raised at the start of the frame's own handling, positions in frame coordinates.
  using MouseButtonHandler =
      std::function<void(TSelShape& sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                         Qt::KeyboardModifiers modifiers, int x, int y)>;
  using MouseMoveHandler = std::function<void(TSelShape& sender, Qt::MouseButtons buttons,
                                              Qt::KeyboardModifiers modifiers, int x, int y)>;
  // Confines the pointer to a screen rectangle; nullptr frees it.
  using ClipCursorHook = std::function<void(const QRect* screenRect)>;

  // A frame on `parent` with the default settings (see SelFrame), a black one-pixel outline and
  // empty bounds.
  explicit TSelShape(QWidget* parent);

  MouseButtonHandler OnMouseDown;
  MouseMoveHandler OnMouseMove;
  MouseButtonHandler OnMouseUp;
  ClipCursorHook ClipCursor;

  // The published settings and the drag state.
  SelFrame& Frame() { return frame_; }
  const SelFrame& Frame() const { return frame_; }

  std::int32_t Left() const { return frame_.Left(); }
  std::int32_t Top() const { return frame_.Top(); }
  std::int32_t Width() const { return frame_.Width(); }
  std::int32_t Height() const { return frame_.Height(); }
  void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
  void SetBounds(const FrameBounds& bounds);
  void SetLeft(std::int32_t left);
  void SetTop(std::int32_t top);
  void SetWidth(std::int32_t width);
  void SetHeight(std::int32_t height);

  // Keyboard steps under the limits a drag has: the frame moved by (dx, dy) pixels (MoveBy), or
  // its right and bottom edges moved by (dw, dh) (ResizeRight, ResizeBottom).
  void MoveByStep(std::int32_t dx, std::int32_t dy);
  void ResizeByStep(std::int32_t dw, std::int32_t dh);

  // Shown or hidden by its own flag, whether or not the parent is on screen.
  bool Visible() const { return !isHidden(); }

  // The outline's colour and width in pixels (at least 1).
  void SetPenColour(const QColor& colour);
  void SetPenWidth(int width);
  QColor PenColour() const { return penColour_; }
  int PenWidth() const { return penWidth_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // The event position in frame coordinates, moved so that in parent coordinates it lies within
  // the parent's client area.
  QPoint ClampedPosition(const QMouseEvent& event) const;
  void SyncParentSize();
  void SyncGeometry();
  void ShowCursor(FrameCursor cursor);
  // Ends a drag that no release will end (the frame was hidden or lost the pointer).
  void AbandonDrag();

  SelFrame frame_;
  QColor penColour_ = Qt::black;
  int penWidth_ = 1;
};

}  // namespace rumora
