// Internal to the framework: the Qt widgets of a window. The top-level widget turns Qt's window, key, focus and
// clipboard events into calls on its owner; the content widget below the menu bar paints the background and takes
// the presses no control took. They keep no framework state, and once the owner lets go (owner set to none) they
// report nothing more.
#pragma once

#include "framework/internal/internal_only.h"

#include <QColor>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <optional>
#include <set>

struct EventArgs;

namespace internal {

// What the widgets ask of the window that owns them.
class WindowWidgetOwner {
 public:
  // Raises a window event from a Qt event: through the exception helper, with Qt deletions deferred.
  virtual bool RaiseFromQt(int event, EventArgs& args) = 0;
  // The close button: closes the window as Window::Close does; true when it stays open.
  virtual bool CloseFromQt() = 0;
  virtual void LayOutChildren(QSize size) = 0;
  virtual void ApplyGeometry() = 0;
  virtual bool MoveFocus(bool forward) = 0;
  virtual void FocusMoved(QWidget* now) = 0;
  virtual void UpdateMenuEnabling() = 0;
  virtual std::optional<QColor> Background() const = 0;

 protected:
  ~WindowWidgetOwner() = default;
};

class WindowWidget : public QWidget {
 public:
  explicit WindowWidget(WindowWidgetOwner* owner);
  ~WindowWidget() override;
  WindowWidgetOwner* owner;

 protected:
  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

 private:
  bool shownOnce_ = false;
  std::set<int> keysDown_;
};

// The area below the menu bar: the window's Width x Height, the controls' parent.
class ContentWidget : public QWidget {
 public:
  explicit ContentWidget(WindowWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  WindowWidgetOwner* Owner() const { return top_ ? top_->owner : nullptr; }

  QPointer<WindowWidget> top_;
  bool pressed_ = false;
};

}  // namespace internal
