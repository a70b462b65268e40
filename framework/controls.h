// The control classes a window holds: TextArea, Label, Canvas, PushButton and Timer. Each keeps every property of
// its design-time list, readable by name, and applies to its Qt widget those that Qt has a counterpart for.
// A control belongs to the window whose New_ made it; its widget lives inside that window. Qt-free header.
#pragma once

#include <memory>
#include <string>

#include "framework/delegate.h"
#include "framework/object.h"

class Picture;
class Window;
struct ControlImpl;
namespace internal {
struct Native;
struct NativeParent;
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
  // (the Qt side wraps the call in RuntimeRunHandler).
  bool FireEvent(int eventNumber, EventArgs& args);

 protected:
  friend class Window;
  friend struct ControlImpl;
  friend struct internal::Native;
  // Makes the Qt side inside the window's content widget; Window::New_ calls it once, after the owner window is set
  // and before the program's Constructor runs.
  virtual void CreateNative(const internal::NativeParent& /*parent*/) {}
  std::weak_ptr<Window> owner_;
  std::unique_ptr<ControlImpl> impl_;
};

// A control with a rectangle in its window.
class RectControl : public Control {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void SetFocus();
  bool HasFocus() const;

 protected:
  void PropertyChanged(const std::string& declaredName) override;
};

class TextArea : public RectControl {
 public:
  enum Event : int { kKeyDown = 9 };
  // The type a KeyDown delegate wraps: bool (const Ref<TextArea>&, const std::string& key).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  std::string Text() const;  // line breaks as CR LF
  void Text(const std::string& text);
  int64_t SelectionStart() const;
  void SelectionStart(int64_t start);
  int64_t SelectionLength() const;
  void SelectionLength(int64_t length);
  bool SelBold() const;  // true when every selected character is bold
  void SelBold(bool bold);

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
  void PropertyChanged(const std::string& declaredName) override;
};

class Label : public RectControl {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
  void PropertyChanged(const std::string& declaredName) override;
};

class Canvas : public RectControl {
 public:
  enum Event : int { kMouseDown = 21 };
  // A MouseDown delegate wraps: bool (const Ref<Canvas>&, int64_t x, int64_t y).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // Drawn unscaled at the canvas's top-left corner; none shows nothing.
  void Backdrop(const Ref<Picture>& picture);
  Ref<Picture> Backdrop() const;

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
  void PropertyChanged(const std::string& declaredName) override;

 private:
  Ref<Picture> backdrop_;
};

class PushButton : public RectControl {
 public:
  enum Event : int { kAction = 15 };
  // An Action delegate wraps: void (const Ref<PushButton>&).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
  void PropertyChanged(const std::string& declaredName) override;
};

// The framework's side of a control that sits on a window without being one of its widgets (a window-owned timer):
// registering it with a window hands it that window.
class PaneChild {
 public:
  virtual ~PaneChild() = default;
  virtual void SetWindow_(const Ref<::Window>& window) = 0;
  virtual Ref<::Window> Window() const = 0;
  virtual int64_t Index_() const = 0;
  virtual void SetIndex_(int64_t index) = 0;
};

// A timer fires its Action Period ms after it is set up (RunMode 1: once; 2: repeatedly; 0: off).
class Timer : public Control {
 public:
  enum Event : int { kAction = 0 };
  // An Action delegate wraps: void (const Ref<Timer>&).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Reset();  // starts the period again
  bool IsRunning() const;

 protected:
  void PropertyChanged(const std::string& declaredName) override;
};
