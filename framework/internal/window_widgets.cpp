#include "framework/internal/window_widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <string>
#include <utility>

#include "framework/delegate.h"
#include "framework/internal/qt_controls.h"
#include "framework/window_events.h"

namespace internal {

namespace {

// The press or release goes to the window at its position in content coordinates, and stops here.
void RaiseMouseEvent(WindowWidgetOwner& owner, int event, QMouseEvent& e) {
  const QPoint at = e.position().toPoint();
  EventArgs args;
  args.x = at.x();
  args.y = at.y();
  owner.RaiseFromQt(event, args);
  e.accept();
}

}  // namespace

// The Edit items enable themselves from the focused field and the clipboard, whichever window has the focus.
WindowWidget::WindowWidget(WindowWidgetOwner* owner) : owner(owner) {
  QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (this->owner) this->owner->FocusMoved(now);
  });
  QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
    if (this->owner) this->owner->UpdateMenuEnabling();
  });
}

// QWidget's destructor hides a visible window, which moves the focus and may change the clipboard owner; the
// application's signals must not reach this part of the object once it is gone.
WindowWidget::~WindowWidget() {
  disconnect(qApp, nullptr, this, nullptr);
  disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
}

bool WindowWidget::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && owner) {
    owner->UpdateMenuEnabling();
    EventArgs args;
    owner->RaiseFromQt(window_events::kActivate, args);
  } else if (e->type() == QEvent::WindowDeactivate && owner) {
    EventArgs args;
    owner->RaiseFromQt(window_events::kDeactivate, args);
  }
  return QWidget::event(e);
}

// The first size a window is shown with is no resizing, nor its first position a move.
void WindowWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (owner) owner->LayOutChildren(size());
  if (owner && isVisible() && e->oldSize().isValid() && e->oldSize() != e->size()) {
    EventArgs args;
    owner->RaiseFromQt(window_events::kResized, args);
  }
}

void WindowWidget::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (owner && isVisible() && e->oldPos() != e->pos()) {
    EventArgs args;
    owner->RaiseFromQt(window_events::kMoved, args);
  }
}

// Leaving the minimized state is a restore, whatever state the window goes back to.
void WindowWidget::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange || !owner) return;
  const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(e)->oldState(), now = windowState();
  std::optional<window_events::Event> event;
  if (now.testFlag(Qt::WindowMinimized) && !before.testFlag(Qt::WindowMinimized)) {
    event = window_events::kMinimize;
  } else if (before.testFlag(Qt::WindowMinimized) && !now.testFlag(Qt::WindowMinimized)) {
    event = window_events::kRestore;
  } else if (now.testFlag(Qt::WindowMaximized) && !before.testFlag(Qt::WindowMaximized)) {
    event = window_events::kMaximize;
  } else if (before.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMaximized)) {
    event = window_events::kRestore;
  }
  if (!event) return;
  EventArgs args;
  owner->RaiseFromQt(*event, args);
}

// The menu bar's height is only final once the window is polished, so the content size is set again then.
void WindowWidget::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (owner && !shownOnce_) {
    shownOnce_ = true;
    owner->ApplyGeometry();
  }
}

// CancelClose may keep the window open; then the close is refused. Closing lets go of the owner, and the window
// object may go with the last reference, so the owner is not asked again.
void WindowWidget::closeEvent(QCloseEvent* e) {
  QtDispatchScope scope;
  if (owner && owner->CloseFromQt()) {
    e->ignore();
  } else {
    e->accept();
  }
}

// Tab and Backtab from any control come up here.
bool WindowWidget::focusNextPrevChild(bool next) {
  return (owner && owner->MoveFocus(next)) || QWidget::focusNextPrevChild(next);
}

void WindowWidget::keyPressEvent(QKeyEvent* e) {
  std::optional<std::string> text = FrameworkKeyText(*e);
  if (owner && text) {
    keysDown_.insert(e->key());
    EventArgs args;
    args.key = *text;
    if (owner->RaiseFromQt(window_events::kKeyDown, args)) {
      e->accept();
      return;
    }
  }
  QWidget::keyPressEvent(e);
}

// A field lets every release go on up here; KeyUp comes only for the keys whose press reached KeyDown.
void WindowWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!e->isAutoRepeat() && keysDown_.erase(e->key()) && owner) {
    if (std::optional<std::string> text = FrameworkKeyText(*e)) {
      EventArgs args;
      args.key = *text;
      owner->RaiseFromQt(window_events::kKeyUp, args);
      e->accept();
      return;
    }
  }
  QWidget::keyReleaseEvent(e);
}

ContentWidget::ContentWidget(WindowWidget* parent) : QWidget(parent), top_(parent) {}

void ContentWidget::paintEvent(QPaintEvent*) {
  WindowWidgetOwner* owner = Owner();
  const std::optional<QColor> colour = owner ? owner->Background() : std::nullopt;
  if (!colour) return;
  QPainter painter(this);
  painter.fillRect(rect(), *colour);
}

// Presses on the content itself and those a child control ignores arrive here, in content coordinates.
void ContentWidget::mousePressEvent(QMouseEvent* e) {
  WindowWidgetOwner* owner = Owner();
  if (!owner) {
    e->ignore();
    return;
  }
  pressed_ = true;
  RaiseMouseEvent(*owner, window_events::kMouseDown, *e);
}

// Only the release of a press that reached MouseDown: a control's own press may be released up here too.
void ContentWidget::mouseReleaseEvent(QMouseEvent* e) {
  WindowWidgetOwner* owner = Owner();
  if (!owner || !std::exchange(pressed_, false)) {
    e->ignore();
    return;
  }
  RaiseMouseEvent(*owner, window_events::kMouseUp, *e);
}

}  // namespace internal
