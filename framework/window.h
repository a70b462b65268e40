// Window: a real top-level window on Qt. Building one (Constructor) raises its construction events, then Open,
// and shows it when its Visible setting is true. The framework holds every live window by its class's full name
// from construction until the user closes it. Qt-free header.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/delegate.h"
#include "framework/object.h"
#include "framework/window_events.h"

class MenuBar;
class RectControl;
struct WindowImpl;
namespace internal {
struct Native;
}  // namespace internal

class Window : public Object {
 public:
  // The window events (window_events.h) as Window::kActivate and the like.
  using Event = window_events::Event;
  using enum window_events::Event;

  Window();
  ~Window() override;
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // Builds the window: Layout, CreateControls and AddMenuHandlers, then Open; shows it when Visible is true.
  // From here until the user closes it, GetImplicitWindow_ finds it by its class's full name.
  virtual void Constructor();

  void Show();
  void Hide();  // hidden but kept
  // Closes the window as the close button does: the Close event runs, the window leaves the live windows and its
  // controls are released.
  void Close();
  bool IsLive() const;
  bool IsVisible() const;

  // A new control object of that class for this window, not yet constructed.
  Ref<Object> New_(const ClassInfo& controlClass);
  void AddControl_(const std::string& name, const Ref<Object>& control);
  // The control registered under the name, or none (also once the window is closed).
  Ref<Object> ControlByName_(const std::string& name) const;
  std::vector<std::string> ControlNames() const;  // in registration order

  // Choosing a menu item of that name calls the handler (signature "(  ) as Boolean").
  void AddMenuHandler_(const std::string& itemName, const Ref<Delegate>& handler);
  Ref<Delegate> MenuHandler(const std::string& itemName) const;

  void MenuBar(const Ref<::MenuBar>& menuBar);
  Ref<::MenuBar> MenuBar() const;

  // Raises a window event: runs the class's entry for it, if filled, and gives its result. A failure passes to the
  // caller, so that one while the window is built passes out of Constructor; events a user causes reach this
  // through internal::RuntimeRunHandler.
  bool RaiseEvent(int event, EventArgs& args);

 protected:
  void CheckPropertyChange() const override;
  void PropertyChanged(const std::string& declaredName) override;

 private:
  friend struct internal::Native;
  friend void ReleaseLiveWindows();
  // Leaves the live windows and lets go of the controls, handlers, menu bar and widgets.
  void Discard();
  static void DiscardLiveWindows();
  std::unique_ptr<WindowImpl> impl_;
};

// The live window of the class registered under that full name, or none.
Ref<Window> GetImplicitWindow_(const std::string& fullName);
// Every live window, in construction order.
std::vector<Ref<Window>> RuntimeLiveWindows();
// Releases every live window, its controls and its widgets, without running its Close handler: the framework's
// finaliser, run after the event loop has ended.
void ReleaseLiveWindows();
