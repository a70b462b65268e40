// The base of every control: Control keeps a control's window (weakly), its name and its Qt side, applies each of
// its declared properties as the property's declaration says, and raises its events; RectControl adds a rectangle
// in the window and the focus. Neither makes a widget: the control classes do. Qt-free header.
#pragma once

#include <memory>
#include <string>

#include "framework/delegate.h"
#include "framework/object.h"

class Window;
struct ControlImpl;
namespace internal {
struct Native;
struct NativeParent;

// The window a control sits on, held weakly both as the window and as an Object: the controls read the window's
// settings through Object, without the window's header. Window::New_ hands it over.
class OwnerLink {
 public:
  template <class W>
  OwnerLink& operator=(const std::shared_ptr<W>& window) {
    window_ = window;
    object_ = window;
    return *this;
  }
  Ref<::Window> Owner() const { return window_.lock(); }
  Ref<Object> OwnerObject() const { return object_.lock(); }

 private:
  std::weak_ptr<::Window> window_;
  std::weak_ptr<Object> object_;
};
}  // namespace internal

// What every control shares: its window (held weakly) and the properties of the window's control registry.
class Control : public Object {
 public:
  Control();
  ~Control() override;
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // The program's second step after Window::New_ (which already made the Qt side); does nothing here.
  virtual void Constructor() {}
  Ref<Window> OwnerWindow() const;  // none once the window is gone
  std::string Name() const { return TextProperty("Name"); }

  // Raises a control event: calls the bound delegate, if any, and gives its Boolean result (false when none is bound).
  // The caller passes the arguments after the control itself; an exception of the handler passes to the caller
  // (the Qt side wraps the call in internal::RuntimeRunHandler).
  bool FireEvent(int eventNumber, EventArgs& args);

 protected:
  friend class Window;
  friend struct ControlImpl;
  friend struct internal::Native;
  // Makes the Qt side inside the window's content widget; Window::New_ calls it once, after the owner window is set
  // and before the program's Constructor runs.
  virtual void CreateNative(const internal::NativeParent& /*parent*/) {}
  // Runs the applier that the property's declaration gives it (the nearest class declaring it); a property declared
  // without one is only kept.
  void CheckPropertyChange() const override;
  void PropertyChanged(const std::string& declaredName) override;
  // Applies again the properties set before CreateNative made the Qt side.
  void ApplyStoredProperties();

  internal::OwnerLink owner_;
  std::unique_ptr<ControlImpl> impl_;
};

// A control with a rectangle in its window.
class RectControl : public Control {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void SetFocus();
  bool HasFocus() const;
};
