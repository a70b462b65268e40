// Internal to the framework: the Qt side that the control classes share. A control class declares each of its
// properties once, in a table that gives the property its effect on the Qt side, and each of its events once, with
// the call that hands a bound delegate the event's arguments; its class record is made from those tables. Also the
// attaching of a widget, the raising of events from Qt and the alignment setting. Defined in control.cpp; the
// program never includes it.
#pragma once

#include "framework/internal/internal_only.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/delegate.h"
#include "framework/internal/qt_colour.h"
#include "framework/internal/qt_controls.h"
#include "framework/object.h"

class Control;

namespace internal {

// What applying a property does to the control's Qt side. It reads the property by the name it is given, the
// declared one, so that the name is written only in the declaration.
using Applier = std::function<void(Control& control, ControlImpl& qt, const std::string& name)>;

// One property of a control class: its declaration and its applier (none for a property that is only kept).
struct ControlProperty {
  PropertyDecl decl;
  Applier apply{};
};

// An applier for a control of class C that acts on its widget of class W; before the widget exists it does nothing
// (CreateNative applies the stored properties once it has made the widget).
template <class C, class W, class F>
Applier OnWidget(F apply) {
  return [apply](Control& control, ControlImpl& qt, const std::string& name) {
    if (qt.widget) apply(static_cast<C&>(control), static_cast<W&>(*qt.widget), name);
  };
}

// Calls a bound delegate with the event's arguments and gives the event's Boolean result.
using Invoker = bool (*)(const Delegate& handler, const Ref<Object>& self, EventArgs& args);

// One event of a control class: what a delegate bound to it looks like, and how it is called.
struct ControlEvent {
  int number;
  ControlEventDecl decl;
  Invoker invoke;
};

// An event whose delegate wraps Fn, a std::function; `invoke` passes the event's arguments to CallDelegate<Fn>.
template <class Fn>
ControlEvent MakeControlEvent(int number, std::string name, std::string signature, Invoker invoke) {
  return {number, {std::move(name), std::move(signature), typeid(Fn)}, invoke};
}

template <class Fn>
struct DelegateCall;
template <class R, class... A>
struct DelegateCall<std::function<R(A...)>> {
  template <class... Args>
  static bool Run(const Delegate& handler, Args&&... args) {
    if constexpr (std::is_void_v<R>) {
      handler.Call<R, A...>(std::forward<Args>(args)...);
      return false;
    } else {
      return handler.Call<R, A...>(std::forward<Args>(args)...);
    }
  }
};

// Calls the delegate with exactly the types of Fn; an event without a result gives false.
template <class Fn, class... Args>
bool CallDelegate(const Delegate& handler, Args&&... args) {
  return DelegateCall<Fn>::Run(handler, std::forward<Args>(args)...);
}

// The record of a control class, made from its tables, which it keeps for PropertyChanged and FireEvent. Called once
// per class (from its ClassRecord's static); the caller registers the record.
const ClassInfo& DeclareControlClass(std::string fullName, const ClassInfo& base, std::function<Ref<Object>()> factory,
                                     std::vector<ControlProperty> properties, std::vector<ControlEvent> events = {});

// Gives the control its widget, which keeps the list's geometry and locks from then on, and shows it.
void AttachWidget(ControlImpl& impl, QWidget* widget);

// Raises a control event from a Qt event: through the exception helper, with deletion of Qt objects deferred.
bool FireFromQt(const std::weak_ptr<Object>& control, int eventNumber, EventArgs& args);

// TextAlignment 0 (default) and 1 left, 2 centre, 3 right.
Qt::Alignment HorizontalAlignment(int64_t code);

// A font property (FontName, FontSize, FontUnit, Bold, Italic, Underline): setting any of them sets the whole font.
ControlProperty FontProperty(std::string name, PropType type);

}  // namespace internal
