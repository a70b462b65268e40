// The numbers of a window's events, as Window::kActivate and the like name them: apart from window.h so that the
// window's own widgets can raise them without depending on the window above them. Qt-free.
#pragma once

namespace window_events {

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

}  // namespace window_events
