// Window: a real top-level window on Qt. Building one (Constructor) raises its construction events, then Open,
// and shows it when its Visible setting is true. The framework holds every live window by its class's full name
// from construction until the user closes it. Qt-free header.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/delegate.h"
#include "framework/object.h"

class MenuBar;
class RectControl;
struct WindowImpl;
namespace internal {
struct Native;
}  // namespace internal

class Window : public Object {
 public:
  // Window events, numbered as the class records fill them. The framework raises these, and a window class whose
  // record fills any other entry is refused at registration:
  //   while the window is built (Constructor): Layout, CreateControls, AddMenuHandlers, then Open;
  //   Activate and Deactivate when it becomes or stops being the active window;
  //   KeyDown for a key no control took (true drops it), KeyUp when that key is released;
  //   MouseDown for a press on the content or one a control ignored, MouseUp for that press's release (content
  //   coordinates);
  //   Moved and Resized when a shown window changes its position or size (not for the first one it is shown with);
  //   Minimize, Maximize, and Restore when it leaves the minimized or maximized state;
  //   CancelClose when it is to close (close button or Close): true keeps it open; otherwise Close, and it is gone.
  enum Event : int {
    kActivate = 0,
    kAddMenuHandlers = 1,
    kCancelClose = 2,
    kClose = 3,
    kConstructContextualMenu = 4,
    kContentsChanged = 5,
    kContextualMenuAction = 6,
    kCreateControls = 7,
    kDeactivate = 8,
    kDragEnter = 9,
    kDragExit = 10,
    kDragOver = 11,
    kDropObject = 12,
    kEnableMenuItems = 13,
    kKeyDown = 14,
    kKeyUp = 15,
    kLayout = 16,
    kMaximize = 17,
    kMinimize = 18,
    kMouseDown = 19,
    kMouseDrag = 20,
    kMouseEnter = 21,
    kMouseExit = 22,
    kMouseMove = 23,
    kMouseUp = 24,
    kMouseWheel = 25,
    kMoved = 26,
    kOpen = 27,
    kPaint = 28,
    kResized = 29,
    kResizing = 30,
    kRestore = 31,
    kScaleFactorChanged = 32,
    kSetupBindings = 33
  };

  Window();
  ~Window() override;
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // Builds the window: CreateControls, Layout and AddMenuHandlers, then Open; shows it when Visible is true.
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
  // through RuntimeRunHandler.
  bool RaiseEvent(int event, EventArgs& args);

 protected:
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
