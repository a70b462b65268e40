#include "framework/window.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "framework/controls.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/internal/qt_controls.h"
#include "framework/internal/qt_window.h"

namespace {

// Never destroyed: a window still live when the process ends must not be torn down after its QApplication.
std::vector<Ref<Window>>& LiveWindows() {
  static auto* live = new std::vector<Ref<Window>>;
  return *live;
}

void Geometry(Window&, WindowImpl& impl) { impl.ApplyGeometry(); }
void Title(Window&, WindowImpl& impl) { impl.ApplyTitle(); }
void Frame(Window&, WindowImpl& impl) { impl.ApplyFrame(); }
void Repaint(Window&, WindowImpl& impl) { impl.content->update(); }

// While the window is built, Visible only decides whether Constructor shows it at the end.
void Visibility(Window& window, WindowImpl& impl) {
  if (!impl.built) return;
  if (window.BoolProperty("Visible")) {
    window.Show();
  } else {
    window.Hide();
  }
}

// Each window property, once, with what setting it does on Qt; the ones without an applier are only kept.
struct WindowProperty {
  std::string_view name;
  PropType type;
  void (*apply)(Window&, WindowImpl&);
};

constexpr std::array<WindowProperty, 22> kWindowProperties{{
    // The content area's size, below the menu bar: the top-level widget is the menu bar's height taller.
    {"Width", PropType::Integer, &Geometry},
    {"Height", PropType::Integer, &Geometry},
    // Bounds for the user's resizing; a window that is not Resizeable has a fixed size and ignores them.
    {"MinimumWidth", PropType::Integer, &Geometry},
    {"MinimumHeight", PropType::Integer, &Geometry},
    {"MaximumWidth", PropType::Integer, &Geometry},
    {"MaximumHeight", PropType::Integer, &Geometry},
    // 0 an ordinary document window (Qt::Window), 2 a dialog-style frame (Qt::Dialog), shown modelessly all the same.
    {"Type", PropType::Enumeration, &Frame},
    // An empty title goes to Qt as one space, so the frame shows nothing instead of the application's name.
    {"Title", PropType::Text, &Title},
    // The title-bar buttons are window-manager hints; a window manager may still show its own.
    {"HasCloseButton", PropType::Boolean, &Frame},
    {"HasMaximizeButton", PropType::Boolean, &Frame},
    {"HasMinimizeButton", PropType::Boolean, &Frame},
    {"HasFullScreenButton", PropType::Boolean, nullptr},
    {"Resizeable", PropType::Boolean, &Geometry},
    {"Composite", PropType::Boolean, nullptr},
    {"MacProcId", PropType::Integer, nullptr},
    {"FullScreen", PropType::Boolean, nullptr},
    // 0, the only value in use, leaves the first position to the window system.
    {"DefaultLocation", PropType::Enumeration, nullptr},
    {"Visible", PropType::Boolean, &Visibility},
    // The content widget paints the colour behind the controls, and opaque labels and canvases paint it beneath
    // themselves; without HasBackgroundColor the style's window colour shows.
    {"HasBackgroundColor", PropType::Boolean, &Repaint},
    {"BackgroundColor", PropType::Colour, &Repaint},
    // False hides the menu bar and the window loses its height: the content area keeps Width x Height.
    {"MenuBarVisible", PropType::Boolean, &Geometry},
    {"LiveResize", PropType::Boolean, nullptr},
}};

std::vector<PropertyDecl> WindowPropertyDecls() {
  std::vector<PropertyDecl> decls;
  for (const WindowProperty& property : kWindowProperties) decls.push_back({std::string(property.name), property.type});
  return decls;
}

// The window events the framework raises (see window.h); the class records may fill no others.
std::set<int> RaisedWindowEvents() {
  using W = Window;
  return {W::kActivate, W::kAddMenuHandlers, W::kCancelClose, W::kClose,    W::kCreateControls, W::kDeactivate,
          W::kKeyDown,  W::kKeyUp,           W::kLayout,      W::kMaximize, W::kMinimize,       W::kMouseDown,
          W::kMouseUp,  W::kMoved,           W::kOpen,        W::kResized,  W::kRestore};
}

}  // namespace

void Window::Discard() {
  Ref<Object> keep = weak_from_this().lock();
  impl_->live = false;
  impl_->closed = true;
  auto& windows = LiveWindows();
  windows.erase(
      std::remove_if(windows.begin(), windows.end(), [this](const Ref<Window>& w) { return w.get() == this; }),
      windows.end());
  impl_->Release();
}

// Runs as the framework's finaliser, and inside the QApplication's destructor where a test made its own application:
// windows still live then are released while Qt can still delete them.
void Window::DiscardLiveWindows() {
  std::vector<Ref<Window>> windows = LiveWindows();
  for (const Ref<Window>& w : windows) w->Discard();
}

Window::Window()
    : impl_(std::make_unique<WindowImpl>(
          *this, [this](int event, EventArgs& args) { return RaiseEvent(event, args); }, [this] { Close(); })) {}
Window::~Window() = default;

const ClassInfo& Window::ClassRecord() {
  static const ClassInfo record{.fullName = "Window",
                                .base = &Object::ClassRecord(),
                                .factory = [] { return std::make_shared<Window>(); },
                                .properties = WindowPropertyDecls(),
                                .eventNames = {"Activate",
                                               "AddMenuHandlers",
                                               "CancelClose",
                                               "Close",
                                               "ConstructContextualMenu",
                                               "ContentsChanged",
                                               "ContextualMenuAction",
                                               "CreateControls",
                                               "Deactivate",
                                               "DragEnter",
                                               "DragExit",
                                               "DragOver",
                                               "DropObject",
                                               "EnableMenuItems",
                                               "KeyDown",
                                               "KeyUp",
                                               "Layout",
                                               "Maximize",
                                               "Minimize",
                                               "MouseDown",
                                               "MouseDrag",
                                               "MouseEnter",
                                               "MouseExit",
                                               "MouseMove",
                                               "MouseUp",
                                               "MouseWheel",
                                               "Moved",
                                               "Open",
                                               "Paint",
                                               "Resized",
                                               "Resizing",
                                               "Restore",
                                               "ScaleFactorChanged",
                                               "SetupBindings"},
                                .raisedEvents = RaisedWindowEvents()};
  return RuntimeRegisterClass(record);
}

void Window::Constructor() {
  internal::RequireGuiThread("Window.Constructor");
  if (impl_->live || impl_->closed) return;
  // Windows still live when a test's own QApplication is destroyed are released while Qt can still delete them.
  static const bool postRoutine = [] {
    qAddPostRoutine(&Window::DiscardLiveWindows);
    return true;
  }();
  (void)postRoutine;
  Ref<Window> self = std::static_pointer_cast<Window>(shared_from_this());
  impl_->EnsureNative();
  impl_->live = true;
  LiveWindows().push_back(self);
  try {
    // Layout first, so that the window has its size before any control is placed and locked to its edges. A
    // handler that closes the window ends the building there: a closed window is neither built on nor shown.
    EventArgs args;
    args.sender = self;
    const auto raise = [&](Event event) {
      RaiseEvent(event, args);
      return !impl_->closed;
    };
    if (!raise(kLayout) || !raise(kCreateControls)) return;
    args.window = self;
    if (!raise(kAddMenuHandlers)) return;
    args.window.reset();
    impl_->SetTabOrder();
    if (!raise(kOpen)) return;
  } catch (...) {
    Discard();
    throw;
  }
  impl_->built = true;
  if (BoolProperty("Visible", true)) Show();
}

void Window::Show() {
  internal::RequireGuiThread("Window.Show");
  if (!impl_->widget) return;
  impl_->widget->show();
  impl_->widget->raise();
  impl_->widget->activateWindow();
}

void Window::Hide() {
  internal::RequireGuiThread("Window.Hide");
  if (impl_->widget) impl_->widget->hide();
}

void Window::Close() {
  internal::RequireGuiThread("Window.Close");
  if (!impl_->live || impl_->closing) return;
  impl_->closing = true;
  Ref<Window> self = std::static_pointer_cast<Window>(shared_from_this());
  {
    QtDispatchScope scope;
    EventArgs args;
    args.sender = self;
    if (internal::RuntimeRunHandler([&] { return RaiseEvent(kCancelClose, args); })) {
      impl_->closing = false;
      return;
    }
    internal::RuntimeRunHandler([&] { return RaiseEvent(kClose, args); });
  }
  Discard();
}

bool Window::IsLive() const {
  internal::RequireGuiThread("Window.IsLive");
  return impl_->live;
}

bool Window::IsVisible() const {
  internal::RequireGuiThread("Window.IsVisible");
  return impl_->widget && impl_->widget->isVisible();
}

Ref<Object> Window::New_(const ClassInfo& controlClass) {
  internal::RequireGuiThread("Window.New");
  if (!impl_->EnsureNative()) throw NilObjectException("window " + GetClass().fullName + " is closed");
  Ref<Object> object = RuntimeNewObject(controlClass);
  auto control = std::dynamic_pointer_cast<Control>(object);
  if (!control) {
    throw IllegalCastException("class " + controlClass.fullName + " is no control and cannot sit on a window");
  }
  control->owner_ = std::static_pointer_cast<Window>(shared_from_this());
  control->CreateNative(internal::NativeParent{impl_->content.data()});
  return object;
}

void Window::AddControl_(const std::string& name, const Ref<Object>& control) {
  internal::RequireGuiThread("Window.AddControl");
  RequireObject(control, "control " + name);
  if (impl_->closed) throw NilObjectException("window " + GetClass().fullName + " is closed");
  for (const auto& entry : impl_->controls) {
    if (entry.first == name) {
      throw OutOfBoundsException("window " + GetClass().fullName + " already has a control named " + name);
    }
  }
  impl_->controls.emplace_back(name, control);
  if (auto* child = dynamic_cast<PaneChild*>(control.get())) {
    child->SetWindow_(std::static_pointer_cast<Window>(shared_from_this()));
  }
}

Ref<Object> Window::ControlByName_(const std::string& name) const {
  internal::RequireGuiThread("Window.ControlByName");
  for (const auto& entry : impl_->controls) {
    if (entry.first == name) return entry.second;
  }
  return nullptr;
}

std::vector<std::string> Window::ControlNames() const {
  internal::RequireGuiThread("Window.ControlNames");
  std::vector<std::string> names;
  names.reserve(impl_->controls.size());
  for (const auto& entry : impl_->controls) names.push_back(entry.first);
  return names;
}

void Window::AddMenuHandler_(const std::string& itemName, const Ref<Delegate>& handler) {
  internal::RequireGuiThread("Window.AddMenuHandler");
  RequireObject(handler, "menu handler for " + itemName);
  if (impl_->closed) return;
  impl_->menuHandlers[itemName] = handler;
  impl_->UpdateMenuEnabling();
}

Ref<Delegate> Window::MenuHandler(const std::string& itemName) const {
  internal::RequireGuiThread("Window.MenuHandler");
  auto it = impl_->menuHandlers.find(itemName);
  return it == impl_->menuHandlers.end() ? nullptr : it->second;
}

void Window::MenuBar(const Ref<::MenuBar>& menuBar) {
  internal::RequireGuiThread("Window.MenuBar");
  if (!impl_->EnsureNative()) return;
  impl_->menuBar = menuBar;
  impl_->BuildMenuBar();
}

Ref<::MenuBar> Window::MenuBar() const {
  internal::RequireGuiThread("Window.MenuBar");
  return impl_->menuBar;
}

bool Window::RaiseEvent(int event, EventArgs& args) {
  internal::RequireGuiThread("Window.RaiseEvent");
  Ref<Object> keep = weak_from_this().lock();  // a handler may drop the last other reference
  for (const ClassInfo* cls = &GetClass(); cls; cls = cls->base) {
    auto it = cls->events.find(event);
    if (it != cls->events.end()) return it->second(*this, args);
  }
  return false;
}

QWidget* internal::Native::WindowWidget(const Window& window) {
  internal::RequireGuiThread("Window.NativeWindow");
  return window.impl_->widget.data();
}

QWidget* internal::Native::Content(const Window& window) {
  internal::RequireGuiThread("Window.NativeContent");
  return window.impl_->content.data();
}

bool internal::Native::Built(const Window& window) { return window.impl_->built; }

void Window::CheckPropertyChange() const { internal::RequireGuiThread("Window.SetProperty"); }

void Window::PropertyChanged(const std::string& name) {
  internal::RequireGuiThread("Window.SetProperty");
  if (!impl_->EnsureNative()) return;
  auto property = std::find_if(kWindowProperties.begin(), kWindowProperties.end(),
                               [&name](const WindowProperty& p) { return p.name == name; });
  if (property != kWindowProperties.end() && property->apply) property->apply(*this, *impl_);
}

Ref<Window> GetImplicitWindow_(const std::string& fullName) {
  internal::RequireGuiThread("GetImplicitWindow");
  for (const Ref<Window>& window : LiveWindows()) {
    if (window->GetClass().fullName == fullName) return window;
  }
  return nullptr;
}

std::vector<Ref<Window>> RuntimeLiveWindows() {
  internal::RequireGuiThread("RuntimeLiveWindows");
  return LiveWindows();
}

void ReleaseLiveWindows() {
  internal::RequireGuiThread("ReleaseLiveWindows");
  Window::DiscardLiveWindows();
}
