// Internal to the framework: everything of a window that Qt holds, for window.cpp. It owns the window's widgets,
// its Qt menu bar and the field the Edit commands act on, and ties them together: geometry, frame, menu enabling,
// what a chosen item does, and Tab order. It knows the window only as an object with properties, and reaches its
// events and its closing through the two calls the window gives it; the life cycle (live windows) stays there.
#pragma once

#include "framework/internal/internal_only.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/delegate.h"
#include "framework/internal/edit_commands.h"
#include "framework/internal/window_widgets.h"
#include "framework/object.h"

class MenuBar;
namespace internal {
class QtMenuBar;
}  // namespace internal

// The widgets point back through a raw pointer that is cleared when the window closes or goes, so a late Qt event
// finds no window rather than a dangling one.
struct WindowImpl final : internal::WindowWidgetOwner {
  using RaiseCall = std::function<bool(int event, EventArgs& args)>;
  // raise runs the window's entry for an event; close closes it as Window::Close does.
  WindowImpl(Object& w, RaiseCall raise, std::function<void()> close);
  ~WindowImpl();

  Object& window;
  RaiseCall raise;
  std::function<void()> close;
  QPointer<internal::WindowWidget> widget;
  QPointer<QWidget> content;
  std::unique_ptr<internal::QtMenuBar> menus;
  internal::EditTarget editTarget;
  std::vector<QPointer<QWidget>> tabOrder;
  std::vector<std::pair<std::string, Ref<Object>>> controls;
  std::map<std::string, Ref<Delegate>> menuHandlers;
  Ref<MenuBar> menuBar;
  bool live = false;
  bool built = false;
  bool closing = false;
  bool closed = false;

  // Held while a handler runs: it may drop the last other reference to the window.
  Ref<Object> Self() const { return window.weak_from_this().lock(); }
  // Makes the widgets once; false for a closed window, which gets none again.
  bool EnsureNative();
  void ApplyTitle();
  void ApplyFrame();
  void BuildMenuBar();
  void ChooseMenuItem(const std::string& name);
  void SetTabOrder();
  // Lets go of the widgets and the menu bar: now, or once the event loop is back when a handler is on the stack.
  void ReleaseNative();
  // Lets go of the controls, handlers, menu bar and widgets.
  void Release();

  bool RaiseFromQt(int event, EventArgs& args) override;
  bool CloseFromQt() override;
  void LayOutChildren(QSize size) override;
  void ApplyGeometry() override;
  bool MoveFocus(bool forward) override;
  void FocusMoved(QWidget* now) override;
  void UpdateMenuEnabling() override;
  std::optional<QColor> Background() const override;

 private:
  int MenuBarHeight(int width) const;
  QWidget* QtMenuBarWidget() const;
};
