// Delegates: a callable binding of an operation to a signature text, and the binding of delegates to control events.
// Every handler the framework calls runs through the exception helper, so no C++ exception crosses Qt's event loop.
#pragma once

#include <any>
#include <string>
#include <typeindex>
#include <utility>

#include "framework/object.h"

class Window;

// The arguments of one event as the framework delivers it.
struct EventArgs {
  Ref<Object> sender;    // the control (or window) that raised the event
  std::string key;       // KeyDown: the key as a text (see docs/ARCHITECTURE.md for the key texts)
  int64_t x = 0, y = 0;  // MouseDown: the position in the sender's coordinates
  Ref<Window> window;    // AddMenuHandlers: the window asking for its handlers
};

class Delegate : public Object {
 public:
  Delegate(std::string signature, int flag, std::any callable, std::type_index type)
      : signature_(std::move(signature)), flag_(flag), callable_(std::move(callable)), type_(type) {}
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  const std::string& Signature() const { return signature_; }
  int Flag() const { return flag_; }
  std::type_index CallableType() const { return type_; }

  // Calls the operation. R and A... must be the types the delegate was made for (TypeMismatchException otherwise).
  template <class R, class... A>
  R Call(A... args) const {
    auto* fn = std::any_cast<std::function<R(A...)>>(&callable_);
    if (!fn) throw TypeMismatchException("delegate " + signature_ + " called with another signature");
    return (*fn)(std::forward<A>(args)...);
  }

 private:
  std::string signature_;
  int flag_;
  std::any callable_;
  std::type_index type_;
};

// A delegate over a method of a target. Flag 1 (event bindings) holds the target weakly, so a control's binding
// never keeps its window alive; a call after the target is gone does nothing and gives the default result.
template <class T, class R, class... A>
Ref<Delegate> RuntimeCreateDelegate(R (T::*method)(A...), const Ref<T>& target, std::string signature, int flag) {
  RequireObject(target, "delegate target");
  std::function<R(A...)> fn;
  if (flag == 1) {
    std::weak_ptr<T> weak = target;
    fn = [weak, method](A... args) -> R {
      if (auto self = weak.lock()) return ((*self).*method)(std::forward<A>(args)...);
      return R();
    };
  } else {
    fn = [target, method](A... args) -> R { return ((*target).*method)(std::forward<A>(args)...); };
  }
  return std::make_shared<Delegate>(std::move(signature), flag, std::any(std::move(fn)),
                                    std::type_index(typeid(std::function<R(A...)>)));
}

// A delegate over a shared operation, with no target.
template <class R, class... A>
Ref<Delegate> RuntimeCreateDelegate(R (*function)(A...), std::nullptr_t, std::string signature, int flag) {
  std::function<R(A...)> fn = function;
  return std::make_shared<Delegate>(std::move(signature), flag, std::any(std::move(fn)),
                                    std::type_index(typeid(std::function<R(A...)>)));
}

// Binds a delegate to a control's event number. Whenever the event fires, the delegate is called with the control
// and the event's arguments; a true result marks the event handled. A delegate whose signature text is not the
// event's raises TypeMismatchException; an event number the control's class does not have raises
// OutOfBoundsException.
void RuntimeAddEventHandler(const Ref<Object>& control, int eventNumber, const Ref<Delegate>& delegate);

// The delegate bound to a control's event, or none.
Ref<Delegate> RuntimeEventHandler(const Object& control, int eventNumber);

// Runs a handler the way the event loop does: through the exception helper; a RuntimeException it raises (or any
// other C++ exception, wrapped) goes to the default handling of unhandled exceptions and never further.
// Returns the handler's result, or false when it failed. The framework's own: the Qt side calls it for each event.
namespace internal {
bool RuntimeRunHandler(const std::function<bool()>& handler);
}  // namespace internal

// Adapters from a class's own operations to window-event entries.
template <class C>
EventEntry MakeEventEntry(void (C::*method)()) {
  return [method](Object& self, EventArgs&) {
    (static_cast<C&>(self).*method)();
    return false;
  };
}
template <class C>
EventEntry MakeEventEntry(bool (C::*method)()) {
  return [method](Object& self, EventArgs&) { return (static_cast<C&>(self).*method)(); };
}
template <class C>
EventEntry MakeEventEntry(bool (C::*method)(const std::string&)) {
  return [method](Object& self, EventArgs& args) { return (static_cast<C&>(self).*method)(args.key); };
}
template <class C>
EventEntry MakeEventEntry(bool (C::*method)(int64_t, int64_t)) {
  return [method](Object& self, EventArgs& args) { return (static_cast<C&>(self).*method)(args.x, args.y); };
}
template <class C>
EventEntry MakeEventEntry(void (C::*method)(const Ref<Window>&)) {
  return [method](Object& self, EventArgs& args) {
    (static_cast<C&>(self).*method)(args.window);
    return false;
  };
}

// Whether the class of that full name (or, with ownClassOnly false, any base) fills the entry of the named event.
bool RuntimeIsEventHandled_(const Ref<Object>& object, const std::string& fullName, const std::string& eventName,
                            bool ownClassOnly);
