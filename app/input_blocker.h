#pragma once

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace rumora {

// While it lives, mouse button, wheel and key events aimed at `window` or any of its children
// are dropped before they reach a widget: no button clicks, no box gets ticked, no field gets
// text (also none committed by an input method, which takes the keys before any filter sees
// them). Painting, hovering and closing still work. Used while a tone pass handles events.
class InputBlocker final : public QObject {
 public:
  explicit InputBlocker(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
  ~InputBlocker() override { qApp->removeEventFilter(this); }
  InputBlocker(const InputBlocker&) = delete;
  InputBlocker& operator=(const InputBlocker&) = delete;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::ContextMenu:
      case QEvent::InputMethod:
        break;
      default:
        return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(target);
    return widget && (widget == window_ || window_->isAncestorOf(widget));
  }

 private:
  QWidget* window_;
};

}  // namespace rumora
